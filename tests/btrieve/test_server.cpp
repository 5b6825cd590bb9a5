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

// Another program's committed write is seen by the very next call of a scan: records read ahead
// are never served past it.
TEST_F(Server, AScanSeesAnotherProgramsCommitOnItsNextCall) {
    File f;
    ASSERT_EQ(f.Open("SHARED.DB"), 0);
    constexpr int kRounds = 40;
    auto key = [](int n) {
        char k[8];
        std::snprintf(k, sizeof k, "K%03d", n);
        return std::string(k);
    };
    for (int i = 0; i <= 2 * kRounds + 2; i += 2)
        ASSERT_EQ(f.Insert(Rec(key(i))), 0);
    // The other program writes what this one asks for, one command at a time, and answers each.
    struct Other {
        int ask[2] = {-1, -1}, told[2] = {-1, -1};
        pid_t pid = -1;
        ~Other() {
            if (ask[1] >= 0) close(ask[1]);
            if (pid > 0) waitpid(pid, nullptr, 0);
        }
        bool Do(char op, const std::string& k) {
            std::string cmd = op + k;
            char c = 0;
            return write(ask[1], cmd.data(), 5) == 5 && read(told[0], &c, 1) == 1 && c == 'o';
        }
    } other;
    ASSERT_EQ(pipe(other.ask), 0);
    ASSERT_EQ(pipe(other.told), 0);
    other.pid = fork();
    ASSERT_GE(other.pid, 0);
    if (other.pid == 0) {
        close(other.ask[1]);
        File g;
        char c = g.Open("SHARED.DB") == 0 ? 'o' : 'e';
        char cmd[8];
        while (c != 'e' && write(other.told[1], &c, 1) == 1 && read(other.ask[0], cmd, 5) == 5) {
            std::string k(cmd + 1, 4);
            if (cmd[0] == 'i')
                c = g.Insert(Rec(k)) == 0 ? 'o' : 'e';
            else
                c = g.Call(B_GET_EQUAL, 0, K(k)) == 0 && g.Delete() == 0 ? 'o' : 'e';
        }
        _exit(0);
    }
    close(other.ask[0]);
    close(other.told[1]);
    char c = 0;
    ASSERT_EQ(read(other.told[0], &c, 1), 1);
    ASSERT_EQ(c, 'o');
    // Get Next: a record inserted just ahead, and one deleted just ahead.
    ASSERT_EQ(f.Call(B_GET_FIRST, 0), 0);
    for (int i = 0; i < kRounds; i += 2) {
        ASSERT_TRUE(other.Do('i', key(2 * i + 1)));
        ASSERT_EQ(f.Call(B_GET_NEXT, 0), 0);
        ASSERT_EQ(f.Record().substr(0, 4), key(2 * i + 1));
        ASSERT_TRUE(other.Do('d', key(2 * i + 2)));
        ASSERT_EQ(f.Call(B_GET_NEXT, 0), 0);
        ASSERT_EQ(f.Record().substr(0, 4), key(2 * i + 4));
    }
    // Step Next: a record deleted just ahead is never served.
    std::vector<std::string> stored;
    for (int16_t s = f.Call(B_STEP_FIRST, 0); s == 0; s = f.Call(B_STEP_NEXT, 0))
        stored.push_back(f.Record().substr(0, 4));
    ASSERT_EQ(f.Call(B_STEP_FIRST, 0), 0);
    for (size_t i = 0; i + 2 < stored.size(); i += 2) {
        ASSERT_TRUE(other.Do('d', stored[i + 1]));
        ASSERT_EQ(f.Call(B_STEP_NEXT, 0), 0);
        ASSERT_EQ(f.Record().substr(0, 4), stored[i + 2]);
    }
}

TEST_F(Server, AReadAheadWindowIsASettingInRangeAndNeverHidesThisProgramsOwnWrites) {
    auto folder = [&](const char* name, const char* window) {
        std::filesystem::create_directory(dir.path() / name);
        UseServer(dir.path() / name);
        std::ofstream(dir.path() / name / kServerSettingsName, std::ios::app)
            << "read_ahead_ms = " << window << "\n";
        return std::string(name) + "/T.DB";
    };
    int n = 0;
    for (const char* bad : {"soon", "-1", "1001", "", "20ms"}) {
        std::string path = folder(("bad" + std::to_string(++n)).c_str(), bad);
        EXPECT_EQ(Create(path.c_str(), KeySpec()), B_FILENAME_BAD) << bad;
        EXPECT_NE(LastServerProblem().find("read_ahead_ms"), std::string::npos) << bad;
    }
    std::string path = folder("trusting", "1000");
    ASSERT_EQ(Create(path.c_str(), KeySpec()), 0);
    File f;
    ASSERT_EQ(f.Open(path.c_str()), 0);
    for (const char* k : {"A0", "A2", "A4", "A6", "A8"})
        ASSERT_EQ(f.Insert(Rec(k)), 0);
    ASSERT_EQ(f.Call(B_GET_FIRST, 0), 0);
    ASSERT_EQ(f.Call(B_GET_NEXT, 0), 0);
    ASSERT_EQ(f.Record().substr(0, 2), "A2");
    File g; // a second handle of this program writes just ahead of the scan
    ASSERT_EQ(g.Open(path.c_str()), 0);
    ASSERT_EQ(g.Insert(Rec("A3")), 0);
    ASSERT_EQ(g.Call(B_GET_EQUAL, 0, K("A6")), 0);
    ASSERT_EQ(g.Delete(), 0);
    ASSERT_EQ(f.Call(B_GET_NEXT, 0), 0);
    EXPECT_EQ(f.Record().substr(0, 2), "A3");
    ASSERT_EQ(f.Call(B_GET_NEXT, 0), 0);
    ASSERT_EQ(f.Call(B_GET_NEXT, 0), 0);
    EXPECT_EQ(f.Record().substr(0, 2), "A8");
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

TEST_F(Server, ALongTransactionLooksUpItsOwnWritesAndKeepsEveryStatus) {
    File f;
    ASSERT_EQ(f.Open("SHARED.DB"), 0);
    ASSERT_EQ(f.Insert(Rec("B0001", "before")), 0);
    constexpr int kLines = 12000;
    ASSERT_EQ(Tx(B_BEGIN_TRAN), 0);
    // A reload's pattern: look the key up, then update or insert.
    for (int i = 0; i < kLines; ++i) {
        char k[8];
        std::snprintf(k, sizeof k, "B%04d", i % (kLines / 2));
        int16_t s = f.Call(B_GET_EQUAL, 0, K(k));
        ASSERT_TRUE(s == 0 || s == B_KEY_VALUE_NOT_FOUND) << s;
        ASSERT_EQ(s == 0 ? f.Update(Rec(k, "again")) : f.Insert(Rec(k, "new")), 0) << k;
    }
    ASSERT_EQ(f.Call(B_GET_EQUAL, 0, K("B0001")), 0);
    EXPECT_EQ(f.Record().substr(12, 5), "again");
    ASSERT_EQ(f.Delete(), 0);
    EXPECT_EQ(f.Call(B_GET_EQUAL, 0, K("B0001")), B_KEY_VALUE_NOT_FOUND);
    EXPECT_EQ(f.Insert(Rec("B0002")), B_DUPLICATE_KEY_VALUE); // on the line that caused it
    // Meanwhile the file is the transaction's: another program's write waits, then answers 85.
    EXPECT_TRUE(InChild([] {
        File g;
        return g.Open("SHARED.DB") == 0 && g.Insert(Rec("OTHER")) == B_FILE_INUSE;
    }));
    EXPECT_EQ(Tx(B_END_TRAN), 0);
    EXPECT_EQ(f.Count(), static_cast<uint32_t>(kLines / 2 - 1));
    ASSERT_EQ(f.Call(B_GET_EQUAL, 0, K("B0003")), 0);
    EXPECT_EQ(f.Record().substr(12, 5), "again");
}

// Something of someone else's in the schema (that could hang, hide or swallow the record
// manager's statements) makes the files refused with a status, not used.
TEST_F(Server, ASchemaHoldingSomethingTheRecordManagerDidNotMakeIsRefused) {
    {
        File f;
        ASSERT_EQ(f.Open("SHARED.DB"), 0);
        ASSERT_EQ(f.Insert(Rec("A")), 0);
    }
    std::string schema;
    {
        std::ifstream conf(dir.path() / kServerSettingsName);
        for (std::string line; std::getline(conf, line);)
            if (line.rfind("schema = ", 0) == 0) schema = line.substr(9);
    }
    PGconn* admin = PQconnectdb(PgCluster::Instance()->conninfo.c_str());
    ASSERT_EQ(PQstatus(admin), CONNECTION_OK);
    auto exec = [&](const std::string& sql) {
        PGresult* r = PQexec(admin, sql.c_str());
        std::string value =
            PQresultStatus(r) == PGRES_TUPLES_OK && PQntuples(r) > 0 ? PQgetvalue(r, 0, 0) : "";
        bool ok = PQresultStatus(r) == PGRES_TUPLES_OK || PQresultStatus(r) == PGRES_COMMAND_OK;
        PQclear(r);
        EXPECT_TRUE(ok) << sql << ": " << PQerrorMessage(admin);
        return value;
    };
    std::string t =
        schema + ".kr_rec_" + exec("SELECT id FROM " + schema + ".kr_file WHERE fold = 'shared.db'");
    std::string open = exec("SELECT pg_get_functiondef('" + schema + ".kr_open(bytea)'::regprocedure)");
    exec("CREATE FUNCTION public.slow() RETURNS trigger LANGUAGE plpgsql AS $$BEGIN PERFORM pg_sleep(30); "
         "RETURN NEW; END$$");
    const std::pair<std::string, std::string> planted[] = {
        {"CREATE TRIGGER hang BEFORE INSERT ON " + t + " FOR EACH ROW EXECUTE FUNCTION public.slow()",
         "DROP TRIGGER hang ON " + t},
        {"CREATE RULE swallow AS ON DELETE TO " + t + " DO INSTEAD NOTHING", "DROP RULE swallow ON " + t},
        {"CREATE INDEX slow_index ON " + t + " ((md5(data::text)))", "DROP INDEX " + schema + ".slow_index"},
        {"ALTER TABLE " + t + " ENABLE ROW LEVEL SECURITY",
         "ALTER TABLE " + t + " DISABLE ROW LEVEL SECURITY"},
        {"CREATE TABLE " + schema + ".more () INHERITS (" + t + ")", "DROP TABLE " + schema + ".more"},
        {"CREATE VIEW " + schema + ".peek AS SELECT 1 AS x", "DROP VIEW " + schema + ".peek"},
        {"CREATE TRIGGER hang BEFORE UPDATE ON " + schema +
             ".kr_file FOR EACH ROW EXECUTE FUNCTION public.slow()",
         "DROP TRIGGER hang ON " + schema + ".kr_file"},
        {"CREATE OR REPLACE FUNCTION " + schema +
             ".kr_open(f bytea) RETURNS TABLE(id bigint, name bytea, spec bytea, owner bytea) LANGUAGE sql "
             "AS "
             "$$SELECT id, name, spec, owner FROM " +
             schema + ".kr_file WHERE fold = f$$",
         open},
    };
    for (const auto& [plant, remove] : planted) {
        SCOPED_TRACE(plant);
        exec(plant);
        EXPECT_TRUE(InChild([] {
            File g;
            return g.Open("SHARED.DB") == B_NOT_A_BTRIEVE_FILE &&
                   LastServerProblem().find("not used") != std::string::npos;
        }));
        exec(remove);
        EXPECT_TRUE(InChild([] {
            File g;
            return g.Open("SHARED.DB") == 0 && g.Insert(Rec("B")) != B_NOT_A_BTRIEVE_FILE;
        }));
    }
    PQfinish(admin);
}

// Inside a long transaction inserts whose keys are known free are sent in batches; one that
// fails after all (here a check someone added once the file was open) fails the transaction.
TEST_F(Server, ABatchedInsertThatFailsAfterAllFailsItsTransaction) {
    File f;
    ASSERT_EQ(f.Open("SHARED.DB"), 0);
    PGconn* admin = PQconnectdb(PgCluster::Instance()->conninfo.c_str());
    ASSERT_EQ(PQstatus(admin), CONNECTION_OK);
    std::string schema;
    {
        std::ifstream conf(dir.path() / kServerSettingsName);
        for (std::string line; std::getline(conf, line);)
            if (line.rfind("schema = ", 0) == 0) schema = line.substr(9);
    }
    PGresult* r = PQexec(admin, ("SELECT 'ALTER TABLE " + schema +
                                 ".kr_rec_' || id || ' ADD CHECK (substr(data, 1, 5) <> ''Z0030'')' FROM " +
                                 schema + ".kr_file")
                                    .c_str());
    ASSERT_EQ(PQntuples(r), 1);
    std::string refuse = PQgetvalue(r, 0, 0);
    PQclear(r);
    r = PQexec(admin, refuse.c_str());
    ASSERT_EQ(PQresultStatus(r), PGRES_COMMAND_OK) << PQerrorMessage(admin);
    PQclear(r);
    PQfinish(admin);
    ASSERT_EQ(Tx(B_BEGIN_TRAN), 0);
    ASSERT_EQ(f.Call(B_GET_EQUAL, 0, K("Z0000")), B_KEY_VALUE_NOT_FOUND);
    for (int i = 0; i < 40; ++i) {
        char k[8];
        std::snprintf(k, sizeof k, "Z%04d", i);
        ASSERT_EQ(f.Insert(Rec(k)), 0) << k; // Z0030 is held back: its failure is not known yet
    }
    EXPECT_NE(Tx(B_END_TRAN), 0);
    EXPECT_EQ(f.Count(), 0u);
    EXPECT_EQ(f.Insert(Rec("OTHER")), 0);
}

TEST_F(Server, AKeyAnotherProgramTookDuringATransactionAnswersOnItsOwnLine) {
    File f;
    ASSERT_EQ(f.Open("SHARED.DB"), 0);
    ASSERT_EQ(Tx(B_BEGIN_TRAN), 0);
    ASSERT_EQ(f.Call(B_GET_EQUAL, 0, K("D0000")), B_KEY_VALUE_NOT_FOUND); // the stretch is read
    ASSERT_TRUE(InChild([] {
        File g;
        return g.Open("SHARED.DB") == 0 && g.Insert(Rec("D0020")) == 0;
    }));
    for (int i = 0; i <= 30; ++i) {
        char k[8];
        std::snprintf(k, sizeof k, "D%04d", i);
        EXPECT_EQ(f.Insert(Rec(k)), i == 20 ? B_DUPLICATE_KEY_VALUE : 0) << k;
    }
    EXPECT_EQ(Tx(B_END_TRAN), 0);
    EXPECT_EQ(f.Count(), 31u);
}
