// Nothing stored is lost or torn: a program killed while it commits, files replaced or removed
// while in use, two programs updating one record, threads, hostile schemas, forks, read-only
// media, and readers that sit idle.
#include "harness.h"

#include "btrieve/files.h"
#include "btrieve/store.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <set>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace bt;
using namespace btr;

namespace {

std::vector<uint8_t> KeySpec() {
    return Spec(32, 1, {{1, 12, KF_MODIFIABLE}});
}
std::string Rec(const std::string& key, const std::string& payload = "payload") {
    return Pad(key, 12, ' ') + Pad(payload, 20, '.');
}

int16_t Tx(uint16_t op) {
    uint8_t pb[128] = {};
    return BTRCALL(op, pb, nullptr, nullptr, nullptr, 0, 0);
}

void Reset() {
    uint8_t pb[128] = {};
    BTRCALL(B_RESET, pb, nullptr, nullptr, nullptr, 0, 0); // lets every pooled connection go
}

::testing::AssertionResult ExitedWith(pid_t child, int code) {
    int status = 0;
    if (waitpid(child, &status, 0) != child) return ::testing::AssertionFailure() << "no such child";
    if (!WIFEXITED(status)) return ::testing::AssertionFailure() << "killed by signal " << WTERMSIG(status);
    if (WEXITSTATUS(status) != code)
        return ::testing::AssertionFailure() << "exit status " << WEXITSTATUS(status);
    return ::testing::AssertionSuccess();
}

std::vector<std::string> Keys(const std::string& name) {
    File f;
    std::vector<std::string> keys;
    if (f.Open(name) != 0) return {"open failed"};
    for (int16_t s = f.Call(B_GET_FIRST, 0); s == 0; s = f.Call(B_GET_NEXT, 0))
        keys.push_back(f.Record().substr(0, 12));
    return keys;
}

int32_t Counter(File& f) {
    int32_t v = -1;
    std::memcpy(&v, f.buf.data() + 12, 4);
    return v;
}

std::string CounterRec(int32_t v) {
    return Pad("COUNTER", 12, ' ') + I32(v) + std::string(16, '.');
}

TEST(Durability, AKillAtAnyInstantLeavesATransactionOverTwoFilesWholeOrAbsent) {
    TempDir dir;
    ASSERT_EQ(Create("A.DB", KeySpec()), 0);
    ASSERT_EQ(Create("B.DB", KeySpec()), 0);
    std::mt19937 rng(1106);
    size_t committed = 0;
    for (int run = 0; run < 30; ++run) {
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            File a, b;
            if (a.Open("A.DB") != 0 || b.Open("B.DB") != 0) _exit(1);
            for (int t = 0;; ++t) {
                if (Tx(B_BEGIN_TRAN) != 0) _exit(1);
                for (int j = 0; j < 40; ++j) {
                    std::string k = std::to_string(run) + "-" + std::to_string(t) + "-" + std::to_string(j);
                    if (a.Insert(Rec(k)) != 0 || b.Insert(Rec(k)) != 0) _exit(1);
                }
                if (Tx(B_END_TRAN) != 0) _exit(1);
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(3000 + rng() % 40000));
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself in run " << run;
        std::vector<std::string> a = Keys("A.DB"), b = Keys("B.DB");
        ASSERT_EQ(a, b) << "run " << run;
        ASSERT_EQ(a.size() % 40, 0u) << "run " << run;
        committed = a.size();
    }
    EXPECT_GT(committed, 0u);
}

TEST(Durability, NoFileIsReplacedOrRemovedWhileAnyProgramHasItOpen) {
    TempDir dir;
    ASSERT_EQ(Create("T.DB", KeySpec()), 0);
    {
        File f;
        ASSERT_EQ(f.Open("T.DB"), 0);
        ASSERT_EQ(f.Insert(Rec("FIRST")), 0);
        EXPECT_FALSE(RemoveRecordFile("T.DB", "TEMP", "TMP")); // this program's own handle counts too
    }
    int toChild[2], toParent[2];
    ASSERT_EQ(pipe(toChild), 0);
    ASSERT_EQ(pipe(toParent), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        File f;
        char c = f.Open("t.db") == 0 ? 'o' : 'e';
        if (write(toParent[1], &c, 1) != 1 || read(toChild[0], &c, 1) != 1) _exit(2);
        _exit(f.Insert(Rec("CHILD")) == 0 && f.Close() == 0 ? 0 : 1);
    }
    char c = 0;
    ASSERT_EQ(read(toParent[0], &c, 1), 1);
    ASSERT_EQ(c, 'o');
    EXPECT_EQ(Create("T.DB", KeySpec()), B_FILE_INUSE);
    EXPECT_FALSE(RemoveRecordFile("T.DB", "TEMP", "TMP"));
    EXPECT_TRUE(RecordFileExists("T.DB"));
    ASSERT_EQ(write(toChild[1], &c, 1), 1);
    ASSERT_TRUE(ExitedWith(child, 0));
    // The other program's write went into the file everybody sees.
    EXPECT_EQ(Keys("T.DB"), (std::vector<std::string>{Pad("CHILD", 12), Pad("FIRST", 12)}));

    // A program that dies holding the file open does not keep it in use.
    child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        File f;
        c = f.Open("T.DB") == 0 ? 'o' : 'e';
        if (write(toParent[1], &c, 1) != 1) _exit(2);
        pause();
        _exit(0);
    }
    ASSERT_EQ(read(toParent[0], &c, 1), 1);
    EXPECT_EQ(Create("T.DB", KeySpec()), B_FILE_INUSE);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    EXPECT_EQ(Create("T.DB", KeySpec()), 0);
    EXPECT_TRUE(Keys("T.DB").empty());
    EXPECT_TRUE(RemoveRecordFile("T.DB", "TEMP", "TMP"));
    EXPECT_FALSE(RecordFileExists("T.DB"));
    File f;
    EXPECT_EQ(f.Open("T.DB"), B_FILE_NOT_FOUND);
}

TEST(Durability, ReplacingAndRemovingAreTransactional) {
    TempDir dir;
    ASSERT_EQ(Create("KEEP.DB", KeySpec()), 0);
    ASSERT_EQ(Create("GONE.DB", KeySpec()), 0);
    {
        File k, g;
        ASSERT_EQ(k.Open("KEEP.DB"), 0);
        ASSERT_EQ(g.Open("GONE.DB"), 0);
        ASSERT_EQ(k.Insert(Rec("OLD")), 0);
        ASSERT_EQ(g.Insert(Rec("OLD")), 0);
    }
    ASSERT_EQ(Tx(B_BEGIN_TRAN), 0);
    ASSERT_EQ(Create("KEEP.DB", KeySpec()), 0);
    EXPECT_TRUE(RemoveRecordFile("GONE.DB", nullptr, nullptr));
    {
        File k;
        ASSERT_EQ(k.Open("KEEP.DB"), 0);
        EXPECT_EQ(k.Count(), 0u); // inside, the new file
        ASSERT_EQ(k.Insert(Rec("NEW")), 0);
    }
    ASSERT_EQ(Tx(B_ABORT_TRAN), 0);
    EXPECT_EQ(Keys("KEEP.DB"), std::vector<std::string>{Pad("OLD", 12)});
    EXPECT_EQ(Keys("GONE.DB"), std::vector<std::string>{Pad("OLD", 12)});

    ASSERT_EQ(Tx(B_BEGIN_TRAN), 0);
    ASSERT_EQ(Create("KEEP.DB", KeySpec()), 0);
    {
        File k;
        ASSERT_EQ(k.Open("KEEP.DB"), 0);
        ASSERT_EQ(k.Insert(Rec("NEW")), 0);
    }
    EXPECT_TRUE(RemoveRecordFile("GONE.DB", nullptr, nullptr));
    ASSERT_EQ(Tx(B_END_TRAN), 0);
    EXPECT_EQ(Keys("KEEP.DB"), std::vector<std::string>{Pad("NEW", 12)});
    EXPECT_FALSE(RecordFileExists("GONE.DB"));
}

TEST(Durability, AnUpdateOrDeleteOfARecordChangedSinceItWasReadAnswersConflict) {
    TempDir dir;
    ASSERT_EQ(Create("C.DB", KeySpec()), 0);
    File f, g;
    ASSERT_EQ(f.Open("C.DB"), 0);
    ASSERT_EQ(g.Open("C.DB"), 0);
    ASSERT_EQ(f.Insert(CounterRec(0)), 0);
    ASSERT_EQ(f.Call(B_GET_EQUAL, 0, Pad("COUNTER", 12)), 0);
    ASSERT_EQ(g.Call(B_GET_EQUAL, 0, Pad("COUNTER", 12)), 0);
    ASSERT_EQ(g.Update(CounterRec(1)), 0);
    EXPECT_EQ(f.Update(CounterRec(1)), B_CONFLICT);
    EXPECT_EQ(f.Delete(), B_CONFLICT);
    ASSERT_EQ(g.Update(CounterRec(2)), 0); // its own update does not stand in its way
    ASSERT_EQ(f.Call(B_GET_EQUAL, 0, Pad("COUNTER", 12)), 0);
    EXPECT_EQ(Counter(f), 2);
    ASSERT_EQ(f.Update(CounterRec(3)), 0);
    ASSERT_EQ(f.Delete(), 0);
    EXPECT_EQ(g.Update(CounterRec(4)), B_CONFLICT); // deleted since
    EXPECT_EQ(f.Count(), 0u);

    // Three programs counting on one record without locks: every increment counts.
    ASSERT_EQ(f.Insert(CounterRec(0)), 0);
    constexpr int kEach = 2000;
    std::vector<pid_t> children;
    for (int p = 0; p < 3; ++p) {
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            File h;
            if (h.Open("C.DB") != 0) _exit(1);
            for (int i = 0; i < kEach;) {
                if (h.Call(B_GET_EQUAL, 0, Pad("COUNTER", 12)) != 0) _exit(1);
                int16_t s = h.Update(CounterRec(Counter(h) + 1));
                if (s == 0)
                    ++i;
                else if (s != B_CONFLICT && s != B_FILE_INUSE)
                    _exit(1);
            }
            _exit(0);
        }
        children.push_back(child);
    }
    for (pid_t child : children)
        EXPECT_TRUE(ExitedWith(child, 0));
    ASSERT_EQ(f.Call(B_GET_EQUAL, 0, Pad("COUNTER", 12)), 0);
    EXPECT_EQ(Counter(f), 3 * kEach);
}

TEST(Durability, ThreadsOpeningWhileOthersRemoveAndCreate) {
    TempDir dir;
    ASSERT_EQ(Create("STAY.DB", KeySpec()), 0);
    std::atomic<bool> bad{false};
    std::thread churn([&] {
        for (int i = 0; i < 200; ++i) {
            int16_t s = Create("GO.DB", KeySpec());
            if (s != 0 && s != B_FILE_INUSE) bad = true;
            RemoveRecordFile("GO.DB", nullptr, nullptr);
        }
    });
    std::thread readers([&] {
        for (int i = 0; i < 400; ++i) {
            File f;
            int16_t s = f.Open(i % 2 ? "GO.DB" : "STAY.DB");
            if (s != 0 && s != B_FILE_NOT_FOUND && s != B_FILE_INUSE) bad = true;
            if (s == 0 && f.Insert(Rec(std::to_string(i))) != 0) bad = true;
        }
    });
    churn.join();
    readers.join();
    EXPECT_FALSE(bad);
    EXPECT_EQ(Keys("STAY.DB").size(), 200u);
}

// More folders than the pool keeps idle: a folder just opened is never the one let go.
TEST(Durability, FilesInManyFoldersOneAfterAnother) {
    TempDir dir;
    for (int round = 0; round < 2; ++round) {
        for (int i = 0; i < 40; ++i) {
            std::string sub = "f" + std::to_string(i);
            std::filesystem::create_directory(sub);
            if (round == 0) {
                ASSERT_EQ(Create(sub + "/T.DB", KeySpec()), 0);
            }
            File f;
            ASSERT_EQ(f.Open(sub + "/T.DB"), 0) << sub;
            ASSERT_EQ(f.Insert(Rec("R" + std::to_string(round))), 0) << sub;
            EXPECT_EQ(f.Count(), round + 1u);
        }
    }
}

TEST(Durability, AHostileSchemaIsRefusedAtOpenOrStoppedByTheDeadline) {
    TempDir dir;
    ASSERT_EQ(Create("T.DB", KeySpec()), 0);
    Reset();
    std::string table = RecordTable("T.DB");
    ASSERT_FALSE(table.empty());
    auto plant = [&] {
        sqlite3* db = nullptr;
        EXPECT_EQ(sqlite3_open(FolderDb().c_str(), &db), SQLITE_OK);
        std::string sql =
            "CREATE VIEW spin AS WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) "
            "SELECT x FROM c;"
            "CREATE TRIGGER hang BEFORE INSERT ON " +
            table + " BEGIN SELECT count(*) FROM spin; END;";
        EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
        sqlite3_close(db);
    };
    plant();
    auto start = std::chrono::steady_clock::now();
    {
        File f;
        EXPECT_EQ(f.Open("T.DB"), B_NOT_A_BTRIEVE_FILE);
    }
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(FolderDb().c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "DROP TRIGGER hang; DROP VIEW spin", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);

    // Planted while the file is open: the deadline stops the statement.
    SetStatementDeadline(std::chrono::milliseconds(300));
    File f;
    ASSERT_EQ(f.Open("T.DB"), 0);
    plant();
    EXPECT_NE(f.Insert(Rec("X")), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    SetStatementDeadline(std::chrono::milliseconds(10000));
}

TEST(Durability, AChildForkedDuringATransactionStartsClean) {
    TempDir dir;
    ASSERT_EQ(Create("T.DB", KeySpec()), 0);
    File f;
    ASSERT_EQ(f.Open("T.DB"), 0);
    ASSERT_EQ(Tx(B_BEGIN_TRAN), 0);
    ASSERT_EQ(f.Insert(Rec("PARENT")), 0);
    int go[2];
    ASSERT_EQ(pipe(go), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        char c;
        if (read(go[0], &c, 1) != 1) _exit(2);
        if (f.Insert(Rec("INHERITED")) != B_FILE_NOT_OPEN || Tx(B_END_TRAN) != B_END_TRANSACTION_ERROR)
            _exit(3);
        File g;
        if (g.Open("T.DB") != 0 || g.Call(B_GET_EQUAL, 0, Pad("PARENT", 12)) != 0) _exit(4);
        _exit(g.Insert(Rec("CHILD")) == 0 ? 0 : 5);
    }
    ASSERT_EQ(Tx(B_END_TRAN), 0);
    char c = 'g';
    ASSERT_EQ(write(go[1], &c, 1), 1);
    EXPECT_TRUE(ExitedWith(child, 0));
    EXPECT_EQ(Keys("T.DB"), (std::vector<std::string>{Pad("CHILD", 12), Pad("PARENT", 12)}));
}

// A folder that can be made read-only: a small mount when running as root (who may write
// anywhere else), otherwise a folder without write permission.
struct ReadOnlyFolder {
    bool mounted = false;
    bool usable = true;
    ReadOnlyFolder() {
        std::filesystem::create_directory("ro");
        if (geteuid() == 0) usable = mounted = ::mount("tmpfs", "ro", "tmpfs", 0, "size=4m") == 0;
    }
    bool MakeReadOnly() {
        return mounted ? ::mount(nullptr, "ro", nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0
                       : ::chmod("ro", 0555) == 0;
    }
    ~ReadOnlyFolder() {
        Reset();
        if (mounted)
            ::umount("ro");
        else
            ::chmod("ro", 0755);
    }
};

TEST(Durability, ARecordFileOnReadOnlyMediaOpensForReading) {
    TempDir dir;
    ReadOnlyFolder ro;
    if (!ro.usable) GTEST_SKIP() << "running as root without the right to mount a read-only folder";
    ASSERT_EQ(Create("ro/T.DB", KeySpec()), 0);
    {
        File f;
        ASSERT_EQ(f.Open("ro/T.DB"), 0);
        ASSERT_EQ(f.Insert(Rec("KEPT")), 0);
    }
    Reset();
    ASSERT_TRUE(ro.MakeReadOnly());
    {
        File f;
        ASSERT_EQ(f.Open("ro/T.DB"), 0);
        ASSERT_EQ(f.Call(B_GET_EQUAL, 0, Pad("KEPT", 12)), 0);
        EXPECT_EQ(f.Count(), 1u);
        EXPECT_EQ(f.Insert(Rec("NEW")), B_ACCESS_TO_FILE_DENIED);
        EXPECT_EQ(f.Update(Rec("KEPT", "changed")), B_ACCESS_TO_FILE_DENIED);
        EXPECT_EQ(Create("ro/U.DB", KeySpec()), B_CREATE_IO_ERROR);
    }
}

TEST(Durability, AnIdleOpenReaderDoesNotPinTheLog) {
    TempDir dir;
    ASSERT_EQ(Create("T.DB", KeySpec()), 0);
    File f;
    ASSERT_EQ(f.Open("T.DB"), 0);
    for (std::string k : {"A", "B", "C", "D"})
        ASSERT_EQ(f.Insert(Rec(k)), 0);
    ASSERT_EQ(f.Call(B_GET_FIRST, 0), 0);
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(f.Call(B_GET_NEXT, 0), 0); // reads that share a snapshot; then this reader idles
    constexpr int kRecords = 200000;
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        File g;
        if (g.Open("T.DB") != 0) _exit(1);
        for (int i = 0; i < kRecords; i += 500) {
            if (Tx(B_BEGIN_TRAN) != 0) _exit(1);
            for (int j = i; j < i + 500; ++j)
                if (g.Insert(Rec("W" + std::to_string(j))) != 0) _exit(1);
            if (Tx(B_END_TRAN) != 0) _exit(1);
        }
        _exit(0);
    }
    ASSERT_TRUE(ExitedWith(child, 0));
    std::error_code ec;
    auto wal = std::filesystem::file_size(FolderDb() + "-wal", ec);
    EXPECT_LT(wal, 12u << 20) << "the log grew while a reader sat idle";
    EXPECT_EQ(f.Count(), kRecords + 4u);
    ASSERT_EQ(f.Call(B_GET_EQUAL, 0, Pad("W199999", 12)), 0);
}

} // namespace
