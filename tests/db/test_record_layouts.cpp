// The record tables of every file: sound in themselves, and every field surviving a pack, an
// unpack and an interchange line of every version.
#include <gtest/gtest.h>

#include "ControlDB.h"
#include "CustomerDB.h"
#include "ItemDB.h"
#include "ItemDictDB.h"
#include "ItemLookupDB.h"
#include "ItemUnitDB.h"
#include "ManualPriceDB.h"
#include "MenuCategoryDB.h"
#include "MenuHdrDB.h"
#include "MenuItemDB.h"
#include "OrderDB.h"
#include "OrderItemDB.h"
#include "RecordLayout.h"
#include "VelocityDB.h"
#include "btrieve/btrcall.h"

#include <string>
#include <vector>

namespace {

// A value for field number i that its encoding stores exactly (texts fill their width).
template <class R> void Fill(const rec::Field<R>& f, R& object, int i) {
    if (!f.member) return;
    void* m = f.member(object);
    auto text = [&](bool upper) {
        std::string s;
        for (size_t k = 0; k < f.width; ++k)
            s += static_cast<char>((upper ? 'A' : 'a') + (i + static_cast<int>(k)) % 26);
        return s;
    };
    switch (f.enc) {
    case rec::Enc::Text:
    case rec::Enc::Blank:
        *static_cast<std::string*>(m) = text(i % 2 == 0);
        break;
    case rec::Enc::Postal:
        *static_cast<std::string*>(m) = "43015-2211";
        break;
    case rec::Enc::Phone:
        *static_cast<std::string*>(m) = "(740) 555-0142";
        break;
    case rec::Enc::PostalDigits:
        *static_cast<std::string*>(m) = "430152211";
        break;
    case rec::Enc::PhoneDigits:
        *static_cast<std::string*>(m) = "7405550142";
        break;
    case rec::Enc::Flag:
    case rec::Enc::FlagY:
        *static_cast<bool*>(m) = i % 2 == 1;
        break;
    case rec::Enc::Code:
    case rec::Enc::Byte:
    case rec::Enc::CodeOnWrite:
        *static_cast<char*>(m) = static_cast<char>('A' + i % 26);
        break;
    case rec::Enc::I16:
        *static_cast<int16_t*>(m) = static_cast<int16_t>(-i);
        break;
    case rec::Enc::I32:
        *static_cast<int32_t*>(m) = 1000 + i;
        break;
    case rec::Enc::F32:
        *static_cast<float*>(m) = static_cast<float>(i) + 0.25f;
        break;
    case rec::Enc::F64:
    case rec::Enc::Float:
        *static_cast<double*>(m) = i + 0.5;
        break;
    case rec::Enc::Time:
        *static_cast<int64_t*>(m) = 1100000000 + 86400LL * i;
        break;
    case rec::Enc::BDate:
    case rec::Enc::Blanks:
    case rec::Enc::Zeros:
        break;
    default: // the upper-cased texts
        *static_cast<std::string*>(m) = text(true);
        break;
    }
}

template <class R> R Filled(const rec::Layout<R>& layout) {
    R object;
    int i = 1;
    for (const rec::Field<R>& f : layout)
        Fill(f, object, i++);
    return object;
}

template <class R> std::vector<uint8_t> Packed(const rec::Layout<R>& layout, R object, size_t length) {
    std::vector<uint8_t> record(length, 0xEE);
    rec::Pack(layout, object, record.data());
    return record;
}

// Every field written lands in the record, and reading it back and writing again changes
// no byte (the filler bytes between fields stay as they were).
template <class R>
void ExpectPackUnpackRoundTrip(const rec::Layout<R>& layout, size_t length, const char* file) {
    SCOPED_TRACE(file);
    EXPECT_EQ(rec::Check(layout, length), "");
    R original = Filled(layout);
    std::vector<uint8_t> once = Packed(layout, original, length);
    R back;
    rec::Unpack(layout, once.data(), back);
    EXPECT_EQ(Packed(layout, back, length), once);
    for (const rec::Field<R>& f : layout) {
        if (f.member && f.enc != rec::Enc::BDate) {
            EXPECT_EQ(rec::ShowField(f.enc, f.member(back)), rec::ShowField(f.enc, f.member(original)))
                << f.name;
        }
    }
}

// A line written for a version reads back into a record that writes the same line again.
template <class DB, class R> void ExpectLinesRoundTrip(const std::vector<int>& versions, const char* file) {
    R original = Filled(DB::Fields());
    for (int version : versions) {
        SCOPED_TRACE(std::string(file) + " version " + std::to_string(version));
        DB sizing;
        sizing.BeginReload("", 0, version, 0); // sets the version; there is no download to open
        size_t length = static_cast<size_t>(sizing.GetLineLength()) - 1;
        std::string line;
        ichg::WriteColumns(rec::LineColumns(DB::Fields()), length, original, line);
        ASSERT_EQ(line.size(), length);
        EXPECT_EQ(line.find_first_of(std::string("\n\r\0", 3)), std::string::npos);
        R back;
        ichg::ValueError error;
        ASSERT_TRUE(ichg::ReadColumns(rec::LineColumns(DB::Fields()), line.data(), length, back, error))
            << error.what;
        std::string again;
        ichg::WriteColumns(rec::LineColumns(DB::Fields()), length, back, again);
        EXPECT_EQ(again, line);
    }
}

} // namespace

TEST(RecordLayouts, CheckFindsOverlapsGapsOfEncodingAndFieldsPastTheEnd) {
#define KR_RECORD CItemLookup
    rec::Layout<CItemLookup> overlapping = {KR_AT(m_strWord, 0, 20, Upper), KR_AT(m_strItem, 19, 12, Upper)};
    rec::Layout<CItemLookup> pastEnd = {KR_AT(m_strWord, 0, 20, Upper), KR_AT(m_strItem, 21, 12, Upper)};
    rec::Layout<CItemLookup> wrongWidth = {KR_AT(m_strWord, 0, 20, Upper), KR_AT(m_strItem, 20, 2, Flag)};
#undef KR_RECORD
    EXPECT_NE(rec::Check(overlapping, 32).find("m_strItem: overlaps"), std::string::npos);
    EXPECT_NE(rec::Check(pastEnd, 32).find("m_strItem: beyond"), std::string::npos);
    EXPECT_NE(rec::Check(wrongWidth, 32).find("m_strItem: width"), std::string::npos);
    EXPECT_EQ(rec::Check(CItemLookupDB::Fields(), 32), "");
}

TEST(RecordLayouts, EveryFileKeepsEveryFieldThroughPackAndUnpack) {
    ExpectPackUnpackRoundTrip(CCustomerDB::Fields(), CCustomerDB::kRecordLength, "CUST.DB");
    ExpectPackUnpackRoundTrip(CVelocityDB::Fields(), CVelocityDB::kRecordLength, "VELOCITY.DB");
    ExpectPackUnpackRoundTrip(CItemDB::Fields(), CItemDB::kNotesOffset, "ITEM.DB");
    ExpectPackUnpackRoundTrip(CItemUnitDB::Fields(), CItemUnitDB::kRecordLength, "ITEMUNIT.DB");
    ExpectPackUnpackRoundTrip(CControlDB::Fields(), CControlDB::kRecordLength, "CONTROL.DB");
    ExpectPackUnpackRoundTrip(CManualPriceDB::Fields(), CManualPriceDB::kRecordLength, "MANPRICE.DB");
    ExpectPackUnpackRoundTrip(COrderDB::Fields(), COrderDB::kRecordSize, "ORDER.DB");
    ExpectPackUnpackRoundTrip(COrderItemDB::Fields(), COrderItemDB::kRecordSize, "ORDRITEM.DB");
    ExpectPackUnpackRoundTrip(CMenuHdrDB::Fields(), CMenuHdrDB::kNotesOffset, "MENUHDR.DB");
    ExpectPackUnpackRoundTrip(CMenuItemDB::Fields(), CMenuItemDB::kRecordSize, "MenuItem.DB");
    ExpectPackUnpackRoundTrip(CMenuCategoryDB::Fields(), CMenuCategoryDB::kRecordSize, "MenuCategory.DB");
    ExpectPackUnpackRoundTrip(CItemDictDB::Fields(), CItemDictDB::kItemsOffset, "ITEMDICT.DB");
    ExpectPackUnpackRoundTrip(CItemLookupDB::Fields(), CItemLookupDB::kRecordLength, "ITEMLKUP.DB");
}

TEST(RecordLayouts, EveryInterchangeVersionWritesALineThatReadsBackTheSame) {
    ExpectLinesRoundTrip<CCustomerDB, CCustomer>({600, 777}, "CUST.DB");
    ExpectLinesRoundTrip<CVelocityDB, CVelocity>({520, 772, 1025, 1026}, "VELOCITY.DB");
    ExpectLinesRoundTrip<CItemDB, CItem>({776, 1024, 1025}, "ITEM.DB");
    ExpectLinesRoundTrip<CItemUnitDB, CItemUnit>({769, 776, 1023, 1024, 1025}, "ITEMUNIT.DB");
}

TEST(RecordLayouts, KeySegmentsLieOnTheirFields) {
    // Key 4 of the customers spans two codes; an unknown name gives an empty segment.
    BtrKeySegment span = rec::Segment(CCustomerDB::Fields(), "m_strCode33", 3, btr::KT_STRING, 12);
    EXPECT_EQ(span.position, 34);
    EXPECT_EQ(span.length, 12);
    BtrKeySegment date = rec::Segment(CVelocityDB::Fields(), "last date (key)", 0, btr::KT_DATE);
    EXPECT_EQ(date.position, 30);
    EXPECT_EQ(date.length, 4);
    EXPECT_EQ(rec::Segment(CCustomerDB::Fields(), "no such field", 0, btr::KT_STRING).length, 0);
}
