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

std::string SeqSuffix(int64_t seq) {
    std::string s(8, '\0');
    for (int i = 7; i >= 0; --i, seq >>= 8)
        s[i] = static_cast<char>(seq & 0xFF);
    return s;
}

// Writes a record file as the earlier layout kept it: records with their ids, encoded keys
// (duplicates with their sequence), the specification, the sequence and the owner.
void WriteOldFile(const std::string& path, const std::vector<uint8_t>& rawSpec,
                  const std::vector<std::pair<int64_t, std::string>>& records,
                  const std::string& owner = {}) {
    FileSpec spec;
    ASSERT_EQ(ParseSpec(rawSpec.data(), static_cast<uint32_t>(rawSpec.size()), spec), 0);
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    std::string sql = "PRAGMA journal_mode=WAL;"
                      "CREATE TABLE kr_meta(name TEXT PRIMARY KEY, value) WITHOUT ROWID;"
                      "CREATE TABLE kr_rec(id INTEGER PRIMARY KEY, data BLOB NOT NULL";
    for (size_t i = 0; i < spec.keys.size(); ++i)
        sql += ", k" + std::to_string(i) + " BLOB";
    sql += ");";
    for (size_t i = 0; i < spec.keys.size(); ++i)
        sql += std::string("CREATE ") + (spec.keys[i].duplicates ? "" : "UNIQUE ") + "INDEX kr_k" +
               std::to_string(i) + " ON kr_rec(k" + std::to_string(i) + ");";
    ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_stmt* st = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db,
                                 "INSERT INTO kr_meta VALUES('format', 'kestrel-btrieve 1'), ('spec', ?1), "
                                 "('seq', ?2), ('owner', ?3)",
                                 -1, &st, nullptr),
              SQLITE_OK);
    sqlite3_bind_blob(st, 1, rawSpec.data(), static_cast<int>(rawSpec.size()), SQLITE_STATIC);
    sqlite3_bind_int64(st, 2, records.empty() ? 0 : records.back().first);
    if (owner.empty())
        sqlite3_bind_null(st, 3);
    else
        sqlite3_bind_blob(st, 3, owner.data(), static_cast<int>(owner.size()), SQLITE_STATIC);
    ASSERT_EQ(sqlite3_step(st), SQLITE_DONE);
    sqlite3_finalize(st);
    std::string ins = "INSERT INTO kr_rec VALUES(?1, ?2";
    for (size_t i = 0; i < spec.keys.size(); ++i)
        ins += ", ?" + std::to_string(i + 3);
    ASSERT_EQ(sqlite3_prepare_v2(db, (ins + ")").c_str(), -1, &st, nullptr), SQLITE_OK);
    for (auto& [id, data] : records) {
        sqlite3_bind_int64(st, 1, id);
        sqlite3_bind_blob(st, 2, data.data(), static_cast<int>(data.size()), SQLITE_TRANSIENT);
        for (size_t i = 0; i < spec.keys.size(); ++i) {
            auto key =
                EncodeRecordKey(spec.keys[i], reinterpret_cast<const uint8_t*>(data.data()), data.size());
            if (key && spec.keys[i].duplicates) *key += SeqSuffix(id);
            if (key)
                sqlite3_bind_blob(st, static_cast<int>(i) + 3, key->data(), static_cast<int>(key->size()),
                                  SQLITE_TRANSIENT);
            else
                sqlite3_bind_null(st, static_cast<int>(i) + 3);
        }
        ASSERT_EQ(sqlite3_step(st), SQLITE_DONE);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
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
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open("OTHER.DB", &other), SQLITE_OK);
    sqlite3_exec(other, "CREATE TABLE t(x)", nullptr, nullptr, nullptr);
    sqlite3_close(other);

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
    uint8_t stat[400] = {};
    uint32_t l = sizeof stat;
    uint8_t key[255];
    ASSERT_EQ(BTRCALL(B_STAT, f.pb, stat, &l, key, 255, 0), 0);
    std::vector<uint8_t> expected = TwoKeys();
    expected[6] = 4;
    EXPECT_EQ(std::vector<uint8_t>(stat, stat + l), expected);
    std::vector<std::string> physical;
    for (int16_t s = f.Call(B_STEP_FIRST, 0); s == 0; s = f.Call(B_STEP_NEXT, 0))
        physical.push_back(f.Record());
    ASSERT_EQ(physical.size(), items.size());
    for (size_t i = 0; i < items.size(); ++i)
        EXPECT_EQ(physical[i], items[i].second);
    ASSERT_EQ(f.Call(B_GET_EQUAL, 0, "apple"), 0);
    uint8_t pos[4];
    l = 4;
    ASSERT_EQ(BTRCALL(B_GET_POSITION, f.pb, pos, &l, f.key, 255, 0), 0);
    EXPECT_EQ(pos[0], 9);
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
