// Record files kept as SQLite databases: one table of records with one column per key, each key
// column encoded so that SQLite's byte order is the key order, indexed; a meta table holds the
// file specification, the sequence that orders duplicates, and the owner.
#include "store.h"

#include "btrcall.h"

#include <sqlite3.h>

#include <array>
#include <atomic>
#include <fcntl.h>
#include <sys/mman.h>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace btr {

namespace {

constexpr const char* kFormat = "kestrel-btrieve 1";

int BusyTimeoutMs() {
    static int ms = [] {
        const char* env = std::getenv("KESTREL_BUSY_TIMEOUT_MS");
        int v = env ? std::atoi(env) : 0;
        return v > 0 ? v : 2000;
    }();
    return ms;
}

int16_t MapError(int rc) {
    switch (rc & 0xFF) {
    case SQLITE_OK:
    case SQLITE_ROW:
    case SQLITE_DONE:
        return 0;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return B_FILE_INUSE;
    case SQLITE_CONSTRAINT:
        return B_DUPLICATE_KEY_VALUE;
    case SQLITE_FULL:
        return B_DISK_FULL;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return B_ACCESS_TO_FILE_DENIED;
    case SQLITE_NOMEM:
        return B_UNRECOVERABLE_ERROR;
    default:
        return B_IO_ERROR;
    }
}

void BindBlob(sqlite3_stmt* st, int i, const std::string& v) {
    if (v.empty())
        sqlite3_bind_zeroblob(st, i, 0);
    else
        sqlite3_bind_blob(st, i, v.data(), static_cast<int>(v.size()), SQLITE_STATIC);
}

void BindKey(sqlite3_stmt* st, int i, const std::optional<std::string>& v) {
    if (v)
        BindBlob(st, i, *v);
    else
        sqlite3_bind_null(st, i);
}

std::string ColumnBlob(sqlite3_stmt* st, int i) {
    const void* p = sqlite3_column_blob(st, i);
    int n = sqlite3_column_bytes(st, i);
    return p ? std::string(static_cast<const char*>(p), static_cast<size_t>(n)) : std::string();
}

std::string SeqSuffix(int64_t seq) {
    std::string s(8, '\0');
    for (int i = 7; i >= 0; --i) {
        s[i] = static_cast<char>(seq & 0xFF);
        seq >>= 8;
    }
    return s;
}

// Resets a statement when it leaves scope, so that no read stays open.
struct StmtUse {
    sqlite3_stmt* st;
    explicit StmtUse(sqlite3_stmt* s) : st(s) {}
    ~StmtUse() {
        sqlite3_reset(st);
        sqlite3_clear_bindings(st);
    }
};

class SqliteStore final : public FileStore {
public:
    SqliteStore(sqlite3* db, FileSpec spec, bool readOnlyFile) : m_db(db), m_readOnlyFile(readOnlyFile) {
        m_spec = std::move(spec);
    }
    ~SqliteStore() override {
        if (m_abandoned)
            return; // a connection inherited across fork belongs to the parent
        for (auto& perKey : m_find)
            for (sqlite3_stmt* st : perKey)
                sqlite3_finalize(st);
        for (auto& perKey : m_findMany)
            for (sqlite3_stmt* st : perKey)
                sqlite3_finalize(st);
        for (sqlite3_stmt* st : {m_stepFwd, m_stepBack, m_byId, m_insert, m_update, m_erase, m_count, m_seq,
                                 m_keys, m_getMeta, m_setMeta, m_dataVersion, m_begin, m_beginRead, m_commit, m_rollback})
            sqlite3_finalize(st);
        if (m_inTx)
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close_v2(m_db);
        // Only now: closing a descriptor of the -shm file would drop SQLite's locks on it.
        if (m_shm)
            ::munmap(const_cast<uint8_t*>(m_shm), kShmMapped);
        if (m_shmFd >= 0)
            ::close(m_shmFd);
    }

    // Maps the wal-index header read-only so that Version needs no read transaction. Called once
    // the connection has read the file (SQLite has set the wal-index up by then).
    void MapWalIndex(const std::string& path) {
        m_shmFd = ::open((path + "-shm").c_str(), O_RDONLY | O_CLOEXEC);
        if (m_shmFd < 0)
            return;
        struct stat st;
        if (::fstat(m_shmFd, &st) != 0 || st.st_size < static_cast<off_t>(kShmMapped))
            return; // the descriptor stays open until the connection closes, see the destructor
        void* p = ::mmap(nullptr, kShmMapped, PROT_READ, MAP_SHARED, m_shmFd, 0);
        if (p != MAP_FAILED)
            m_shm = static_cast<const volatile uint8_t*>(p);
    }

    void Abandon() override { m_abandoned = true; }

    int16_t Prepare() {
        size_t n = m_spec.keys.size();
        std::string cols, params, sets;
        for (size_t i = 0; i < n; ++i) {
            cols += ", k" + std::to_string(i);
            params += ", ?" + std::to_string(i + 3);
            sets += ", k" + std::to_string(i) + " = ?" + std::to_string(i + 3);
        }
        m_find.assign(n, {});
        m_findMany.assign(n, {});
        struct {
            sqlite3_stmt** st;
            std::string sql;
        } list[] = {
            {&m_stepFwd, "SELECT id, data FROM kr_rec WHERE id > ?1 ORDER BY id LIMIT 1"},
            {&m_stepBack, "SELECT id, data FROM kr_rec WHERE id < ?1 ORDER BY id DESC LIMIT 1"},
            {&m_byId, "SELECT id, data" + cols + " FROM kr_rec WHERE id = ?1"},
            {&m_insert, "INSERT INTO kr_rec(id, data" + cols + ") VALUES(?1, ?2" + params + ")"},
            {&m_update, "UPDATE kr_rec SET data = ?2" + sets + " WHERE id = ?1"},
            {&m_erase, "DELETE FROM kr_rec WHERE id = ?1"},
            {&m_count, "SELECT count(*) FROM kr_rec"},
            {&m_seq, "UPDATE kr_meta SET value = value + 1 WHERE name = 'seq' RETURNING value"},
            {&m_keys, "SELECT 0" + cols + " FROM kr_rec WHERE id = ?1"},
            {&m_getMeta, "SELECT value FROM kr_meta WHERE name = ?1"},
            {&m_setMeta, "INSERT OR REPLACE INTO kr_meta(name, value) VALUES(?1, ?2)"},
            {&m_dataVersion, "PRAGMA data_version"},
            {&m_begin, "BEGIN IMMEDIATE"},
            {&m_beginRead, "BEGIN"},
            {&m_commit, "COMMIT"},
            {&m_rollback, "ROLLBACK"},
        };
        for (auto& e : list)
            if (sqlite3_prepare_v3(m_db, e.sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, e.st, nullptr) != SQLITE_OK)
                return B_NOT_A_BTRIEVE_FILE;
        return 0;
    }

    int16_t Find(int key, Seek how, const std::string& a, const std::string& b, Row& row) override {
        ReadSnapshot();
        sqlite3_stmt* st = FindStmt(key, how);
        if (!st)
            return B_IO_ERROR;
        StmtUse use(st);
        if (how != Seek::LastDesc)
            BindBlob(st, 1, a);
        if (how == Seek::Range)
            BindBlob(st, 2, b);
        return StepOne(st, true, row);
    }

    int16_t FindMany(int key, Seek how, const std::string& a, int n, std::vector<Row>& rows) override {
        ReadSnapshot();
        rows.clear();
        sqlite3_stmt*& st = m_findMany[key][how == Seek::Gt ? 0 : 1];
        if (!st) {
            std::string k = "k" + std::to_string(key);
            std::string sql = "SELECT id, data, " + k + " FROM kr_rec WHERE " + k + (how == Seek::Gt ? " > " : " < ") +
                              "?1 ORDER BY " + k + (how == Seek::Gt ? "" : " DESC") + " LIMIT ?2";
            if (sqlite3_prepare_v3(m_db, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &st, nullptr) != SQLITE_OK) {
                st = nullptr;
                return B_IO_ERROR;
            }
        }
        StmtUse use(st);
        BindBlob(st, 1, a);
        sqlite3_bind_int(st, 2, n);
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            Row& row = rows.emplace_back();
            row.id = sqlite3_column_int64(st, 0);
            row.data = ColumnBlob(st, 1);
            row.key = ColumnBlob(st, 2);
        }
        if (rc != SQLITE_DONE)
            return MapError(rc);
        return rows.empty() ? B_END_OF_FILE : 0;
    }

    // Every commit, by any program, rewrites the wal-index header: a hash of its first copy
    // changes whenever the file's records may have.
    uint64_t HeaderHash() const {
        uint8_t header[48];
        std::atomic_thread_fence(std::memory_order_acquire);
        for (size_t i = 0; i < sizeof header; ++i)
            header[i] = m_shm[i];
        std::atomic_thread_fence(std::memory_order_acquire);
        uint64_t h = 1469598103934665603ull;
        for (uint8_t b : header)
            h = (h ^ b) * 1099511628211ull;
        return h;
    }

    // Reads share one read transaction while nothing is committed, which spares SQLite's
    // locking on every call. The snapshot is renewed when the wal-index header moves (another
    // write, ours or another program's), after a short while, and before any write; it is let go
    // when the last handle closes.
    void ReadSnapshot() {
        if (m_inTx || m_writing || !m_shm)
            return;
        if (!m_readOpen && m_plainReads++ == 0)
            return; // a lone read (open, one lookup, close) is cheapest as a plain statement
        uint64_t h = HeaderHash();
        auto now = std::chrono::steady_clock::now();
        if (m_readOpen && h == m_readHeader && now - m_readSince < std::chrono::milliseconds(200))
            return;
        EndRead();
        if (Run(m_beginRead) != 0)
            return; // plain statements then, each its own read
        m_readOpen = true;
        m_readHeader = h;
        m_readSince = now;
    }

    void EndRead() {
        if (m_readOpen) {
            m_readOpen = false;
            Run(m_commit);
        }
    }

    void Relax() override {
        EndRead();
        m_plainReads = 0;
    }

    int16_t Version(uint64_t& version) override {
        if (m_shm) {
            version = HeaderHash() ^ m_writes;
            return 0;
        }
        StmtUse use(m_dataVersion);
        int rc = sqlite3_step(m_dataVersion);
        if (rc != SQLITE_ROW)
            return MapError(rc);
        version = (static_cast<uint64_t>(sqlite3_column_int64(m_dataVersion, 0)) << 32) ^ m_writes;
        return 0;
    }

    int16_t StepFind(bool forward, int64_t after, Row& row) override {
        ReadSnapshot();
        sqlite3_stmt* st = forward ? m_stepFwd : m_stepBack;
        StmtUse use(st);
        sqlite3_bind_int64(st, 1, after);
        return StepOne(st, false, row);
    }

    int16_t ById(int64_t id, int key, Row& row) override {
        ReadSnapshot();
        StmtUse use(m_byId);
        sqlite3_bind_int64(m_byId, 1, id);
        int rc = sqlite3_step(m_byId);
        if (rc == SQLITE_DONE)
            return B_INVALID_RECORD_ADDRESS;
        if (rc != SQLITE_ROW)
            return MapError(rc);
        row.id = id;
        row.data = ColumnBlob(m_byId, 1);
        row.key = key >= 0 ? ColumnBlob(m_byId, 2 + key) : std::string();
        if (key >= 0 && sqlite3_column_type(m_byId, 2 + key) == SQLITE_NULL)
            row.key.clear();
        return 0;
    }

    int16_t Count(uint32_t& count) override {
        ReadSnapshot();
        StmtUse use(m_count);
        int rc = sqlite3_step(m_count);
        if (rc != SQLITE_ROW)
            return MapError(rc);
        count = static_cast<uint32_t>(sqlite3_column_int64(m_count, 0));
        return 0;
    }

    int16_t NextSeq(int64_t& seq) {
        StmtUse use(m_seq);
        int rc = sqlite3_step(m_seq);
        if (rc != SQLITE_ROW)
            return MapError(rc);
        seq = sqlite3_column_int64(m_seq, 0);
        return 0;
    }

    int16_t Insert(const std::string& data, const std::vector<std::optional<std::string>>& keys, int64_t& id,
                   std::vector<std::optional<std::string>>& stored) override {
        // The sequence orders duplicates; a file without duplicate keys lets SQLite number its records.
        bool sequenced = false;
        for (const Key& k : m_spec.keys)
            sequenced = sequenced || k.duplicates;
        if (sequenced) {
            if (int16_t s = NextSeq(id))
                return s;
        }
        stored = keys;
        for (size_t i = 0; i < keys.size(); ++i)
            if (stored[i] && m_spec.keys[i].duplicates)
                *stored[i] += SeqSuffix(id);
        StmtUse use(m_insert);
        if (sequenced)
            sqlite3_bind_int64(m_insert, 1, id);
        else
            sqlite3_bind_null(m_insert, 1);
        BindBlob(m_insert, 2, data);
        for (size_t i = 0; i < stored.size(); ++i)
            BindKey(m_insert, static_cast<int>(i) + 3, stored[i]);
        int rc = sqlite3_step(m_insert);
        if (rc != SQLITE_DONE)
            return MapError(rc);
        if (!sequenced)
            id = sqlite3_last_insert_rowid(m_db);
        return 0;
    }

    int16_t Update(int64_t id, const std::string& data, const std::vector<std::optional<std::string>>& keys,
                   const std::vector<bool>& keepStored, std::vector<std::optional<std::string>>& stored) override {
        std::vector<std::optional<std::string>> old;
        if (int16_t s = StoredKeys(id, old))
            return s;
        stored = keys;
        for (size_t i = 0; i < keys.size(); ++i) {
            if (!stored[i] || !m_spec.keys[i].duplicates)
                continue;
            if (keepStored[i] && old[i]) {
                stored[i] = old[i];
            } else {
                // A duplicate whose value changed goes to the end of its new group.
                int64_t seq = 0;
                if (int16_t s = NextSeq(seq))
                    return s;
                *stored[i] += SeqSuffix(seq);
            }
        }
        StmtUse use(m_update);
        sqlite3_bind_int64(m_update, 1, id);
        BindBlob(m_update, 2, data);
        for (size_t i = 0; i < stored.size(); ++i)
            BindKey(m_update, static_cast<int>(i) + 3, stored[i]);
        int rc = sqlite3_step(m_update);
        if (rc != SQLITE_DONE)
            return MapError(rc);
        return sqlite3_changes(m_db) == 1 ? 0 : B_POSITION_NOT_SET;
    }

    int16_t Erase(int64_t id) override {
        StmtUse use(m_erase);
        sqlite3_bind_int64(m_erase, 1, id);
        int rc = sqlite3_step(m_erase);
        if (rc != SQLITE_DONE)
            return MapError(rc);
        return sqlite3_changes(m_db) == 1 ? 0 : B_POSITION_NOT_SET;
    }

    int16_t StoredKeys(int64_t id, std::vector<std::optional<std::string>>& keys) override {
        StmtUse use(m_keys);
        sqlite3_bind_int64(m_keys, 1, id);
        int rc = sqlite3_step(m_keys);
        if (rc == SQLITE_DONE)
            return B_POSITION_NOT_SET;
        if (rc != SQLITE_ROW)
            return MapError(rc);
        keys.assign(m_spec.keys.size(), std::nullopt);
        for (size_t i = 0; i < keys.size(); ++i)
            if (sqlite3_column_type(m_keys, static_cast<int>(i) + 1) != SQLITE_NULL)
                keys[i] = ColumnBlob(m_keys, static_cast<int>(i) + 1);
        return 0;
    }

    int16_t GetOwner(std::string& owner, int& mode) override {
        mode = -1;
        owner.clear();
        StmtUse use(m_getMeta);
        sqlite3_bind_text(m_getMeta, 1, "owner", -1, SQLITE_STATIC);
        int rc = sqlite3_step(m_getMeta);
        if (rc == SQLITE_DONE)
            return 0;
        if (rc != SQLITE_ROW)
            return MapError(rc);
        if (sqlite3_column_type(m_getMeta, 0) == SQLITE_NULL)
            return 0;
        std::string v = ColumnBlob(m_getMeta, 0);
        if (v.empty())
            return 0;
        mode = static_cast<uint8_t>(v[0]);
        owner = v.substr(1);
        return 0;
    }

    int16_t SetOwner(const std::string& owner, int mode) override {
        StmtUse use(m_setMeta);
        sqlite3_bind_text(m_setMeta, 1, "owner", -1, SQLITE_STATIC);
        std::string v;
        if (mode >= 0)
            v = std::string(1, static_cast<char>(mode)) + owner;
        if (v.empty())
            sqlite3_bind_null(m_setMeta, 2);
        else
            BindBlob(m_setMeta, 2, v);
        int rc = sqlite3_step(m_setMeta);
        return rc == SQLITE_DONE ? 0 : MapError(rc);
    }

    int16_t BeginWrite() override {
        if (m_readOnlyFile)
            return B_ACCESS_TO_FILE_DENIED;
        ++m_writes;
        // Inside the process's transaction every statement is atomic on its own: a write that
        // fails halfway has at most advanced the sequence, which nothing relies on being dense.
        if (m_inTx)
            return 0;
        EndRead();
        int16_t s = Run(m_begin);
        m_writing = s == 0;
        return s;
    }

    int16_t EndWrite(bool commit) override {
        ++m_writes;
        if (m_inTx)
            return 0;
        m_writing = false;
        if (commit) {
            int16_t s = Run(m_commit);
            if (s != 0)
                Run(m_rollback);
            return s;
        }
        return Run(m_rollback);
    }

    int16_t TouchTransaction() override {
        if (m_inTx)
            return 0;
        EndRead();
        int16_t s = Exec(m_readOnlyFile ? "BEGIN" : "BEGIN IMMEDIATE");
        if (s == 0)
            m_inTx = true;
        return s;
    }

    int16_t FinishTransaction(bool commit) override {
        if (!m_inTx)
            return 0;
        ++m_writes;
        int16_t s = 0;
        if (commit) {
            s = Exec("COMMIT");
            if (s != 0)
                Exec("ROLLBACK");
        } else {
            s = Exec("ROLLBACK");
        }
        m_inTx = false;
        return s;
    }

    bool InTransaction() const override { return m_inTx; }

private:
    // One row of (id, data[, key]); 9 when there is none.
    static int16_t StepOne(sqlite3_stmt* st, bool withKey, Row& row) {
        int rc = sqlite3_step(st);
        if (rc == SQLITE_DONE)
            return B_END_OF_FILE;
        if (rc != SQLITE_ROW)
            return MapError(rc);
        row.id = sqlite3_column_int64(st, 0);
        row.data = ColumnBlob(st, 1);
        if (withKey)
            row.key = ColumnBlob(st, 2);
        else
            row.key.clear();
        return 0;
    }

    int16_t Run(sqlite3_stmt* st) {
        int rc = sqlite3_step(st);
        sqlite3_reset(st);
        return rc == SQLITE_DONE ? 0 : MapError(rc);
    }

    int16_t Exec(const char* sql) {
        int rc = sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr);
        return rc == SQLITE_OK ? 0 : MapError(rc);
    }

    sqlite3_stmt* FindStmt(int key, Seek how) {
        sqlite3_stmt*& st = m_find[key][static_cast<int>(how)];
        if (st)
            return st;
        std::string k = "k" + std::to_string(key);
        std::string where;
        const char* order = "";
        switch (how) {
        case Seek::Range:
            where = k + " >= ?1 AND " + k + " <= ?2";
            order = "";
            break;
        case Seek::Ge:
            where = k + " >= ?1";
            break;
        case Seek::Gt:
            where = k + " > ?1";
            break;
        case Seek::Lt:
            where = k + " < ?1";
            order = " DESC";
            break;
        case Seek::Le:
            where = k + " <= ?1";
            order = " DESC";
            break;
        case Seek::LastDesc:
            where = k + " >= x''";
            order = " DESC";
            break;
        case Seek::Eq:
            where = k + " = ?1";
            break;
        }
        std::string sql = "SELECT id, data, " + k + " FROM kr_rec WHERE " + where + " ORDER BY " + k + order +
                          " LIMIT 1";
        if (sqlite3_prepare_v3(m_db, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &st, nullptr) != SQLITE_OK)
            st = nullptr;
        return st;
    }

    sqlite3* m_db;
    bool m_readOnlyFile;
    bool m_inTx = false;
    bool m_abandoned = false;
    uint64_t m_writes = 0; // writes of this process, for Version
    bool m_writing = false; // inside a write's own transaction
    bool m_readOpen = false;
    int m_plainReads = 0;
    uint64_t m_readHeader = 0;
    std::chrono::steady_clock::time_point m_readSince;
    sqlite3_stmt* m_beginRead = nullptr;
    static constexpr size_t kShmMapped = 4096;
    int m_shmFd = -1;
    const volatile uint8_t* m_shm = nullptr;
    std::vector<std::array<sqlite3_stmt*, 7>> m_find;
    std::vector<std::array<sqlite3_stmt*, 2>> m_findMany;
    sqlite3_stmt* m_dataVersion = nullptr;
    sqlite3_stmt* m_begin = nullptr;
    sqlite3_stmt* m_commit = nullptr;
    sqlite3_stmt* m_rollback = nullptr;
    sqlite3_stmt* m_stepFwd = nullptr;
    sqlite3_stmt* m_stepBack = nullptr;
    sqlite3_stmt* m_byId = nullptr;
    sqlite3_stmt* m_insert = nullptr;
    sqlite3_stmt* m_update = nullptr;
    sqlite3_stmt* m_erase = nullptr;
    sqlite3_stmt* m_count = nullptr;
    sqlite3_stmt* m_seq = nullptr;
    sqlite3_stmt* m_keys = nullptr;
    sqlite3_stmt* m_getMeta = nullptr;
    sqlite3_stmt* m_setMeta = nullptr;
};

// The pool: one store per file (device and inode) of this process. SQLite keeps each file open
// while its connection lives, so an inode in the pool cannot be taken by another file.
struct FileId {
    dev_t dev;
    ino_t ino;
    bool operator<(const FileId& o) const { return dev != o.dev ? dev < o.dev : ino < o.ino; }
};

struct PoolEntry {
    std::shared_ptr<SqliteStore> store;
    uint64_t lastUse = 0;
};

std::map<FileId, PoolEntry>& Pool() {
    static auto* pool = new std::map<FileId, PoolEntry>();
    return *pool;
}
uint64_t g_useClock = 0;
constexpr size_t kMaxIdle = 64;

bool IdOf(const std::string& path, FileId& id, struct stat* out = nullptr) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
        return false;
    id = {st.st_dev, st.st_ino};
    if (out)
        *out = st;
    return true;
}

bool Idle(const PoolEntry& e) { return e.store.use_count() == 1 && e.store->handles == 0 && !e.store->InTransaction(); }

void TrimIdle() {
    size_t idle = 0;
    for (auto& [id, e] : Pool())
        if (Idle(e))
            ++idle;
    while (idle > kMaxIdle) {
        auto oldest = Pool().end();
        for (auto it = Pool().begin(); it != Pool().end(); ++it)
            if (Idle(it->second) && (oldest == Pool().end() || it->second.lastUse < oldest->second.lastUse))
                oldest = it;
        if (oldest == Pool().end())
            break;
        Pool().erase(oldest);
        --idle;
    }
}

int16_t ExecSchema(sqlite3* db, const FileSpec& spec) {
    std::string sql = "PRAGMA journal_mode=WAL;"
                      "CREATE TABLE kr_meta(name TEXT PRIMARY KEY, value) WITHOUT ROWID;"
                      "CREATE TABLE kr_rec(id INTEGER PRIMARY KEY, data BLOB NOT NULL";
    for (size_t i = 0; i < spec.keys.size(); ++i)
        sql += ", k" + std::to_string(i) + " BLOB";
    sql += ");";
    for (size_t i = 0; i < spec.keys.size(); ++i) {
        // Duplicate keys carry a sequence suffix, so every stored key is distinct either way.
        sql += std::string("CREATE ") + (spec.keys[i].duplicates ? "" : "UNIQUE ") + "INDEX kr_k" +
               std::to_string(i) + " ON kr_rec(k" + std::to_string(i) + ");";
    }
    sql += "INSERT INTO kr_meta VALUES('seq', 0);";
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
        return B_CREATE_IO_ERROR;
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, "INSERT INTO kr_meta VALUES('format', ?1), ('spec', ?2)", -1, &st, nullptr) !=
        SQLITE_OK)
        return B_CREATE_IO_ERROR;
    sqlite3_bind_text(st, 1, kFormat, -1, SQLITE_STATIC);
    sqlite3_bind_blob(st, 2, spec.raw.data(), static_cast<int>(spec.raw.size()), SQLITE_STATIC);
    int rc = sqlite3_step(st);
    sqlite3_finalize(st);
    return rc == SQLITE_DONE ? 0 : B_CREATE_IO_ERROR;
}

} // namespace

int16_t OpenStore(const std::string& path, bool /*readOnly*/, std::shared_ptr<FileStore>& store) {
    FileId id;
    struct stat st;
    if (!IdOf(path, id, &st))
        return errno == ENOENT || errno == ENOTDIR ? B_FILE_NOT_FOUND : B_FILENAME_BAD;
    if (!S_ISREG(st.st_mode))
        return B_FILENAME_BAD;
    auto it = Pool().find(id);
    if (it != Pool().end()) {
        it->second.lastUse = ++g_useClock;
        store = it->second.store;
        return 0;
    }
    bool readOnlyFile = false;
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_close_v2(db);
        db = nullptr;
        readOnlyFile = true;
        rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
        if (rc != SQLITE_OK) {
            sqlite3_close_v2(db);
            return B_ACCESS_TO_FILE_DENIED;
        }
    }
    sqlite3_busy_timeout(db, BusyTimeoutMs());
    sqlite3_exec(db, "PRAGMA synchronous=NORMAL; PRAGMA cache_size=-16384; PRAGMA mmap_size=268435456", nullptr, nullptr, nullptr);

    // Read the format and the specification; anything else is not a record file of ours.
    FileSpec spec;
    int16_t status = B_NOT_A_BTRIEVE_FILE;
    sqlite3_stmt* q = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT name, value FROM kr_meta WHERE name IN ('format', 'spec')", -1, &q,
                           nullptr) == SQLITE_OK) {
        bool formatOk = false, specOk = false;
        int step;
        while ((step = sqlite3_step(q)) == SQLITE_ROW) {
            std::string name = reinterpret_cast<const char*>(sqlite3_column_text(q, 0));
            if (name == "format") {
                const unsigned char* v = sqlite3_column_text(q, 1);
                formatOk = v && std::strcmp(reinterpret_cast<const char*>(v), kFormat) == 0;
            } else {
                std::string raw = ColumnBlob(q, 1);
                specOk = ParseSpec(reinterpret_cast<const uint8_t*>(raw.data()), static_cast<uint32_t>(raw.size()),
                                   spec) == 0;
            }
        }
        if ((step & 0xFF) == SQLITE_BUSY)
            status = B_FILE_INUSE;
        else if (formatOk && specOk)
            status = 0;
    }
    sqlite3_finalize(q);
    if (status != 0) {
        sqlite3_close_v2(db);
        return status;
    }
    auto s = std::make_shared<SqliteStore>(db, std::move(spec), readOnlyFile);
    if (int16_t p = s->Prepare())
        return p;
    s->MapWalIndex(path);
    Pool()[id] = {s, ++g_useClock};
    TrimIdle();
    store = s;
    return 0;
}

int16_t CreateStore(const std::string& path, const FileSpec& spec, bool replace) {
    namespace fs = std::filesystem;
    std::error_code ec;
    bool exists = fs::exists(path, ec);
    if (exists && !replace)
        return B_FILE_ALREADY_EXISTS;
    if (exists) {
        if (StoreInUse(path))
            return B_FILE_INUSE;
        DropIdleStores(&path);
    }
    fs::path target(path);
    fs::path dir = target.has_parent_path() ? target.parent_path() : fs::path(".");
    if (!fs::is_directory(dir, ec))
        return B_CREATE_IO_ERROR;
    std::string temp = (dir / (".kr-new-" + std::to_string(::getpid()) + "-" + target.filename().string())).string();
    RemoveStoreFiles(temp);
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(temp.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    int16_t status = rc == SQLITE_OK ? ExecSchema(db, spec) : static_cast<int16_t>(B_CREATE_IO_ERROR);
    sqlite3_close_v2(db);
    if (status == 0) {
        // The new file takes the old one's place in one step; the old journal must not follow it.
        fs::remove(path + "-wal", ec);
        fs::remove(path + "-shm", ec);
        if (::rename(temp.c_str(), path.c_str()) != 0)
            status = B_CREATE_IO_ERROR;
    }
    if (status != 0)
        RemoveStoreFiles(temp);
    return status;
}

void DropIdleStores(const std::string* path) {
    if (path) {
        FileId id;
        if (!IdOf(*path, id))
            return;
        auto it = Pool().find(id);
        if (it != Pool().end() && Idle(it->second))
            Pool().erase(it);
        return;
    }
    for (auto it = Pool().begin(); it != Pool().end();)
        it = Idle(it->second) ? Pool().erase(it) : std::next(it);
}

void AbandonStoresAfterFork() {
    for (auto& [id, e] : Pool())
        e.store->Abandon();
    Pool().clear();
}

bool StoreInUse(const std::string& path) {
    FileId id;
    if (!IdOf(path, id))
        return false;
    auto it = Pool().find(id);
    return it != Pool().end() && !Idle(it->second);
}

bool RemoveStoreFiles(const std::string& path) {
    DropIdleStores(&path);
    std::error_code ec;
    std::filesystem::remove(path + "-wal", ec);
    std::filesystem::remove(path + "-shm", ec);
    std::filesystem::remove(path + "-journal", ec);
    std::filesystem::remove(path, ec);
    return !std::filesystem::exists(path, ec);
}

} // namespace btr
