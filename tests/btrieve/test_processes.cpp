// Several programs on one file: no lost write, no corruption, lock statuses; and a writer killed
// in the middle leaves a sound file holding every write it reported done.
#include "harness.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace bt;
using namespace btr;

namespace {

std::vector<uint8_t> KeySpec() {
    return Spec(32, 1, {{1, 12, 0}});
}
std::string Rec(const std::string& key) {
    return Pad(key, 12, ' ') + Pad("payload", 20, '.');
}

std::string IntegrityCheck(const std::string& path) {
    sqlite3* db = nullptr;
    std::string result = "open failed";
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &st, nullptr) == SQLITE_OK &&
            sqlite3_step(st) == SQLITE_ROW)
            result = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return result;
}

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
        if (s != 0) ++failures;
    }
    return failures;
}

TEST(Processes, TwoWritersAtOnceLoseNothing) {
    TempDir dir;
    ASSERT_EQ(Create("SHARED.DB", KeySpec()), 0);
    constexpr int kEach = 1500;
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) _exit(InsertMany("C", kEach) == 0 ? 0 : 1);
    int parentFailures = InsertMany("P", kEach);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(parentFailures, 0);

    File f;
    ASSERT_EQ(f.Open("SHARED.DB"), 0);
    EXPECT_EQ(f.Count(), 2u * kEach);
    for (std::string p : {"P", "C"})
        for (int i = 0; i < kEach; i += 97)
            EXPECT_EQ(f.Call(B_GET_EQUAL, 0, Pad(p + std::to_string(i), 12, ' ')), 0) << p << i;
    EXPECT_EQ(IntegrityCheck(FolderDb()), "ok");
}

TEST(Processes, AWriterHoldingATransactionLocksOthersOutWithAStatus) {
    TempDir dir;
    ASSERT_EQ(Create("SHARED.DB", KeySpec()), 0);
    int toChild[2], toParent[2];
    ASSERT_EQ(pipe(toChild), 0);
    ASSERT_EQ(pipe(toParent), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        File f;
        uint8_t pb[128] = {};
        char c = 'x';
        if (f.Open("SHARED.DB") != 0 || BTRCALL(B_BEGIN_TRAN, pb, nullptr, nullptr, nullptr, 0, 0) != 0 ||
            f.Insert(Rec("CHILD")) != 0)
            c = 'e';
        if (write(toParent[1], &c, 1) != 1 || read(toChild[0], &c, 1) != 1) _exit(2);
        _exit(BTRCALL(B_END_TRAN, pb, nullptr, nullptr, nullptr, 0, 0) == 0 ? 0 : 1);
    }
    char c = 0;
    ASSERT_EQ(read(toParent[0], &c, 1), 1);
    ASSERT_EQ(c, 'x');
    File f;
    ASSERT_EQ(f.Open("SHARED.DB"), 0);
    EXPECT_EQ(f.Insert(Rec("PARENT")), B_FILE_INUSE); // the other program holds the file
    EXPECT_EQ(f.Call(B_GET_EQUAL, 0, Pad("CHILD", 12, ' ')), B_KEY_VALUE_NOT_FOUND); // not yet committed
    c = 'g';
    ASSERT_EQ(write(toChild[1], &c, 1), 1);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(f.Insert(Rec("PARENT")), 0);
    EXPECT_EQ(f.Call(B_GET_EQUAL, 0, Pad("CHILD", 12, ' ')), 0);
    EXPECT_EQ(f.Count(), 2u);
}

// A reader that keeps its file open sees every write another program commits, at once: for a
// record read before, and for the records its Get Next reads ahead.
TEST(Processes, AnOpenReaderSeesOtherProgramsWritesAtOnce) {
    TempDir dir;
    ASSERT_EQ(Create("SHARED.DB", KeySpec()), 0);
    File f;
    ASSERT_EQ(f.Open("SHARED.DB"), 0);
    for (std::string k : {"A", "C", "E", "G", "I"})
        ASSERT_EQ(f.Insert(Rec(k)), 0);
    auto inChild = [](auto&& body) {
        pid_t child = fork();
        if (child == 0) _exit(body() ? 0 : 1);
        int status = 0;
        waitpid(child, &status, 0);
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    };
    for (int round = 0; round < 2; ++round) // the second round reads within a shared snapshot
        ASSERT_EQ(f.Call(B_GET_EQUAL, 0, Pad("C", 12, ' ')), 0);
    ASSERT_EQ(f.Call(B_GET_FIRST, 0), 0);
    ASSERT_EQ(f.Call(B_GET_NEXT, 0), 0); // C; the records after it are read ahead
    ASSERT_TRUE(inChild([] {
        File g;
        if (g.Open("SHARED.DB") != 0 || g.Insert(Rec("D")) != 0 ||
            g.Call(B_GET_EQUAL, 0, Pad("C", 12, ' ')) != 0)
            return false;
        return g.Update(Pad("C", 12, ' ') + Pad("changed", 20, '.')) == 0;
    }));
    ASSERT_EQ(f.Call(B_GET_NEXT, 0), 0);
    EXPECT_EQ(f.Record().substr(0, 1), "D");
    ASSERT_EQ(f.Call(B_GET_EQUAL, 0, Pad("C", 12, ' ')), 0);
    EXPECT_EQ(f.Record().substr(12, 7), "changed");
    ASSERT_EQ(f.Call(B_GET_NEXT, 0), 0);
    EXPECT_EQ(f.Record().substr(0, 1), "D");
    ASSERT_TRUE(inChild([] {
        File g;
        return g.Open("SHARED.DB") == 0 && g.Call(B_GET_EQUAL, 0, Pad("E", 12, ' ')) == 0 && g.Delete() == 0;
    }));
    ASSERT_EQ(f.Call(B_GET_NEXT, 0), 0);
    EXPECT_EQ(f.Record().substr(0, 1), "G"); // E is gone
    EXPECT_EQ(f.Count(), 5u);
}

TEST(Processes, AWriterKilledMidwayLeavesASoundFile) {
    TempDir dir;
    ASSERT_EQ(Create("SHARED.DB", KeySpec()), 0);
    int reports[2];
    ASSERT_EQ(pipe(reports), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(reports[0]);
        File f;
        if (f.Open("SHARED.DB") != 0) _exit(1);
        for (uint32_t i = 0;; ++i) {
            if (f.Insert(Rec("K" + std::to_string(i))) != 0) _exit(1);
            if (write(reports[1], &i, sizeof i) != sizeof i) // reported only once done
                _exit(1);
        }
    }
    close(reports[1]);
    uint32_t last = 0, got = 0;
    while (got < 400 && read(reports[0], &last, sizeof last) == sizeof last)
        ++got;
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    while (read(reports[0], &last, sizeof last) == sizeof last)
        ++got;
    close(reports[0]);
    ASSERT_GE(got, 400u);

    File f;
    ASSERT_EQ(f.Open("SHARED.DB"), 0);
    for (uint32_t i = 0; i < got; ++i)
        ASSERT_EQ(f.Call(B_GET_EQUAL, 0, Pad("K" + std::to_string(i), 12, ' ')), 0) << i;
    EXPECT_GE(f.Count(), got);
    EXPECT_EQ(f.Insert(Rec("AFTER")), 0);
    ASSERT_EQ(f.Close(), 0);
    uint8_t pb[128] = {};
    BTRCALL(B_RESET, pb, nullptr, nullptr, nullptr, 0, 0);
    EXPECT_EQ(IntegrityCheck(FolderDb()), "ok");
}

} // namespace
