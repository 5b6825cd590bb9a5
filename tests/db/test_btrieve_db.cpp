// The record file base (open/close rules, create, export, reload preparation) and the typed
// record access of every file class.
#include "BtrieveDB.h"
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
#include "VelocityDB.h"
#include "btrieve/btrcall.h"
#include "file_test.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>

namespace {

// A small file: 20-byte records, key 0 = the first 8 bytes.
class CTestDB : public CBtrieveDB {
public:
    // The raw operations under test.
    using CBtrieveDB::GetFirst;
    using CBtrieveDB::GetNext;
    using CBtrieveDB::Insert;
    uint32_t recordLength = 20;
    int lineLength = 21;
    const char* GetFileName() const override { return "TEST.DB"; }
    uint32_t GetRecordLength() const override { return recordLength; }
    int GetLineLength() const override { return lineLength; }
    int Create(const char* path) override {
        std::vector<uint8_t> spec;
        uint16_t len = BuildFileSpec(spec, 20, 1, 0, {{1, 8, 0, 0}});
        int status = CreateFile(spec.data(), len, path, 0);
        return status == 0 ? OpenFile(path) : status;
    }
    int FormatLine(const uint8_t* raw, std::string& out) override {
        out.assign(reinterpret_cast<const char*>(raw), 8);
        return 0;
    }
    void ImportLine(int) override {}

    // A record of the key, blank-filled.
    int Put(std::string key) {
        key.resize(20, ' ');
        uint16_t len = 20;
        return Insert(key.data(), &len, m_key, 0);
    }
    uint8_t m_key[9] = {};
};

class BtrieveDB : public ::testing::Test {
protected:
    kt::TempDir dir;
    CTestDB db;
};

TEST_F(BtrieveDB, OpenCloseCreateAndReadsFollowTheOpenFlag) {
    EXPECT_EQ(db.Close(), btr::B_FILE_NOT_OPEN);
    EXPECT_EQ(db.GetOpenFileName(), "");
    EXPECT_EQ(db.OpenFile(), btr::B_FILE_NOT_FOUND);
    EXPECT_FALSE(db.IsOpen());
    uint8_t buf[20];
    uint16_t len = 20;
    EXPECT_EQ(db.GetFirst(buf, &len, db.m_key, 0), btr::B_FILE_NOT_OPEN);
    EXPECT_EQ(db.Insert(buf, &len, db.m_key, 0), btr::B_FILE_NOT_OPEN);
    EXPECT_EQ(db.GetRecordCount(), 1u); // Stat fails on a closed file

    ASSERT_EQ(db.Create("TEST.DB"), 0);
    EXPECT_TRUE(db.IsOpen());
    EXPECT_EQ(db.GetOpenFileName(), "TEST.DB");
    ASSERT_EQ(db.Put("A"), 0);
    ASSERT_EQ(db.Put("B"), 0);
    ASSERT_EQ(db.Put("C"), 0);
    EXPECT_EQ(db.GetRecordCount(), 3u);
    // A missing data length reaches the record manager as zero.
    EXPECT_EQ(db.GetFirst(buf, nullptr, db.m_key, 0), btr::B_DATALENGTH_ERROR);

    // Opening the name already open keeps the position.
    len = 20;
    ASSERT_EQ(db.GetFirst(buf, &len, db.m_key, 0), 0);
    EXPECT_EQ(len, 20);
    EXPECT_EQ(db.OpenFile("TEST.DB"), 0);
    len = 20;
    ASSERT_EQ(db.GetNext(buf, &len, db.m_key, 0), 0);
    EXPECT_EQ(buf[0], 'B');
    // Create replaces the file the object holds open.
    ASSERT_EQ(db.Create("TEST.DB"), 0);
    EXPECT_TRUE(db.IsOpen());
    EXPECT_EQ(db.GetRecordCount(), 0u);
    ASSERT_EQ(db.Put("A"), 0); // told apart from the empty other file by its count

    // Another name closes the first file, then opens the second.
    CTestDB other;
    ASSERT_EQ(other.Create("OTHER.DB"), 0);
    ASSERT_EQ(db.OpenFile("OTHER.DB"), 0);
    EXPECT_EQ(db.GetOpenFileName(), "OTHER.DB");
    EXPECT_EQ(db.GetRecordCount(), 0u);
    // A failed open leaves the object closed.
    EXPECT_EQ(db.OpenFile("NOPE.DB"), btr::B_FILE_NOT_FOUND);
    EXPECT_FALSE(db.IsOpen());
}

TEST_F(BtrieveDB, ExportReadsEveryRecordAndChecksItsLength) {
    std::string line;
    db.recordLength = 0;
    EXPECT_FALSE(db.CanExport());
    EXPECT_EQ(db.ExportFirst(line), btr::B_FILE_NOT_FOUND);
    db.recordLength = 20;
    ASSERT_EQ(db.Create("TEST.DB"), 0);
    for (std::string k : {"A", "B", "C"})
        ASSERT_EQ(db.Put(k), 0);
    int s = db.ExportFirst(line), lines = 0;
    for (; s == 0; s = db.ExportNext(line))
        ++lines;
    EXPECT_EQ(s, btr::B_END_OF_FILE);
    EXPECT_EQ(lines, 3);
    EXPECT_EQ(db.GetProgressTotal(), 3u);
    EXPECT_EQ(db.GetProgressPosition(), 3u);
    db.recordLength = 19; // a record of another length
    EXPECT_EQ(db.ExportFirst(line), btr::B_DATALENGTH_ERROR);
}

TEST_F(BtrieveDB, BeginReloadPreparesOrRefuses) {
    db.lineLength = 0;
    { std::ofstream("DL.TXT") << "HEADERA\nrecord-line\n"; }
    EXPECT_FALSE(db.BeginReload("DL.TXT", 8, 5, 0));
    EXPECT_FALSE(db.IsOpen());
    EXPECT_EQ(db.GetReloadFile(), nullptr);
    db.lineLength = 21;
    EXPECT_FALSE(db.BeginReload("MISSING.TXT", 0, 5, 0));
    { std::ofstream("SHORT.TXT") << "HEADERA\n"; }
    EXPECT_FALSE(db.BeginReload("SHORT.TXT", 8, 5, 0)); // no longer than its header
    EXPECT_EQ(db.GetReloadFile(), nullptr);

    ASSERT_TRUE(db.BeginReload("DL.TXT", 8, 777, 0));
    EXPECT_EQ(db.GetInterchangeVersion(), 777);
    EXPECT_EQ(db.GetProgressPosition(), 8u);
    EXPECT_EQ(db.GetProgressTotal(), 19u); // last byte offset
    EXPECT_EQ(db.ReadReloadChar(), 'r');
    EXPECT_EQ(db.GetProgressPosition(), 9u);
    db.AddError("Invalid Record Format at offset 9");
    EXPECT_EQ(db.GetMessageCount(), 1);
    EXPECT_EQ(db.GetErrors().front(), "Invalid Record Format at offset 9");

    // The reload loop's characters: a byte above 127 is not taken for the end, CR LF reads as its
    // line feed, a lone carriage return stays, and every byte is counted.
    { std::ofstream("CRLF.TXT", std::ios::binary) << "\xE9\r\nA\rB\r"; }
    ASSERT_TRUE(db.BeginReload("CRLF.TXT", 0, 777, 0));
    std::vector<int> read;
    for (int c; (c = db.ReadReloadChar()) != EOF;)
        read.push_back(c);
    EXPECT_EQ(read, (std::vector<int>{0xE9, '\n', 'A', '\r', 'B', '\r'}));
    EXPECT_EQ(db.GetProgressPosition(), 7u);
    EXPECT_EQ(db.GetReloadFailure(), 0);
}

TEST_F(BtrieveDB, PurgingReloadStartsFromAnEmptyFile) {
    std::filesystem::create_directory("TEMP");
    ASSERT_EQ(db.Create("TEST.DB"), 0);
    ASSERT_EQ(db.Put("A"), 0);
    { std::ofstream("DL.TXT") << "H\nline\n"; }
    ASSERT_TRUE(db.BeginReload("DL.TXT", 2, 1, 1));
    EXPECT_TRUE(db.IsOpen());
    EXPECT_EQ(db.GetOpenFileName(), "TEST.DB");
    EXPECT_EQ(db.GetRecordCount(), 0u);
    // A closed object purges its default file.
    ASSERT_EQ(db.Put("B"), 0);
    db.Close();
    CTestDB again;
    ASSERT_TRUE(again.BeginReload("DL.TXT", 2, 1, 1));
    EXPECT_EQ(again.GetRecordCount(), 0u);
}

// The typed record access every file class shares, run over each of them.
template <class DB> class RecordFiles : public ::testing::Test {
protected:
    using R = typename DB::Record;
    kt::TempDir dir;

    // A record whose texts all start with tag, so each sample has keys of its own.
    static R Sample(char tag) {
        R record;
        for (const auto& f : DB::Fields()) {
            if (f.member && f.enc == rec::Enc::I32) *static_cast<int32_t*>(f.member(record)) = tag;
            if (!f.member || !rec::IsText(f.enc)) continue;
            if (f.enc == rec::Enc::Postal || f.enc == rec::Enc::Phone || f.enc == rec::Enc::PostalDigits ||
                f.enc == rec::Enc::PhoneDigits)
                continue;
            *static_cast<std::string*>(f.member(record)) =
                std::string(1, tag) + "K" + std::to_string(f.offset);
        }
        return record;
    }
    static std::vector<uint8_t> Bytes(const R& record) { return kt::Packed<DB>(record); }
    static std::string KeyOf(const R& record, int keyNumber) {
        std::vector<uint8_t> data = Bytes(record);
        std::string key;
        for (const BtrKeySegment& s : DB::Keys()[static_cast<size_t>(keyNumber)])
            key.append(reinterpret_cast<const char*>(data.data()) + s.position - 1, s.length);
        return key;
    }
    // Whether a text field lies outside every key (an update may change it).
    static bool OutsideKeys(const rec::Field<R>& f) {
        for (const auto& key : DB::Keys())
            for (const BtrKeySegment& s : key)
                if (f.offset < s.position - 1 + s.length && s.position - 1 < f.offset + f.width) return false;
        return true;
    }
};

using RecordFileTypes = ::testing::Types<CControlDB, CCustomerDB, CItemDB, CItemUnitDB, CItemDictDB,
                                         CItemLookupDB, CManualPriceDB, CMenuCategoryDB, CMenuHdrDB,
                                         CMenuItemDB, COrderDB, COrderItemDB, CVelocityDB>;
TYPED_TEST_SUITE(RecordFiles, RecordFileTypes);

TYPED_TEST(RecordFiles, InsertReadByEveryKeyInBothDirectionsUpdateAndDelete) {
    using R = typename TypeParam::Record;
    TypeParam db;
    R found;
    EXPECT_EQ(db.GetFirstRecord(found), btr::B_FILE_NOT_OPEN);
    ASSERT_EQ(db.Create(nullptr), 0);
    std::vector<R> samples = {this->Sample('C'), this->Sample('A'), this->Sample('B')};
    for (R& r : samples)
        ASSERT_EQ(db.InsertRecord(r), 0);
    const int unique = TypeParam::UniqueKey();
    if (!(TypeParam::Keys()[unique].back().flags & btr::KF_DUPLICATES)) {
        EXPECT_EQ(db.InsertRecord(samples[0]), btr::B_DUPLICATE_KEY_VALUE);
    }

    const int keys = static_cast<int>(TypeParam::Keys().size());
    for (int n = 0; n < keys; ++n) {
        // Every sample found by its key, given as the key's bytes.
        for (const R& r : samples) {
            ASSERT_EQ(db.GetRecord(found, this->KeyOf(r, n), n), 0) << "key " << n;
            EXPECT_EQ(this->Bytes(found), this->Bytes(r)) << "key " << n;
        }
        // Forwards and backwards the records come in key order, each once.
        std::vector<std::string> forward, backward;
        for (int s = db.GetFirstRecord(found, n); s == 0; s = db.GetNextRecord(found, n))
            forward.push_back(this->KeyOf(found, n));
        for (int s = db.GetLastRecord(found, n); s == 0; s = db.GetPreviousRecord(found, n))
            backward.insert(backward.begin(), this->KeyOf(found, n));
        EXPECT_EQ(forward.size(), samples.size()) << "key " << n;
        EXPECT_TRUE(std::is_sorted(forward.begin(), forward.end())) << "key " << n;
        EXPECT_EQ(forward, backward) << "key " << n;
    }
    EXPECT_EQ(db.GetFirstRecord(found, keys), btr::B_INVALID_KEYNUMBER);
    EXPECT_EQ(db.GetRecord(found, "Zmissing", 0), btr::B_KEY_VALUE_NOT_FOUND);

    // An update rewrites the record found by its unique key; a missing one is reported.
    R changed = samples[1];
    for (const auto& f : TypeParam::Fields())
        if (f.member && (f.enc == rec::Enc::Text || f.enc == rec::Enc::Upper) && this->OutsideKeys(f))
            *static_cast<std::string*>(f.member(changed)) = "CHANGED";
    ASSERT_EQ(db.UpdateRecord(changed), 0);
    ASSERT_EQ(db.GetRecord(found, this->KeyOf(changed, unique), unique), 0);
    EXPECT_EQ(this->Bytes(found), this->Bytes(changed));
    R ghost = this->Sample('Z');
    EXPECT_EQ(db.UpdateRecord(ghost), btr::B_KEY_VALUE_NOT_FOUND);

    // A deletion by the unique key; a missing record counts as deleted.
    EXPECT_EQ(db.DeleteRecord(this->KeyOf(samples[0], unique)), 0);
    EXPECT_EQ(db.GetRecord(found, this->KeyOf(samples[0], unique), unique), btr::B_KEY_VALUE_NOT_FOUND);
    EXPECT_EQ(db.DeleteRecord(this->KeyOf(samples[0], unique)), 0);
    EXPECT_EQ(db.GetRecordCount(), 2u);
}

TYPED_TEST(RecordFiles, AFixedLengthRecordOfAnotherLengthIsRefused) {
    if (TypeParam::BufferSize() != TypeParam::kRecordLength) GTEST_SKIP() << "variable-length records";
    TypeParam db;
    std::vector<uint8_t> spec;
    BuildFileSpec(spec, TypeParam::kRecordLength + 8, static_cast<uint16_t>(TypeParam::Keys().size()), 0,
                  TypeParam::KeySegments());
    ASSERT_EQ(db.CreateFile(spec, db.GetFileName(), 0), 0);
    ASSERT_EQ(db.OpenFile(), 0);
    std::vector<uint8_t> longer = this->Bytes(this->Sample('L'));
    longer.resize(TypeParam::kRecordLength + 8, 0);
    ASSERT_EQ(db.InsertBytes(longer, TypeParam::UniqueKey()), 0);
    typename TypeParam::Record found;
    EXPECT_EQ(db.GetFirstRecord(found), btr::B_DATALENGTH_ERROR);
    EXPECT_EQ(db.GetRecord(found, this->KeyOf(this->Sample('L'), 0)), btr::B_DATALENGTH_ERROR);
}

} // namespace
