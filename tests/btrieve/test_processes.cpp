// Several programs on one file: no lost write, no corruption, lock statuses; and a writer killed
// in the middle leaves a sound file holding every write it reported done.
#include "harness.h"

#include <gtest/gtest.h>

using namespace bt;
using namespace btr;

namespace {

class Processes : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(Create("SHARED.DB", KeySpec()), 0); }
    TempDir dir;
};

// Inserts n records named prefix+i, retrying while the file is busy; returns the failures.
int InsertMany(const std::string& prefix, int n) {
    File f;
    if (f.Open("SHARED.DB") != 0) return n;
    int failures = 0;
    for (int i = 0; i < n; ++i) {
        int16_t s;
        int tries = 0;
        do {
            s = f.Insert(Rec(prefix + std::to_string(i)));
        } while (s == B_FILE_INUSE && ++tries < 50);
        failures += s != 0;
    }
    return failures;
}

TEST_F(Processes, TwoWritersAtOnceLoseNothing) {
    constexpr int kEach = 1500;
    Program child([] { return InsertMany("C", kEach) == 0; });
    EXPECT_EQ(InsertMany("P", kEach), 0);
    EXPECT_TRUE(child.Exits());
    File f;
    ASSERT_EQ(f.Open("SHARED.DB"), 0);
    EXPECT_EQ(f.Count(), 2u * kEach);
    for (std::string p : {"P", "C"})
        for (int i = 0; i < kEach; i += 97)
            EXPECT_EQ(f.Call(B_GET_EQUAL, 0, K(p + std::to_string(i))), 0) << p << i;
    EXPECT_EQ(IntegrityCheck(FolderDb()), "ok");
}

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

// A reader that keeps its file open sees every write another program commits, at once: for a
// record read before, and for the records its Get Next reads ahead.
TEST_F(Processes, AnOpenReaderSeesOtherProgramsWritesAtOnce) {
    File f;
    ASSERT_EQ(f.Open("SHARED.DB"), 0);
    for (std::string k : {"A", "C", "E", "G", "I"})
        ASSERT_EQ(f.Insert(Rec(k)), 0);
    for (int round = 0; round < 2; ++round) // the second round reads within a shared snapshot
        ASSERT_EQ(f.Call(B_GET_EQUAL, 0, K("C")), 0);
    ASSERT_EQ(f.Call(B_GET_FIRST, 0), 0);
    ASSERT_EQ(f.Call(B_GET_NEXT, 0), 0); // C; the records after it are read ahead
    ASSERT_TRUE(InChild([] {
        File g;
        return g.Open("SHARED.DB") == 0 && g.Insert(Rec("D")) == 0 && g.Call(B_GET_EQUAL, 0, K("C")) == 0 &&
               g.Update(Rec("C", "changed")) == 0;
    }));
    EXPECT_EQ(f.Found(f.Call(B_GET_NEXT, 0), 1), "D");
    EXPECT_EQ(f.Found(f.Call(B_GET_EQUAL, 0, K("C")), 19), K("C") + "changed");
    EXPECT_EQ(f.Found(f.Call(B_GET_NEXT, 0), 1), "D");
    ASSERT_TRUE(InChild([] {
        File g;
        return g.Open("SHARED.DB") == 0 && g.Call(B_GET_EQUAL, 0, K("E")) == 0 && g.Delete() == 0;
    }));
    EXPECT_EQ(f.Found(f.Call(B_GET_NEXT, 0), 1), "G"); // E is gone
    EXPECT_EQ(f.Count(), 5u);
}

TEST_F(Processes, AWriterKilledMidwayLeavesASoundFile) {
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
    ASSERT_EQ(f.Close(), 0);
    Reset();
    EXPECT_EQ(IntegrityCheck(FolderDb()), "ok");
}

} // namespace
