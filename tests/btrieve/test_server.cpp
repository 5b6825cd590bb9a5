// Record files on the database server: several programs at once, a program killed in the middle
// of a transaction, a lost connection, and the settings file that names the server.
#include "btrieve/files.h"
#include "harness.h"
#include "pg_cluster.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <libpq-fe.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace bt;
using namespace btr;

namespace {

const auto* g_cluster = ::testing::AddGlobalTestEnvironment(new PgCluster);

std::vector<uint8_t> KeySpec() {
    return Spec(32, 1, {{1, 12, 0}});
}
std::string Rec(const std::string& key, const std::string& payload = "payload") {
    return Pad(key, 12, ' ') + Pad(payload, 20, '.');
}
std::string K(const std::string& key) {
    return Pad(key, 12, ' ');
}

int16_t Tx(uint16_t op) {
    uint8_t pb[128] = {};
    return BTRCALL(op, pb, nullptr, nullptr, nullptr, 0, 0);
}

template <class F> bool InChild(F&& body) {
    pid_t child = fork();
    if (child == 0) _exit(body() ? 0 : 1);
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

class Server : public ::testing::Test {
protected:
    void SetUp() override {
        KR_REQUIRE_SERVER();
        UseServer(dir.path());
        ASSERT_EQ(Create("SHARED.DB", KeySpec()), 0);
    }
    void TearDown() override { EXPECT_FALSE(std::filesystem::exists(FolderDb())); }
    TempDir dir;
};

TEST_F(Server, TwoWritersAtOnceLoseNothingAndClashOnOneKeyWithAStatus) {
    constexpr int kEach = 400;
    auto insertMany = [](const std::string& prefix) {
        File f;
        if (f.Open("SHARED.DB") != 0) return kEach;
        int failures = 0;
        for (int i = 0; i < kEach; ++i)
            failures += f.Insert(Rec(prefix + std::to_string(i))) == 0 ? 0 : 1;
        // Both insert this key: exactly one of them gets it.
        int16_t s = f.Insert(Rec("BOTH"));
        failures += s == 0 || s == B_DUPLICATE_KEY_VALUE ? 0 : 1;
        return failures;
    };
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) _exit(insertMany("C") == 0 ? 0 : 1);
    EXPECT_EQ(insertMany("P"), 0);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    File f;
    ASSERT_EQ(f.Open("SHARED.DB"), 0);
    EXPECT_EQ(f.Count(), 2u * kEach + 1);
    int seen = 0;
    for (int16_t s = f.Call(B_GET_FIRST, 0); s == 0; s = f.Call(B_GET_NEXT, 0))
        ++seen;
    EXPECT_EQ(seen, 2 * kEach + 1);
}

TEST_F(Server, AProgramKilledInsideATransactionLeavesNothingAndHoldsNothing) {
    ASSERT_EQ(Create("OTHER.DB", KeySpec()), 0);
    int toParent[2];
    ASSERT_EQ(pipe(toParent), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        File f, g;
        char c = 'x';
        if (f.Open("SHARED.DB") != 0 || g.Open("OTHER.DB") != 0 || Tx(B_BEGIN_TRAN) != 0 ||
            f.Insert(Rec("CHILD")) != 0 || g.Insert(Rec("CHILD")) != 0)
            c = 'e';
        if (write(toParent[1], &c, 1) != 1) _exit(2);
        for (;;)
            pause();
    }
    char c = 0;
    ASSERT_EQ(read(toParent[0], &c, 1), 1);
    ASSERT_EQ(c, 'x');
    File f;
    ASSERT_EQ(f.Open("SHARED.DB"), 0);
    // The uncommitted key is held: a clash on it answers within the busy timeout.
    auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(f.Insert(Rec("CHILD")), B_FILE_INUSE);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(3));
    EXPECT_EQ(f.Insert(Rec("PARENT")), 0); // other records stay writable
    // Inside a transaction the clash spoils nothing before or after it.
    ASSERT_EQ(Tx(B_BEGIN_TRAN), 0);
    EXPECT_EQ(f.Insert(Rec("MINE1")), 0);
    EXPECT_EQ(f.Insert(Rec("CHILD")), B_FILE_INUSE);
    EXPECT_EQ(f.Insert(Rec("MINE2")), 0);
    EXPECT_EQ(Tx(B_END_TRAN), 0);
    EXPECT_EQ(f.Call(B_GET_EQUAL, 0, K("MINE1")), 0);
    EXPECT_EQ(f.Call(B_GET_EQUAL, 0, K("MINE2")), 0);
    EXPECT_EQ(Create("OTHER.DB", KeySpec()), B_FILE_INUSE); // open in the other program
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    // The server rolls the dead program's transaction back and lets go of its files (it may take
    // a moment to notice).
    int16_t s = B_FILE_INUSE;
    for (int i = 0; i < 100 && s == B_FILE_INUSE; ++i) {
        s = f.Insert(Rec("CHILD"));
        if (s == B_FILE_INUSE) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_EQ(s, 0);
    File g;
    ASSERT_EQ(g.Open("OTHER.DB"), 0);
    EXPECT_EQ(g.Count(), 0u);
    ASSERT_EQ(g.Close(), 0);
    EXPECT_EQ(Create("OTHER.DB", KeySpec()), 0);
    EXPECT_EQ(f.Count(), 4u);
}

TEST_F(Server, AFileAnotherProgramReplacedOpensAsItNowIs) {
    {
        File f;
        ASSERT_EQ(f.Open("SHARED.DB"), 0);
        ASSERT_EQ(f.Insert(Rec("OLD")), 0);
    }
    ASSERT_TRUE(InChild([] {
        File g;
        return Create("shared.db", Spec(40, 1, {{1, 12, 0}})) == 0 && g.Open("SHARED.DB") == 0 &&
               g.Insert(Pad("NEW", 40, ' ')) == 0;
    }));
    File f;
    ASSERT_EQ(f.Open("Shared.Db"), 0);
    EXPECT_EQ(f.Count(), 1u);
    ASSERT_EQ(f.Call(B_GET_FIRST, 0), 0);
    EXPECT_EQ(f.Record(), Pad("NEW", 40, ' '));
    // Removed by another program: gone here too.
    ASSERT_EQ(f.Close(), 0);
    ASSERT_TRUE(InChild(
        [] { return RemoveRecordFile("SHARED.DB", nullptr, nullptr) && !RecordFileExists("SHARED.DB"); }));
    EXPECT_FALSE(RecordFileExists("shared.db"));
    File g;
    EXPECT_EQ(g.Open("SHARED.DB"), B_FILE_NOT_FOUND);
}

TEST_F(Server, AnUpdateOfARecordAnotherProgramChangedAnswersConflict) {
    File f;
    ASSERT_EQ(f.Open("SHARED.DB"), 0);
    ASSERT_EQ(f.Insert(Rec("A", "first")), 0);
    ASSERT_EQ(f.Call(B_GET_EQUAL, 0, K("A")), 0);
    ASSERT_TRUE(InChild([] {
        File g;
        return g.Open("SHARED.DB") == 0 && g.Call(B_GET_EQUAL, 0, K("A")) == 0 &&
               g.Update(Rec("A", "theirs")) == 0;
    }));
    EXPECT_EQ(f.Update(Rec("A", "mine")), B_CONFLICT);
    EXPECT_EQ(f.Delete(), B_CONFLICT);
    ASSERT_EQ(f.Call(B_GET_EQUAL, 0, K("A")), 0);
    EXPECT_EQ(f.Record().substr(12, 6), "theirs");
    EXPECT_EQ(f.Update(Rec("A", "mine")), 0);
}

// Reads ahead by Get Next and Step are dropped once another program's change is notified.
TEST_F(Server, AnOpenReaderSeesOtherProgramsWritesInItsScans) {
    File f;
    ASSERT_EQ(f.Open("SHARED.DB"), 0);
    for (std::string k : {"A", "C", "E", "G", "I"})
        ASSERT_EQ(f.Insert(Rec(k)), 0);
    ASSERT_EQ(f.Call(B_GET_FIRST, 0), 0);
    ASSERT_EQ(f.Call(B_GET_NEXT, 0), 0); // C; the records after it are read ahead
    ASSERT_TRUE(InChild([] {
        File g;
        return g.Open("SHARED.DB") == 0 && g.Insert(Rec("D")) == 0 && g.Call(B_GET_EQUAL, 0, K("E")) == 0 &&
               g.Delete() == 0;
    }));
    std::this_thread::sleep_for(std::chrono::milliseconds(60)); // the notification's way
    ASSERT_EQ(f.Call(B_GET_NEXT, 0), 0);
    EXPECT_EQ(f.Record().substr(0, 1), "D");
    ASSERT_EQ(f.Call(B_GET_NEXT, 0), 0);
    EXPECT_EQ(f.Record().substr(0, 1), "G"); // E is gone
    ASSERT_EQ(f.Call(B_STEP_FIRST, 0), 0);
    ASSERT_EQ(f.Call(B_STEP_NEXT, 0), 0); // C; G, I, D read ahead
    ASSERT_TRUE(InChild([] {
        File g;
        return g.Open("SHARED.DB") == 0 && g.Call(B_GET_EQUAL, 0, K("G")) == 0 && g.Delete() == 0 &&
               g.Insert(Rec("J")) == 0;
    }));
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    std::string stepped;
    for (int16_t s = f.Call(B_STEP_NEXT, 0); s == 0; s = f.Call(B_STEP_NEXT, 0))
        stepped += f.Record().substr(0, 1);
    EXPECT_EQ(stepped, "IDJ");
}

TEST_F(Server, ALostConnectionAnswersAStatusAndTheNextCallReconnects) {
    File f;
    ASSERT_EQ(f.Open("SHARED.DB"), 0);
    ASSERT_EQ(f.Insert(Rec("A")), 0);
    PGconn* admin = PQconnectdb(PgCluster::Instance()->conninfo.c_str());
    ASSERT_EQ(PQstatus(admin), CONNECTION_OK);
    PQclear(PQexec(admin,
                   "SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE pid <> pg_backend_pid() "
                   "AND backend_type = 'client backend'"));
    PQfinish(admin);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(f.Call(B_GET_EQUAL, 0, K("A")), B_IO_ERROR);
    ASSERT_EQ(f.Call(B_GET_EQUAL, 0, K("A")), 0);
    EXPECT_EQ(f.Insert(Rec("B")), 0);
    // The file is marked open again: nobody replaces it under this program.
    ASSERT_TRUE(InChild([] { return Create("SHARED.DB", KeySpec()) == B_FILE_INUSE; }));
    // A transaction the connection took down with it is reported, never taken for committed.
    ASSERT_EQ(Tx(B_BEGIN_TRAN), 0);
    ASSERT_EQ(f.Insert(Rec("C")), 0);
    admin = PQconnectdb(PgCluster::Instance()->conninfo.c_str());
    PQclear(PQexec(admin,
                   "SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE pid <> pg_backend_pid() "
                   "AND backend_type = 'client backend'"));
    PQfinish(admin);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_NE(Tx(B_END_TRAN), 0);
    EXPECT_EQ(f.Call(B_GET_EQUAL, 0, K("C")), B_KEY_VALUE_NOT_FOUND);
    EXPECT_EQ(f.Count(), 2u);
}

TEST_F(Server, ASettingsFileWithAPasswordOthersCanReadIsRefused) {
    std::string conf = (dir.path() / kServerSettingsName).string();
    {
        std::ofstream out(conf);
        out << "connection = " << PgCluster::Instance()->conninfo << " password=secret\nschema = pw_"
            << getpid() << "\n";
    }
    ::chmod(conf.c_str(), 0644);
    File f;
    EXPECT_EQ(f.Open("SHARED.DB"), B_ACCESS_TO_FILE_DENIED);
    EXPECT_NE(LastServerProblem().find("~/.pgpass"), std::string::npos);
    EXPECT_EQ(Create("NEW.DB", KeySpec()), B_ACCESS_TO_FILE_DENIED);
    ::chmod(conf.c_str(), 0600); // readable by its owner alone
    EXPECT_EQ(Create("NEW.DB", KeySpec()), 0);
    {
        std::ofstream out(conf);
        out << "connection = " << PgCluster::Instance()->conninfo << "\nschema = Robert'); DROP TABLE x;--\n";
    }
    EXPECT_EQ(f.Open("NEW.DB"), B_FILENAME_BAD);
    EXPECT_FALSE(std::filesystem::exists(FolderDb()));
}

} // namespace
