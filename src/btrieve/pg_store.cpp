// Record files on a PostgreSQL server. One schema holds a directory's record files: a catalog
// table names each file and keeps its specification and owner; each file has a table of records
// with a change count per record and one bytea column per key (bytea compares byte by byte, so
// the key encodings keep their order), indexed, and a sequence that numbers its records and
// orders duplicates. A process transaction is one server transaction over the schema.
//
// Which files are open, across machines: a program holding a file open keeps a shared advisory
// lock on the file's name; replacing or removing a file takes it exclusively for its transaction,
// or answers 85. The server drops the locks of a session that ends.
//
// Reading ahead: records read ahead are served only while the server's snapshot (which
// transactions have ended, which are running) is the one seen before they were read. Asking costs
// a round trip, but a cheap one, and no other program's commit is ever missed, on any machine.
#include "pg_store.h"

#include "btrcall.h"

#include <libpq-fe.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <map>
#include <mutex>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace btr {

namespace {

constexpr const char* kServerFormat = "kestrel-btrieve server 1";
constexpr Oid kBytea = 17, kInt8 = 20, kBool = 16, kInt4 = 23;

std::string& Problem() {
    static auto* p = new std::string();
    return *p;
}

int BusyTimeoutMs() {
    const char* env = std::getenv("KESTREL_BUSY_TIMEOUT_MS");
    int v = env ? std::atoi(env) : 0;
    return v > 0 ? v : 2000;
}

std::string Fold(const std::string& name) {
    std::string f = name;
    for (char& c : f)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return f;
}

std::string Trim(const std::string& s) {
    size_t a = s.find_first_not_of(" \t\r");
    size_t b = s.find_last_not_of(" \t\r");
    return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
}

bool SchemaNameOk(const std::string& s) {
    if (s.empty() || s.size() > 48 || (s[0] >= '0' && s[0] <= '9')) return false;
    for (char c : s)
        if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_')) return false;
    return s.rfind("pg_", 0) != 0;
}

int16_t MapState(const PGresult* r, PGconn* conn) {
    if (PQstatus(conn) == CONNECTION_BAD) return B_IO_ERROR;
    const char* state = r ? PQresultErrorField(r, PG_DIAG_SQLSTATE) : nullptr;
    if (!state) return B_IO_ERROR;
    std::string s = state;
    if (s == "23505") return B_DUPLICATE_KEY_VALUE;
    if (s == "55P03" || s == "40P01" || s == "40001" || s == "55006") return B_FILE_INUSE;
    if (s == "53100") return B_DISK_FULL;
    if (s == "25P02") return B_TRANSACTION_ERROR; // an earlier failure spoiled the transaction
    if (s == "42501") return B_ACCESS_TO_FILE_DENIED;
    return B_IO_ERROR;
}

// Binary parameters and results.
struct Params {
    std::vector<std::string> values;
    std::vector<bool> null;
    void Bytes(const std::string& v) {
        values.push_back(v);
        null.push_back(false);
    }
    void Key(const std::optional<std::string>& v) {
        values.push_back(v ? *v : std::string());
        null.push_back(!v);
    }
    void Int8(int64_t v) {
        std::string s(8, '\0');
        auto u = static_cast<uint64_t>(v);
        for (int i = 7; i >= 0; --i, u >>= 8)
            s[i] = static_cast<char>(u & 0xFF);
        Bytes(s);
    }
    void Bool(bool v) { Bytes(std::string(1, v ? '\1' : '\0')); }
};

int64_t GetInt8(const PGresult* r, int row, int col) {
    const auto* p = reinterpret_cast<const unsigned char*>(PQgetvalue(r, row, col));
    uint64_t u = 0;
    for (int i = 0; i < 8; ++i)
        u = (u << 8) | p[i];
    return static_cast<int64_t>(u);
}

std::string GetBytes(const PGresult* r, int row, int col) {
    return std::string(PQgetvalue(r, row, col), static_cast<size_t>(PQgetlength(r, row, col)));
}

struct Result {
    PGresult* r = nullptr;
    Result() = default;
    explicit Result(PGresult* p) : r(p) {}
    Result(const Result&) = delete;
    Result& operator=(const Result&) = delete;
    ~Result() { PQclear(r); }
    int rows() const { return PQntuples(r); }
};

std::string TableOf(int64_t id) {
    return "kr_rec_" + std::to_string(id);
}

class Server;

class PgStore final : public FileStore {
public:
    PgStore(Server* server, int64_t id, FileSpec spec) : m_server(server), m_id(id) {
        m_spec = std::move(spec);
    }

    int64_t id() const { return m_id; }

    void Unpin() override;
    std::shared_ptr<Transactional> Tx() override;
    int16_t Find(int key, Seek how, const std::string& a, const std::string& b, Row& row) override;
    int16_t FindMany(int key, Seek how, const std::string& a, int n, std::vector<Row>& rows) override;
    int16_t Version(uint64_t& version) override;
    int16_t StepFind(bool forward, int64_t after, Row& row) override;
    int16_t ById(int64_t id, int key, Row& row) override;
    int16_t Count(uint32_t& count) override;
    int16_t Insert(const std::string& data, const std::vector<std::optional<std::string>>& keys, int64_t& id,
                   std::vector<std::optional<std::string>>& stored) override;
    int16_t Update(int64_t id, int64_t& version, const std::string& data,
                   const std::vector<std::optional<std::string>>& keys, const std::vector<bool>& keepStored,
                   std::vector<std::optional<std::string>>& stored) override;
    int16_t Erase(int64_t id, int64_t version) override;
    int16_t StoredKeys(int64_t id, std::vector<std::optional<std::string>>& keys) override;
    int16_t InsertStored(const std::string& data, const std::vector<std::optional<std::string>>& stored,
                         int64_t& id) override;
    int16_t StoreOwner(const std::string& stored) override;
    int16_t BeginWrite() override;
    int16_t EndWrite(bool commit) override;

private:
    int16_t Rows(const std::string& name, const std::string& sql, const std::vector<Oid>& types,
                 const Params& p, Result& res, bool write = false);

    Server* m_server;
    int64_t m_id;
    // Records read ahead by Step, valid while the file's version stands.
    std::vector<Row> m_stepAhead;
    size_t m_stepPos = 0;
    bool m_stepForward = true;
    uint64_t m_stepVersion = 0;
    int64_t m_stepAfter = 0;
    int m_stepBatch = 0;

    // Inside the process's transaction, the records of a stretch of one key's order as this
    // program knows them: read from the server once, then kept in step with this program's own
    // writes, so that a lookup in the stretch needs no round trip (reads inside a transaction
    // may come from any moment since it began; writes still meet every other program's).
    struct Known {
        bool valid = false;
        bool open = false;               // reaches to the end of the key's order
        std::string lo, hi;              // every stored key in [lo, hi] (or from lo on, when open) is here
        std::map<std::string, Row> rows; // by stored key
        std::map<int64_t, std::string> keyOf;
    };
    std::vector<Known> m_known;
    uint64_t m_knownTx = 0;

    // Inserts inside a transaction that has the file to itself (see Server::LockTable) whose
    // keys are known to be free are held back and sent in batches: nothing can make them fail
    // but the server itself. Their numbers come from the file's sequence ahead of time.
    uint64_t m_writesTx = 0;
    int m_writes = 0;
    bool m_locked = false;
    std::vector<int64_t> m_numbers; // taken from the sequence, latest first
    bool KeysFree(const std::vector<std::optional<std::string>>& keys);
    int16_t Fill(int key, const std::string& a);
    int16_t HoldInsert(const std::string& data, const std::vector<std::optional<std::string>>& keys,
                       int64_t& id, std::vector<std::optional<std::string>>& stored);
    std::vector<Known>* KnownNow();
    bool Covers(const Known& k, const std::string& stored) const {
        return stored >= k.lo && (k.open || stored <= k.hi);
    }
    void Forget(int64_t id);
    void Learn(int64_t id, int64_t version, const std::string& data,
               const std::vector<std::optional<std::string>>& stored);
};

struct CatalogEntry {
    int64_t id = 0;
    std::string name, spec, owner;
};

class Server final : public Transactional, public std::enable_shared_from_this<Server> {
public:
    Server(ServerSettings settings) : m_settings(std::move(settings)) {}
    ~Server() override { Disconnect(); }

    const std::string& schema() const { return m_settings.schema; }
    uint64_t writes = 0;

    void Disconnect() {
        if (m_conn) PQfinish(m_conn);
        m_conn = nullptr;
        m_prepared.clear();
        m_checked.clear();
        m_held.clear();
    }

    // Lets a connection go that is out of step; the next call reconnects as after a lost one.
    void Drop() {
        Disconnect();
        m_dropped = true;
    }

    // After a fork, in the child: the connection's socket is the parent's; nothing may be written
    // to it, not even the goodbye that closing sends.
    void Orphan() {
        if (!m_conn) return;
        int fd = PQsocket(m_conn);
        int null = ::open("/dev/null", O_RDWR | O_CLOEXEC);
        if (fd >= 0 && null >= 0) ::dup2(null, fd);
        if (null >= 0) ::close(null);
    }

    // A working connection: connects, or reconnects after a lost one, taking the locks of the
    // files this program has open again.
    int16_t Ready() {
        if (m_conn && PQstatus(m_conn) == CONNECTION_OK) return 0;
        bool lost = m_conn != nullptr || m_dropped;
        m_dropped = false;
        Disconnect();
        if (m_inTx) m_txLost = true;
        m_inTx = false;
        // A server that does not answer costs a program ten seconds, not for ever, unless the
        // settings say otherwise (later keywords win).
        const char* keys[] = {"connect_timeout", "dbname", nullptr};
        const char* values[] = {"10", m_settings.connection.c_str(), nullptr};
        m_conn = PQconnectdbParams(keys, values, 1);
        if (PQstatus(m_conn) != CONNECTION_OK) {
            Problem() = std::string("cannot reach the database server: ") + PQerrorMessage(m_conn);
            Disconnect();
            return B_IO_ERROR;
        }
        std::string setup = "SET search_path TO " + schema() +
                            "; SET lock_timeout = " + std::to_string(BusyTimeoutMs()) +
                            "; SET statement_timeout = 10000; SET client_min_messages = warning";
        if (int16_t s = Exec(setup)) return s;
        if (int16_t s = EnsureSchema()) return s;
        m_snapshot.clear(); // nothing read before is served again
        m_snapshotAsked = {};
        if (lost)
            for (auto& [id, st] : m_stores)
                if (st->handles > 0) {
                    Params p;
                    p.Bytes(Fold(m_names[id]));
                    Result r(
                        Run("kr_lock", "SELECT pg_advisory_lock_shared(" + LockArgs() + ")", {kBytea}, p));
                    if (PQresultStatus(r.r) != PGRES_TUPLES_OK) return MapState(r.r, m_conn);
                }
        return 0;
    }

    PGconn* conn() const { return m_conn; }

    int16_t Exec(const std::string& sql) {
        Flush();
        Result r(PQexec(m_conn, sql.c_str()));
        auto st = PQresultStatus(r.r);
        if (st == PGRES_COMMAND_OK || st == PGRES_TUPLES_OK) return 0;
        return MapState(r.r, m_conn);
    }

    // Prepares a named statement on this connection the first time: null, or the failure.
    PGresult* Prepare(const std::string& name, const std::string& sql, const std::vector<Oid>& types) {
        if (m_prepared.count(name)) return nullptr;
        Result r(PQprepare(m_conn, name.c_str(), sql.c_str(), static_cast<int>(types.size()), types.data()));
        if (PQresultStatus(r.r) != PGRES_COMMAND_OK) {
            PGresult* failed = r.r;
            r.r = nullptr;
            return failed;
        }
        m_prepared.insert(name);
        return nullptr;
    }

    struct Bound {
        std::vector<const char*> values;
        std::vector<int> lengths, formats;
        explicit Bound(const Params& p) {
            for (size_t i = 0; i < p.values.size(); ++i) {
                values.push_back(p.null[i] ? nullptr : p.values[i].data());
                lengths.push_back(static_cast<int>(p.values[i].size()));
                formats.push_back(1);
            }
        }
        int n() const { return static_cast<int>(values.size()); }
    };

    // Runs a named statement, prepared on this connection the first time.
    PGresult* Run(const std::string& name, const std::string& sql, const std::vector<Oid>& types,
                  const Params& p) {
        Flush();
        if (PGresult* failed = Prepare(name, sql, types)) return failed;
        Bound b(p);
        return PQexecPrepared(m_conn, name.c_str(), b.n(), b.values.data(), b.lengths.data(),
                              b.formats.data(), 1);
    }

    // Runs a write. Inside the process's transaction it has a savepoint of its own, so that a
    // failed write spoils nothing before it; the three statements go in one round trip.
    PGresult* RunWrite(const std::string& name, const std::string& sql, const std::vector<Oid>& types,
                       const Params& p) {
        if (!m_inTx) return Run(name, sql, types, p);
        Flush();
        if (PGresult* failed = Prepare(name, sql, types)) return failed;
        Bound b(p);
        if (PQenterPipelineMode(m_conn) != 1) return nullptr;
        PQsendQueryParams(m_conn, "SAVEPOINT kr_write", 0, nullptr, nullptr, nullptr, nullptr, 0);
        PQsendQueryPrepared(m_conn, name.c_str(), b.n(), b.values.data(), b.lengths.data(), b.formats.data(),
                            1);
        PQsendQueryParams(m_conn, "RELEASE SAVEPOINT kr_write", 0, nullptr, nullptr, nullptr, nullptr, 0);
        PQpipelineSync(m_conn);
        PGresult* results[3] = {nullptr, nullptr, nullptr};
        for (PGresult*& first : results)
            while (PGresult* r = PQgetResult(m_conn)) {
                if (!first)
                    first = r;
                else
                    PQclear(r);
            }
        PGresult* sync = PQgetResult(m_conn);
        bool synced = sync && PQresultStatus(sync) == PGRES_PIPELINE_SYNC;
        PQclear(sync);
        if (!synced || PQexitPipelineMode(m_conn) != 1) {
            // Out of step with the server (a lost connection): start afresh on the next call.
            for (PGresult* r : results)
                PQclear(r);
            Drop();
            return nullptr;
        }
        PQclear(results[0]);
        PQclear(results[2]);
        auto st = PQresultStatus(results[1]);
        if (st != PGRES_TUPLES_OK && st != PGRES_COMMAND_OK)
            Exec("ROLLBACK TO SAVEPOINT kr_write; RELEASE SAVEPOINT kr_write");
        return results[1];
    }

    // A write held back inside the process's transaction, its status known beforehand.
    struct Held {
        std::string name, sql;
        std::vector<Oid> types;
        Params p;
    };

    void Hold(Held h) { m_held.push_back(std::move(h)); }
    size_t HeldCount() const { return m_held.size(); }

    // Sends the writes held back, all in one round trip, before anything else reaches the server.
    // Should one fail after all (the disk full, say), the server's transaction is spoiled: every
    // later statement of it fails and End Transaction answers that it rolled back.
    void Flush() {
        if (m_held.empty() || m_flushing || !m_conn) return;
        m_flushing = true;
        std::vector<Held> held;
        held.swap(m_held);
        bool prepared = true;
        for (const Held& h : held)
            if (PGresult* failed = Prepare(h.name, h.sql, h.types)) {
                PQclear(failed); // the transaction is spoiled by it
                prepared = false;
                break;
            }
        if (prepared && PQenterPipelineMode(m_conn) == 1) {
            for (const Held& h : held) {
                Bound b(h.p);
                PQsendQueryPrepared(m_conn, h.name.c_str(), b.n(), b.values.data(), b.lengths.data(),
                                    b.formats.data(), 1);
            }
            PQpipelineSync(m_conn);
            for (size_t i = 0; i < held.size(); ++i)
                while (PGresult* r = PQgetResult(m_conn))
                    PQclear(r);
            PGresult* sync = PQgetResult(m_conn);
            bool synced = sync && PQresultStatus(sync) == PGRES_PIPELINE_SYNC;
            PQclear(sync);
            if (!synced || PQexitPipelineMode(m_conn) != 1) {
                m_flushing = false;
                Drop(); // out of step: the transaction is lost, and reported so at its end
                return;
            }
        }
        m_flushing = false;
    }

    // Takes a record table for the transaction alone, when no other program is writing it:
    // other programs' writes then wait for its end (or answer 85), as they do on SQLite.
    bool LockTable(const std::string& table) {
        if (Exec("SAVEPOINT kr_lock; LOCK TABLE " + table +
                 " IN EXCLUSIVE MODE NOWAIT; RELEASE SAVEPOINT kr_lock") == 0)
            return true;
        Exec("ROLLBACK TO SAVEPOINT kr_lock; RELEASE SAVEPOINT kr_lock");
        return false;
    }

    // The advisory lock of a name: the schema's class and the name's hash.
    std::string LockArgs() const { return "hashtext('" + schema() + "'), hashtext(encode($1, 'hex'))"; }

    // Moves on whenever a transaction has ended or begun on the server since the last ask, or
    // this program wrote.
    int16_t Version(uint64_t& version) {
        // Inside a transaction nothing is served from earlier reads.
        if (m_inTx) {
            version = ++m_txVersion;
            return 0;
        }
        auto now = std::chrono::steady_clock::now();
        if (m_settings.readAheadMs > 0 &&
            now - m_snapshotAsked < std::chrono::milliseconds(m_settings.readAheadMs)) {
            version = m_txVersion ^ (writes << 32);
            return 0;
        }
        if (int16_t s = Ready()) return s;
        m_snapshotAsked = now;
        Result r(Run("kr_snapshot", "SELECT pg_current_snapshot()::text", {}, Params()));
        if (PQresultStatus(r.r) != PGRES_TUPLES_OK || r.rows() != 1) return MapState(r.r, m_conn);
        std::string snapshot = GetBytes(r.r, 0, 0);
        if (snapshot != m_snapshot) {
            m_snapshot = std::move(snapshot);
            ++m_txVersion;
        }
        version = m_txVersion ^ (writes << 32);
        return 0;
    }

    int16_t BeginWrite() {
        ++writes;
        // Each write is one statement: atomic alone, and inside the process's transaction run
        // behind a savepoint of its own (RunWrite).
        return Ready();
    }

    int16_t EndWrite(bool) {
        ++writes;
        return 0;
    }

    int16_t TouchTransaction() override {
        if (m_inTx) return 0;
        if (int16_t s = Ready()) return s;
        int16_t s = Exec("BEGIN");
        if (s == 0) {
            ++m_txSerial;
            m_inTx = true;
            m_txLost = false;
        }
        return s;
    }

    int16_t FinishTransaction(bool commit) override {
        ++writes;
        if (m_txLost) {
            m_txLost = false;
            return B_IO_ERROR; // the connection went down with the transaction
        }
        if (!m_inTx) return 0;
        if (commit)
            Flush();
        else
            m_held.clear();
        m_inTx = false;
        if (!m_conn || PQstatus(m_conn) != CONNECTION_OK) return B_IO_ERROR;
        Result r(PQexec(m_conn, commit ? "COMMIT" : "ROLLBACK"));
        if (PQresultStatus(r.r) != PGRES_COMMAND_OK) {
            int16_t s = MapState(r.r, m_conn);
            Exec("ROLLBACK");
            return s;
        }
        // A transaction a failure had spoiled ends rolled back: never reported as committed.
        if (commit && std::strcmp(PQcmdStatus(r.r), "COMMIT") != 0) return B_TRANSACTION_ERROR;
        return 0;
    }

    bool InTransaction() const override { return m_inTx; }

    // Opens a file: its name locked shared for this program's use, then looked up.
    int16_t OpenFile(const std::string& name, std::shared_ptr<PgStore>& out) {
        if (int16_t s = Ready()) return s;
        std::string fold = Fold(name);
        for (auto& [id, st] : m_stores)
            if (st->handles > 0 && Fold(m_names[id]) == fold) {
                ++st->handles;
                out = st;
                return 0;
            }
        Params p;
        p.Bytes(fold);
        Result r(Run("kr_open", "SELECT * FROM kr_open($1)", {kBytea}, p));
        if (PQresultStatus(r.r) != PGRES_TUPLES_OK) return MapState(r.r, m_conn);
        if (r.rows() == 0) return B_FILE_NOT_FOUND;
        CatalogEntry e;
        e.id = GetInt8(r.r, 0, 0);
        e.name = GetBytes(r.r, 0, 1);
        e.spec = GetBytes(r.r, 0, 2);
        e.owner = PQgetisnull(r.r, 0, 3) ? std::string() : GetBytes(r.r, 0, 3);
        std::shared_ptr<PgStore> store;
        int16_t s = StoreFor(e, store);
        if (s != 0) {
            Unlock(e.name);
            return s;
        }
        ++store->handles;
        out = store;
        return 0;
    }

    void Unpin(PgStore& s) {
        if (s.handles <= 0) return;
        if (--s.handles == 0) {
            Unlock(m_names[s.id()]);
            m_stores.erase(s.id()); // the next open looks the file up again
        }
    }

    int16_t Lookup(const std::string& name, CatalogEntry& e) {
        Params p;
        p.Bytes(Fold(name));
        Result r(Run("kr_lookup", "SELECT id, name, spec, owner FROM kr_file WHERE fold = $1", {kBytea}, p));
        if (PQresultStatus(r.r) != PGRES_TUPLES_OK) return MapState(r.r, m_conn);
        if (r.rows() == 0) return B_FILE_NOT_FOUND;
        e.id = GetInt8(r.r, 0, 0);
        e.name = GetBytes(r.r, 0, 1);
        e.spec = GetBytes(r.r, 0, 2);
        e.owner = PQgetisnull(r.r, 0, 3) ? std::string() : GetBytes(r.r, 0, 3);
        return 0;
    }

    int16_t List(std::vector<std::string>& names) {
        if (int16_t s = Ready()) return s;
        Result r(PQexecParams(m_conn, "SELECT name FROM kr_file ORDER BY fold", 0, nullptr, nullptr, nullptr,
                              nullptr, 1));
        if (PQresultStatus(r.r) != PGRES_TUPLES_OK) return MapState(r.r, m_conn);
        for (int i = 0; i < r.rows(); ++i)
            names.push_back(GetBytes(r.r, i, 0));
        return 0;
    }

    int16_t SetOwner(int64_t id, const std::string& value) {
        if (int16_t s = Ready()) return s;
        Params p;
        p.Int8(id);
        p.Key(value.empty() ? std::nullopt : std::optional<std::string>(value));
        Result r(Run("kr_owner", "UPDATE kr_file SET owner = $2 WHERE id = $1", {kInt8, kBytea}, p));
        return PQresultStatus(r.r) == PGRES_COMMAND_OK ? 0 : MapState(r.r, m_conn);
    }

    // Creates (or replaces) or removes one file, as one transaction or a part of the process's.
    int16_t Change(const std::string& name, const FileSpec* spec, bool replace, bool inTx,
                   std::shared_ptr<Transactional>& joined) {
        if (int16_t s = Ready()) return s;
        if (inTx && !m_inTx) {
            if (int16_t s = TouchTransaction()) return s;
            joined = shared_from_this();
        }
        bool nested = m_inTx;
        if (int16_t s = Exec(nested ? "SAVEPOINT kr_change" : "BEGIN")) return s;
        int16_t s = ChangeInside(name, spec, replace);
        if (s == 0) s = Exec(nested ? "RELEASE SAVEPOINT kr_change" : "COMMIT");
        if (s != 0)
            Exec(nested ? "ROLLBACK TO SAVEPOINT kr_change; RELEASE SAVEPOINT kr_change" : "ROLLBACK");
        ++writes;
        return s;
    }

    std::map<int64_t, std::shared_ptr<PgStore>> m_stores;
    std::map<int64_t, std::string> m_names;

private:
    void Unlock(const std::string& name) {
        if (!m_conn || PQstatus(m_conn) != CONNECTION_OK) return;
        Params p;
        p.Bytes(Fold(name));
        Result r(Run("kr_unlock", "SELECT pg_advisory_unlock_shared(" + LockArgs() + ")", {kBytea}, p));
    }

    int16_t StoreFor(const CatalogEntry& e, std::shared_ptr<PgStore>& out) {
        auto it = m_stores.find(e.id);
        if (it == m_stores.end()) {
            FileSpec spec;
            if (ParseSpec(reinterpret_cast<const uint8_t*>(e.spec.data()),
                          static_cast<uint32_t>(e.spec.size()), spec) != 0)
                return B_NOT_A_BTRIEVE_FILE;
            // Checked once a connection: a trigger planted later meets the statement timeout.
            if (!m_checked.count(e.id)) {
                std::string t = TableOf(e.id);
                if (int16_t st = CheckTable(t, "^(id|data|ver|k[0-9]+)$", "^" + t + "_(pkey|k[0-9]+)$", "p"))
                    return st;
                m_checked.insert(e.id);
            }
            it = m_stores.emplace(e.id, std::make_shared<PgStore>(this, e.id, std::move(spec))).first;
            m_names[e.id] = e.name;
        }
        PgStore& s = *it->second;
        s.LoadOwner(e.owner);
        out = it->second;
        return 0;
    }

    int16_t ChangeInside(const std::string& name, const FileSpec* spec, bool replace) {
        CatalogEntry old;
        int16_t found = Lookup(name, old);
        if (found != 0 && found != B_FILE_NOT_FOUND) return found;
        if (found == 0) {
            if (spec && !replace) return B_FILE_ALREADY_EXISTS;
            auto it = m_stores.find(old.id);
            if (it != m_stores.end() && it->second->handles > 0) return B_FILE_INUSE; // open in this program
            Params p;
            p.Bytes(Fold(name));
            Result r(Run("kr_xlock", "SELECT pg_try_advisory_xact_lock(" + LockArgs() + ")", {kBytea}, p));
            if (PQresultStatus(r.r) != PGRES_TUPLES_OK) return MapState(r.r, m_conn);
            if (PQgetvalue(r.r, 0, 0)[0] == 0) return B_FILE_INUSE; // open in another program
            std::string t = TableOf(old.id);
            if (int16_t s = Exec("DROP TABLE " + t + "; DROP SEQUENCE " + t +
                                 "_seq; DELETE FROM kr_file WHERE id = " + std::to_string(old.id)))
                return s;
            m_stores.erase(old.id);
        } else if (!spec) {
            return B_FILE_NOT_FOUND;
        }
        if (!spec) return 0;
        Params p;
        p.Bytes(name);
        p.Bytes(Fold(name));
        p.Bytes(std::string(spec->raw.begin(), spec->raw.end()));
        Result r(Run("kr_newfile", "INSERT INTO kr_file(name, fold, spec) VALUES($1, $2, $3) RETURNING id",
                     {kBytea, kBytea, kBytea}, p));
        if (PQresultStatus(r.r) != PGRES_TUPLES_OK) {
            int16_t s = MapState(r.r, m_conn);
            return s == B_DUPLICATE_KEY_VALUE ? static_cast<int16_t>(B_FILE_ALREADY_EXISTS) : s;
        }
        int64_t id = GetInt8(r.r, 0, 0);
        std::string t = TableOf(id);
        std::string sql =
            "CREATE TABLE " + t + "(id bigint PRIMARY KEY, data bytea NOT NULL, ver bigint NOT NULL";
        for (size_t i = 0; i < spec->keys.size(); ++i)
            sql += ", k" + std::to_string(i) + " bytea";
        sql += "); CREATE SEQUENCE " + t + "_seq";
        for (size_t i = 0; i < spec->keys.size(); ++i) {
            std::string k = "k" + std::to_string(i);
            // Duplicate keys carry a sequence suffix, so every stored key is distinct either way.
            sql += std::string("; CREATE ") + (spec->keys[i].duplicates ? "" : "UNIQUE ") + "INDEX " + t +
                   "_" + k + " ON " + t + "(" + k + ")";
        }
        int16_t s = Exec(sql);
        return s == 0 || s == B_DISK_FULL ? s : static_cast<int16_t>(B_CREATE_IO_ERROR);
    }

    // The body of the function that opens a file: it locks the name, then looks it up.
    std::string OpenBody() const {
        const std::string& s = schema();
        return "BEGIN PERFORM pg_advisory_lock_shared(hashtext('" + s +
               "'), hashtext(encode(f, 'hex'))); RETURN QUERY SELECT k.id, k.name, k.spec, k.owner FROM " +
               s +
               ".kr_file k WHERE k.fold = f; IF NOT FOUND THEN PERFORM pg_advisory_unlock_shared(hashtext('" +
               s + "'), hashtext(encode(f, 'hex'))); END IF; END";
    }

    // Whether a table of the schema is as this record manager made it: a plain table with the
    // given columns, indexes and constraint kinds, and nothing that runs when it is read or
    // written (a trigger, a rule, a policy, an index on an expression, a table inheriting from it
    // or referring to it). Earlier versions put a trigger on each record table that notified
    // changes; it is still accepted, with the function as they wrote it.
    int16_t CheckTable(const std::string& table, const char* columns, const std::string& indexes,
                       const char* constraints) {
        static const char* const kSql =
            "SELECT c.relkind = 'r' AND NOT c.relrowsecurity AND NOT c.relforcerowsecurity"
            " AND NOT EXISTS (SELECT 1 FROM pg_trigger g WHERE g.tgrelid = c.oid AND NOT coalesce("
            "  g.tgname = c.relname || '_touch' AND g.tgfoid = to_regprocedure($1 || '.kr_touch()'), false))"
            " AND NOT EXISTS (SELECT 1 FROM pg_rewrite r WHERE r.ev_class = c.oid)"
            " AND NOT EXISTS (SELECT 1 FROM pg_index i JOIN pg_class x ON x.oid = i.indexrelid"
            "  WHERE i.indrelid = c.oid AND (x.relname !~ $4 OR i.indexprs IS NOT NULL OR i.indpred IS NOT "
            "NULL))"
            " AND NOT EXISTS (SELECT 1 FROM pg_constraint k"
            "  WHERE (k.conrelid = c.oid AND position(k.contype::text in $5) = 0) OR k.confrelid = c.oid)"
            " AND NOT EXISTS (SELECT 1 FROM pg_attribute a WHERE a.attrelid = c.oid AND a.attnum > 0"
            "  AND NOT a.attisdropped AND a.attname !~ $3)"
            " AND NOT EXISTS (SELECT 1 FROM pg_inherits h WHERE h.inhparent = c.oid OR h.inhrelid = c.oid)"
            " FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace"
            " WHERE n.nspname = $1 AND c.relname = $2";
        const std::string& s = schema();
        const char* values[] = {s.c_str(), table.c_str(), columns, indexes.c_str(), constraints};
        Result r(PQexecParams(m_conn, kSql, 5, nullptr, values, nullptr, nullptr, 0));
        if (PQresultStatus(r.r) != PGRES_TUPLES_OK) return MapState(r.r, m_conn);
        if (r.rows() == 1 && PQgetvalue(r.r, 0, 0)[0] == 't') return 0;
        Problem() = "the table " + table + " in the schema " + s +
                    " is not as the record manager made it (a trigger, rule, policy, index or column of "
                    "someone else's): it is not used";
        return B_NOT_A_BTRIEVE_FILE;
    }

    // The schema's own tables and functions are as this record manager made them, and it holds
    // no view: nothing of someone else's runs inside the record manager's statements.
    int16_t CheckSchema() {
        if (int16_t st = CheckTable("kr_meta", "^(name|value)$", "^kr_meta_pkey$", "p")) return st;
        if (int16_t st =
                CheckTable("kr_file", "^(id|name|fold|spec|owner)$", "^kr_file_(pkey|fold_key)$", "pu"))
            return st;
        static const char* const kSql =
            "SELECT NOT EXISTS (SELECT 1 FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace"
            "  WHERE n.nspname = $1 AND c.relkind IN ('v', 'm', 'f', 'p'))"
            " AND NOT EXISTS (SELECT 1 FROM pg_proc p JOIN pg_namespace n ON n.oid = p.pronamespace"
            "  WHERE n.nspname = $1 AND NOT coalesce((p.proname = 'kr_open' AND p.prosrc = $2)"
            "  OR (p.proname = 'kr_touch' AND p.prosrc = $3), false))";
        const std::string& s = schema();
        std::string open = OpenBody();
        const char* touch =
            "BEGIN PERFORM pg_notify('kr_' || TG_TABLE_SCHEMA, TG_TABLE_NAME); RETURN NULL; END";
        const char* values[] = {s.c_str(), open.c_str(), touch};
        Result r(PQexecParams(m_conn, kSql, 3, nullptr, values, nullptr, nullptr, 0));
        if (PQresultStatus(r.r) != PGRES_TUPLES_OK) return MapState(r.r, m_conn);
        if (r.rows() == 1 && PQgetvalue(r.r, 0, 0)[0] == 't') return 0;
        Problem() = "the schema " + s +
                    " holds a view or a function the record manager did not make, or its own were changed: "
                    "it is not used";
        return B_NOT_A_BTRIEVE_FILE;
    }

    // The schema, made on first use; a schema of something else is not ours.
    int16_t EnsureSchema() {
        Result r(PQexec(m_conn, "SELECT to_regclass('kr_meta') IS NOT NULL"));
        if (PQresultStatus(r.r) != PGRES_TUPLES_OK) return MapState(r.r, m_conn);
        if (PQgetvalue(r.r, 0, 0)[0] != 't') {
            std::string s = schema();
            std::string sql =
                "BEGIN; SELECT pg_advisory_xact_lock(hashtext('kr_schema'), hashtext('" + s +
                "')); CREATE SCHEMA IF NOT EXISTS " + s + "; CREATE TABLE IF NOT EXISTS " + s +
                ".kr_meta(name text PRIMARY KEY, value text NOT NULL); CREATE TABLE IF NOT EXISTS " + s +
                ".kr_file(id bigserial PRIMARY KEY, name bytea NOT NULL, fold bytea NOT NULL UNIQUE, spec "
                "bytea NOT "
                "NULL, owner bytea); "
                // The name is locked before it is looked up (each statement of a function reads
                // afresh), so that a file replaced meanwhile is found as it now is.
                "CREATE OR REPLACE FUNCTION " +
                s +
                ".kr_open(f bytea) RETURNS TABLE(id bigint, name bytea, spec bytea, owner bytea) LANGUAGE "
                "plpgsql AS $f$" +
                OpenBody() +
                "$f$; "
                "INSERT INTO " +
                s + ".kr_meta VALUES('format', '" + kServerFormat + "') ON CONFLICT DO NOTHING; COMMIT";
            if (int16_t st = Exec(sql)) {
                Exec("ROLLBACK");
                Problem() = std::string("cannot make the schema ") + s + ": " + PQerrorMessage(m_conn);
                return st == B_IO_ERROR ? static_cast<int16_t>(B_ACCESS_TO_FILE_DENIED) : st;
            }
        }
        if (int16_t st = CheckSchema()) return st;
        Result f(PQexec(m_conn, "SELECT value FROM kr_meta WHERE name = 'format'"));
        if (PQresultStatus(f.r) != PGRES_TUPLES_OK || f.rows() != 1 ||
            std::strcmp(PQgetvalue(f.r, 0, 0), kServerFormat) != 0) {
            Problem() = "the schema " + schema() + " holds something other than record files";
            return B_NOT_A_BTRIEVE_FILE;
        }
        return 0;
    }

    ServerSettings m_settings;
    PGconn* m_conn = nullptr;
    std::set<std::string> m_prepared;
    std::set<int64_t> m_checked; // record tables found as they were made, on this connection
    std::vector<Held> m_held;
    bool m_flushing = false;
    bool m_inTx = false;
    bool m_txLost = false;
    bool m_dropped = false;
    uint64_t m_txVersion = 0;
    uint64_t m_txSerial = 0; // counts the process transactions begun
    std::string m_snapshot;  // the server's snapshot when Version last asked
    std::chrono::steady_clock::time_point m_snapshotAsked;

    friend class PgStore;
};

// ---- one record file ----

int16_t PgStore::Rows(const std::string& name, const std::string& sql, const std::vector<Oid>& types,
                      const Params& p, Result& res, bool write) {
    if (int16_t s = m_server->Ready()) return s;
    // Numbers taken ahead would come before the one this write takes: duplicates keep the order
    // they were written in.
    if (write) m_numbers.clear();
    std::string full = "r" + std::to_string(m_id) + "_" + name;
    res.r = write ? m_server->RunWrite(full, sql, types, p) : m_server->Run(full, sql, types, p);
    auto st = PQresultStatus(res.r);
    if (st == PGRES_TUPLES_OK || st == PGRES_COMMAND_OK) return 0;
    return MapState(res.r, m_server->conn());
}

void PgStore::Unpin() {
    m_server->Unpin(*this);
}

std::shared_ptr<Transactional> PgStore::Tx() {
    return m_server->shared_from_this();
}

namespace {
void ReadRow(const PGresult* r, int i, bool withKey, Row& row) {
    row.id = GetInt8(r, i, 0);
    row.data = GetBytes(r, i, 1);
    row.version = GetInt8(r, i, 2);
    if (withKey && !PQgetisnull(r, i, 3))
        row.key = GetBytes(r, i, 3);
    else
        row.key.clear();
}
} // namespace

std::vector<PgStore::Known>* PgStore::KnownNow() {
    if (!m_server->m_inTx) return nullptr;
    if (m_knownTx != m_server->m_txSerial) {
        m_known.assign(m_spec.keys.size(), Known());
        m_knownTx = m_server->m_txSerial;
    }
    return &m_known;
}

void PgStore::Forget(int64_t id) {
    for (Known& k : m_known) {
        auto it = k.keyOf.find(id);
        if (it == k.keyOf.end()) continue;
        k.rows.erase(it->second);
        k.keyOf.erase(it);
    }
}

void PgStore::Learn(int64_t id, int64_t version, const std::string& data,
                    const std::vector<std::optional<std::string>>& stored) {
    auto* known = KnownNow();
    if (!known) return;
    Forget(id);
    for (size_t i = 0; i < known->size() && i < stored.size(); ++i) {
        Known& k = (*known)[i];
        if (!k.valid || !stored[i] || !Covers(k, *stored[i])) continue;
        // A stretch grown past bounds is let go rather than held: the server answers again.
        if (k.rows.size() >= 20000) {
            k = Known();
            continue;
        }
        k.rows[*stored[i]] = Row{id, version, data, *stored[i]};
        k.keyOf[id] = *stored[i];
    }
}

int16_t PgStore::Find(int key, Seek how, const std::string& a, const std::string& b, Row& row) {
    auto* known = (how == Seek::Eq || how == Seek::Range) ? KnownNow() : nullptr;
    if (known && key >= 0 && static_cast<size_t>(key) < known->size()) {
        Known& k = (*known)[static_cast<size_t>(key)];
        const std::string& last = how == Seek::Range ? b : a;
        auto found = [&]() -> int16_t {
            auto it = k.rows.lower_bound(a);
            if (it == k.rows.end() || it->first > last) return B_END_OF_FILE;
            row = it->second;
            return 0;
        };
        if (k.valid && Covers(k, a)) return found();
        if (int16_t s = Fill(key, a)) return s;
        return found();
    }
    std::string k = "k" + std::to_string(key);
    std::string where;
    const char* order = "";
    std::vector<Oid> types = {kBytea};
    switch (how) {
    case Seek::Range:
        where = k + " >= $1 AND " + k + " <= $2";
        types.push_back(kBytea);
        break;
    case Seek::Ge:
        where = k + " >= $1";
        break;
    case Seek::Gt:
        where = k + " > $1";
        break;
    case Seek::Lt:
        where = k + " < $1";
        order = " DESC";
        break;
    case Seek::Le:
        where = k + " <= $1";
        order = " DESC";
        break;
    case Seek::LastDesc:
        where = k + " IS NOT NULL";
        order = " DESC";
        types.clear();
        break;
    case Seek::Eq:
        where = k + " = $1";
        break;
    }
    Params p;
    if (how != Seek::LastDesc) p.Bytes(a);
    if (how == Seek::Range) p.Bytes(b);
    Result r;
    std::string sql = "SELECT id, data, ver, " + k + " FROM " + TableOf(m_id) + " WHERE " + where +
                      " ORDER BY " + k + order + " LIMIT 1";
    if (int16_t s =
            Rows("f" + std::to_string(key) + "_" + std::to_string(static_cast<int>(how)), sql, types, p, r))
        return s;
    if (r.rows() == 0) return B_END_OF_FILE;
    ReadRow(r.r, 0, true, row);
    return 0;
}

int16_t PgStore::FindMany(int key, Seek how, const std::string& a, int n, std::vector<Row>& rows) {
    rows.clear();
    std::string k = "k" + std::to_string(key);
    bool gt = how == Seek::Gt;
    std::string sql = "SELECT id, data, ver, " + k + " FROM " + TableOf(m_id) + " WHERE " + k +
                      (gt ? " > " : " < ") + "$1 ORDER BY " + k + (gt ? "" : " DESC") + " LIMIT $2";
    Params p;
    p.Bytes(a);
    p.Int8(n);
    Result r;
    if (int16_t s = Rows(std::string(gt ? "m" : "n") + std::to_string(key), sql, {kBytea, kInt8}, p, r))
        return s;
    rows.resize(static_cast<size_t>(r.rows()));
    for (int i = 0; i < r.rows(); ++i)
        ReadRow(r.r, i, true, rows[static_cast<size_t>(i)]);
    return rows.empty() ? B_END_OF_FILE : 0;
}

int16_t PgStore::Version(uint64_t& version) {
    return m_server->Version(version);
}

int16_t PgStore::StepFind(bool forward, int64_t after, Row& row) {
    uint64_t version = 0;
    if (int16_t s = m_server->Version(version)) return s;
    bool sameRun =
        m_stepForward == forward && m_stepVersion == version && m_stepAfter == after && !m_stepAhead.empty();
    if (!sameRun || m_stepPos >= m_stepAhead.size()) {
        m_stepBatch = sameRun ? std::min(256, m_stepBatch * 2) : 4;
        Params p;
        p.Int8(after);
        p.Int8(m_stepBatch);
        Result r;
        std::string sql = "SELECT id, data, ver FROM " + TableOf(m_id) +
                          (forward ? " WHERE id > $1 ORDER BY id" : " WHERE id < $1 ORDER BY id DESC") +
                          " LIMIT $2";
        m_stepAhead.clear();
        if (int16_t s = Rows(forward ? "sf" : "sb", sql, {kInt8, kInt8}, p, r)) return s;
        m_stepAhead.resize(static_cast<size_t>(r.rows()));
        for (int i = 0; i < r.rows(); ++i)
            ReadRow(r.r, i, false, m_stepAhead[static_cast<size_t>(i)]);
        m_stepPos = 0;
        m_stepForward = forward;
        m_stepVersion = version;
        if (m_stepAhead.empty()) return B_END_OF_FILE;
    }
    row = m_stepAhead[m_stepPos++];
    m_stepAfter = row.id;
    return 0;
}

int16_t PgStore::ById(int64_t id, int key, Row& row) {
    if (auto* known = KnownNow())
        for (size_t i = 0; i < known->size(); ++i) {
            const Known& k = (*known)[i];
            auto it = k.keyOf.find(id);
            if (it == k.keyOf.end() || (key >= 0 && static_cast<size_t>(key) != i)) continue;
            row = k.rows.at(it->second);
            if (key < 0) row.key.clear();
            return 0;
        }
    std::string cols;
    for (size_t i = 0; i < m_spec.keys.size(); ++i)
        cols += ", k" + std::to_string(i);
    Params p;
    p.Int8(id);
    Result r;
    if (int16_t s = Rows("id", "SELECT id, data, ver" + cols + " FROM " + TableOf(m_id) + " WHERE id = $1",
                         {kInt8}, p, r))
        return s;
    if (r.rows() == 0) return B_INVALID_RECORD_ADDRESS;
    row.id = id;
    row.data = GetBytes(r.r, 0, 1);
    row.version = GetInt8(r.r, 0, 2);
    row.key = key >= 0 && !PQgetisnull(r.r, 0, 3 + key) ? GetBytes(r.r, 0, 3 + key) : std::string();
    return 0;
}

int16_t PgStore::Count(uint32_t& count) {
    Result r;
    if (int16_t s = Rows("count", "SELECT count(*) FROM " + TableOf(m_id), {}, Params(), r)) return s;
    count = static_cast<uint32_t>(GetInt8(r.r, 0, 0));
    return 0;
}

int16_t PgStore::Fill(int key, const std::string& a) {
    // The stretch from a on is read in one go.
    constexpr int kStretch = 64;
    std::string c = "k" + std::to_string(key);
    Params p;
    p.Bytes(a);
    p.Int8(kStretch);
    Result r;
    if (int16_t s = Rows("kr" + std::to_string(key),
                         "SELECT id, data, ver, " + c + " FROM " + TableOf(m_id) + " WHERE " + c +
                             " >= $1 ORDER BY " + c + " LIMIT $2",
                         {kBytea, kInt8}, p, r))
        return s;
    Known& k = m_known[static_cast<size_t>(key)];
    k = Known();
    k.valid = true;
    k.lo = a;
    k.open = r.rows() < kStretch;
    for (int i = 0; i < r.rows(); ++i) {
        Row got;
        ReadRow(r.r, i, true, got);
        k.keyOf[got.id] = got.key;
        k.hi = got.key;
        k.rows.emplace(got.key, std::move(got));
    }
    return 0;
}

bool PgStore::KeysFree(const std::vector<std::optional<std::string>>& keys) {
    auto* known = KnownNow();
    if (!known) return false;
    for (size_t i = 0; i < keys.size() && i < known->size(); ++i) {
        if (m_spec.keys[i].duplicates || !keys[i]) continue;
        Known& k = (*known)[i];
        if ((!k.valid || !Covers(k, *keys[i])) && Fill(static_cast<int>(i), *keys[i]) != 0) return false;
        if (k.rows.count(*keys[i])) return false;
    }
    return true;
}

int16_t PgStore::HoldInsert(const std::string& data, const std::vector<std::optional<std::string>>& keys,
                            int64_t& id, std::vector<std::optional<std::string>>& stored) {
    std::string t = TableOf(m_id);
    if (m_numbers.empty()) {
        Params p;
        p.Int8(256);
        Result r;
        if (int16_t s =
                Rows("numbers", "SELECT nextval('" + t + "_seq') FROM generate_series(1, $1)", {kInt8}, p, r))
            return s;
        for (int i = r.rows() - 1; i >= 0; --i)
            m_numbers.push_back(GetInt8(r.r, i, 0));
        if (m_numbers.empty()) return B_IO_ERROR;
    }
    id = m_numbers.back();
    m_numbers.pop_back();
    Server::Held h;
    h.name = "r" + std::to_string(m_id) + "_held";
    std::string cols, values;
    h.types = {kInt8, kBytea};
    h.p.Int8(id);
    h.p.Bytes(data);
    stored.assign(keys.size(), std::nullopt);
    Params suffix;
    suffix.Int8(id);
    for (size_t i = 0; i < keys.size(); ++i) {
        if (keys[i]) stored[i] = m_spec.keys[i].duplicates ? *keys[i] + suffix.values[0] : *keys[i];
        cols += ", k" + std::to_string(i);
        values += ", $" + std::to_string(i + 3);
        h.types.push_back(kBytea);
        h.p.Key(stored[i]);
    }
    h.sql = "INSERT INTO " + t + "(id, data, ver" + cols + ") VALUES($1, $2, 0" + values + ")";
    m_server->Hold(std::move(h));
    Learn(id, 0, data, stored);
    if (m_server->HeldCount() >= 256) m_server->Flush();
    return 0;
}

int16_t PgStore::Insert(const std::string& data, const std::vector<std::optional<std::string>>& keys,
                        int64_t& id, std::vector<std::optional<std::string>>& stored) {
    if (m_server->m_inTx) {
        if (m_writesTx != m_server->m_txSerial) {
            m_writesTx = m_server->m_txSerial;
            m_writes = 0;
            m_locked = false;
            m_numbers.clear();
        }
        // A transaction that writes a file at length takes it to itself, once.
        if (++m_writes == 16) {
            m_locked = m_server->LockTable(TableOf(m_id));
            // What was read before another program may have changed since: read afresh under the lock.
            if (m_locked && KnownNow()) m_known.assign(m_spec.keys.size(), Known());
        }
        if (m_locked && KeysFree(keys)) return HoldInsert(data, keys, id, stored);
    }
    std::string t = TableOf(m_id);
    std::string cols, values, ret;
    std::vector<Oid> types = {kBytea};
    Params p;
    p.Bytes(data);
    for (size_t i = 0; i < keys.size(); ++i) {
        std::string k = "k" + std::to_string(i);
        cols += ", " + k;
        ret += ", " + k;
        values += ", $" + std::to_string(i + 2) + (m_spec.keys[i].duplicates ? " || int8send(v)" : "");
        types.push_back(kBytea);
        p.Key(keys[i]);
    }
    std::string sql = "INSERT INTO " + t + "(id, data, ver" + cols + ") SELECT v, $1, 0" + values +
                      " FROM (SELECT nextval('" + t + "_seq') AS v) s RETURNING id" + ret;
    Result r;
    if (int16_t s = Rows("ins", sql, types, p, r, true)) return s;
    id = GetInt8(r.r, 0, 0);
    stored.assign(keys.size(), std::nullopt);
    for (size_t i = 0; i < keys.size(); ++i)
        if (!PQgetisnull(r.r, 0, static_cast<int>(i) + 1))
            stored[i] = GetBytes(r.r, 0, static_cast<int>(i) + 1);
    Learn(id, 0, data, stored);
    return 0;
}

int16_t PgStore::Update(int64_t id, int64_t& version, const std::string& data,
                        const std::vector<std::optional<std::string>>& keys,
                        const std::vector<bool>& keepStored,
                        std::vector<std::optional<std::string>>& stored) {
    std::string t = TableOf(m_id);
    std::string sets, ret;
    std::vector<Oid> types = {kInt8, kInt8, kBytea};
    Params p;
    p.Int8(id);
    p.Int8(version);
    p.Bytes(data);
    int n = 4;
    for (size_t i = 0; i < keys.size(); ++i) {
        std::string k = "k" + std::to_string(i);
        std::string val = "$" + std::to_string(n++);
        types.push_back(kBytea);
        p.Key(keys[i]);
        if (m_spec.keys[i].duplicates) {
            // A duplicate whose value changed goes to the end of its new group.
            std::string keep = "$" + std::to_string(n++);
            types.push_back(kBool);
            p.Bool(keepStored[i]);
            sets += ", " + k + " = CASE WHEN " + keep + " AND " + k + " IS NOT NULL AND " + val +
                    " IS NOT NULL THEN " + k + " ELSE " + val + " || int8send(nextval('" + t + "_seq')) END";
        } else {
            sets += ", " + k + " = " + val;
        }
        ret += ", " + k;
    }
    // Only the record as the caller read it is changed.
    std::string sql = "UPDATE " + t + " SET data = $3, ver = ver + 1" + sets +
                      " WHERE id = $1 AND ver = $2 RETURNING ver" + ret;
    Result r;
    if (int16_t s = Rows("upd", sql, types, p, r, true)) return s;
    if (r.rows() != 1) return B_CONFLICT;
    version = GetInt8(r.r, 0, 0);
    stored.assign(keys.size(), std::nullopt);
    for (size_t i = 0; i < keys.size(); ++i)
        if (!PQgetisnull(r.r, 0, static_cast<int>(i) + 1))
            stored[i] = GetBytes(r.r, 0, static_cast<int>(i) + 1);
    Learn(id, version, data, stored);
    return 0;
}

int16_t PgStore::Erase(int64_t id, int64_t version) {
    Params p;
    p.Int8(id);
    p.Int8(version);
    Result r;
    if (int16_t s = Rows("del", "DELETE FROM " + TableOf(m_id) + " WHERE id = $1 AND ver = $2",
                         {kInt8, kInt8}, p, r, true))
        return s;
    if (std::strcmp(PQcmdTuples(r.r), "1") != 0) return B_CONFLICT;
    if (KnownNow()) Forget(id);
    return 0;
}

int16_t PgStore::StoredKeys(int64_t id, std::vector<std::optional<std::string>>& keys) {
    std::string cols = "id";
    for (size_t i = 0; i < m_spec.keys.size(); ++i)
        cols += ", k" + std::to_string(i);
    Params p;
    p.Int8(id);
    Result r;
    if (int16_t s =
            Rows("keys", "SELECT " + cols + " FROM " + TableOf(m_id) + " WHERE id = $1", {kInt8}, p, r))
        return s;
    if (r.rows() == 0) return B_INVALID_RECORD_ADDRESS;
    keys.assign(m_spec.keys.size(), std::nullopt);
    for (size_t i = 0; i < keys.size(); ++i)
        if (!PQgetisnull(r.r, 0, static_cast<int>(i) + 1))
            keys[i] = GetBytes(r.r, 0, static_cast<int>(i) + 1);
    return 0;
}

int16_t PgStore::InsertStored(const std::string& data, const std::vector<std::optional<std::string>>& stored,
                              int64_t& id) {
    if (stored.size() != m_spec.keys.size()) return B_INVALID_KEYNUMBER;
    std::string t = TableOf(m_id);
    std::string cols, values;
    std::vector<Oid> types = {kBytea, kInt8};
    Params p;
    p.Bytes(data);
    int64_t highest = 0; // the latest duplicate sequence taken in
    for (size_t i = 0; i < m_spec.keys.size(); ++i) {
        const std::optional<std::string>& k = stored[i];
        if (m_spec.keys[i].duplicates && k && k->size() >= 8) {
            int64_t seq = 0;
            for (size_t b = k->size() - 8; b < k->size(); ++b)
                seq = (seq << 8) | static_cast<uint8_t>((*k)[b]);
            highest = std::max(highest, seq);
        }
        cols += ", k" + std::to_string(i);
        values += ", $" + std::to_string(i + 3);
        types.push_back(kBytea);
    }
    p.Int8(highest);
    for (size_t i = 0; i < m_spec.keys.size(); ++i)
        p.Key(stored[i]);
    // The sequence numbers records and orders duplicates: it moves past every sequence taken in.
    std::string sql = "INSERT INTO " + t + "(id, data, ver" + cols + ") SELECT v, $1, 0" + values +
                      " FROM (SELECT setval('" + t + "_seq', greatest(nextval('" + t +
                      "_seq'), $2 + 1)) AS v) s RETURNING id";
    Result r;
    if (int16_t s = Rows("insstored", sql, types, p, r, true)) return s;
    id = GetInt8(r.r, 0, 0);
    if (KnownNow()) m_known.assign(m_spec.keys.size(), Known());
    return 0;
}

int16_t PgStore::StoreOwner(const std::string& stored) {
    return m_server->SetOwner(m_id, stored);
}

int16_t PgStore::BeginWrite() {
    return m_server->BeginWrite();
}

int16_t PgStore::EndWrite(bool commit) {
    return m_server->EndWrite(commit);
}

// ---- the pool: one connection per server schema ----

std::map<std::string, std::shared_ptr<Server>>& Pool() {
    static auto* pool = new std::map<std::string, std::shared_ptr<Server>>();
    return *pool;
}

int16_t ServerOf(const std::string& dir, std::shared_ptr<Server>& out) {
    ServerSettings settings;
    std::string problem;
    if (int16_t s = ReadServerSettings(dir, settings, problem)) {
        Problem() = problem;
        return s;
    }
    std::string key = settings.connection + '\n' + settings.schema;
    auto it = Pool().find(key);
    if (it == Pool().end()) it = Pool().emplace(key, std::make_shared<Server>(settings)).first;
    out = it->second;
    return out->Ready();
}

bool Idle(const Server& s) {
    if (s.InTransaction()) return false;
    for (auto& [id, st] : s.m_stores)
        if (st.use_count() > 1 || st->handles > 0) return false;
    return true;
}

} // namespace

bool ServerBacked(const std::string& dir) {
    struct stat st;
    return ::stat((dir + "/" + kServerSettingsName).c_str(), &st) == 0;
}

int16_t ReadServerSettings(const std::string& dir, ServerSettings& settings, std::string& problem) {
    std::string path = dir + "/" + kServerSettingsName;
    std::ifstream in(path);
    struct stat st;
    if (!in || ::stat(path.c_str(), &st) != 0) {
        problem = "cannot read " + path;
        return B_ACCESS_TO_FILE_DENIED;
    }
    std::string line;
    settings = {};
    while (std::getline(in, line)) {
        line = Trim(line);
        if (line.empty() || line[0] == '#') continue;
        size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        std::string name = Trim(line.substr(0, eq)), value = Trim(line.substr(eq + 1));
        if (name == "connection")
            settings.connection = value;
        else if (name == "schema")
            settings.schema = value;
        else if (name == "read_ahead_ms") {
            char* end = nullptr;
            long ms = std::strtol(value.c_str(), &end, 10);
            if (value.empty() || *end || ms < 0 || ms > 1000) {
                problem = path + ": read_ahead_ms must be a whole number of milliseconds from 0 to 1000";
                return B_FILENAME_BAD;
            }
            settings.readAheadMs = static_cast<int>(ms);
        }
    }
    if (!SchemaNameOk(settings.schema)) {
        problem = path + ": the schema must be lower-case letters, digits and '_' (at most 48)";
        return B_FILENAME_BAD;
    }
    char* err = nullptr;
    PQconninfoOption* opts = PQconninfoParse(settings.connection.c_str(), &err);
    if (!opts) {
        problem = path + ": the connection string is not valid: " + (err ? err : "");
        PQfreemem(err);
        return B_FILENAME_BAD;
    }
    bool password = false;
    for (PQconninfoOption* o = opts; o->keyword; ++o)
        if (std::strcmp(o->keyword, "password") == 0 && o->val && *o->val) password = true;
    PQconninfoFree(opts);
    // Everybody who uses the directory can read the file: a password belongs in ~/.pgpass.
    if (password && (st.st_mode & (S_IRGRP | S_IROTH))) {
        problem = path + " holds a password that others can read; keep it in ~/.pgpass or PGPASSWORD instead";
        return B_ACCESS_TO_FILE_DENIED;
    }
    return 0;
}

std::string LastServerProblem() {
    return Problem();
}

int16_t ServerOpenStore(const std::string& dir, const std::string& base, std::shared_ptr<FileStore>& store) {
    std::shared_ptr<Server> server;
    if (int16_t s = ServerOf(dir, server)) return s;
    std::shared_ptr<PgStore> opened;
    if (int16_t s = server->OpenFile(base, opened)) return s;
    store = opened;
    return 0;
}

int16_t ServerCreateStore(const std::string& dir, const std::string& base, const FileSpec& spec, bool replace,
                          bool inTx, std::shared_ptr<Transactional>& joined) {
    std::shared_ptr<Server> server;
    if (int16_t s = ServerOf(dir, server))
        return s == B_FILE_NOT_FOUND ? static_cast<int16_t>(B_CREATE_IO_ERROR) : s;
    return server->Change(base, &spec, replace, inTx, joined);
}

int16_t ServerRemoveStore(const std::string& dir, const std::string& base, bool inTx,
                          std::shared_ptr<Transactional>& joined) {
    std::shared_ptr<Server> server;
    if (int16_t s = ServerOf(dir, server)) return s;
    return server->Change(base, nullptr, false, inTx, joined);
}

bool ServerStoreExists(const std::string& dir, const std::string& base) {
    std::shared_ptr<Server> server;
    if (ServerOf(dir, server) != 0) return false;
    CatalogEntry e;
    return server->Lookup(base, e) == 0;
}

int16_t ServerListFiles(const std::string& dir, std::vector<std::string>& names) {
    std::shared_ptr<Server> server;
    if (int16_t s = ServerOf(dir, server)) return s;
    return server->List(names);
}

void ServerDropIdle() {
    for (auto it = Pool().begin(); it != Pool().end();)
        it = Idle(*it->second) ? Pool().erase(it) : std::next(it);
}

void ServerForgetAfterFork() {
    for (auto& [key, s] : Pool())
        s->Orphan();
}

void ServerCloseAfterFork() {
    for (auto& [key, s] : Pool())
        s->Disconnect();
    Pool().clear();
}

} // namespace btr
