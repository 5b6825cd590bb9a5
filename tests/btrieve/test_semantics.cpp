// The record manager's behaviour, driven through BTRCALL only.
#include "harness.h"
#include "pg_cluster.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sqlite3.h>

using namespace bt;
using namespace btr;

namespace {

// 32-byte records: a 10-byte string key 0 (unique, modifiable), a 4-byte integer key 1 with
// duplicates at 11, and a 20-byte payload.
std::vector<uint8_t> TwoKeySpec(uint16_t key0Flags = KF_MODIFIABLE,
                                uint16_t key1Flags = KF_DUPLICATES | KF_MODIFIABLE) {
    return Spec(
        34, 2,
        {{1, 10, key0Flags}, {11, 4, static_cast<uint16_t>(key1Flags | KF_EXTENDED_TYPE), KT_INTEGER}});
}
std::string Rec(const std::string& name, int32_t n, const std::string& payload = "") {
    return Pad(name, 10, '\0') + I32(n) + Pad(payload, 20, '.');
}
std::string NameOf(const std::string& rec) {
    return std::string(rec.c_str());
}
// The name of the record a call found, or its status.
std::string Got(File& f, int16_t status) {
    return NameOf(f.Found(status, 10));
}

class SemanticsBase : public ::testing::Test {
protected:
    TempDir dir;
    File f;
    void Make(std::vector<uint8_t> spec = TwoKeySpec()) {
        ASSERT_EQ(Create("T.DB", std::move(spec)), 0);
        ASSERT_EQ(f.Open("T.DB"), 0);
    }
    std::vector<std::string> Walk(int8_t key, bool forward) {
        std::vector<std::string> out;
        int16_t s = f.Call(forward ? B_GET_FIRST : B_GET_LAST, key);
        while (s == 0) {
            out.push_back(f.Record());
            s = f.Call(forward ? B_GET_NEXT : B_GET_PREVIOUS, key);
        }
        EXPECT_EQ(s, B_END_OF_FILE);
        return out;
    }
    std::vector<std::string> Names(int8_t key, bool forward) {
        std::vector<std::string> out;
        for (auto& r : Walk(key, forward)) {
            int32_t n;
            std::memcpy(&n, r.data() + 10, 4);
            out.push_back(NameOf(r) + ":" + std::to_string(n));
        }
        return out;
    }
};

// Every case runs on both stores: the folder's SQLite database, and a server schema.
class Semantics : public SemanticsBase, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override {
        if (!GetParam()) return;
        KR_REQUIRE_SERVER();
        UseServer(dir.path());
    }
    void TearDown() override {
        // The server's cases never fell back to the folder's own database.
        if (GetParam()) {
            EXPECT_FALSE(std::filesystem::exists(FolderDb(dir.path().string())));
        }
    }
    // A further folder for a case, on the same store.
    void Also(const TempDir& sub) {
        if (GetParam()) UseServer(sub.path());
    }
};
// Cases that reach into the SQLite database itself.
class SqliteSemantics : public SemanticsBase {};

const auto* g_cluster = ::testing::AddGlobalTestEnvironment(new PgCluster);

TEST_P(Semantics, StringKeysOrderByUnsignedBytesAndRangeGets) {
    Make();
    for (std::string n : {"b", "a", "\xE9t\xE9", "c", "B"})
        ASSERT_EQ(f.Insert(Rec(n, 1)), 0);
    std::vector<std::string> expect = {"B:1", "a:1", "b:1", "c:1", "\xE9t\xE9:1"};
    EXPECT_EQ(Names(0, true), expect);
    EXPECT_EQ(Names(0, false), std::vector<std::string>(expect.rbegin(), expect.rend()));
    // What each Get finds, or its status; the key buffer holds the key found.
    auto get = [&](uint16_t op, const std::string& key) {
        std::string got = Got(f, f.Call(op, 0, key));
        return got.size() == 1 && f.Key(10) != Pad(got, 10, '\0') ? "key buffer " + f.Key(10) : got;
    };
    EXPECT_EQ(get(B_GET_EQUAL, "b"), "b");
    EXPECT_EQ(get(B_GET_EQUAL, "bb"), St(B_KEY_VALUE_NOT_FOUND));
    EXPECT_EQ(get(B_GET_GE, "bb"), "c");
    EXPECT_EQ(get(B_GET_GE, "b"), "b");
    EXPECT_EQ(get(B_GET_GREATER, "b"), "c");
    EXPECT_EQ(get(B_GET_LESS, "b"), "a");
    EXPECT_EQ(get(B_GET_LE, "b"), "b");
    EXPECT_EQ(get(B_GET_LESS, "B"), St(B_END_OF_FILE));
    EXPECT_EQ(get(B_GET_GREATER, "\xFF"), St(B_END_OF_FILE));
    EXPECT_EQ(get(B_GET_GE, "\xF0"), St(B_END_OF_FILE));
    // A Get after a range Get continues from the record found.
    EXPECT_EQ(f.Call(B_GET_GE, 0, "aa"), 0);
    EXPECT_EQ(Got(f, f.Call(B_GET_NEXT, 0)), "c");
}

TEST_P(Semantics, IntegerKeysOfEveryWidthOrderNumerically) {
    for (uint16_t width : {1, 2, 4, 8}) {
        SCOPED_TRACE(width);
        TempDir sub;
        Also(sub);
        ASSERT_EQ(Create("I.DB", Spec(16, 1, {{3, width, KF_EXTENDED_TYPE | KF_DUPLICATES, KT_INTEGER}})), 0);
        File g;
        ASSERT_EQ(g.Open("I.DB"), 0);
        std::vector<int64_t> values = {5, -1, 0, 100, -100, 1, -2, 127, -128};
        for (int64_t v : values) {
            std::string rec(16, '\0');
            std::memcpy(&rec[2], &v, width); // little-endian, truncated to the width
            ASSERT_EQ(g.Insert(rec), 0);
        }
        std::vector<int64_t> got;
        for (int16_t s = g.Call(B_GET_FIRST, 0); s == 0; s = g.Call(B_GET_NEXT, 0)) {
            int64_t v = 0;
            std::memcpy(&v, g.buf.data() + 2, width);
            got.push_back(v << (64 - 8 * width) >> (64 - 8 * width)); // sign-extended
        }
        EXPECT_EQ(got, (std::vector<int64_t>{-128, -100, -2, -1, 0, 1, 5, 100, 127}));
    }
}

TEST_P(Semantics, DateKeysOrderByYearMonthDayAndSegmentsInTurn) {
    // key 0: date at 1; key 1: a string segment then an integer segment.
    Make(Spec(12, 2,
              {{1, 4, KF_EXTENDED_TYPE | KF_DUPLICATES, KT_DATE},
               {5, 3, KF_SEGMENTED | KF_DUPLICATES},
               {8, 2, KF_EXTENDED_TYPE | KF_DUPLICATES, KT_INTEGER}}));
    auto date = [](int d, int m, int y, const std::string& s, int16_t n) {
        std::string r(12, '\0');
        r[0] = static_cast<char>(d), r[1] = static_cast<char>(m);
        r[2] = static_cast<char>(y & 0xFF), r[3] = static_cast<char>(y >> 8);
        std::memcpy(&r[4], s.data(), 3);
        std::memcpy(&r[7], &n, 2);
        return r;
    };
    ASSERT_EQ(f.Insert(date(1, 2, 2005, "BBB", 2)), 0);
    ASSERT_EQ(f.Insert(date(31, 12, 1999, "AAA", 9)), 0);
    ASSERT_EQ(f.Insert(date(2, 1, 2005, "BBB", -3)), 0);
    ASSERT_EQ(f.Insert(date(1, 1, 2037, "AAA", -1)), 0);
    std::vector<std::string> byDate;
    for (auto& r : Walk(0, true))
        byDate.push_back(std::to_string(uint8_t(r[0])) + "/" + std::to_string(uint8_t(r[1])));
    EXPECT_EQ(byDate, (std::vector<std::string>{"31/12", "2/1", "1/2", "1/1"}));
    std::vector<int> bySeg;
    for (auto& r : Walk(1, true)) {
        int16_t n;
        std::memcpy(&n, &r[7], 2);
        bySeg.push_back(n);
    }
    EXPECT_EQ(bySeg, (std::vector<int>{-1, 9, -3, 2}));
    // Get Equal on the whole segmented key value.
    std::string k = "BBB" + std::string("\x02\x00", 2);
    ASSERT_EQ(f.Call(B_GET_EQUAL, 1, k), 0);
    EXPECT_EQ(f.Record(), date(1, 2, 2005, "BBB", 2));
}

TEST_P(Semantics, DuplicatesKeepInsertionOrderBothWaysAndAcrossATurn) {
    Make();
    for (auto [n, v] :
         std::vector<std::pair<std::string, int>>{{"d1", 7}, {"x", 3}, {"d2", 7}, {"d3", 7}, {"y", 9}})
        ASSERT_EQ(f.Insert(Rec(n, v)), 0);
    EXPECT_EQ(Names(1, true), (std::vector<std::string>{"x:3", "d1:7", "d2:7", "d3:7", "y:9"}));
    EXPECT_EQ(Names(1, false), (std::vector<std::string>{"y:9", "d3:7", "d2:7", "d1:7", "x:3"}));
    // Get Equal finds the first duplicate, Get LE the last.
    EXPECT_EQ(Got(f, f.Call(B_GET_LE, 1, I32(7))), "d3");
    EXPECT_EQ(Got(f, f.Call(B_GET_EQUAL, 1, I32(7))), "d1");
    // Next, next, then back: the turn returns to the duplicate before.
    std::string turn;
    for (uint16_t op : {B_GET_NEXT, B_GET_NEXT, B_GET_PREVIOUS, B_GET_PREVIOUS})
        turn += Got(f, f.Call(op, 1)) + " ";
    EXPECT_EQ(turn, "d2 d3 d2 d1 ");
    // A duplicate whose value changes joins the end of its new group.
    ASSERT_EQ(f.Call(B_GET_EQUAL, 0, "x"), 0);
    ASSERT_EQ(f.Update(Rec("x", 7)), 0);
    ASSERT_EQ(f.Call(B_GET_EQUAL, 0, "d1"), 0);
    ASSERT_EQ(f.Update(Rec("d1", 7, "changed payload")), 0); // same value: keeps its place
    EXPECT_EQ(Names(1, true), (std::vector<std::string>{"d1:7", "d2:7", "d3:7", "x:7", "y:9"}));
}

TEST_P(Semantics, CurrencyAfterInsertUpdateDeleteAndKeyOnlyGets) {
    Make();
    EXPECT_EQ(f.Call(B_GET_NEXT, 0), B_POSITION_NOT_SET); // nothing established yet
    EXPECT_EQ(f.Call(B_GET_PREVIOUS, 0), B_POSITION_NOT_SET);
    EXPECT_EQ(f.Update(Rec("a", 1)), B_POSITION_NOT_SET);
    EXPECT_EQ(f.Delete(), B_POSITION_NOT_SET);
    for (std::string n : {"a", "c", "e", "g"})
        ASSERT_EQ(f.Insert(Rec(n, 1)), 0);
    // Insert makes the new record current on the key given.
    ASSERT_EQ(f.Insert(Rec("d", 1)), 0);
    EXPECT_EQ(f.Key(10), Pad("d", 10, '\0'));
    EXPECT_EQ(Got(f, f.Call(B_GET_NEXT, 0)), "e");
    EXPECT_EQ(f.Call(B_GET_NEXT, 1), B_DIFFERENT_KEYNUMBER);
    // Update keeps the position; a moved key decides what comes next.
    ASSERT_EQ(f.Call(B_GET_EQUAL, 0, "c"), 0);
    ASSERT_EQ(f.Update(Rec("f", 1)), 0);
    EXPECT_EQ(Got(f, f.Call(B_GET_NEXT, 0)), "g");
    ASSERT_EQ(f.Call(B_GET_EQUAL, 0, "f"), 0);
    EXPECT_EQ(Got(f, f.Call(B_GET_PREVIOUS, 0)), "e");
    // Delete leaves the logical neighbours where they were.
    ASSERT_EQ(f.Call(B_GET_EQUAL, 0, "e"), 0);
    ASSERT_EQ(f.Delete(), 0);
    EXPECT_EQ(f.Delete(), B_POSITION_NOT_SET);
    EXPECT_EQ(Got(f, f.Call(B_GET_NEXT, 0)), "f");
    ASSERT_EQ(f.Call(B_GET_EQUAL, 0, "f"), 0);
    ASSERT_EQ(f.Delete(), 0);
    EXPECT_EQ(Got(f, f.Call(B_GET_PREVIOUS, 0)), "d");

    // A key-only Get positions without a current record; Next still works from it.
    ASSERT_EQ(f.Call(B_GET_EQUAL + kKeyOnlyBias, 0, "a"), 0);
    EXPECT_EQ(f.Key(10), Pad("a", 10, '\0'));
    EXPECT_EQ(f.Update(Rec("a", 2)), B_POSITION_NOT_SET);
    EXPECT_EQ(f.Delete(), B_POSITION_NOT_SET);
    ASSERT_EQ(f.Call(B_GET_NEXT + kKeyOnlyBias, 0), 0);
    EXPECT_EQ(f.Key(10), Pad("d", 10, '\0'));
    EXPECT_EQ(f.Call(B_GET_EQUAL + kKeyOnlyBias, 0, "zz"), B_KEY_VALUE_NOT_FOUND);
}

TEST_P(Semantics, PhysicalCurrencyPositionAndDirect) {
    Make();
    for (std::string n : {"m", "b", "x"})
        ASSERT_EQ(f.Insert(Rec(n, 1)), 0);
    EXPECT_EQ(f.Call(B_STEP_NEXT, 0), B_END_OF_FILE); // nothing follows the record just inserted
    ASSERT_EQ(f.Call(B_STEP_FIRST, 0), 0);
    std::vector<std::string> phys = {NameOf(f.Record())};
    while (f.Call(B_STEP_NEXT, 0) == 0)
        phys.push_back(NameOf(f.Record()));
    EXPECT_EQ(phys.size(), 3u);
    EXPECT_EQ(Got(f, f.Call(B_STEP_LAST, 0)), phys.back());
    EXPECT_EQ(Got(f, f.Call(B_STEP_PREVIOUS, 0)), phys[1]);
    EXPECT_EQ(f.Call(B_GET_NEXT, 0), B_POSITION_NOT_SET); // a Step sets no logical currency

    // Get Position and Get Direct round trip, and Direct sets logical currency on its key.
    ASSERT_EQ(f.Call(B_GET_EQUAL, 0, "m"), 0);
    uint32_t pos = 0;
    ASSERT_EQ(f.Position(pos), 0);
    EXPECT_EQ(f.len, 4u);
    ASSERT_EQ(f.Call(B_GET_FIRST, 0), 0);
    EXPECT_EQ(Got(f, f.Direct(pos)), "m");
    EXPECT_EQ(f.Key(10), Pad("m", 10, '\0'));
    EXPECT_EQ(Got(f, f.Call(B_GET_NEXT, 0)), "x");
    EXPECT_EQ(f.Direct(999999), B_INVALID_RECORD_ADDRESS);
    ASSERT_EQ(f.Call(B_GET_EQUAL + kKeyOnlyBias, 0, "m"), 0);
    EXPECT_EQ(f.Position(pos), B_POSITION_NOT_SET);
}

TEST_P(Semantics, WritesThatMustNotHappen) {
    Make(TwoKeySpec(0 /* key 0 neither duplicate nor modifiable */));
    ASSERT_EQ(f.Insert(Rec("a", 1)), 0);
    ASSERT_EQ(f.Insert(Rec("b", 2)), 0);
    EXPECT_EQ(f.Insert(Rec("a", 3, "other")), B_DUPLICATE_KEY_VALUE);
    EXPECT_EQ(f.Count(), 2u);
    ASSERT_EQ(f.Call(B_GET_EQUAL, 0, "b"), 0);
    EXPECT_EQ(f.Update(Rec("c", 2)), B_MODIFIABLE_KEYVALUE_ERROR);
    ASSERT_EQ(f.Update(Rec("b", 5, "new")), 0); // other fields may change
    ASSERT_EQ(f.Call(B_GET_EQUAL, 0, "b"), 0);
    EXPECT_EQ(f.Record(), Rec("b", 5, "new"));
    EXPECT_EQ(f.Call(B_GET_EQUAL, 0, "c"), B_KEY_VALUE_NOT_FOUND);

    // Unique key clash on update: nothing written.
    File g;
    ASSERT_EQ(Create("U.DB", TwoKeySpec()), 0);
    ASSERT_EQ(g.Open("U.DB"), 0);
    ASSERT_EQ(g.Insert(Rec("a", 1)), 0);
    ASSERT_EQ(g.Insert(Rec("b", 1)), 0);
    EXPECT_EQ(g.Update(Rec("a", 4)), B_DUPLICATE_KEY_VALUE);
    ASSERT_EQ(g.Call(B_GET_EQUAL, 0, "b"), 0);
    EXPECT_EQ(g.Record(), Rec("b", 1));

    // Lengths: a fixed-length record must come whole.
    EXPECT_EQ(g.Insert(Rec("z", 1).substr(0, 20)), B_DATALENGTH_ERROR);
    EXPECT_EQ(g.Insert(Rec("z", 1) + "extra"), B_DATALENGTH_ERROR);
    EXPECT_EQ(g.Count(), 2u);
    EXPECT_EQ(g.Call(B_GET_FIRST, 0, {}, 10), B_DATALENGTH_ERROR);
}

TEST_P(Semantics, VariableLengthRecords) {
    Make(Spec(16, 1, {{1, 8, KF_MODIFIABLE}}, kFileVariableLength));
    std::string notes(3000, 'n');
    std::string rec = Pad("NOTE", 16, '\0') + notes;
    ASSERT_EQ(f.Insert(rec), 0);
    ASSERT_EQ(f.Insert(Pad("BARE", 16, '\0')), 0);
    EXPECT_EQ(f.Insert(Pad("SHORT", 10, '\0')), B_DATALENGTH_ERROR); // shorter than the fixed part
    ASSERT_EQ(f.Call(B_GET_EQUAL, 0, "NOTE"), 0);
    EXPECT_EQ(f.Record(), rec);
    ASSERT_EQ(f.Call(B_GET_EQUAL, 0, "BARE"), 0);
    EXPECT_EQ(f.len, 16u);
    // A short buffer returns what fits, with 22, and the position is taken.
    ASSERT_EQ(f.Call(B_GET_EQUAL, 0, "BARE", 100), 0);
    EXPECT_EQ(f.Call(B_GET_EQUAL, 0, "NOTE", 100), B_DATALENGTH_ERROR);
    EXPECT_EQ(f.Record(), rec.substr(0, 100));
    // Update may change the length.
    ASSERT_EQ(f.Call(B_GET_EQUAL, 0, "NOTE"), 0);
    ASSERT_EQ(f.Update(Pad("NOTE", 16, '\0') + "short"), 0);
    ASSERT_EQ(f.Call(B_GET_EQUAL, 0, "NOTE"), 0);
    EXPECT_EQ(f.len, 21u);
}

TEST_P(Semantics, StatReturnsTheSpecificationWithTheRecordCount) {
    std::vector<uint8_t> spec = Spec(34, 2,
                                     {{1, 6, KF_SEGMENTED | KF_DUPLICATES},
                                      {7, 4, KF_DUPLICATES | KF_EXTENDED_TYPE, KT_INTEGER},
                                      {11, 8, KF_MODIFIABLE}},
                                     kFileVariableLength);
    Make(spec);
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(f.Insert(Pad("ABCDEF", 10, '\0') + Pad(std::to_string(i), 24, '\0')), 0);
    std::vector<uint8_t> stat, expected = spec;
    expected[6] = 3;
    ASSERT_EQ(f.Stat(stat, 400), 0);
    EXPECT_EQ(stat, expected);
    EXPECT_EQ(f.Stat(stat, 20), B_DATALENGTH_ERROR); // too short for the key segments
}

TEST_P(Semantics, CreateValidatesAndReplaces) {
    EXPECT_EQ(Create("A.DB", Spec(34, 1, {{30, 10, 0}})), B_INVALID_KEY_POSITION);
    EXPECT_EQ(Create("A.DB", Spec(34, 1, {{1, 3, KF_EXTENDED_TYPE, KT_INTEGER}})), B_INVALID_KEYLENGTH);
    EXPECT_EQ(Create("A.DB", Spec(34, 1, {{1, 4, KF_EXTENDED_TYPE, 42}})), B_INVALID_EXT_KEY_TYPE);
    EXPECT_EQ(Create("A.DB", Spec(34, 1, {{1, 4, 0}}, 0, 1000)), B_PAGE_SIZE_ERROR);
    EXPECT_EQ(Create("A.DB", Spec(34, 2, {{1, 4, 0}})), B_DATALENGTH_ERROR); // a key without segments
    EXPECT_EQ(Create("A.DB", Spec(34, 1, {{1, 4, KF_SEGMENTED | KF_DUPLICATES}, {5, 4, 0}})),
              B_INCONSISTENT_KEY_FLAGS);
    EXPECT_FALSE(std::filesystem::exists("A.DB"));
    Make();
    ASSERT_EQ(f.Insert(Rec("a", 1)), 0);
    EXPECT_EQ(Create("T.DB", TwoKeySpec()), B_FILE_INUSE); // open files are not replaced
    ASSERT_EQ(f.Close(), 0);
    EXPECT_EQ(Create("T.DB", TwoKeySpec(), kCreateNoReplace), B_FILE_ALREADY_EXISTS);
    ASSERT_EQ(Create("t.db", TwoKeySpec()), 0); // replaces T.DB, letters in any case
    EXPECT_FALSE(std::filesystem::exists("t.db"));
    ASSERT_EQ(f.Open("T.DB"), 0);
    EXPECT_EQ(f.Count(), 0u);
    File g;
    EXPECT_EQ(g.Open("MISSING.DB"), B_FILE_NOT_FOUND);
    EXPECT_EQ(g.Open(""), B_FILENAME_BAD);
}

TEST_P(Semantics, PositionBlocksAreValidatedNeverTrusted) {
    Make();
    uint8_t junk[128];
    std::memset(junk, 0xAB, sizeof junk);
    uint32_t l = static_cast<uint32_t>(f.buf.size());
    EXPECT_EQ(BTRCALL(B_GET_FIRST, junk, f.buf.data(), &l, f.key, 255, 0), B_FILE_NOT_OPEN);
    EXPECT_EQ(BTRCALL(B_GET_FIRST, nullptr, f.buf.data(), &l, f.key, 255, 0), B_FILE_NOT_OPEN);
    uint8_t copy[128];
    std::memcpy(copy, f.pb, 128);
    ASSERT_EQ(f.Close(), 0);
    EXPECT_EQ(BTRCALL(B_GET_FIRST, copy, f.buf.data(), &l, f.key, 255, 0), B_FILE_NOT_OPEN); // stale copy
    EXPECT_EQ(f.Close(), B_FILE_NOT_OPEN);
    ASSERT_EQ(f.Open("T.DB"), 0);
    EXPECT_EQ(f.Call(B_GET_FIRST, 2), B_INVALID_KEYNUMBER);
    EXPECT_EQ(f.Call(B_GET_FIRST, -1), B_INVALID_KEYNUMBER);
    l = static_cast<uint32_t>(f.buf.size());
    EXPECT_EQ(BTRCALL(B_GET_FIRST, f.pb, f.buf.data(), &l, f.key, 5, 0), B_KEY_BUFFER_TOO_SHORT);
    EXPECT_EQ(BTRCALL(B_GET_FIRST, f.pb, f.buf.data(), nullptr, f.key, 255, 0), B_DATALENGTH_ERROR);
    EXPECT_EQ(BTRCALL(99, f.pb, f.buf.data(), &l, f.key, 255, 0), B_INVALID_FUNCTION);
    EXPECT_EQ(BTRCALL(B_INSERT + 100, f.pb, f.buf.data(), &l, f.key, 255, 0), B_INVALID_FUNCTION);
    EXPECT_EQ(BTRCALL(B_EXTEND, f.pb, f.buf.data(), &l, f.key, 255, 0), B_INVALID_FUNCTION);
}

TEST_F(SqliteSemantics, FilesThatAreNotOursGiveAStatus) {
    { std::ofstream("TEXT.DB") << "not a record file at all"; }
    { std::ofstream("EMPTY.DB"); }
    ASSERT_EQ(Sqlite("OTHER.DB", "CREATE TABLE t(x)"), "");
    std::filesystem::create_directory("DIR.DB");
    for (const char* name : {"TEXT.DB", "EMPTY.DB", "OTHER.DB"}) {
        SCOPED_TRACE(name);
        File g;
        EXPECT_EQ(g.Open(name), B_NOT_A_BTRIEVE_FILE);
    }
    File g;
    EXPECT_EQ(g.Open("DIR.DB"), B_FILENAME_BAD);
    EXPECT_EQ(std::filesystem::file_size("EMPTY.DB"), 0u); // looked at, not changed
    // A damaged record file: a record shorter than the fixed part.
    Make();
    ASSERT_EQ(f.Insert(Rec("a", 1)), 0);
    ASSERT_EQ(f.Close(), 0);
    Reset();
    ASSERT_EQ(Sqlite(FolderDb(), "UPDATE " + RecordTable("T.DB") + " SET data = x'00'"), "");
    ASSERT_EQ(f.Open("T.DB"), 0);
    EXPECT_EQ(f.Call(B_GET_FIRST, 0), B_IO_ERROR);
    EXPECT_EQ(f.Call(B_STEP_FIRST, 0), B_IO_ERROR);
}

TEST_P(Semantics, TransactionsGroupWritesAcrossFiles) {
    Make();
    ASSERT_EQ(Create("S.DB", TwoKeySpec()), 0);
    File g;
    ASSERT_EQ(g.Open("S.DB"), 0);
    EXPECT_EQ(Tx(B_END_TRAN), B_END_TRANSACTION_ERROR);
    ASSERT_EQ(Tx(B_BEGIN_TRAN), 0);
    EXPECT_EQ(Tx(B_BEGIN_TRAN), B_TRANSACTION_IS_ACTIVE);
    ASSERT_EQ(f.Insert(Rec("a", 1)), 0);
    ASSERT_EQ(g.Insert(Rec("b", 1)), 0);
    ASSERT_EQ(f.Call(B_GET_EQUAL, 0, "a"), 0); // its own writes are visible inside
    ASSERT_EQ(Tx(B_ABORT_TRAN), 0);
    EXPECT_EQ(f.Count(), 0u);
    EXPECT_EQ(g.Count(), 0u);

    ASSERT_EQ(Tx(B_BEGIN_TRAN), 0);
    ASSERT_EQ(f.Insert(Rec("a", 1)), 0);
    EXPECT_EQ(f.Insert(Rec("a", 2)), B_DUPLICATE_KEY_VALUE); // a failed write inside spoils nothing
    ASSERT_EQ(g.Insert(Rec("b", 1)), 0);
    ASSERT_EQ(Tx(B_END_TRAN), 0);
    EXPECT_EQ(f.Count(), 1u);
    EXPECT_EQ(g.Count(), 1u);
    EXPECT_EQ(Tx(B_ABORT_TRAN), B_END_TRANSACTION_ERROR);
}

// Two handles on one file (named in any case) keep their own currency. Without locks, a write on
// a record another handle or program changed since it was read answers a conflict; a handle's own
// writes never stand in its way.
TEST_P(Semantics, HandlesStayApartAndAWriteOnARecordChangedSinceItWasReadAnswersConflict) {
    Make();
    ASSERT_EQ(f.Insert(Rec("a", 1)), 0);
    ASSERT_EQ(f.Insert(Rec("b", 1)), 0);
    File g;
    ASSERT_EQ(g.Open("t.Db"), 0);
    EXPECT_EQ(g.Count(), 2u);
    ASSERT_EQ(f.Call(B_GET_FIRST, 0), 0);
    ASSERT_EQ(g.Call(B_GET_LAST, 0), 0);
    EXPECT_EQ(Got(f, f.Call(B_GET_NEXT, 0)), "b");
    EXPECT_EQ(Got(g, g.Call(B_GET_PREVIOUS, 0)), "a");
    ASSERT_EQ(f.Call(B_GET_EQUAL, 0, "a"), 0);
    ASSERT_EQ(g.Update(Rec("a", 1, "g1")), 0);
    EXPECT_EQ(f.Update(Rec("a", 1, "f")), B_CONFLICT);
    EXPECT_EQ(f.Delete(), B_CONFLICT);
    ASSERT_EQ(g.Update(Rec("a", 1, "g2")), 0);
    ASSERT_EQ(f.Call(B_GET_EQUAL, 0, "a"), 0);
    ASSERT_TRUE(InChild([] {
        File h;
        return h.Open("T.DB") == 0 && h.Call(B_GET_EQUAL, 0, "a") == 0 &&
               h.Update(Rec("a", 1, "theirs")) == 0;
    }));
    EXPECT_EQ(f.Update(Rec("a", 1, "f")), B_CONFLICT);
    EXPECT_EQ(f.Delete(), B_CONFLICT);
    ASSERT_EQ(f.Call(B_GET_EQUAL, 0, "a"), 0);
    EXPECT_EQ(f.Record(), Rec("a", 1, "theirs"));
    ASSERT_EQ(f.Update(Rec("a", 1, "f")), 0);
    ASSERT_EQ(f.Delete(), 0);
    EXPECT_EQ(g.Update(Rec("a", 1, "g3")), B_CONFLICT); // deleted since
    EXPECT_EQ(f.Count(), 1u);
}

TEST_P(Semantics, OwnersAndOpenModes) {
    Make();
    ASSERT_EQ(f.Insert(Rec("a", 1)), 0);
    std::string owner = "CHEF";
    std::string ownerKey = Pad(owner, 255, '\0');
    uint32_t l = 4;
    ASSERT_EQ(BTRCALL(B_SET_OWNER, f.pb, owner.data(), &l, ownerKey.data(), 255, 1), 0);
    EXPECT_EQ(BTRCALL(B_SET_OWNER, f.pb, owner.data(), &l, ownerKey.data(), 255, 1), B_OWNER_ALREADY_SET);
    File ro;
    ASSERT_EQ(ro.Open("T.DB"), 0); // mode 1: reading allowed without the owner name
    EXPECT_EQ(ro.Call(B_GET_FIRST, 0), 0);
    EXPECT_EQ(ro.Insert(Rec("b", 1)), B_ACCESS_TO_FILE_DENIED);
    File rw;
    ASSERT_EQ(rw.Open("T.DB", 0, owner), 0);
    EXPECT_EQ(rw.Insert(Rec("b", 1)), 0);
    l = 0;
    ASSERT_EQ(BTRCALL(B_CLEAR_OWNER, rw.pb, nullptr, &l, nullptr, 0, 0), 0);
    File any;
    ASSERT_EQ(any.Open("T.DB"), 0);
    EXPECT_EQ(any.Insert(Rec("c", 1)), 0);

    File readOnly;
    ASSERT_EQ(readOnly.Open("T.DB", kOpenReadOnly), 0);
    EXPECT_EQ(readOnly.Insert(Rec("d", 1)), B_ACCESS_TO_FILE_DENIED);
    File excl;
    EXPECT_EQ(excl.Open("T.DB", kOpenExclusive), B_FILE_INUSE);
    uint8_t v[5];
    l = 5;
    EXPECT_EQ(BTRCALL(B_VERSION, nullptr, v, &l, nullptr, 0, 0), 0);
    EXPECT_EQ(BTRCALL(B_UNLOCK, f.pb, nullptr, &l, nullptr, 0, 0), 0);
}

INSTANTIATE_TEST_SUITE_P(Stores, Semantics, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& i) {
                             return i.param ? "Server" : "Sqlite";
                         });

} // namespace
