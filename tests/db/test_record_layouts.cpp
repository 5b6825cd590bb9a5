// Every record file's table: sound in itself, every field surviving a pack, an unpack and the
// interchange line of every version, and the file its Create makes.
#include <gtest/gtest.h>

#include "ControlDB.h"
#include "CustomerDB.h"
#include "FileKinds.h"
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
#include "support.h"

#include <string>
#include <vector>

namespace {

// What is wrong with a layout: a field wider or narrower than its encoding, past the record's
// end, or overlapping the one before it (fields in offset order). Empty when sound.
template <class R> std::string Check(const rec::Layout<R>& layout, size_t recordLength) {
    size_t end = 0;
    for (const rec::Field<R>& f : layout) {
        uint16_t fixed = rec::Of(f.enc).width;
        std::string name = f.name;
        if (f.width == 0 || (fixed != 0 && f.width != fixed))
            return name + ": width " + std::to_string(f.width);
        if (f.offset < end) return name + ": overlaps the field before it";
        end = static_cast<size_t>(f.offset) + f.width;
        if (end > recordLength) return name + ": beyond the record's end";
    }
    return {};
}

// What is wrong with the line the layout's fields make: a column overlapping the one before it
// (columns in line order), or a kind the field's encoding cannot hold. Empty when sound.
template <class R> std::string CheckLine(const rec::Layout<R>& layout) {
    int end = 0;
    for (const rec::Field<R>* f : rec::OnTheLine(layout)) {
        std::string name = f->name;
        ichg::Kind want = rec::Of(f->enc).line, kind = f->line.kind;
        bool text = kind == ichg::Kind::Key || kind == ichg::Kind::Text || kind == ichg::Kind::RText;
        if (!f->member || want == ichg::Kind::Blank || (text ? !rec::IsText(f->enc) : kind != want))
            return name + ": not a value the line can hold this way";
        if (f->line.at < end) return name + ": overlaps the column before it";
        end = f->line.at + ichg::ColumnWidth(kind, f->line.width);
    }
    return {};
}

// A value for field number i that its encoding stores exactly (texts fill their width).
template <class R> void Fill(const rec::Field<R>& f, R& object, int i) {
    if (!f.member) return;
    void* m = f.member(object);
    std::string text;
    for (size_t k = 0; k < f.width - (rec::IsNotes(f.enc) ? rec::kNotesEnd : 0); ++k)
        text += static_cast<char>((f.enc == rec::Enc::Text && i % 2 ? 'a' : 'A') +
                                  (i + static_cast<int>(k)) % 26);
    const std::pair<rec::Enc, const char*> formatted[] = {{rec::Enc::Postal, "43015-2211"},
                                                          {rec::Enc::Phone, "(740) 555-0142"},
                                                          {rec::Enc::PostalDigits, "430152211"},
                                                          {rec::Enc::PhoneDigits, "7405550142"}};
    for (auto [enc, value] : formatted)
        if (f.enc == enc) text = value;
    switch (rec::Of(f.enc).member) {
    case rec::Member::String:
        *static_cast<std::string*>(m) = text;
        break;
    case rec::Member::Bool:
        *static_cast<bool*>(m) = i % 2 == 1;
        break;
    case rec::Member::Char:
        *static_cast<char*>(m) = static_cast<char>('A' + i % 26);
        break;
    case rec::Member::I32:
        *static_cast<int32_t*>(m) = 1000 + i;
        break;
    case rec::Member::F32:
        *static_cast<float*>(m) = static_cast<float>(i) + 0.25f;
        break;
    case rec::Member::F64:
        *static_cast<double*>(m) = i + 0.5;
        break;
    case rec::Member::I64: // a BDate reads its time from the time field
        if (f.enc == rec::Enc::Time) *static_cast<int64_t*>(m) = 1100000000 + 86400LL * i;
        break;
    case rec::Member::None:
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

// The file Create made, in short: "record length/page size/keys/file flags", then per segment
// "position+length/flags" and "/type" when it is not a string.
std::string Specification(CBtrieveDB& db) {
    kt::StatInfo stat = kt::ReadStat(db);
    if (stat.status != 0) return "status " + std::to_string(stat.status);
    std::string out = std::to_string(stat.recordLength) + "/" + std::to_string(stat.pageSize) + "/" +
                      std::to_string(stat.keys) + "/" + std::to_string(stat.fileFlags) + ":";
    for (const kt::StatInfo::Segment& s : stat.segments) {
        out +=
            " " + std::to_string(s.position) + "+" + std::to_string(s.length) + "/" + std::to_string(s.flags);
        if (s.type != btr::KT_STRING) out += "/" + std::to_string(s.type);
    }
    return out;
}

// What a file is held to besides its own table.
struct Facts {
    std::string spec;                       // Specification of the created file
    size_t span;                            // the bytes the table covers: the longest record
    std::vector<std::pair<int, int>> lines; // interchange versions and their line lengths
    std::string newestLine = {};            // the filled record's line at the last version, no line feed
};

template <class DB> void ExpectFile(const Facts& facts) {
    using R = typename DB::Record;
    const rec::Layout<R>& layout = DB::Fields();
    kt::TempDir dir;
    DB db;
    SCOPED_TRACE(db.GetFileName());
    EXPECT_EQ(Check(layout, facts.span), "");
    EXPECT_EQ(CheckLine(layout), "");

    // Every field lands in the record, and reading it back and writing again changes no byte
    // (the filler bytes between fields stay as they were).
    R original = Filled(layout);
    std::vector<uint8_t> once = Packed(layout, original, facts.span);
    R back;
    rec::Unpack(layout, once.data(), back);
    EXPECT_EQ(Packed(layout, back, facts.span), once);
    for (const rec::Field<R>& f : layout)
        if (f.member && f.enc != rec::Enc::BDate) {
            EXPECT_EQ(rec::ShowField(f.enc, f.member(back)), rec::ShowField(f.enc, f.member(original)))
                << f.name;
        }

    ASSERT_EQ(db.Create(db.GetFileName()), 0);
    EXPECT_EQ(Specification(db), facts.spec);

    // A line written for a version reads back into a record that writes the same line again.
    std::string line;
    for (auto [version, length] : facts.lines) {
        SCOPED_TRACE("version " + std::to_string(version));
        db.BeginReload(nullptr, 0, version, 0); // sets the version; there is no download to open
        ASSERT_EQ(db.GetLineLength(), length);
        line = rec::WriteLine(layout, original, static_cast<size_t>(length));
        ASSERT_EQ(line.size(), static_cast<size_t>(length));
        EXPECT_EQ(line.find_first_of(std::string("\n\r\0", 3)), line.size() - 1);
        R read;
        std::string error;
        ASSERT_TRUE(rec::ReadLine(layout, line, line.size() - 1, read, error)) << error;
        EXPECT_EQ(rec::WriteLine(layout, read, line.size()), line);
    }
    if (!facts.newestLine.empty()) {
        EXPECT_EQ(line, facts.newestLine + "\n");
    }
    // An exported record is the newest line of what is stored.
    if (db.CanExport()) {
        std::string exported;
        std::vector<uint8_t> stored = once;
        stored.resize(std::max<size_t>(once.size(), db.GetRecordLength()), 0); // empty notes, if any
        ASSERT_EQ(db.InsertBytes(stored, 0), 0);
        ASSERT_EQ(db.ExportFirst(exported), 0);
        EXPECT_EQ(exported, rec::WriteLine(layout, back, line.size()));
    }
}

class RecordLayouts : public ::testing::Test {
protected:
    kt::TimeZone m_zone{"UTC"}; // the line's dates are local: the filled times are read in one zone
};

} // namespace

TEST(RecordLayoutChecks, FindOverlapsFieldsPastTheEndAndValuesTheLineCannotHold) {
    using ichg::Kind;
    rec::Layout<CItemLookup> overlapping = {KR_FIELD_OF(CItemLookup, m_strWord, 0, 20, Upper),
                                            KR_FIELD_OF(CItemLookup, m_strItem, 19, 12, Upper)};
    rec::Layout<CItemLookup> pastEnd = {KR_FIELD_OF(CItemLookup, m_strWord, 0, 20, Upper),
                                        KR_FIELD_OF(CItemLookup, m_strItem, 21, 12, Upper)};
    rec::Layout<CItemLookup> wrongWidth = {KR_FIELD_OF(CItemLookup, m_strWord, 0, 20, Upper),
                                           KR_FIELD_OF(CItemLookup, m_strItem, 20, 2, Flag)};
    rec::Layout<CItemLookup> lineOverlap = {KR_FIELD_OF(CItemLookup, m_strWord, 0, 20, Upper, 0),
                                            KR_FIELD_OF(CItemLookup, m_strItem, 20, 12, Upper, 19)};
    rec::Layout<CItemLookup> notANumber = {
        KR_FIELD_OF(CItemLookup, m_strWord, 0, 20, Upper, 0, Kind::Amount)};
    EXPECT_NE(Check(overlapping, 32).find("m_strItem: overlaps"), std::string::npos);
    EXPECT_NE(Check(pastEnd, 32).find("m_strItem: beyond"), std::string::npos);
    EXPECT_NE(Check(wrongWidth, 32).find("m_strItem: width"), std::string::npos);
    EXPECT_NE(CheckLine(lineOverlap).find("m_strItem: overlaps"), std::string::npos);
    EXPECT_NE(CheckLine(notANumber).find("m_strWord: not a value"), std::string::npos);
}

// The newest line of each file's filled record, as the suite's programs read it.
const char* const kCustomerLine =
    "GHIJKLMNOPQRSTUVWXYZABCDEhijklmnopqrstuvwxyzabcdefIJKLMNOPQRSTUVWXYZABCDEFG     32.25      33.25"
    "      34.25      35.25      31.25      30.25 MNOPQRSTUVWXYZABCDEFNNYEFGHjklmnopqrstuvwx bcde def"
    "g fghibc     69.25 SYPX 1045 NvwxyzabcN 1021 CDEFGH 1027 YYZABCDEFGHzabcdefg7405550142YvwxyzabcU"
    "VWXYZABQRSTUVWX   fghijklmdefghijk     50.25 defghijklmnopqrstuvwxyzabMNOPQRST     59.25  ABCD C"
    "DEF EFGHNNpqrstuvwxyzabcdefghiQRSTUVWXYZABCDEFGHIJ74055501427405550142     51.25 N  NQ 1043 nopt"
    "uvSO    NKLNCUKLMNOPQRN     22.25 UXYY43015-2211     85.25      86.25      87.25      88.25 FGHI"
    "JKLMWBCxyzabcdefghijkNOPQSTUVWX     pqrN 1089 ";
const char* const kHistoryLine =
    "BCDEFGCDEFGHIJKLMNDEF11/26/2004     10.25      11.25      12.25      13.25 OPQRYQRSTUVWXY 1019  "
    "1020  1021  1022  1023  1024  1025  1026      27.25 CDEFY 1030     ";
const char* const kItemLine =
    "BCDEFGHIJKLMCDEDEFGHEFGHIJKLMNtuvwxyzabcdefghijklmnopqrstuvwxyzabcdefghijklmnopqMNOPQRSTUVWXYZAF"
    "GH 1032 QRSRSTSTU     48.25      49.25      50.25       5.25       6.25 YIJKL 1009  1010 LM 1013"
    " NP     16.25  1017      18.25 N     21.25 WXYX     24.25      25.25      26.25 BCDNY     30.25 "
    " 1033      34.25 YNLMNOPQRSTUVWXNOPQRSTUVWXYNYTUVWXYUVWXYZABCDEFGHIVW12/30/2004ABBCDEFGHIJKLMNOP"
    "QRSTUVWXYZABCDEFGHIJKLMNOPQRSTUVWXYCDEFGHIJKLMNOPQ     55.25 EFGHIJKLMNOPQRSTUVWXYZABC 1057     "
    " 58.25                                                   ";
const char* const kUnitLine =
    "BCDEFGHIJKLMDEFCY     19.25       6.25      17.25      11.25      46.25      16.25 EFGHIJKLMNnop"
    "qrstuvwxyzabcdefghijklmnopqOPQRSTUVWXYZA      5.25       8.25      12.25 hijklmnojklmnopq 1010 N"
    "YX     44.25      45.25      47.25      48.25      50.25      51.25      52.25      53.25      5"
    "4.25 hijklmnoEFGHIJKLMNOPQRSTUVWXFGHIJKLMNOPQRSTUVWXYxyzabcde     34.25 YZABCDEF     35.25 zabcd"
    "efg     36.25 ABCDEFGH     37.25 bcdefghi     38.25 CDEFGHIJ     39.25 defghijk     40.25 EFGHIJ"
    "KL     41.25 fghijklm     42.25 GHIJKLMN     43.25 defghijk    ";

TEST_F(RecordLayouts, EveryFileHoldsToItsTableAndItsCreatedSpecification) {
    ExpectFile<CCustomerDB>(
        {"504/1024/5/0: 3+6/0 9+25/3 34+4/3 38+8/3 34+12/3", 504, {{776, 616}, {777, 623}}, kCustomerLine});
    ExpectFile<CVelocityDB>({"160/1024/6/0: 1+6/19 22+5/19 7+15/3 1+21/0 7+12/3 1+6/19 27+3/19 7+15/3 1+6/19 "
                             "27+3/19 22+5/19 7+15/3 1+6/19 30+4/275/3 22+5/19 7+15/3",
                             160,
                             {{520, 126}, {521, 136}, {772, 136}, {773, 158}, {1025, 158}, {1026, 164}},
                             kHistoryLine});
    ExpectFile<CItemDB>({"387/1024/4/1: 1+12/0 16+5/19 1+12/3 21+10/3 13+8/19 1+12/3",
                         CItemDB::kBufferSize,
                         {{776, 369}, {1024, 484}, {1025, 538}},
                         kItemLine});
    ExpectFile<CItemUnitDB>(
        {"356/1024/3/0: 1+13/3 1+12/1 1+12/16 14+3/0",
         356,
         {{769, 452}, {770, 463}, {776, 463}, {777, 504}, {1023, 504}, {1024, 524}, {1025, 544}},
         kUnitLine});
    ExpectFile<CControlDB>({"304/1024/1/0: 1+30/0", 304, {{1025, 31}}});
    ExpectFile<CManualPriceDB>({"88/1024/3/0: 1+33/0 19+12/3 34+35/3", 88, {{515, 73}, {1025, 73}}});
    ExpectFile<CItemDictDB>({"47/1024/1/1: 1+20/0", CItemDictDB::kBufferSize, {{770, 46}, {771, 47}}});
    ExpectFile<CItemLookupDB>({"32/1024/2/0: 1+20/1 1+32/0", 32, {{1025, 34}}});
    ExpectFile<COrderDB>({"408/1024/3/0: 1+4/256/1 5+14/0 19+14/0", COrderDB::kRecordLength, {}});
    ExpectFile<COrderItemDB>({"176/1024/4/0: 1+4/274/1 5+4/258/1 1+4/273/1 9+15/1 1+4/273/1 9+12/1 9+12/1",
                              COrderItemDB::kRecordLength,
                              {}});
    ExpectFile<CMenuHdrDB>({"127/1024/2/1: 1+9/3 10+14/0", CMenuHdrDB::kBufferSize, {}});
    ExpectFile<CMenuItemDB>({"96/1024/1/0: 1+14/3", CMenuItemDB::kRecordLength, {}});
    ExpectFile<CMenuCategoryDB>({"53/1024/2/0: 1+9/3 10+14/0", CMenuCategoryDB::kRecordLength, {}});
}

// The record length the export reads check, as the suite's other programs see it: 0 for a file
// that is not exported, except the recipe files.
TEST(RecordLayoutChecks, OnlyExportedAndRecipeFilesGiveARecordLength) {
    const std::vector<std::pair<std::string, uint32_t>> lengths = {
        {"MENUHDR.DB", 4224}, {"MENUITEM.DB", 96}, {"MenuCategory.DB", 53}, {"CUST.DB", 504},
        {"VELOCITY.DB", 160}, {"ITEM.DB", 387},    {"ITEMUNIT.DB", 356}};
    for (const dbfiles::FileKind& kind : dbfiles::FileKinds()) {
        uint32_t want = 0;
        for (const auto& [name, length] : lengths)
            if (name == kind.fileName) want = length;
        auto db = kind.make();
        EXPECT_EQ(db->GetRecordLength(), want) << kind.fileName;
    }
}
