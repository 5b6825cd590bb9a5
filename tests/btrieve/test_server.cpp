// Record files on the database server: files another program replaced, read ahead, a lost
// connection, long transactions, schemas holding something of someone else's, and the settings
// file that names the server.
#include "btrieve/files.h"
#include "harness.h"
#include "pg_cluster.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <libpq-fe.h>
#include <sys/stat.h>
#include <thread>

using namespace bt;
using namespace btr;

namespace {

const auto* g_cluster = ::testing::AddGlobalTestEnvironment(new PgCluster);

class Server : public ::testing::Test {
protected:
    void SetUp() override {
        KR_REQUIRE_SERVER();
        UseServer(dir.path());
        ASSERT_EQ(Create("SHARED.DB", KeySpec()), 0);
    }
    void TearDown() override {
        if (m_admin) PQfinish(m_admin);
        EXPECT_FALSE(std::filesystem::exists(FolderDb()));
    }
    // The folder's schema on the server.
    std::string Schema() {
        std::ifstream conf(dir.path() / kServerSettingsName);
        for (std::string line; std::getline(conf, line);)
            if (line.rfind("schema = ", 0) == 0) return line.substr(9);
        return {};
    }
    // Runs a statement as the cluster's administrator; the first value it returns.
    std::string Admin(const std::string& sql) {
        if (!m_admin) m_admin = PQconnectdb(PgCluster::Instance()->conninfo.c_str());
        PGresult* r = PQexec(m_admin, sql.c_str());
        std::string value =
            PQresultStatus(r) == PGRES_TUPLES_OK && PQntuples(r) > 0 ? PQgetvalue(r, 0, 0) : "";
        bool ok = PQresultStatus(r) == PGRES_TUPLES_OK || PQresultStatus(r) == PGRES_COMMAND_OK;
        PQclear(r);
        EXPECT_TRUE(ok) << sql << ": " << PQerrorMessage(m_admin);
        return value;
    }
    // Takes every program's connection down, as a server restart would.
    void DropConnections() {
        Admin("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE pid <> pg_backend_pid() AND "
              "backend_type = 'client backend'");
        PQfinish(m_admin);
        m_admin = nullptr;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    TempDir dir;

private:
    PGconn* m_admin = nullptr;
};

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
    ASSERT_EQ(f.Found(f.Call(B_GET_NEXT, 0), 2), "A2");
    File g; // a second handle of this program writes just ahead of the scan
    ASSERT_EQ(g.Open(path.c_str()), 0);
    ASSERT_EQ(g.Insert(Rec("A3")), 0);
    ASSERT_EQ(g.Call(B_GET_EQUAL, 0, K("A6")), 0);
    ASSERT_EQ(g.Delete(), 0);
    EXPECT_EQ(f.Found(f.Call(B_GET_NEXT, 0), 2), "A3");
    EXPECT_EQ(f.Found(f.Call(B_GET_NEXT, 0), 2), "A4");
    EXPECT_EQ(f.Found(f.Call(B_GET_NEXT, 0), 2), "A8");
}

TEST_F(Server, ALostConnectionAnswersAStatusAndTheNextCallReconnects) {
    File f;
    ASSERT_EQ(f.Open("SHARED.DB"), 0);
    ASSERT_EQ(f.Insert(Rec("A")), 0);
    DropConnections();
    EXPECT_EQ(f.Call(B_GET_EQUAL, 0, K("A")), B_IO_ERROR);
    ASSERT_EQ(f.Call(B_GET_EQUAL, 0, K("A")), 0);
    EXPECT_EQ(f.Insert(Rec("B")), 0);
    // The file is marked open again: nobody replaces it under this program.
    ASSERT_TRUE(InChild([] { return Create("SHARED.DB", KeySpec()) == B_FILE_INUSE; }));
    // A transaction the connection took down with it is reported, never taken for committed.
    ASSERT_EQ(Tx(B_BEGIN_TRAN), 0);
    ASSERT_EQ(f.Insert(Rec("C")), 0);
    DropConnections();
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

TEST_F(Server, ALongTransactionLooksUpItsOwnWritesAndKeepsEveryStatus) {
    File f;
    ASSERT_EQ(f.Open("SHARED.DB"), 0);
    ASSERT_EQ(f.Insert(Rec("B0001", "before")), 0);
    constexpr int kLines = 12000;
    ASSERT_EQ(Tx(B_BEGIN_TRAN), 0);
    // A key another program takes once the transaction has read its stretch answers on its own line.
    ASSERT_EQ(f.Call(B_GET_EQUAL, 0, K("D0000")), B_KEY_VALUE_NOT_FOUND);
    ASSERT_TRUE(InChild([] {
        File g;
        return g.Open("SHARED.DB") == 0 && g.Insert(Rec("D0020")) == 0;
    }));
    for (int i = 0; i <= 30; ++i)
        EXPECT_EQ(f.Insert(Rec(Numbered("D", i))), i == 20 ? B_DUPLICATE_KEY_VALUE : 0) << i;
    // A reload's pattern: look the key up, then update or insert.
    for (int i = 0; i < kLines; ++i) {
        std::string k = Numbered("B", i % (kLines / 2));
        int16_t s = f.Call(B_GET_EQUAL, 0, K(k));
        ASSERT_TRUE(s == 0 || s == B_KEY_VALUE_NOT_FOUND) << s;
        ASSERT_EQ(s == 0 ? f.Update(Rec(k, "again")) : f.Insert(Rec(k, "new")), 0) << k;
    }
    ASSERT_EQ(f.Found(f.Call(B_GET_EQUAL, 0, K("B0001")), 17), K("B0001") + "again");
    ASSERT_EQ(f.Delete(), 0);
    EXPECT_EQ(f.Call(B_GET_EQUAL, 0, K("B0001")), B_KEY_VALUE_NOT_FOUND);
    EXPECT_EQ(f.Insert(Rec("B0002")), B_DUPLICATE_KEY_VALUE); // on the line that caused it
    // Meanwhile the file is the transaction's: another program's write waits, then answers 85.
    EXPECT_TRUE(InChild([] {
        File g;
        return g.Open("SHARED.DB") == 0 && g.Insert(Rec("OTHER")) == B_FILE_INUSE;
    }));
    EXPECT_EQ(Tx(B_END_TRAN), 0);
    EXPECT_EQ(f.Count(), static_cast<uint32_t>(kLines / 2 - 1 + 31));
    EXPECT_EQ(f.Found(f.Call(B_GET_EQUAL, 0, K("B0003")), 17), K("B0003") + "again");
}

// Something of someone else's in the schema (that could hang, hide or swallow the record
// manager's statements) makes the files refused with a status, not used.
TEST_F(Server, ASchemaHoldingSomethingTheRecordManagerDidNotMakeIsRefused) {
    {
        File f;
        ASSERT_EQ(f.Open("SHARED.DB"), 0);
        ASSERT_EQ(f.Insert(Rec("A")), 0);
    }
    const std::string schema = Schema();
    std::string t =
        schema + ".kr_rec_" + Admin("SELECT id FROM " + schema + ".kr_file WHERE fold = 'shared.db'");
    std::string open = Admin("SELECT pg_get_functiondef('" + schema + ".kr_open(bytea)'::regprocedure)");
    Admin("CREATE FUNCTION public.slow() RETURNS trigger LANGUAGE plpgsql AS $$BEGIN PERFORM pg_sleep(30); "
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
        Admin(plant);
        EXPECT_TRUE(InChild([] {
            File g;
            return g.Open("SHARED.DB") == B_NOT_A_BTRIEVE_FILE &&
                   LastServerProblem().find("not used") != std::string::npos;
        }));
        Admin(remove);
        EXPECT_TRUE(InChild([] {
            File g;
            return g.Open("SHARED.DB") == 0 && g.Insert(Rec("B")) != B_NOT_A_BTRIEVE_FILE;
        }));
    }
}

// Inside a long transaction inserts whose keys are known free are sent in batches; one that
// fails after all (here a check someone added once the file was open) fails the transaction.
TEST_F(Server, ABatchedInsertThatFailsAfterAllFailsItsTransaction) {
    File f;
    ASSERT_EQ(f.Open("SHARED.DB"), 0);
    const std::string schema = Schema();
    Admin(Admin("SELECT 'ALTER TABLE " + schema +
                ".kr_rec_' || id || ' ADD CHECK (substr(data, 1, 5) <> ''Z0030'')' FROM " + schema +
                ".kr_file"));
    ASSERT_EQ(Tx(B_BEGIN_TRAN), 0);
    ASSERT_EQ(f.Call(B_GET_EQUAL, 0, K("Z0000")), B_KEY_VALUE_NOT_FOUND);
    for (int i = 0; i < 40; ++i) // Z0030 is held back: its failure is not known yet
        ASSERT_EQ(f.Insert(Rec(Numbered("Z", i))), 0) << i;
    EXPECT_NE(Tx(B_END_TRAN), 0);
    EXPECT_EQ(f.Count(), 0u);
    EXPECT_EQ(f.Insert(Rec("OTHER")), 0);
}

} // namespace
