// Several programs on one file, on both stores: no lost write, no corruption, every commit seen
// at once by an open reader; and a writer killed in the middle leaves a sound file holding every
// write it reported done.
#include "harness.h"
#include "pg_cluster.h"

#include <gtest/gtest.h>

using namespace bt;
using namespace btr;

namespace {

const auto* g_cluster = ::testing::AddGlobalTestEnvironment(new PgCluster);

class Processes : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(Create("SHARED.DB", KeySpec()), 0); }
    TempDir dir;
};

// The cases that hold on either store: the folder's SQLite database, and a server schema.
class BothStores : public Processes, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override {
        if (server()) {
            KR_REQUIRE_SERVER();
            UseServer(dir.path());
        }
        Processes::SetUp();
    }
    void TearDown() override {
        Reset();
        if (server())
            EXPECT_FALSE(std::filesystem::exists(FolderDb())); // never fell back to the folder's database
        else
            EXPECT_EQ(IntegrityCheck(FolderDb()), "ok");
    }
    bool server() const { return GetParam(); }
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

// On SQLite a transaction holds the whole file until it ends.
TEST_F(Processes, AWriterHoldingATransactionLocksOthersOutWithAStatus) {
    Program child([](Program& p) {
        File f;
        bool ok = f.Open("SHARED.DB") == 0 && Tx(B_BEGIN_TRAN) == 0 && f.Insert(Rec("CHILD")) == 0;
        return ok && p.Send("x") && p.Receive() == "g" && Tx(B_END_TRAN) == 0;
    });
    ASSERT_EQ(child.Receive(), "x");
    File f;
    ASSERT_EQ(f.Open("SHARED.DB"), 0);
    EXPECT_EQ(f.Insert(Rec("PARENT")), B_FILE_INUSE);                     // the other program holds the file
    EXPECT_EQ(f.Call(B_GET_EQUAL, 0, K("CHILD")), B_KEY_VALUE_NOT_FOUND); // not yet committed
    ASSERT_TRUE(child.Send("g"));
    EXPECT_TRUE(child.Exits());
    EXPECT_EQ(f.Insert(Rec("PARENT")), 0);
    EXPECT_EQ(f.Call(B_GET_EQUAL, 0, K("CHILD")), 0);
    EXPECT_EQ(f.Count(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Stores, BothStores, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& i) {
                             return i.param ? "Server" : "Sqlite";
                         });

} // namespace
