// Several programs on one file, on both stores: no lost write, no corruption, every commit seen
// at once by an open reader, what a transaction wrote held until it ends; and a writer killed in
// the middle leaves a sound file holding every write it reported done.
#include "harness.h"
#include "pg_cluster.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace bt;
using namespace btr;

namespace {

const auto* g_cluster = ::testing::AddGlobalTestEnvironment(new PgCluster);

// Every case runs on both stores: the folder's SQLite database, and a server schema.
class BothStores : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        if (server()) {
            KR_REQUIRE_SERVER();
            UseServer(dir.path());
        }
        ASSERT_EQ(Create("SHARED.DB", KeySpec()), 0);
    }
    void TearDown() override {
        Reset();
        if (server())
            EXPECT_FALSE(std::filesystem::exists(FolderDb())); // never fell back to the folder's database
        else
            EXPECT_EQ(Sqlite(FolderDb(), "PRAGMA integrity_check"), "ok");
    }
    bool server() const { return GetParam(); }
    TempDir dir;
};

TEST_P(BothStores, TwoWritersAtOnceLoseNothingAndClashOnOneKeyWithAStatus) {
    constexpr int kEach = 1500;
    // The SQLite file is busy while the other writes: that answer is retried.
    auto insertMany = [&](const std::string& prefix) {
        File f;
        if (f.Open("SHARED.DB") != 0) return kEach;
        int failures = 0;
        for (int i = 0; i <= kEach; ++i) {
            bool both = i == kEach; // both insert this key: exactly one of them gets it
            int16_t s;
            int tries = 0;
            do {
                s = f.Insert(Rec(both ? "BOTH" : prefix + std::to_string(i)));
            } while (s == B_FILE_INUSE && !server() && ++tries < 50);
            failures += s != 0 && !(both && s == B_DUPLICATE_KEY_VALUE);
        }
        return failures;
    };
    Program child([&] { return insertMany("C") == 0; });
    EXPECT_EQ(insertMany("P"), 0);
    EXPECT_TRUE(child.Exits());
    File f;
    ASSERT_EQ(f.Open("SHARED.DB"), 0);
    EXPECT_EQ(f.Count(), 2u * kEach + 1);
    EXPECT_EQ(Keys("SHARED.DB").size(), 2u * kEach + 1);
    for (std::string p : {"P", "C"})
        for (int i = 0; i < kEach; i += 97)
            EXPECT_EQ(f.Call(B_GET_EQUAL, 0, K(p + std::to_string(i))), 0) << p << i;
}

// A reader that keeps its file open sees another program's commit on its very next call: for a
// record read before, and for the records a scan reads ahead.
TEST_P(BothStores, AnOpenReaderSeesAnotherProgramsCommitOnItsNextCall) {
    File f;
    ASSERT_EQ(f.Open("SHARED.DB"), 0);
    constexpr int kRounds = 40;
    for (int i = 0; i <= 2 * kRounds + 2; i += 2)
        ASSERT_EQ(f.Insert(Rec(Numbered("K", i))), 0);
    // The other program writes what this one asks for, one command at a time, and answers each.
    Program other([](Program& p) {
        File g;
        if (g.Open("SHARED.DB") != 0 || !p.Send("o")) return false;
        for (std::string cmd; (cmd = p.Receive(6)).size() == 6;) {
            std::string k = cmd.substr(1);
            bool done = cmd[0] == 'i' ? g.Insert(Rec(k)) == 0
                                      : g.Call(B_GET_EQUAL, 0, K(k)) == 0 &&
                                            (cmd[0] == 'u' ? g.Update(Rec(k, "changed")) : g.Delete()) == 0;
            if (!p.Send(done ? "o" : "e")) return false;
        }
        return true;
    });
    auto ask = [&](char op, const std::string& k) { return other.Send(op + k) && other.Receive() == "o"; };
    ASSERT_EQ(other.Receive(), "o");
    for (int round = 0; round < 2; ++round) // the second round reads within a shared snapshot
        ASSERT_EQ(f.Call(B_GET_EQUAL, 0, K("K0002")), 0);
    ASSERT_TRUE(ask('u', "K0002"));
    EXPECT_EQ(f.Found(f.Call(B_GET_EQUAL, 0, K("K0002")), 19), K("K0002") + "changed");
    // Get Next: a record inserted just ahead, and one deleted just ahead.
    ASSERT_EQ(f.Call(B_GET_FIRST, 0), 0);
    for (int i = 0; i < kRounds; i += 2) {
        ASSERT_TRUE(ask('i', Numbered("K", 2 * i + 1)));
        ASSERT_EQ(f.Found(f.Call(B_GET_NEXT, 0), 5), Numbered("K", 2 * i + 1));
        ASSERT_TRUE(ask('d', Numbered("K", 2 * i + 2)));
        ASSERT_EQ(f.Found(f.Call(B_GET_NEXT, 0), 5), Numbered("K", 2 * i + 4));
    }
    // Step Next: a record deleted just ahead is never served.
    std::vector<std::string> stored;
    for (int16_t s = f.Call(B_STEP_FIRST, 0); s == 0; s = f.Call(B_STEP_NEXT, 0))
        stored.push_back(f.Record().substr(0, 5));
    ASSERT_EQ(f.Call(B_STEP_FIRST, 0), 0);
    for (size_t i = 0; i + 2 < stored.size(); i += 2) {
        ASSERT_TRUE(ask('d', stored[i + 1]));
        ASSERT_EQ(f.Found(f.Call(B_STEP_NEXT, 0), 5), stored[i + 2]);
    }
    EXPECT_EQ(f.Count(), stored.size() - (stored.size() - 1) / 2);
}

TEST_P(BothStores, AWriterKilledMidwayLeavesASoundFile) {
    Program writer([](Program& p) {
        File f;
        if (f.Open("SHARED.DB") != 0) return false;
        for (int i = 0;; ++i) // each write is reported only once done
            if (f.Insert(Rec("K" + std::to_string(i))) != 0 || !p.Send("d")) return false;
    });
    uint32_t got = 0;
    while (got < 400 && writer.Receive() == "d")
        ++got;
    EXPECT_TRUE(writer.Kill());
    while (writer.Receive() == "d")
        ++got;
    ASSERT_GE(got, 400u);

    File f;
    ASSERT_EQ(f.Open("SHARED.DB"), 0);
    for (uint32_t i = 0; i < got; ++i)
        ASSERT_EQ(f.Call(B_GET_EQUAL, 0, K("K" + std::to_string(i))), 0) << i;
    EXPECT_GE(f.Count(), got);
    EXPECT_EQ(f.Insert(Rec("AFTER")), 0);
}

// A program inside a transaction holds what it wrote until it ends the transaction or dies: on
// SQLite the whole file, on the server the keys it wrote. Its files stay in use meanwhile.
TEST_P(BothStores, AProgramInsideATransactionHoldsItsWritesUntilItEndsOrDies) {
    ASSERT_EQ(Create("OTHER.DB", KeySpec()), 0);
    File f;
    ASSERT_EQ(f.Open("SHARED.DB"), 0);
    for (bool dies : {false, true}) {
        SCOPED_TRACE(dies ? "killed" : "committed");
        const std::string held = dies ? "KILLED" : "COMMITTED";
        Program other([&](Program& p) {
            File s, o;
            if (s.Open("SHARED.DB") != 0 || o.Open("OTHER.DB") != 0 || Tx(B_BEGIN_TRAN) != 0 ||
                s.Insert(Rec(held)) != 0 || o.Insert(Rec(held)) != 0 || !p.Send("x"))
                return false;
            return p.Receive() == "c" && Tx(B_END_TRAN) == 0;
        });
        ASSERT_EQ(other.Receive(), "x");
        // A clash on the held key answers within the busy timeout; nothing uncommitted is seen.
        auto started = std::chrono::steady_clock::now();
        EXPECT_EQ(f.Insert(Rec(held)), B_FILE_INUSE);
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(3));
        EXPECT_EQ(f.Call(B_GET_EQUAL, 0, K(held)), B_KEY_VALUE_NOT_FOUND);
        EXPECT_EQ(f.Insert(Rec("P" + held)), server() ? 0 : B_FILE_INUSE);
        if (server()) {
            // Inside this program's transaction the clash spoils nothing before or after it.
            ASSERT_EQ(Tx(B_BEGIN_TRAN), 0);
            EXPECT_EQ(f.Insert(Rec("1" + held)), 0);
            EXPECT_EQ(f.Insert(Rec(held)), B_FILE_INUSE);
            EXPECT_EQ(f.Insert(Rec("2" + held)), 0);
            EXPECT_EQ(Tx(B_END_TRAN), 0);
            EXPECT_EQ(f.Call(B_GET_EQUAL, 0, K("1" + held)), 0);
            EXPECT_EQ(f.Call(B_GET_EQUAL, 0, K("2" + held)), 0);
        }
        EXPECT_EQ(Create("OTHER.DB", KeySpec()), B_FILE_INUSE); // open in the other program
        if (dies) {
            EXPECT_TRUE(other.Kill());
        } else {
            ASSERT_TRUE(other.Send("c"));
            EXPECT_TRUE(other.Exits());
        }
        // A dead program's transaction is rolled back and its files let go (the server may take a
        // moment to notice).
        int16_t s = B_FILE_INUSE;
        for (int i = 0; i < 100 && s == B_FILE_INUSE; ++i) {
            s = f.Insert(Rec(held));
            if (s == B_FILE_INUSE) std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        EXPECT_EQ(s, dies ? 0 : B_DUPLICATE_KEY_VALUE);
        if (!server()) {
            EXPECT_EQ(f.Insert(Rec("P" + held)), 0);
        }
        EXPECT_EQ(Keys("OTHER.DB"), dies ? std::vector<std::string>{} : std::vector<std::string>{K(held)});
        EXPECT_EQ(Create("OTHER.DB", KeySpec()), 0);
    }
    EXPECT_EQ(f.Count(), server() ? 8u : 4u);
}

INSTANTIATE_TEST_SUITE_P(Stores, BothStores, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& i) {
                             return i.param ? "Server" : "Sqlite";
                         });

} // namespace
