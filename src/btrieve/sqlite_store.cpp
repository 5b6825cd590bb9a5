// Record files kept in one SQLite database per folder. A catalog table names each record file
// (letters in any case) and holds its specification, owner and the sequence that orders
// duplicates; each record file has its own table of records, with a change count per record and
// one column per key, encoded so that SQLite's byte order is the key order, indexed. A
// transaction over several files of a folder is therefore one SQLite transaction, and creating,
// replacing and removing a file are transactions too.
//
// Which files are open, across programs: a program holding a file open keeps a shared byte lock
// on the file's number in the folder's lock file; replacing or removing a file takes that byte
// exclusively, or answers 85. The kernel drops the locks of a program that dies.
#include "store.h"

#include "btrcall.h"
#include "pg_store.h"

#include <sqlite3.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <set>
#include <sys/mman.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <unordered_map>

namespace btr {

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr const char* kFormat = "kestrel-btrieve folder 1";
constexpr const char* kFileFormat = "kestrel-btrieve 1"; // one database per record file (earlier)

int BusyTimeoutMs() {
    static int ms = [] {
        const char* env = std::getenv("KESTREL_BUSY_TIMEOUT_MS");
        int v = env ? std::atoi(env) : 0;
        return v > 0 ? v : 2000;
    }();
    return ms;
}

// Statement deadline. Each record manager call moves the epoch on (under the record manager's
// lock); the progress handler, called every so many steps of a statement, notes when it first
// sees an epoch and stops the statement once the deadline has passed since. No clock is read on
// calls that run no long statement.
uint64_t g_callEpoch = 0;
uint64_t g_seenEpoch = ~0ull;
Clock::time_point g_seenSince;
std::atomic<int64_t> g_deadlineMs{10000};

int ProgressCheck(void*) {
    auto now = Clock::now();
    if (g_seenEpoch != g_callEpoch) {
        g_seenEpoch = g_callEpoch;
        g_seenSince = now;
        return 0;
    }
    return now - g_seenSince > std::chrono::milliseconds(g_deadlineMs.load(std::memory_order_relaxed)) ? 1
                                                                                                       : 0;
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
    case SQLITE_NOTADB:
        return B_NOT_A_BTRIEVE_FILE;
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

// Names compare with ASCII letters in any case.
std::string Fold(const std::string& name) {
    std::string f = name;
    for (char& c : f)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return f;
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

int16_t Exec(sqlite3* db, const std::string& sql) {
    int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    return rc == SQLITE_OK ? 0 : MapError(rc);
}

// The schema, written one statement at a time: SQLite keeps each text as given, and an open
// compares the stored texts with these, so that nothing else (a view, a trigger) can ride along.
const char* const kMetaSql = "CREATE TABLE kr_meta(name TEXT PRIMARY KEY, value) WITHOUT ROWID";
const char* const kFileSql =
    "CREATE TABLE kr_file(id INTEGER PRIMARY KEY AUTOINCREMENT, name BLOB NOT NULL, "
    "fold BLOB NOT NULL UNIQUE, spec BLOB NOT NULL, owner BLOB, seq INTEGER NOT NULL)";

std::string TableOf(int64_t id) {
    return "kr_rec_" + std::to_string(id);
}

std::vector<std::pair<std::string, std::string>> FileSchema(int64_t id, const FileSpec& spec) {
    std::string t = TableOf(id);
    std::string sql =
        "CREATE TABLE " + t + "(id INTEGER PRIMARY KEY, data BLOB NOT NULL, ver INTEGER NOT NULL";
    for (size_t i = 0; i < spec.keys.size(); ++i)
        sql += ", k" + std::to_string(i) + " BLOB";
    sql += ")";
    std::vector<std::pair<std::string, std::string>> out = {{t, sql}};
    for (size_t i = 0; i < spec.keys.size(); ++i) {
        // Duplicate keys carry a sequence suffix, so every stored key is distinct either way.
        std::string name = t + "_k" + std::to_string(i);
        out.emplace_back(name, std::string("CREATE ") + (spec.keys[i].duplicates ? "" : "UNIQUE ") +
                                   "INDEX " + name + " ON " + t + "(k" + std::to_string(i) + ")");
    }
    return out;
}

struct FileId {
    dev_t dev;
    ino_t ino;
    bool operator<(const FileId& o) const { return dev != o.dev ? dev < o.dev : ino < o.ino; }
};

// Byte locks on the folder's lock file, one byte per record file number. Open file description
// locks: they belong to this descriptor alone and are not lost when another descriptor of the
// same file closes.
bool ByteLock(int fd, int64_t id, short type) {
    if (fd < 0) return true; // read-only media without a lock file: nobody can change anything there
    struct flock fl {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = static_cast<off_t>(id);
    fl.l_len = 1;
    return ::fcntl(fd, F_OFD_SETLK, &fl) == 0;
}

class Folder;

class SqliteStore final : public FileStore {
public:
    SqliteStore(Folder* folder, int64_t id, FileSpec spec) : m_folder(folder), m_id(id) {
        m_spec = std::move(spec);
    }
    ~SqliteStore() override { Close(); }
    void Close();
    int16_t Prepare(sqlite3* db);

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
    int16_t InsertRow(const std::string& data, const std::vector<std::optional<std::string>>& stored,
                      bool sequenced, int64_t& id);
    int16_t NextSeq(int64_t& seq);
    sqlite3_stmt* FindStmt(int key, Seek how);

    Folder* m_folder;
    int64_t m_id;
    sqlite3* m_db = nullptr;
    std::vector<std::array<sqlite3_stmt*, 7>> m_find;
    std::vector<std::array<sqlite3_stmt*, 2>> m_findMany;
    sqlite3_stmt* m_stepFwd = nullptr;
    sqlite3_stmt* m_stepBack = nullptr;
    sqlite3_stmt* m_byId = nullptr;
    sqlite3_stmt* m_insert = nullptr;
    sqlite3_stmt* m_update = nullptr;
    sqlite3_stmt* m_erase = nullptr;
    sqlite3_stmt* m_count = nullptr;
    sqlite3_stmt* m_keys = nullptr;
};

struct CatalogEntry {
    int64_t id = 0;
    std::string name;
    std::string spec;
    std::string owner; // mode byte, then the name; empty when none
};

class Folder final : public Transactional, public std::enable_shared_from_this<Folder> {
public:
    Folder(sqlite3* db, bool readOnly) : m_db(db), m_readOnly(readOnly) {}
    ~Folder() override { Close(); }

    sqlite3* db() const { return m_db; }
    bool readOnly() const { return m_readOnly; }
    uint64_t writes = 0; // writes of this process, for Version
    int lockFd = -1;

    int16_t Prepare() {
        struct {
            sqlite3_stmt** st;
            const char* sql;
        } list[] = {
            {&m_begin, "BEGIN IMMEDIATE"},
            {&m_beginRead, "BEGIN"},
            {&m_commit, "COMMIT"},
            {&m_rollback, "ROLLBACK"},
            {&m_lookup, "SELECT id, name, spec, owner FROM kr_file WHERE fold = ?1"},
            {&m_seq, "UPDATE kr_file SET seq = seq + 1 WHERE id = ?1 RETURNING seq"},
            {&m_setOwner, "UPDATE kr_file SET owner = ?2 WHERE id = ?1"},
        };
        for (auto& e : list)
            if (sqlite3_prepare_v3(m_db, e.sql, -1, SQLITE_PREPARE_PERSISTENT, e.st, nullptr) != SQLITE_OK)
                return B_NOT_A_BTRIEVE_FILE;
        return 0;
    }

    void Close() {
        if (!m_db) return;
        for (auto& [id, s] : m_stores)
            s->Close();
        m_stores.clear();
        for (sqlite3_stmt* st : {m_begin, m_beginRead, m_commit, m_rollback, m_lookup, m_seq, m_setOwner})
            sqlite3_finalize(st);
        if (m_inTx || m_readOpen || m_writing) sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close_v2(m_db);
        m_db = nullptr;
        // Only now: closing a descriptor of the -shm file would drop SQLite's locks on it.
        if (m_shm) ::munmap(const_cast<uint8_t*>(m_shm), kShmMapped);
        m_shm = nullptr;
        if (m_shmFd >= 0) ::close(m_shmFd);
        m_shmFd = -1;
        if (lockFd >= 0) ::close(lockFd);
        lockFd = -1;
    }

    // Maps the wal-index header read-only so that Version needs no read transaction. Called once
    // the connection has read the database (SQLite has set the wal-index up by then).
    void MapWalIndex(const std::string& path) {
        m_shmFd = ::open((path + "-shm").c_str(), O_RDONLY | O_CLOEXEC);
        if (m_shmFd < 0) return;
        struct stat st;
        if (::fstat(m_shmFd, &st) != 0 || st.st_size < static_cast<off_t>(kShmMapped))
            return; // the descriptor stays open until the connection closes, see Close
        void* p = ::mmap(nullptr, kShmMapped, PROT_READ, MAP_SHARED, m_shmFd, 0);
        if (p != MAP_FAILED) m_shm = static_cast<const volatile uint8_t*>(p);
    }

    bool Idle() const {
        if (m_inTx) return false;
        for (auto& [id, s] : m_stores)
            if (s.use_count() > 1 || s->handles > 0) return false;
        return true;
    }

    // Every commit, by any program, rewrites the wal-index header: a hash of its first copy
    // changes whenever the folder's records may have.
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

    int16_t Version(uint64_t& version) {
        if (m_shm) {
            version = HeaderHash() ^ writes;
            return 0;
        }
        version = static_cast<uint64_t>(sqlite3_total_changes64(m_db)) ^ (writes << 32) ^ ++m_noMapVersion;
        return 0; // without the map every call counts as a change: nothing is served from old reads
    }

    // Reads share one read transaction while nothing is committed, which spares SQLite's
    // locking on every call. The snapshot is renewed when the wal-index header moves (another
    // write, ours or another program's), after a short while, and before any write; a snapshot
    // older than that is ended from outside (EndStale), so an idle reader pins nothing.
    void ReadSnapshot() {
        if (m_inTx || m_writing || !m_shm) return;
        if (!m_readOpen && m_plainReads++ == 0)
            return; // a lone read (open, one lookup, close) is cheapest as a plain statement
        uint64_t h = HeaderHash();
        auto now = Clock::now();
        if (m_readOpen && h == m_readHeader && now - m_readSince < std::chrono::milliseconds(200)) return;
        EndRead();
        if (Run(m_beginRead) != 0) return; // plain statements then, each its own read
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

    // A snapshot another writer has already moved past serves nothing but pins the log: end it
    // at once; an unchanged one after the given age.
    void EndStale(std::chrono::milliseconds age) {
        if (m_readOpen && (HeaderHash() != m_readHeader || Clock::now() - m_readSince >= age)) EndRead();
    }

    void Relax() {
        EndRead();
        m_plainReads = 0;
    }

    int16_t BeginWrite() {
        if (m_readOnly) return B_ACCESS_TO_FILE_DENIED;
        ++writes;
        // Inside the process's transaction every statement is atomic on its own: a write that
        // fails halfway has at most advanced the sequence, which nothing relies on being dense.
        if (m_inTx) return 0;
        EndRead();
        int16_t s = Run(m_begin);
        m_writing = s == 0;
        return s;
    }

    int16_t EndWrite(bool commit) {
        ++writes;
        if (m_inTx) return 0;
        m_writing = false;
        if (commit) {
            int16_t s = Run(m_commit);
            if (s != 0) Run(m_rollback);
            return s;
        }
        return Run(m_rollback);
    }

    int16_t TouchTransaction() override {
        if (m_inTx) return 0;
        EndRead();
        int16_t s = Exec(m_db, m_readOnly ? "BEGIN" : "BEGIN IMMEDIATE");
        if (s == 0) m_inTx = true;
        return s;
    }

    int16_t FinishTransaction(bool commit) override {
        if (!m_inTx) return 0;
        ++writes;
        int16_t s = 0;
        if (commit) {
            s = Exec(m_db, "COMMIT");
            if (s != 0) Exec(m_db, "ROLLBACK");
        } else {
            s = Exec(m_db, "ROLLBACK");
        }
        m_inTx = false;
        m_catalog.clear();
        for (int64_t id : m_txLocks)
            ByteLock(lockFd, id, F_UNLCK);
        m_txLocks.clear();
        return s;
    }

    bool InTransaction() const override { return m_inTx; }

    int16_t NextSeq(int64_t id, int64_t& seq) {
        StmtUse use(m_seq);
        sqlite3_bind_int64(m_seq, 1, id);
        int rc = sqlite3_step(m_seq);
        if (rc != SQLITE_ROW) return MapError(rc);
        seq = sqlite3_column_int64(m_seq, 0);
        return 0;
    }

    int16_t SetOwner(int64_t id, const std::string& value) {
        StmtUse use(m_setOwner);
        sqlite3_bind_int64(m_setOwner, 1, id);
        if (value.empty())
            sqlite3_bind_null(m_setOwner, 2);
        else
            BindBlob(m_setOwner, 2, value);
        int rc = sqlite3_step(m_setOwner);
        m_catalog.clear();
        return rc == SQLITE_DONE ? 0 : MapError(rc);
    }

    // The catalog entry of a name: 0, 12 when there is none. Served from the last lookup while
    // nothing has been committed since (the wal-index header has not moved); hash receives the
    // header the answer stands for.
    int16_t Lookup(const std::string& name, CatalogEntry& entry, uint64_t& hash, bool fresh = false) {
        std::string fold = Fold(name);
        hash = m_shm ? HeaderHash() : 0;
        if (!fresh && m_shm && !m_inTx) {
            auto it = m_catalog.find(fold);
            if (it != m_catalog.end() && it->second.first == hash) {
                entry = it->second.second;
                return 0;
            }
        }
        if (m_readOpen && !m_inTx) EndRead(); // the answer must be current
        StmtUse use(m_lookup);
        BindBlob(m_lookup, 1, fold);
        int rc = sqlite3_step(m_lookup);
        if (rc == SQLITE_DONE) return B_FILE_NOT_FOUND;
        if (rc != SQLITE_ROW) return MapError(rc);
        entry.id = sqlite3_column_int64(m_lookup, 0);
        entry.name = ColumnBlob(m_lookup, 1);
        entry.spec = ColumnBlob(m_lookup, 2);
        entry.owner = ColumnBlob(m_lookup, 3);
        if (m_shm && !m_inTx) m_catalog[fold] = {hash, entry};
        return 0;
    }

    // Whether the entry looked up under hash still stands.
    bool StillCurrent(const std::string& name, const CatalogEntry& entry, uint64_t hash) {
        if (m_inTx) return true; // nobody else can commit while this transaction holds the folder
        if (m_shm) return HeaderHash() == hash;
        CatalogEntry again;
        uint64_t h;
        return Lookup(name, again, h, true) == 0 && again.id == entry.id;
    }

    // The store of a catalog entry, made when this process first uses the file.
    int16_t StoreFor(const CatalogEntry& entry, std::shared_ptr<SqliteStore>& out) {
        auto it = m_stores.find(entry.id);
        if (it == m_stores.end()) {
            FileSpec spec;
            if (ParseSpec(reinterpret_cast<const uint8_t*>(entry.spec.data()),
                          static_cast<uint32_t>(entry.spec.size()), spec) != 0)
                return B_NOT_A_BTRIEVE_FILE;
            auto s = std::make_shared<SqliteStore>(this, entry.id, std::move(spec));
            if (int16_t p = s->Prepare(m_db)) return p;
            it = m_stores.emplace(entry.id, std::move(s)).first;
        }
        SqliteStore& s = *it->second;
        s.LoadOwner(entry.owner);
        out = it->second;
        return 0;
    }

    // Opens a file of this folder: one more handle, and the file marked in use for other programs.
    int16_t OpenFile(const std::string& name, std::shared_ptr<SqliteStore>& out) {
        auto deadline = Clock::now() + std::chrono::milliseconds(BusyTimeoutMs());
        for (;;) {
            CatalogEntry entry;
            uint64_t hash = 0;
            if (int16_t s = Lookup(name, entry, hash)) return s;
            std::shared_ptr<SqliteStore> store;
            if (int16_t s = StoreFor(entry, store)) return s;
            if (store->handles > 0) {
                ++store->handles;
                out = store;
                return 0;
            }
            if (ByteLock(lockFd, entry.id, F_RDLCK)) {
                if (StillCurrent(name, entry, hash)) {
                    ++store->handles;
                    out = store;
                    return 0;
                }
                ByteLock(lockFd, entry.id, F_UNLCK); // replaced meanwhile: look again
                DropIdle(entry.id);
                m_catalog.clear();
                continue;
            }
            // Another program is replacing or removing the file at this moment.
            if (Clock::now() > deadline) return B_FILE_INUSE;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            m_catalog.clear();
        }
    }

    void Unpin(SqliteStore& s) {
        if (s.handles <= 0) return;
        if (--s.handles == 0) {
            ByteLock(lockFd, s.id(), F_UNLCK);
            Relax();
        }
    }

    void DropIdle(int64_t id) {
        auto it = m_stores.find(id);
        if (it != m_stores.end() && it->second.use_count() == 1 && it->second->handles == 0)
            m_stores.erase(it);
    }

    // Creates (or replaces) or removes one file, as one transaction, or as a part of the process's.
    // spec null removes.
    int16_t Change(const std::string& name, const FileSpec* spec, bool replace, bool inTx,
                   std::shared_ptr<Transactional>& joined) {
        if (m_readOnly) return spec ? B_CREATE_IO_ERROR : B_ACCESS_TO_FILE_DENIED;
        if (inTx && !m_inTx) {
            if (int16_t s = TouchTransaction()) return s;
            joined = shared_from_this();
        }
        bool nested = m_inTx;
        EndRead();
        if (int16_t s = Exec(m_db, nested ? "SAVEPOINT kr_change" : "BEGIN IMMEDIATE")) return s;
        int64_t lockedId = 0;
        int16_t s = ChangeInside(name, spec, replace, lockedId);
        if (s == 0) s = Exec(m_db, nested ? "RELEASE kr_change" : "COMMIT");
        if (s != 0) Exec(m_db, nested ? "ROLLBACK TO kr_change; RELEASE kr_change" : "ROLLBACK");
        m_catalog.clear();
        if (lockedId != 0) {
            if (nested && s == 0)
                m_txLocks.push_back(lockedId); // others stay out until the transaction ends
            else
                ByteLock(lockFd, lockedId, F_UNLCK);
            if (s == 0) DropIdle(lockedId);
        }
        ++writes;
        return s;
    }

private:
    int16_t ChangeInside(const std::string& name, const FileSpec* spec, bool replace, int64_t& lockedId) {
        CatalogEntry old;
        uint64_t hash;
        int16_t found = Lookup(name, old, hash, true);
        if (found != 0 && found != B_FILE_NOT_FOUND) return found;
        if (found == 0) {
            if (spec && !replace) return B_FILE_ALREADY_EXISTS;
            auto it = m_stores.find(old.id);
            if (it != m_stores.end() && it->second->handles > 0) return B_FILE_INUSE; // open in this program
            bool held = false;
            for (int64_t id : m_txLocks)
                held = held || id == old.id;
            if (!held) {
                if (!ByteLock(lockFd, old.id, F_WRLCK)) return B_FILE_INUSE; // open in another program
                lockedId = old.id;
            }
            if (int16_t s = Exec(m_db, "DROP TABLE " + TableOf(old.id))) return s;
            if (int16_t s = Exec(m_db, "DELETE FROM kr_file WHERE id = " + std::to_string(old.id))) return s;
        } else if (!spec) {
            return B_FILE_NOT_FOUND;
        }
        if (!spec) return 0;
        sqlite3_stmt* ins = nullptr;
        if (sqlite3_prepare_v2(
                m_db, "INSERT INTO kr_file(name, fold, spec, owner, seq) VALUES(?1, ?2, ?3, NULL, 0)", -1,
                &ins, nullptr) != SQLITE_OK)
            return B_CREATE_IO_ERROR;
        std::string fold = Fold(name);
        std::string raw(spec->raw.begin(), spec->raw.end());
        BindBlob(ins, 1, name);
        BindBlob(ins, 2, fold);
        BindBlob(ins, 3, raw);
        int rc = sqlite3_step(ins);
        sqlite3_finalize(ins);
        if (rc != SQLITE_DONE) return rc == SQLITE_FULL ? B_DISK_FULL : B_CREATE_IO_ERROR;
        int64_t id = sqlite3_last_insert_rowid(m_db);
        for (auto& [objectName, sql] : FileSchema(id, *spec))
            if (int16_t s = Exec(m_db, sql))
                return s == B_DISK_FULL ? s : static_cast<int16_t>(B_CREATE_IO_ERROR);
        return 0;
    }

    int16_t Run(sqlite3_stmt* st) {
        int rc = sqlite3_step(st);
        sqlite3_reset(st);
        return rc == SQLITE_DONE ? 0 : MapError(rc);
    }

    sqlite3* m_db;
    bool m_readOnly;
    bool m_inTx = false;
    bool m_writing = false; // inside a write's own transaction
    bool m_readOpen = false;
    int m_plainReads = 0;
    uint64_t m_noMapVersion = 0;
    uint64_t m_readHeader = 0;
    Clock::time_point m_readSince;
    std::map<int64_t, std::shared_ptr<SqliteStore>> m_stores;
    std::unordered_map<std::string, std::pair<uint64_t, CatalogEntry>> m_catalog;
    std::vector<int64_t> m_txLocks; // files replaced or removed inside the process's transaction
    static constexpr size_t kShmMapped = 4096;
    int m_shmFd = -1;
    const volatile uint8_t* m_shm = nullptr;
    sqlite3_stmt* m_begin = nullptr;
    sqlite3_stmt* m_beginRead = nullptr;
    sqlite3_stmt* m_commit = nullptr;
    sqlite3_stmt* m_rollback = nullptr;
    sqlite3_stmt* m_lookup = nullptr;
    sqlite3_stmt* m_seq = nullptr;
    sqlite3_stmt* m_setOwner = nullptr;

    friend class SqliteStore;
};

// ---- one record file ----

void SqliteStore::Close() {
    for (auto& perKey : m_find)
        for (sqlite3_stmt* st : perKey)
            sqlite3_finalize(st);
    for (auto& perKey : m_findMany)
        for (sqlite3_stmt* st : perKey)
            sqlite3_finalize(st);
    m_find.clear();
    m_findMany.clear();
    for (sqlite3_stmt** st :
         {&m_stepFwd, &m_stepBack, &m_byId, &m_insert, &m_update, &m_erase, &m_count, &m_keys}) {
        sqlite3_finalize(*st);
        *st = nullptr;
    }
    m_db = nullptr;
}

int16_t SqliteStore::Prepare(sqlite3* db) {
    m_db = db;
    size_t n = m_spec.keys.size();
    std::string t = TableOf(m_id);
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
        {&m_stepFwd, "SELECT id, data, ver FROM " + t + " WHERE id > ?1 ORDER BY id LIMIT 1"},
        {&m_stepBack, "SELECT id, data, ver FROM " + t + " WHERE id < ?1 ORDER BY id DESC LIMIT 1"},
        {&m_byId, "SELECT id, data, ver" + cols + " FROM " + t + " WHERE id = ?1"},
        {&m_insert, "INSERT INTO " + t + "(id, data, ver" + cols + ") VALUES(?1, ?2, 0" + params + ")"},
        {&m_update, "UPDATE " + t + " SET data = ?2, ver = ver + 1" + sets + " WHERE id = ?1"},
        {&m_erase, "DELETE FROM " + t + " WHERE id = ?1 AND ver = ?2"},
        {&m_count, "SELECT count(*) FROM " + t},
        {&m_keys, "SELECT ver" + cols + " FROM " + t + " WHERE id = ?1"},
    };
    for (auto& e : list)
        if (sqlite3_prepare_v3(db, e.sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, e.st, nullptr) != SQLITE_OK)
            return B_NOT_A_BTRIEVE_FILE;
    return 0;
}

void SqliteStore::Unpin() {
    m_folder->Unpin(*this);
}

std::shared_ptr<Transactional> SqliteStore::Tx() {
    return m_folder->shared_from_this();
}

namespace {
// One row of (id, data, ver[, key]); 9 when there is none.
int16_t StepOne(sqlite3_stmt* st, bool withKey, Row& row) {
    int rc = sqlite3_step(st);
    if (rc == SQLITE_DONE) return B_END_OF_FILE;
    if (rc != SQLITE_ROW) return MapError(rc);
    row.id = sqlite3_column_int64(st, 0);
    row.data = ColumnBlob(st, 1);
    row.version = sqlite3_column_int64(st, 2);
    if (withKey)
        row.key = ColumnBlob(st, 3);
    else
        row.key.clear();
    return 0;
}
} // namespace

int16_t SqliteStore::Find(int key, Seek how, const std::string& a, const std::string& b, Row& row) {
    m_folder->ReadSnapshot();
    sqlite3_stmt* st = FindStmt(key, how);
    if (!st) return B_IO_ERROR;
    StmtUse use(st);
    if (how != Seek::LastDesc) BindBlob(st, 1, a);
    if (how == Seek::Range) BindBlob(st, 2, b);
    return StepOne(st, true, row);
}

int16_t SqliteStore::FindMany(int key, Seek how, const std::string& a, int n, std::vector<Row>& rows) {
    m_folder->ReadSnapshot();
    rows.clear();
    sqlite3_stmt*& st = m_findMany[key][how == Seek::Gt ? 0 : 1];
    if (!st) {
        std::string k = "k" + std::to_string(key);
        std::string sql = "SELECT id, data, ver, " + k + " FROM " + TableOf(m_id) + " WHERE " + k +
                          (how == Seek::Gt ? " > " : " < ") + "?1 ORDER BY " + k +
                          (how == Seek::Gt ? "" : " DESC") + " LIMIT ?2";
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
        row.version = sqlite3_column_int64(st, 2);
        row.key = ColumnBlob(st, 3);
    }
    if (rc != SQLITE_DONE) return MapError(rc);
    return rows.empty() ? B_END_OF_FILE : 0;
}

int16_t SqliteStore::Version(uint64_t& version) {
    return m_folder->Version(version);
}

int16_t SqliteStore::StepFind(bool forward, int64_t after, Row& row) {
    m_folder->ReadSnapshot();
    sqlite3_stmt* st = forward ? m_stepFwd : m_stepBack;
    StmtUse use(st);
    sqlite3_bind_int64(st, 1, after);
    return StepOne(st, false, row);
}

int16_t SqliteStore::ById(int64_t id, int key, Row& row) {
    m_folder->ReadSnapshot();
    StmtUse use(m_byId);
    sqlite3_bind_int64(m_byId, 1, id);
    int rc = sqlite3_step(m_byId);
    if (rc == SQLITE_DONE) return B_INVALID_RECORD_ADDRESS;
    if (rc != SQLITE_ROW) return MapError(rc);
    row.id = id;
    row.data = ColumnBlob(m_byId, 1);
    row.version = sqlite3_column_int64(m_byId, 2);
    row.key = key >= 0 ? ColumnBlob(m_byId, 3 + key) : std::string();
    if (key >= 0 && sqlite3_column_type(m_byId, 3 + key) == SQLITE_NULL) row.key.clear();
    return 0;
}

int16_t SqliteStore::Count(uint32_t& count) {
    m_folder->ReadSnapshot();
    StmtUse use(m_count);
    int rc = sqlite3_step(m_count);
    if (rc != SQLITE_ROW) return MapError(rc);
    count = static_cast<uint32_t>(sqlite3_column_int64(m_count, 0));
    return 0;
}

int16_t SqliteStore::NextSeq(int64_t& seq) {
    return m_folder->NextSeq(m_id, seq);
}

// Writes one record with its stored keys (bound in place: they must outlive the step). A file
// without duplicate keys lets SQLite number its records.
int16_t SqliteStore::InsertRow(const std::string& data, const std::vector<std::optional<std::string>>& stored,
                               bool sequenced, int64_t& id) {
    StmtUse use(m_insert);
    if (sequenced)
        sqlite3_bind_int64(m_insert, 1, id);
    else
        sqlite3_bind_null(m_insert, 1);
    BindBlob(m_insert, 2, data);
    for (size_t i = 0; i < stored.size(); ++i)
        BindKey(m_insert, static_cast<int>(i) + 3, stored[i]);
    int rc = sqlite3_step(m_insert);
    if (rc != SQLITE_DONE) return MapError(rc);
    if (!sequenced) id = sqlite3_last_insert_rowid(m_db);
    return 0;
}

int16_t SqliteStore::Insert(const std::string& data, const std::vector<std::optional<std::string>>& keys,
                            int64_t& id, std::vector<std::optional<std::string>>& stored) {
    // The sequence orders duplicates; a file without duplicate keys lets SQLite number its records.
    bool sequenced = false;
    for (const Key& k : m_spec.keys)
        sequenced = sequenced || k.duplicates;
    if (sequenced) {
        if (int16_t s = NextSeq(id)) return s;
    }
    stored = keys;
    for (size_t i = 0; i < keys.size(); ++i)
        if (stored[i] && m_spec.keys[i].duplicates) *stored[i] += SeqSuffix(id);
    return InsertRow(data, stored, sequenced, id);
}

int16_t SqliteStore::InsertStored(const std::string& data,
                                  const std::vector<std::optional<std::string>>& stored, int64_t& id) {
    if (stored.size() != m_spec.keys.size()) return B_INVALID_KEYNUMBER;
    bool sequenced = false;
    int64_t highest = 0; // the latest duplicate sequence taken in
    for (size_t i = 0; i < m_spec.keys.size(); ++i) {
        if (!m_spec.keys[i].duplicates) continue;
        sequenced = true;
        if (!stored[i] || stored[i]->size() < 8) continue;
        int64_t seq = 0;
        for (size_t b = stored[i]->size() - 8; b < stored[i]->size(); ++b)
            seq = (seq << 8) | static_cast<uint8_t>((*stored[i])[b]);
        highest = std::max(highest, seq);
    }
    if (sequenced) {
        if (int16_t s = NextSeq(id)) return s;
        if (highest >= id) {
            sqlite3_stmt* raise = nullptr;
            if (sqlite3_prepare_v2(m_db, "UPDATE kr_file SET seq = ?2 WHERE id = ?1", -1, &raise, nullptr) !=
                SQLITE_OK)
                return MapError(sqlite3_errcode(m_db));
            sqlite3_bind_int64(raise, 1, m_id);
            sqlite3_bind_int64(raise, 2, highest + 1);
            int rc = sqlite3_step(raise);
            sqlite3_finalize(raise);
            if (rc != SQLITE_DONE) return MapError(rc);
            id = highest + 1;
        }
    }
    return InsertRow(data, stored, sequenced, id);
}

int16_t SqliteStore::StoredKeys(int64_t id, std::vector<std::optional<std::string>>& keys) {
    StmtUse use(m_keys);
    sqlite3_bind_int64(m_keys, 1, id);
    int rc = sqlite3_step(m_keys);
    if (rc == SQLITE_DONE) return B_POSITION_NOT_SET;
    if (rc != SQLITE_ROW) return MapError(rc);
    keys.assign(m_spec.keys.size(), std::nullopt);
    for (size_t i = 0; i < keys.size(); ++i)
        if (sqlite3_column_type(m_keys, static_cast<int>(i) + 1) != SQLITE_NULL)
            keys[i] = ColumnBlob(m_keys, static_cast<int>(i) + 1);
    return 0;
}

int16_t SqliteStore::Update(int64_t id, int64_t& version, const std::string& data,
                            const std::vector<std::optional<std::string>>& keys,
                            const std::vector<bool>& keepStored,
                            std::vector<std::optional<std::string>>& stored) {
    std::vector<std::optional<std::string>> old;
    if (int16_t s = StoredKeys(id, old)) return s;
    stored = keys;
    for (size_t i = 0; i < keys.size(); ++i) {
        if (!stored[i] || !m_spec.keys[i].duplicates) continue;
        if (keepStored[i] && old[i]) {
            stored[i] = old[i];
        } else {
            // A duplicate whose value changed goes to the end of its new group.
            int64_t seq = 0;
            if (int16_t s = NextSeq(seq)) return s;
            *stored[i] += SeqSuffix(seq);
        }
    }
    StmtUse use(m_update);
    sqlite3_bind_int64(m_update, 1, id);
    BindBlob(m_update, 2, data);
    for (size_t i = 0; i < stored.size(); ++i)
        BindKey(m_update, static_cast<int>(i) + 3, stored[i]);
    int rc = sqlite3_step(m_update);
    if (rc != SQLITE_DONE) return MapError(rc);
    if (sqlite3_changes(m_db) != 1) return B_POSITION_NOT_SET;
    ++version;
    return 0;
}

int16_t SqliteStore::Erase(int64_t id, int64_t version) {
    StmtUse use(m_erase);
    sqlite3_bind_int64(m_erase, 1, id);
    sqlite3_bind_int64(m_erase, 2, version);
    int rc = sqlite3_step(m_erase);
    if (rc != SQLITE_DONE) return MapError(rc);
    return sqlite3_changes(m_db) == 1 ? 0 : B_CONFLICT;
}

int16_t SqliteStore::StoreOwner(const std::string& stored) {
    return m_folder->SetOwner(m_id, stored);
}

int16_t SqliteStore::BeginWrite() {
    return m_folder->BeginWrite();
}
int16_t SqliteStore::EndWrite(bool commit) {
    return m_folder->EndWrite(commit);
}

sqlite3_stmt* SqliteStore::FindStmt(int key, Seek how) {
    sqlite3_stmt*& st = m_find[key][static_cast<int>(how)];
    if (st) return st;
    std::string k = "k" + std::to_string(key);
    std::string where;
    const char* order = "";
    switch (how) {
    case Seek::Range:
        where = k + " >= ?1 AND " + k + " <= ?2";
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
    std::string sql = "SELECT id, data, ver, " + k + " FROM " + TableOf(m_id) + " WHERE " + where +
                      " ORDER BY " + k + order + " LIMIT 1";
    if (sqlite3_prepare_v3(m_db, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &st, nullptr) != SQLITE_OK)
        st = nullptr;
    return st;
}

// ---- the pool of folders ----

std::map<FileId, std::shared_ptr<Folder>>& Pool() {
    static auto* pool = new std::map<FileId, std::shared_ptr<Folder>>();
    return *pool;
}
constexpr size_t kMaxIdleFolders = 16;

// Forgets the idle folders beyond the pool's size, never keep: a folder just opened has no file
// in use yet, and its caller is about to use it.
void TrimIdle(const Folder* keep) {
    size_t idle = 0;
    for (auto& [id, f] : Pool())
        idle += f->Idle() && f.get() != keep ? 1 : 0;
    for (auto it = Pool().begin(); it != Pool().end() && idle > kMaxIdleFolders;) {
        if (it->second->Idle() && it->second.get() != keep) {
            it = Pool().erase(it);
            --idle;
        } else {
            ++it;
        }
    }
}

void SplitPath(const std::string& path, std::string& dir, std::string& base) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        dir = ".";
        base = path;
    } else {
        dir = slash == 0 ? "/" : path.substr(0, slash);
        base = path.substr(slash + 1);
    }
}

std::string UriOf(const std::string& path) {
    std::string uri = "file:";
    for (unsigned char c : path) {
        if (c == '%' || c == '?' || c == '#' || c < 0x21 || c >= 0x7F) {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", c);
            uri += hex;
        } else {
            uri += static_cast<char>(c);
        }
    }
    return uri + "?immutable=1";
}

// Only the schema this record manager writes: no view, no trigger, no other definition of a
// table or index, which could make a read or a write run for ever.
int16_t CheckSchema(sqlite3* db) {
    struct Object {
        std::string type, name, sql;
    };
    std::vector<Object> objects;
    sqlite3_stmt* st = nullptr;
    if (int rc = sqlite3_prepare_v2(db, "SELECT type, name, sql FROM sqlite_schema", -1, &st, nullptr)) {
        // Not readable here (a read-only folder, a busy file) is another matter than not ours.
        int16_t s = (rc & 0xFF) == SQLITE_ERROR ? static_cast<int16_t>(B_NOT_A_BTRIEVE_FILE) : MapError(rc);
        return s == 0 ? static_cast<int16_t>(B_NOT_A_BTRIEVE_FILE) : s;
    }
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        Object o;
        o.type = ColumnBlob(st, 0);
        o.name = ColumnBlob(st, 1);
        o.sql = ColumnBlob(st, 2);
        objects.push_back(std::move(o));
    }
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE)
        return (rc & 0xFF) == SQLITE_BUSY ? static_cast<int16_t>(B_FILE_INUSE) : MapError(rc);
    std::map<std::string, std::string> expected = {{"kr_meta", kMetaSql}, {"kr_file", kFileSql}};
    for (const Object& o : objects) {
        if (o.type != "table" && o.type != "index") return B_NOT_A_BTRIEVE_FILE;
        if (o.name.rfind("sqlite_", 0) == 0)
            continue; // SQLite's own: the autoincrement counter, unique constraints, statistics
        if ((o.name == "kr_meta" || o.name == "kr_file") && (o.type != "table" || o.sql != expected[o.name]))
            return B_NOT_A_BTRIEVE_FILE;
    }
    for (const char* name : {"kr_meta", "kr_file"}) {
        bool present = false;
        for (const Object& o : objects)
            present = present || o.name == name;
        if (!present) return B_NOT_A_BTRIEVE_FILE;
    }
    // Plain tables only so far: reading the catalog is safe.
    bool formatOk = false;
    if (sqlite3_prepare_v2(db, "SELECT value FROM kr_meta WHERE name = 'format'", -1, &st, nullptr) ==
            SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW) {
        const unsigned char* v = sqlite3_column_text(st, 0);
        formatOk = v && std::strcmp(reinterpret_cast<const char*>(v), kFormat) == 0;
    }
    sqlite3_finalize(st);
    if (!formatOk) return B_NOT_A_BTRIEVE_FILE;
    if (sqlite3_prepare_v2(db, "SELECT id, spec FROM kr_file", -1, &st, nullptr) != SQLITE_OK)
        return B_NOT_A_BTRIEVE_FILE;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        std::string raw = ColumnBlob(st, 1);
        FileSpec spec;
        if (ParseSpec(reinterpret_cast<const uint8_t*>(raw.data()), static_cast<uint32_t>(raw.size()),
                      spec) != 0)
            continue; // that file alone will not open
        for (auto& [name, sql] : FileSchema(sqlite3_column_int64(st, 0), spec))
            expected[name] = sql;
    }
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE) return B_NOT_A_BTRIEVE_FILE;
    for (const Object& o : objects) {
        if (o.name.rfind("sqlite_", 0) == 0) continue;
        auto it = expected.find(o.name);
        if (it == expected.end() || it->second != o.sql) return B_NOT_A_BTRIEVE_FILE;
    }
    return 0;
}

int16_t InitSchema(sqlite3* db) {
    // Two programs may create the folder's database at once: the second finds it made.
    if (int16_t s = Exec(db, "BEGIN IMMEDIATE")) return s;
    sqlite3_stmt* st = nullptr;
    bool made = sqlite3_prepare_v2(db, "SELECT 1 FROM sqlite_schema WHERE name = 'kr_meta'", -1, &st,
                                   nullptr) == SQLITE_OK &&
                sqlite3_step(st) == SQLITE_ROW;
    sqlite3_finalize(st);
    int16_t s = 0;
    if (!made) {
        for (const char* sql : {kMetaSql, kFileSql})
            if (s == 0) s = Exec(db, sql);
        if (s == 0) s = Exec(db, std::string("INSERT INTO kr_meta VALUES('format', '") + kFormat + "')");
    }
    if (s == 0) s = Exec(db, "COMMIT");
    if (s != 0) Exec(db, "ROLLBACK");
    return s;
}

void Configure(sqlite3* db) {
    sqlite3_busy_timeout(db, BusyTimeoutMs());
    // No dirty page is written to the log before commit: a child forked in the middle of a
    // transaction can then roll its copy back without touching the parent's wal-index.
    sqlite3_exec(db,
                 "PRAGMA synchronous=NORMAL; PRAGMA cache_size=-16384; PRAGMA mmap_size=268435456;"
                 "PRAGMA cache_spill=OFF; PRAGMA trusted_schema=OFF",
                 nullptr, nullptr, nullptr);
    sqlite3_progress_handler(db, 100000, ProgressCheck, nullptr);
}

int16_t OpenConnection(const std::string& dbPath, int flags, sqlite3*& db) {
    db = nullptr;
    int rc = sqlite3_open_v2(dbPath.c_str(), &db, flags | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_close_v2(db);
        db = nullptr;
        return MapError(rc);
    }
    Configure(db);
    return 0;
}

// The folder of dir, from the pool or opened; with create, its database is made when missing.
int16_t OpenFolder(const std::string& dir, bool create, std::shared_ptr<Folder>& out) {
    std::string dbPath = dir + "/" + kFolderDatabaseName;
    struct stat st;
    if (::stat(dbPath.c_str(), &st) != 0) {
        int err = errno;
        if (err != ENOENT && err != ENOTDIR) return B_FILENAME_BAD;
        struct stat ds;
        if (!create || ::stat(dir.c_str(), &ds) != 0 || !S_ISDIR(ds.st_mode))
            return create ? B_CREATE_IO_ERROR : B_FILE_NOT_FOUND;
        sqlite3* db = nullptr;
        if (OpenConnection(dbPath, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, db) != 0)
            return B_CREATE_IO_ERROR;
        int16_t s = Exec(db, "PRAGMA journal_mode=WAL");
        if (s == 0) s = InitSchema(db);
        sqlite3_close_v2(db);
        if (s != 0)
            return s == B_DISK_FULL || s == B_FILE_INUSE ? s : static_cast<int16_t>(B_CREATE_IO_ERROR);
        if (::stat(dbPath.c_str(), &st) != 0) return B_CREATE_IO_ERROR;
    }
    if (!S_ISREG(st.st_mode)) return B_NOT_A_BTRIEVE_FILE;
    FileId id{st.st_dev, st.st_ino};
    auto it = Pool().find(id);
    if (it != Pool().end()) {
        out = it->second;
        return 0;
    }
    // Read-write where possible; read-only media or folders open for reading.
    sqlite3* db = nullptr;
    bool readOnly = false;
    int16_t s = OpenConnection(dbPath, SQLITE_OPEN_READWRITE, db);
    if (s == 0) s = CheckSchema(db);
    if (s != 0 && s != B_NOT_A_BTRIEVE_FILE && s != B_FILE_INUSE) {
        sqlite3_close_v2(db);
        readOnly = true;
        s = OpenConnection(dbPath, SQLITE_OPEN_READONLY, db);
        if (s == 0) s = CheckSchema(db);
        if (s != 0 && s != B_NOT_A_BTRIEVE_FILE && s != B_FILE_INUSE) {
            // Nobody can write where this program cannot even keep the log's index: read the
            // database as it stands.
            sqlite3_close_v2(db);
            s = OpenConnection(UriOf(dbPath), SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, db);
            if (s == 0) s = CheckSchema(db);
        }
    }
    if (s == 0 && !readOnly && sqlite3_db_readonly(db, "main") == 1) readOnly = true;
    if (s != 0) {
        sqlite3_close_v2(db);
        return s;
    }
    auto folder = std::make_shared<Folder>(db, readOnly);
    if (int16_t p = folder->Prepare()) return p;
    folder->MapWalIndex(dbPath);
    std::string lockPath = dir + "/" + kFolderLockName;
    folder->lockFd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (folder->lockFd < 0) folder->lockFd = ::open(lockPath.c_str(), O_RDONLY | O_CLOEXEC);
    Pool()[id] = folder;
    TrimIdle(folder.get());
    out = folder;
    return 0;
}

// A name that is no record file of the folder: a status that says what is there instead.
int16_t MissingFileStatus(const std::string& dir, const std::string& base) {
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::string candidate = it->path().filename().string();
        if (Fold(candidate) != Fold(base)) continue;
        if (it->is_directory(ec)) return B_FILENAME_BAD;
        return B_NOT_A_BTRIEVE_FILE; // a file of another program, or one not yet upgraded
    }
    return B_FILE_NOT_FOUND;
}

} // namespace

int16_t OpenStore(const std::string& path, std::shared_ptr<FileStore>& store) {
    std::string dir, base;
    SplitPath(path, dir, base);
    if (base.empty() || base == "." || base == "..") return B_FILENAME_BAD;
    if (ServerBacked(dir)) return ServerOpenStore(dir, base, store);
    std::shared_ptr<Folder> folder;
    int16_t s = OpenFolder(dir, false, folder);
    if (s == B_FILE_NOT_FOUND) return MissingFileStatus(dir, base);
    if (s != 0) return s;
    std::shared_ptr<SqliteStore> opened;
    s = folder->OpenFile(base, opened);
    if (s == B_FILE_NOT_FOUND) return MissingFileStatus(dir, base);
    if (s != 0) return s;
    store = opened;
    return 0;
}

int16_t CreateStore(const std::string& path, const FileSpec& spec, bool replace, bool inTx,
                    std::shared_ptr<Transactional>& joined) {
    std::string dir, base;
    SplitPath(path, dir, base);
    if (base.empty() || base == "." || base == "..") return B_FILENAME_BAD;
    if (ServerBacked(dir)) return ServerCreateStore(dir, base, spec, replace, inTx, joined);
    std::shared_ptr<Folder> folder;
    if (int16_t s = OpenFolder(dir, true, folder)) return s;
    return folder->Change(base, &spec, replace, inTx, joined);
}

int16_t RemoveStore(const std::string& path, bool inTx, std::shared_ptr<Transactional>& joined) {
    std::string dir, base;
    SplitPath(path, dir, base);
    if (ServerBacked(dir)) return ServerRemoveStore(dir, base, inTx, joined);
    std::shared_ptr<Folder> folder;
    if (int16_t s = OpenFolder(dir, false, folder)) return s;
    return folder->Change(base, nullptr, false, inTx, joined);
}

bool StoreExists(const std::string& path) {
    std::string dir, base;
    SplitPath(path, dir, base);
    if (ServerBacked(dir)) return ServerStoreExists(dir, base);
    std::shared_ptr<Folder> folder;
    if (OpenFolder(dir, false, folder) != 0) return false;
    CatalogEntry entry;
    uint64_t hash;
    return folder->Lookup(base, entry, hash) == 0;
}

int16_t ListStores(const std::string& dir, std::vector<std::string>& names) {
    if (ServerBacked(dir)) return ServerListFiles(dir, names);
    std::shared_ptr<Folder> folder;
    if (int16_t s = OpenFolder(dir, false, folder)) return s;
    folder->EndRead();
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(folder->db(), "SELECT name FROM kr_file ORDER BY fold", -1, &st, nullptr) !=
        SQLITE_OK)
        return B_IO_ERROR;
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW)
        names.push_back(ColumnBlob(st, 0));
    sqlite3_finalize(st);
    return rc == SQLITE_DONE ? 0 : MapError(rc);
}

void DropIdleStores() {
    ServerDropIdle();
    for (auto it = Pool().begin(); it != Pool().end();)
        it = it->second->Idle() ? Pool().erase(it) : std::next(it);
}

void ForgetLocksAfterFork() {
    ServerForgetAfterFork();
    for (auto& [id, f] : Pool())
        if (f->lockFd >= 0) {
            ::close(f->lockFd); // the parent's locks live on in the parent's descriptor
            f->lockFd = -1;
        }
}

void CloseStoresAfterFork() {
    ServerCloseAfterFork();
    for (auto& [id, f] : Pool())
        f->Close();
    Pool().clear();
}

void EndStaleReads(std::chrono::milliseconds age) {
    for (auto& [id, f] : Pool())
        f->EndStale(age);
}

void MarkCallStart() {
    ++g_callEpoch;
}

void SetStatementDeadline(std::chrono::milliseconds deadline) {
    g_deadlineMs = deadline.count();
}

// ---- the move from one database per record file ----

namespace {

struct OldFile {
    std::string path, name;
    sqlite3* db = nullptr;
    std::string spec, owner;
    int64_t seq = 0;
};

bool LooksLikeSqlite(const std::string& path) {
    char header[16] = {};
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    size_t n = std::fread(header, 1, sizeof header, f);
    std::fclose(f);
    return n == sizeof header && std::memcmp(header, "SQLite format 3", 16) == 0;
}

// Opens a record file of the earlier layout for the move, alone: 0, 85 when a program has it
// open, 30 when it is not one.
int16_t OpenOld(OldFile& f) {
    if (sqlite3_open_v2(f.path.c_str(), &f.db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) !=
        SQLITE_OK)
        return B_ACCESS_TO_FILE_DENIED;
    sqlite3_busy_timeout(f.db, 200);
    // Exclusive locking: the first read takes the whole file, which fails while any other
    // connection has it open.
    sqlite3_exec(f.db, "PRAGMA locking_mode=EXCLUSIVE", nullptr, nullptr, nullptr);
    sqlite3_stmt* st = nullptr;
    int rc = sqlite3_prepare_v2(f.db, "SELECT name, value FROM kr_meta", -1, &st, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(st);
        return (rc & 0xFF) == SQLITE_BUSY ? B_FILE_INUSE : B_NOT_A_BTRIEVE_FILE;
    }
    bool ours = false;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        std::string name = ColumnBlob(st, 0);
        if (name == "format")
            ours = ColumnBlob(st, 1) == kFileFormat;
        else if (name == "spec")
            f.spec = ColumnBlob(st, 1);
        else if (name == "owner")
            f.owner = ColumnBlob(st, 1);
        else if (name == "seq")
            f.seq = sqlite3_column_int64(st, 1);
    }
    sqlite3_finalize(st);
    if ((rc & 0xFF) == SQLITE_BUSY) return B_FILE_INUSE;
    if (rc != SQLITE_DONE || !ours) return B_NOT_A_BTRIEVE_FILE;
    // Hold the file until the move is done.
    return Exec(f.db, "BEGIN EXCLUSIVE") == 0 ? 0 : B_FILE_INUSE;
}

int16_t CopyRecords(OldFile& f, sqlite3* to, int64_t id, size_t keys, uint32_t& count) {
    std::string cols, params;
    for (size_t i = 0; i < keys; ++i) {
        cols += ", k" + std::to_string(i);
        params += ", ?" + std::to_string(i + 3);
    }
    sqlite3_stmt* rd = nullptr;
    sqlite3_stmt* wr = nullptr;
    int16_t s = 0;
    if (sqlite3_prepare_v2(f.db, ("SELECT id, data" + cols + " FROM kr_rec ORDER BY id").c_str(), -1, &rd,
                           nullptr) != SQLITE_OK ||
        sqlite3_prepare_v2(
            to,
            ("INSERT INTO " + TableOf(id) + "(id, data, ver" + cols + ") VALUES(?1, ?2, 0" + params + ")")
                .c_str(),
            -1, &wr, nullptr) != SQLITE_OK)
        s = B_NOT_A_BTRIEVE_FILE;
    int rc;
    count = 0;
    while (s == 0 && (rc = sqlite3_step(rd)) == SQLITE_ROW) {
        if (count % 1024 == 0) ++g_callEpoch; // a long move is many short statements, each in its time
        for (int c = 0; c < static_cast<int>(keys) + 2; ++c)
            sqlite3_bind_value(wr, c + 1, sqlite3_column_value(rd, c));
        int w = sqlite3_step(wr);
        sqlite3_reset(wr);
        if (w != SQLITE_DONE) s = MapError(w);
        ++count;
    }
    if (s == 0 && rc != SQLITE_DONE) s = B_IO_ERROR;
    sqlite3_finalize(rd);
    sqlite3_finalize(wr);
    return s;
}

int16_t CountOf(sqlite3* db, const std::string& table, uint32_t& n) {
    sqlite3_stmt* st = nullptr;
    int16_t s = B_IO_ERROR;
    if (sqlite3_prepare_v2(db, ("SELECT count(*) FROM " + table).c_str(), -1, &st, nullptr) == SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW) {
        n = static_cast<uint32_t>(sqlite3_column_int64(st, 0));
        s = 0;
    }
    sqlite3_finalize(st);
    return s;
}

void CloseOldFiles(std::vector<OldFile>& files) {
    for (OldFile& f : files)
        if (f.db) {
            sqlite3_exec(f.db, "ROLLBACK", nullptr, nullptr, nullptr);
            sqlite3_close_v2(f.db);
            f.db = nullptr;
        }
}

// The record files of the folder kept one database each, opened and held; other programs'
// databases are passed over. One in use by another program stops the whole move.
int16_t OpenOldFiles(const std::string& dir, std::vector<OldFile>& files, std::vector<std::string>& log) {
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (name == kFolderDatabaseName || name == kFolderLockName || !it->is_regular_file(ec)) continue;
        if (!LooksLikeSqlite(it->path().string())) continue;
        OldFile f;
        f.path = it->path().string();
        f.name = name;
        int16_t s = OpenOld(f);
        if (s == B_FILE_INUSE) {
            log.push_back(name + ": in use by another program; nothing moved");
            files.push_back(std::move(f));
            return B_FILE_INUSE;
        }
        if (s != 0) {
            sqlite3_close_v2(f.db);
            continue; // some other program's database
        }
        files.push_back(std::move(f));
    }
    return 0;
}

// The folder's database, ready to take the files in one transaction.
int16_t BeginFolderWrite(const std::string& dir, std::shared_ptr<Folder>& folder,
                         std::vector<std::string>& log) {
    if (int16_t s = OpenFolder(dir, true, folder)) {
        log.push_back("cannot open the folder's database");
        return s;
    }
    if (folder->readOnly() || folder->InTransaction()) {
        log.push_back("the folder's database cannot be written");
        return B_ACCESS_TO_FILE_DENIED;
    }
    folder->EndRead();
    if (int16_t s = Exec(folder->db(), "BEGIN IMMEDIATE")) {
        log.push_back("the folder's database is in use");
        return s;
    }
    return 0;
}

int16_t EnterInCatalog(sqlite3* db, const OldFile& f, int64_t& id) {
    sqlite3_stmt* ins = nullptr;
    int rc =
        sqlite3_prepare_v2(db, "INSERT INTO kr_file(name, fold, spec, owner, seq) VALUES(?1, ?2, ?3, ?4, ?5)",
                           -1, &ins, nullptr);
    if (rc == SQLITE_OK) {
        std::string fold = Fold(f.name);
        BindBlob(ins, 1, f.name);
        BindBlob(ins, 2, fold);
        BindBlob(ins, 3, f.spec);
        if (f.owner.empty())
            sqlite3_bind_null(ins, 4);
        else
            BindBlob(ins, 4, f.owner);
        sqlite3_bind_int64(ins, 5, f.seq);
        rc = sqlite3_step(ins);
    }
    sqlite3_finalize(ins);
    if (rc != SQLITE_DONE) return MapError(rc);
    id = sqlite3_last_insert_rowid(db);
    return 0;
}

// Moves one old file's specification, owner and records into the folder's database. A file found
// there already with the same specification and count was moved by a run that stopped before
// removing the old file: `already` tells so.
int16_t MoveOldFile(Folder& folder, OldFile& f, bool& already, std::vector<std::string>& log) {
    sqlite3* db = folder.db();
    FileSpec spec;
    if (ParseSpec(reinterpret_cast<const uint8_t*>(f.spec.data()), static_cast<uint32_t>(f.spec.size()),
                  spec)) {
        log.push_back(f.name + ": its file specification is damaged");
        return B_NOT_A_BTRIEVE_FILE;
    }
    uint32_t oldCount = 0;
    if (int16_t s = CountOf(f.db, "kr_rec", oldCount)) {
        log.push_back(f.name + ": cannot be read");
        return s;
    }
    CatalogEntry existing;
    uint64_t hash;
    if (folder.Lookup(f.name, existing, hash, true) == 0) {
        uint32_t n = 0;
        if (existing.spec == f.spec && CountOf(db, TableOf(existing.id), n) == 0 && n == oldCount) {
            already = true;
            return 0;
        }
        log.push_back(f.name + ": a different record file of that name is already in the folder's database");
        return B_FILE_ALREADY_EXISTS;
    }
    int64_t id = 0;
    if (int16_t s = EnterInCatalog(db, f, id)) {
        log.push_back(f.name + ": cannot be entered in the folder's database");
        return s;
    }
    int16_t status = 0;
    for (auto& [objectName, sql] : FileSchema(id, spec))
        if (status == 0) status = Exec(db, sql);
    uint32_t copied = 0;
    if (status == 0) status = CopyRecords(f, db, id, spec.keys.size(), copied);
    if (status != 0) {
        log.push_back(f.name + ": the move failed (status " + std::to_string(status) + ")");
        return status;
    }
    log.push_back(f.name + ": " + std::to_string(copied) + " records moved");
    return 0;
}

// Committed: the old files go, each still held by this program until it is gone.
void RemoveOldFiles(const std::vector<OldFile>& files, const std::vector<bool>& already,
                    std::vector<std::string>& log) {
    std::error_code ec;
    for (size_t i = 0; i < files.size(); ++i) {
        const OldFile& f = files[i];
        if (already[i]) log.push_back(f.name + ": was moved before; the old file is removed");
        for (const char* suffix : {"", "-wal", "-shm", "-journal"})
            fs::remove(f.path + suffix, ec);
    }
}

} // namespace

int16_t UpgradeStores(const std::string& dir, std::vector<std::string>& log) {
    std::error_code ec;
    if (!fs::is_directory(dir, ec)) {
        log.push_back("no such folder: " + dir);
        return B_FILE_NOT_FOUND;
    }
    std::vector<OldFile> files;
    if (int16_t s = OpenOldFiles(dir, files, log)) {
        CloseOldFiles(files);
        return s;
    }
    if (files.empty()) {
        log.push_back("nothing to move");
        return 0;
    }
    std::shared_ptr<Folder> folder;
    if (int16_t s = BeginFolderWrite(dir, folder, log)) {
        CloseOldFiles(files);
        return s;
    }
    sqlite3* db = folder->db();
    int16_t status = 0;
    std::vector<bool> already(files.size(), false);
    for (size_t i = 0; i < files.size() && status == 0; ++i) {
        bool before = false;
        status = MoveOldFile(*folder, files[i], before, log);
        already[i] = before;
    }
    if (status == 0) status = Exec(db, "COMMIT");
    if (status != 0) {
        Exec(db, "ROLLBACK");
        CloseOldFiles(files);
        log.push_back("nothing moved");
        return status;
    }
    RemoveOldFiles(files, already, log);
    CloseOldFiles(files);
    return 0;
}

} // namespace btr
