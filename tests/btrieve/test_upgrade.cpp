// A folder of record files kept one database each (the earlier layout) moves into the folder's
// database with every record, key, specification and owner as it was.
#include "harness.h"

#include "btrieve/files.h"
#include "btrieve/keys.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace bt;
using namespace btr;

namespace {

std::string Hex(const std::string& bytes) {
    std::string h = "x'";
    for (unsigned char c : bytes)
        h += "0123456789abcdef"[c >> 4], h += "0123456789abcdef"[c & 15];
    return h + "'";
}

// Writes a record file as the earlier layout kept it: records with their ids, encoded keys
// (duplicates followed by their sequence, big-endian), the specification, the sequence and the owner.
void WriteOldFile(const std::string& path, const std::vector<uint8_t>& rawSpec,
                  const std::vector<std::pair<int64_t, std::string>>& records,
                  const std::string& owner = {}) {
    FileSpec spec;
    ASSERT_EQ(ParseSpec(rawSpec.data(), static_cast<uint32_t>(rawSpec.size()), spec), 0);
    std::string sql = "PRAGMA journal_mode=WAL;"
                      "CREATE TABLE kr_meta(name TEXT PRIMARY KEY, value) WITHOUT ROWID;"
                      "CREATE TABLE kr_rec(id INTEGER PRIMARY KEY, data BLOB NOT NULL";
    for (size_t i = 0; i < spec.keys.size(); ++i)
        sql += ", k" + std::to_string(i) + " BLOB";
    sql += ");";
    for (size_t i = 0; i < spec.keys.size(); ++i)
        sql += std::string("CREATE ") + (spec.keys[i].duplicates ? "" : "UNIQUE ") + "INDEX kr_k" +
               std::to_string(i) + " ON kr_rec(k" + std::to_string(i) + ");";
    sql += "INSERT INTO kr_meta VALUES('format', 'kestrel-btrieve 1'), ('spec', " +
           Hex(std::string(rawSpec.begin(), rawSpec.end())) + "), ('seq', " +
           std::to_string(records.empty() ? 0 : records.back().first) + "), ('owner', " +
           (owner.empty() ? "NULL" : Hex(owner)) + ");";
    for (auto& [id, data] : records) {
        sql += "INSERT INTO kr_rec VALUES(" + std::to_string(id) + ", " + Hex(data);
        for (auto& k : spec.keys) {
            auto key = EncodeRecordKey(k, reinterpret_cast<const uint8_t*>(data.data()), data.size());
            for (int b = 7; key && k.duplicates && b >= 0; --b)
                *key += static_cast<char>(id >> (8 * b));
            sql += ", " + (key ? Hex(*key) : "NULL");
        }
        sql += ");";
    }
    ASSERT_EQ(Sqlite(path, sql), "wal"); // the journal mode set
}

// 34-byte records: a 10-byte unique string key and a 4-byte integer key with duplicates.
std::vector<uint8_t> TwoKeys() {
    return Spec(
        34, 2,
        {{1, 10, KF_MODIFIABLE}, {11, 4, KF_DUPLICATES | KF_MODIFIABLE | KF_EXTENDED_TYPE, KT_INTEGER}});
}
std::string Rec(const std::string& name, int32_t n, const std::string& payload) {
    return Pad(name, 10, '\0') + I32(n) + Pad(payload, 20, '.');
}

TEST(Upgrade, MovesEveryRecordKeyAndSpecificationAndRefusesWhileInUse) {
    TempDir dir;
    std::vector<std::pair<int64_t, std::string>> items = {{5, Rec("pear", 7, "first of three")},
                                                          {9, Rec("apple", 3, "\x01\x02\xff binary")},
                                                          {12, Rec("fig", 7, "second")},
                                                          {20, Rec("date", 7, "third")}};
    WriteOldFile("ITEM.DB", TwoKeys(), items);
    WriteOldFile("Locked.DB", Spec(16, 1, {{1, 8, 0}}), {{1, Pad("SECRET", 16, '\0')}},
                 std::string(1, '\0') + "CHEF"); // owner required for everything
    { std::ofstream("NOTES.DB") << "some other program's file"; }
    ASSERT_EQ(Sqlite("OTHER.DB", "CREATE TABLE t(x)"), "");

    // An old program holds ITEM.DB open: nothing moves.
    sqlite3* holder = nullptr;
    ASSERT_EQ(sqlite3_open("ITEM.DB", &holder), SQLITE_OK);
    sqlite3_exec(holder, "BEGIN; SELECT count(*) FROM kr_rec", nullptr, nullptr, nullptr);
    std::vector<std::string> log;
    EXPECT_EQ(UpgradeFolder(".", log), B_FILE_INUSE);
    EXPECT_TRUE(std::filesystem::exists("ITEM.DB"));
    EXPECT_TRUE(std::filesystem::exists("Locked.DB"));
    EXPECT_FALSE(RecordFileExists("Locked.DB"));
    sqlite3_exec(holder, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(holder);

    log.clear();
    ASSERT_EQ(UpgradeFolder(".", log), 0) << (log.empty() ? "" : log.back());
    EXPECT_FALSE(std::filesystem::exists("ITEM.DB"));
    EXPECT_FALSE(std::filesystem::exists("Locked.DB"));
    EXPECT_TRUE(std::filesystem::exists("NOTES.DB"));
    EXPECT_TRUE(std::filesystem::exists("OTHER.DB"));

    File f;
    ASSERT_EQ(f.Open("item.db"), 0);
    // The specification, and the records in physical order with their positions.
    std::vector<uint8_t> stat, expected = TwoKeys();
    expected[6] = 4;
    ASSERT_EQ(f.Stat(stat), 0);
    EXPECT_EQ(stat, expected);
    std::vector<std::string> physical;
    for (int16_t s = f.Call(B_STEP_FIRST, 0); s == 0; s = f.Call(B_STEP_NEXT, 0))
        physical.push_back(f.Record());
    ASSERT_EQ(physical.size(), items.size());
    for (size_t i = 0; i < items.size(); ++i)
        EXPECT_EQ(physical[i], items[i].second);
    ASSERT_EQ(f.Call(B_GET_EQUAL, 0, "apple"), 0);
    uint32_t pos = 0;
    ASSERT_EQ(f.Position(pos), 0);
    EXPECT_EQ(pos, 9u);
    // Duplicates keep their order, and a new one joins the end of its group.
    ASSERT_EQ(f.Insert(Rec("kiwi", 7, "fourth")), 0);
    std::vector<std::string> sevens;
    for (int16_t s = f.Call(B_GET_EQUAL, 1, I32(7)); s == 0 && f.Record().substr(10, 4) == I32(7);
         s = f.Call(B_GET_NEXT, 1))
        sevens.push_back(f.Record().substr(0, 4));
    EXPECT_EQ(sevens, (std::vector<std::string>{std::string("pear"), std::string("fig\0", 4),
                                                std::string("date"), std::string("kiwi")}));

    // The owner still guards its file.
    File g;
    EXPECT_EQ(g.Open("LOCKED.DB"), B_INCORRECT_OWNER);
    ASSERT_EQ(g.Open("LOCKED.DB", 0, "CHEF"), 0);
    EXPECT_EQ(g.Call(B_GET_FIRST, 0), 0);
    EXPECT_EQ(g.Record(), Pad("SECRET", 16, '\0'));

    log.clear();
    EXPECT_EQ(UpgradeFolder(".", log), 0); // again: nothing to do
}

} // namespace
