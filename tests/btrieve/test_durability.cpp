// Nothing stored is lost or torn: a program killed while it commits, files replaced or removed
// while in use, programs counting on one record, threads, hostile schemas, forks, read-only
// media, and readers that sit idle.
#include "harness.h"

#include "btrieve/files.h"
#include "btrieve/store.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <sys/mount.h>
#include <sys/stat.h>
#include <thread>

using namespace bt;
using namespace btr;

namespace {

const std::vector<uint8_t> kSpec = KeySpec(KF_MODIFIABLE);

class Durability : public ::testing::Test {
protected:
    TempDir dir;
};

TEST_F(Durability, AKillAtAnyInstantLeavesATransactionOverTwoFilesWholeOrAbsent) {
    ASSERT_EQ(Create("A.DB", kSpec), 0);
    ASSERT_EQ(Create("B.DB", kSpec), 0);
    std::mt19937 rng(1106);
    size_t committed = 0;
    for (int run = 0; run < 30; ++run) {
        Program writer([run] {
            File a, b;
            if (a.Open("A.DB") != 0 || b.Open("B.DB") != 0) return false;
            for (int t = 0;; ++t) {
                if (Tx(B_BEGIN_TRAN) != 0) return false;
                for (int j = 0; j < 40; ++j) {
                    std::string k = std::to_string(run) + "-" + std::to_string(t) + "-" + std::to_string(j);
                    if (a.Insert(Rec(k)) != 0 || b.Insert(Rec(k)) != 0) return false;
                }
                if (Tx(B_END_TRAN) != 0) return false;
            }
        });
        std::this_thread::sleep_for(std::chrono::microseconds(3000 + rng() % 40000));
        ASSERT_TRUE(writer.Kill()) << "the writer stopped by itself in run " << run;
        std::vector<std::string> a = Keys("A.DB"), b = Keys("B.DB");
        ASSERT_EQ(a, b) << "run " << run;
        ASSERT_EQ(a.size() % 40, 0u) << "run " << run;
        committed = a.size();
    }
    EXPECT_GT(committed, 0u);
}

TEST_F(Durability, NoFileIsReplacedOrRemovedWhileAnyProgramHasItOpen) {
    ASSERT_EQ(Create("T.DB", kSpec), 0);
    {
        File f;
        ASSERT_EQ(f.Open("T.DB"), 0);
        ASSERT_EQ(f.Insert(Rec("FIRST")), 0);
        EXPECT_FALSE(RemoveRecordFile("T.DB", "TEMP", "TMP")); // this program's own handle counts too
    }
    Program other([](Program& p) {
        File f;
        if (f.Open("t.db") == 0 && p.Send("o") && p.Receive() == "g" && f.Insert(Rec("CHILD")) == 0 &&
            p.Send("w"))
            pause();
        return false;
    });
    ASSERT_EQ(other.Receive(), "o");
    EXPECT_EQ(Create("T.DB", kSpec), B_FILE_INUSE);
    EXPECT_FALSE(RemoveRecordFile("T.DB", "TEMP", "TMP"));
    EXPECT_TRUE(RecordFileExists("T.DB"));
    ASSERT_TRUE(other.Send("g"));
    ASSERT_EQ(other.Receive(), "w");
    // The other program's write went into the file everybody sees.
    EXPECT_EQ(Keys("T.DB"), (std::vector<std::string>{K("CHILD"), K("FIRST")}));
    EXPECT_EQ(Create("T.DB", kSpec), B_FILE_INUSE);
    // A program that dies holding the file open does not keep it in use.
    EXPECT_TRUE(other.Kill());
    EXPECT_EQ(Create("T.DB", kSpec), 0);
    EXPECT_TRUE(Keys("T.DB").empty());
    EXPECT_TRUE(RemoveRecordFile("T.DB", "TEMP", "TMP"));
    EXPECT_FALSE(RecordFileExists("T.DB"));
    File f;
    EXPECT_EQ(f.Open("T.DB"), B_FILE_NOT_FOUND);
}

TEST_F(Durability, ReplacingAndRemovingAreTransactional) {
    for (const char* name : {"KEEP.DB", "GONE.DB"}) {
        ASSERT_EQ(Create(name, kSpec), 0);
        File f;
        ASSERT_EQ(f.Open(name), 0);
        ASSERT_EQ(f.Insert(Rec("OLD")), 0);
    }
    for (bool commit : {false, true}) {
        SCOPED_TRACE(commit ? "committed" : "aborted");
        ASSERT_EQ(Tx(B_BEGIN_TRAN), 0);
        ASSERT_EQ(Create("KEEP.DB", kSpec), 0);
        EXPECT_TRUE(RemoveRecordFile("GONE.DB", nullptr, nullptr));
        {
            File k;
            ASSERT_EQ(k.Open("KEEP.DB"), 0);
            EXPECT_EQ(k.Count(), 0u); // inside, the new file
            ASSERT_EQ(k.Insert(Rec("NEW")), 0);
        }
        ASSERT_EQ(Tx(commit ? B_END_TRAN : B_ABORT_TRAN), 0);
        EXPECT_EQ(Keys("KEEP.DB"), std::vector<std::string>{K(commit ? "NEW" : "OLD")});
        EXPECT_EQ(RecordFileExists("GONE.DB"), !commit);
        if (!commit) {
            EXPECT_EQ(Keys("GONE.DB"), std::vector<std::string>{K("OLD")});
        }
    }
}

// Without locks: a write on a record changed since it was read answers a conflict, so a program
// that reads again and retries never loses another's increment.
TEST_F(Durability, ThreeProgramsCountingOnOneRecordLoseNoIncrement) {
    ASSERT_EQ(Create("C.DB", kSpec), 0);
    auto counter = [](int32_t v) { return K("COUNTER") + I32(v) + std::string(16, '.'); };
    auto value = [](File& f) {
        int32_t v = -1;
        std::memcpy(&v, f.buf.data() + 12, 4);
        return v;
    };
    File f;
    ASSERT_EQ(f.Open("C.DB"), 0);
    ASSERT_EQ(f.Insert(counter(0)), 0);
    constexpr int kEach = 2000;
    std::vector<std::unique_ptr<Program>> programs;
    for (int p = 0; p < 3; ++p)
        programs.push_back(std::make_unique<Program>([&] {
            File h;
            if (h.Open("C.DB") != 0) return false;
            for (int i = 0; i < kEach;) {
                if (h.Call(B_GET_EQUAL, 0, K("COUNTER")) != 0) return false;
                int16_t s = h.Update(counter(value(h) + 1));
                if (s == 0)
                    ++i;
                else if (s != B_CONFLICT && s != B_FILE_INUSE)
                    return false;
            }
            return true;
        }));
    for (auto& p : programs)
        EXPECT_TRUE(p->Exits());
    ASSERT_EQ(f.Call(B_GET_EQUAL, 0, K("COUNTER")), 0);
    EXPECT_EQ(value(f), 3 * kEach);
}

TEST_F(Durability, ThreadsOpeningWhileOthersRemoveAndCreate) {
    ASSERT_EQ(Create("STAY.DB", kSpec), 0);
    std::atomic<bool> bad{false};
    std::thread churn([&] {
        for (int i = 0; i < 200; ++i) {
            int16_t s = Create("GO.DB", kSpec);
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
TEST_F(Durability, FilesInManyFoldersOneAfterAnother) {
    for (int round = 0; round < 2; ++round) {
        for (int i = 0; i < 40; ++i) {
            std::string sub = "f" + std::to_string(i);
            std::filesystem::create_directory(sub);
            if (round == 0) {
                ASSERT_EQ(Create(sub + "/T.DB", kSpec), 0);
            }
            File f;
            ASSERT_EQ(f.Open(sub + "/T.DB"), 0) << sub;
            ASSERT_EQ(f.Insert(Rec("R" + std::to_string(round))), 0) << sub;
            EXPECT_EQ(f.Count(), round + 1u);
        }
    }
}

TEST_F(Durability, AHostileSchemaIsRefusedAtOpenOrStoppedByTheDeadline) {
    ASSERT_EQ(Create("T.DB", kSpec), 0);
    Reset();
    std::string table = RecordTable("T.DB");
    ASSERT_FALSE(table.empty());
    const std::string plant = "CREATE VIEW spin AS WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 "
                              "FROM c) SELECT x FROM c; CREATE TRIGGER hang BEFORE INSERT ON " +
                              table + " BEGIN SELECT count(*) FROM spin; END;";
    ASSERT_EQ(Sqlite(FolderDb(), plant), "");
    auto start = std::chrono::steady_clock::now();
    {
        File f;
        EXPECT_EQ(f.Open("T.DB"), B_NOT_A_BTRIEVE_FILE);
    }
    ASSERT_EQ(Sqlite(FolderDb(), "DROP TRIGGER hang; DROP VIEW spin"), "");

    // Planted while the file is open: the deadline stops the statement.
    SetStatementDeadline(std::chrono::milliseconds(300));
    File f;
    ASSERT_EQ(f.Open("T.DB"), 0);
    EXPECT_EQ(Sqlite(FolderDb(), plant), "");
    EXPECT_NE(f.Insert(Rec("X")), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    SetStatementDeadline(std::chrono::milliseconds(10000));
}

TEST_F(Durability, AChildForkedDuringATransactionStartsClean) {
    ASSERT_EQ(Create("T.DB", kSpec), 0);
    File f;
    ASSERT_EQ(f.Open("T.DB"), 0);
    ASSERT_EQ(Tx(B_BEGIN_TRAN), 0);
    ASSERT_EQ(f.Insert(Rec("PARENT")), 0);
    Program child([&f](Program& p) {
        if (p.Receive() != "g") return false;
        if (f.Insert(Rec("INHERITED")) != B_FILE_NOT_OPEN || Tx(B_END_TRAN) != B_END_TRANSACTION_ERROR)
            return false;
        File g;
        return g.Open("T.DB") == 0 && g.Call(B_GET_EQUAL, 0, K("PARENT")) == 0 && g.Insert(Rec("CHILD")) == 0;
    });
    ASSERT_EQ(Tx(B_END_TRAN), 0);
    ASSERT_TRUE(child.Send("g"));
    EXPECT_TRUE(child.Exits());
    EXPECT_EQ(Keys("T.DB"), (std::vector<std::string>{K("CHILD"), K("PARENT")}));
}

// On a small mount made read-only when running as root (who may write anywhere else), otherwise
// in a folder without write permission.
TEST_F(Durability, ARecordFileOnReadOnlyMediaOpensForReading) {
    std::filesystem::create_directory("ro");
    struct Undo {
        bool mounted = geteuid() == 0 && ::mount("tmpfs", "ro", "tmpfs", 0, "size=4m") == 0;
        ~Undo() { Reset(), mounted ? ::umount("ro") : ::chmod("ro", 0755); }
    } undo;
    if (geteuid() == 0 && !undo.mounted) GTEST_SKIP() << "running as root without the right to mount";
    ASSERT_EQ(Create("ro/T.DB", kSpec), 0);
    {
        File f;
        ASSERT_EQ(f.Open("ro/T.DB"), 0);
        ASSERT_EQ(f.Insert(Rec("KEPT")), 0);
    }
    Reset();
    ASSERT_TRUE(undo.mounted ? ::mount(nullptr, "ro", nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0
                             : ::chmod("ro", 0555) == 0);
    File f;
    ASSERT_EQ(f.Open("ro/T.DB"), 0);
    ASSERT_EQ(f.Call(B_GET_EQUAL, 0, K("KEPT")), 0);
    EXPECT_EQ(f.Count(), 1u);
    EXPECT_EQ(f.Insert(Rec("NEW")), B_ACCESS_TO_FILE_DENIED);
    EXPECT_EQ(f.Update(Rec("KEPT", "changed")), B_ACCESS_TO_FILE_DENIED);
    EXPECT_EQ(Create("ro/U.DB", kSpec), B_CREATE_IO_ERROR);
}

TEST_F(Durability, AnIdleOpenReaderDoesNotPinTheLog) {
    ASSERT_EQ(Create("T.DB", kSpec), 0);
    File f;
    ASSERT_EQ(f.Open("T.DB"), 0);
    for (std::string k : {"A", "B", "C", "D"})
        ASSERT_EQ(f.Insert(Rec(k)), 0);
    ASSERT_EQ(f.Call(B_GET_FIRST, 0), 0);
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(f.Call(B_GET_NEXT, 0), 0); // reads that share a snapshot; then this reader idles
    constexpr int kRecords = 200000;
    EXPECT_TRUE(InChild([] {
        File g;
        if (g.Open("T.DB") != 0) return false;
        for (int i = 0; i < kRecords; i += 500) {
            if (Tx(B_BEGIN_TRAN) != 0) return false;
            for (int j = i; j < i + 500; ++j)
                if (g.Insert(Rec("W" + std::to_string(j))) != 0) return false;
            if (Tx(B_END_TRAN) != 0) return false;
        }
        return true;
    }));
    std::error_code ec;
    auto wal = std::filesystem::file_size(FolderDb() + "-wal", ec);
    EXPECT_LT(wal, 12u << 20) << "the log grew while a reader sat idle";
    EXPECT_EQ(f.Count(), kRecords + 4u);
    ASSERT_EQ(f.Call(B_GET_EQUAL, 0, K("W199999")), 0);
}

} // namespace
