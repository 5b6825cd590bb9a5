// The record manager's entry: operation dispatch, handles behind position blocks, currency,
// transactions. Storage is reached only through FileStore.
#include "btrcall.h"
#include "files.h"
#include "keys.h"
#include "store.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <pthread.h>
#include <thread>
#include <unistd.h>
#include <unordered_map>
#include <vector>

namespace btr {
namespace {

constexpr uint8_t kMagic[8] = {'K', 'R', 'B', 'T', 'R', 'V', 0x01, 0x00};
constexpr uint32_t kMaxRecord = 0xFFFF; // the longest record a 16-bit data length can carry

struct Handle {
    std::shared_ptr<FileStore> store;
    bool readOnly = false;
    bool exclusive = false;
    // Logical currency: the key used and the stored key value of the current position.
    int curKey = -1;
    std::string curKeyVal;
    bool hasLogical = false;
    // Physical currency and the current record.
    int64_t curId = 0;
    int64_t curVersion = 0; // the current record's change count when this handle read it
    bool hasPhysical = false;
    bool hasRecord = false;
    // Records read ahead by Get Next / Get Previous, valid while the file's version stands.
    std::vector<Row> ahead;
    size_t aheadPos = 0;
    int aheadKey = -1;
    bool aheadForward = true;
    uint64_t aheadVersion = 0;
    std::string aheadLastKey;
    int aheadBatch = 0;
    Row row; // the record last read, kept so that its buffers are reused
};

// The next record in key order from the current position, served from the records read ahead
// when nothing has changed since they were read.
int16_t NextInKeyOrder(Handle& h, int keyNum, bool forward, Row& row) {
    FileStore& st = *h.store;
    uint64_t version = 0;
    if (int16_t s = st.Version(version)) return s;
    bool sameRun = h.aheadKey == keyNum && h.aheadForward == forward && h.aheadVersion == version &&
                   h.aheadLastKey == h.curKeyVal && !h.ahead.empty();
    if (!sameRun || h.aheadPos >= h.ahead.size()) {
        h.aheadBatch = sameRun ? std::min(64, h.aheadBatch * 2) : 4;
        int16_t s = st.FindMany(keyNum, forward ? Seek::Gt : Seek::Lt, h.curKeyVal, h.aheadBatch, h.ahead);
        h.aheadPos = 0;
        h.aheadKey = keyNum;
        h.aheadForward = forward;
        h.aheadVersion = version;
        if (s != 0) {
            h.ahead.clear();
            return s;
        }
    }
    row = std::move(h.ahead[h.aheadPos++]);
    h.aheadLastKey = row.key;
    return 0;
}

struct Engine {
    std::mutex mu;
    std::unordered_map<uint32_t, std::unique_ptr<Handle>> handles;
    uint32_t nextId = 1;
    bool txActive = false;
    std::vector<std::shared_ptr<Transactional>> txStores;
    bool forked = false;        // a child that has not yet let go of its parent's files
    bool reaperRunning = false; // the thread that ends idle read snapshots
};

Engine& E() {
    static auto* e = new Engine(); // outlives every static destructor that might still close a file
    return *e;
}

// No call is under way while a process forks: the child finds every connection between calls.
void BeforeFork() {
    E().mu.lock();
}
void AfterForkInParent() {
    E().mu.unlock();
}
void AfterForkInChild() {
    Engine& e = E();
    ForgetLocksAfterFork(); // at once: the parent's "file open" marks must not live on in the child
    e.forked = true;
    e.reaperRunning = false;
    e.mu.unlock();
}

// The child starts clean: no handle, no transaction, no connection of the parent's. Each inherited
// connection is closed, rolling back its copy of a transaction the parent may still hold.
void CleanAfterFork() {
    Engine& e = E();
    e.handles.clear();
    e.txStores.clear();
    e.txActive = false;
    CloseStoresAfterFork();
    e.forked = false;
}

// Ends read snapshots left open by handles that went idle, so that another program's writes can
// be folded back into the database and its log does not grow while this program waits.
void StartReaper() {
    Engine& e = E();
    if (e.reaperRunning) return;
    e.reaperRunning = true;
    std::thread([] {
        for (;;) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            std::lock_guard<std::mutex> lock(E().mu);
            if (!E().reaperRunning) return;
            EndStaleReads(std::chrono::milliseconds(250));
        }
    }).detach();
}

void ResetAll();

// At exit every file is closed properly, so that SQLite folds its write-ahead log back into the
// record file and no -wal or -shm file is left beside it.
void CloseAllAtExit() {
    std::lock_guard<std::mutex> lock(E().mu);
    if (E().forked) CleanAfterFork(); // a child that never called: what it holds is the parent's
    ResetAll();
}

void RegisterProcessHooks() {
    static std::once_flag once;
    std::call_once(once, [] {
        pthread_atfork(BeforeFork, AfterForkInParent, AfterForkInChild);
        std::atexit(CloseAllAtExit);
    });
}

uint32_t Rd32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
void Wr32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

Handle* Lookup(void* pb, uint32_t* idOut = nullptr) {
    if (!pb) return nullptr;
    auto* p = static_cast<uint8_t*>(pb);
    if (std::memcmp(p, kMagic, 8) != 0) return nullptr;
    uint32_t id = Rd32(p + 8);
    if (Rd32(p + 12) != ~id) return nullptr;
    auto it = E().handles.find(id);
    if (it == E().handles.end()) return nullptr;
    if (idOut) *idOut = id;
    return it->second.get();
}

void ReleaseHandle(uint32_t id) {
    auto it = E().handles.find(id);
    if (it == E().handles.end()) return;
    Handle& h = *it->second;
    if (h.exclusive) h.store->exclusive = false;
    h.store->Unpin();
    E().handles.erase(it);
}

// Text of a key buffer used as a name: up to the first zero byte, trailing blanks dropped.
std::string NameFrom(const void* key, uint8_t keyLength) {
    if (!key) return {};
    const char* p = static_cast<const char*>(key);
    size_t n = 0;
    while (n < keyLength && p[n] != '\0')
        ++n;
    while (n > 0 && p[n - 1] == ' ')
        --n;
    return std::string(p, n);
}

std::string TextFrom(const void* data, uint32_t length) {
    if (!data) return {};
    const char* p = static_cast<const char*>(data);
    size_t n = 0;
    while (n < length && p[n] != '\0')
        ++n;
    return std::string(p, n);
}

int16_t TouchTx(const std::shared_ptr<FileStore>& store) {
    Engine& e = E();
    if (!e.txActive) return 0;
    std::shared_ptr<Transactional> tx = store->Tx();
    if (tx->InTransaction()) return 0;
    int16_t s = tx->TouchTransaction();
    if (s == 0) e.txStores.push_back(std::move(tx)); // kept alive until the transaction ends
    return s;
}

void Join(std::shared_ptr<Transactional>& joined) {
    if (joined) E().txStores.push_back(std::move(joined));
}

// A stored record shorter than the file's fixed part means the file was damaged.
bool RecordSane(const FileSpec& spec, const std::string& data) {
    return spec.variable() ? data.size() >= spec.recordLength : data.size() == spec.recordLength;
}

int16_t CopyOut(const FileSpec& spec, const std::string& rec, void* data, uint32_t* dataLen) {
    if (!data || !dataLen) return B_DATALENGTH_ERROR;
    uint32_t cap = *dataLen;
    if (rec.size() <= cap) {
        std::memcpy(data, rec.data(), rec.size());
        *dataLen = static_cast<uint32_t>(rec.size());
        return 0;
    }
    if (spec.variable()) { // as much as fits
        std::memcpy(data, rec.data(), cap);
        return B_DATALENGTH_ERROR;
    }
    *dataLen = 0;
    return B_DATALENGTH_ERROR;
}

int16_t CheckRecordLength(const FileSpec& spec, const void* data, const uint32_t* dataLen) {
    if (!data || !dataLen) return B_DATALENGTH_ERROR;
    if (spec.variable())
        return (*dataLen < spec.recordLength || *dataLen > kMaxRecord) ? B_DATALENGTH_ERROR : 0;
    return *dataLen != spec.recordLength ? B_DATALENGTH_ERROR : 0;
}

std::vector<std::optional<std::string>> RecordKeys(const FileSpec& spec, const uint8_t* rec, size_t len) {
    std::vector<std::optional<std::string>> keys;
    keys.reserve(spec.keys.size());
    for (const Key& k : spec.keys)
        keys.push_back(EncodeRecordKey(k, rec, len));
    return keys;
}

void SetLogical(Handle& h, int key, const std::optional<std::string>& stored) {
    h.curKey = key;
    h.hasLogical = stored.has_value();
    h.curKeyVal = stored.value_or(std::string());
}

int16_t DoGet(Handle& h, int op, bool keyOnly, void* data, uint32_t* dataLen, void* key, uint8_t keyLen,
              int keyNum) {
    const FileSpec& spec = h.store->spec();
    if (keyNum < 0 || keyNum >= static_cast<int>(spec.keys.size())) return B_INVALID_KEYNUMBER;
    const Key& K = spec.keys[keyNum];
    if (!key || keyLen < K.length) return B_KEY_BUFFER_TOO_SHORT;
    if (!keyOnly && (!data || !dataLen)) return B_DATALENGTH_ERROR;
    if (int16_t s = TouchTx(h.store)) return s;

    static const std::string kLow(8, '\0'), kHigh(8, '\xFF');
    const std::string& lowSuffix = K.duplicates ? kLow : std::string();
    const std::string& highSuffix = K.duplicates ? kHigh : std::string();
    Row& row = h.row;
    int16_t s = 0;
    FileStore& st = *h.store;
    switch (op) {
    case B_GET_EQUAL: {
        std::string v = EncodeKeyValue(K, static_cast<uint8_t*>(key));
        if (K.duplicates)
            s = st.Find(keyNum, Seek::Range, v + lowSuffix, v + highSuffix, row);
        else
            s = st.Find(keyNum, Seek::Eq, v, {}, row);
        if (s == B_END_OF_FILE) s = B_KEY_VALUE_NOT_FOUND;
        break;
    }
    case B_GET_GE:
        s = st.Find(keyNum, Seek::Ge, EncodeKeyValue(K, static_cast<uint8_t*>(key)) + lowSuffix, {}, row);
        break;
    case B_GET_GREATER:
        s = st.Find(keyNum, Seek::Gt, EncodeKeyValue(K, static_cast<uint8_t*>(key)) + highSuffix, {}, row);
        break;
    case B_GET_LESS:
        s = st.Find(keyNum, Seek::Lt, EncodeKeyValue(K, static_cast<uint8_t*>(key)) + lowSuffix, {}, row);
        break;
    case B_GET_LE:
        s = st.Find(keyNum, Seek::Le, EncodeKeyValue(K, static_cast<uint8_t*>(key)) + highSuffix, {}, row);
        break;
    case B_GET_FIRST:
        s = st.Find(keyNum, Seek::Ge, std::string(), {}, row);
        break;
    case B_GET_LAST:
        s = st.Find(keyNum, Seek::LastDesc, {}, {}, row);
        break;
    case B_GET_NEXT:
    case B_GET_PREVIOUS:
        if (!h.hasLogical) return B_POSITION_NOT_SET;
        if (h.curKey != keyNum) return B_DIFFERENT_KEYNUMBER;
        s = NextInKeyOrder(h, keyNum, op == B_GET_NEXT, row);
        break;
    default:
        return B_INVALID_FUNCTION;
    }
    if (s != 0) return s;
    if (!RecordSane(spec, row.data)) return B_IO_ERROR;
    h.curKey = keyNum;
    h.curKeyVal = row.key;
    h.hasLogical = true;
    h.curId = row.id;
    h.curVersion = row.version;
    ExtractKeyValue(K, reinterpret_cast<const uint8_t*>(row.data.data()), static_cast<uint8_t*>(key));
    if (keyOnly) {
        h.hasRecord = false;
        h.hasPhysical = false;
        return 0;
    }
    h.hasRecord = true;
    h.hasPhysical = true;
    return CopyOut(spec, row.data, data, dataLen);
}

int16_t DoStep(Handle& h, int op, void* data, uint32_t* dataLen) {
    if (!data || !dataLen) return B_DATALENGTH_ERROR;
    if ((op == B_STEP_NEXT || op == B_STEP_PREVIOUS) && !h.hasPhysical) return B_POSITION_NOT_SET;
    if (int16_t s = TouchTx(h.store)) return s;
    Row& row = h.row;
    int16_t s;
    switch (op) {
    case B_STEP_FIRST:
        s = h.store->StepFind(true, 0, row);
        break;
    case B_STEP_LAST:
        s = h.store->StepFind(false, INT64_MAX, row);
        break;
    case B_STEP_NEXT:
        s = h.store->StepFind(true, h.curId, row);
        break;
    default:
        s = h.store->StepFind(false, h.curId, row);
        break;
    }
    if (s != 0) return s;
    if (!RecordSane(h.store->spec(), row.data)) return B_IO_ERROR;
    h.curId = row.id;
    h.curVersion = row.version;
    h.hasPhysical = true;
    h.hasRecord = true;
    h.hasLogical = false;
    return CopyOut(h.store->spec(), row.data, data, dataLen);
}

// Runs one write inside its bracket: atomic alone, or a part of the process's transaction.
template <class F> int16_t Write(Handle& h, F&& body) {
    if (h.readOnly) return B_ACCESS_TO_FILE_DENIED;
    if (int16_t s = TouchTx(h.store)) return s;
    if (int16_t s = h.store->BeginWrite()) return s;
    int16_t s = body();
    int16_t end = h.store->EndWrite(s == 0);
    return s != 0 ? s : end;
}

int16_t DoInsert(Handle& h, void* data, uint32_t* dataLen, void* key, uint8_t keyLen, int keyNum) {
    const FileSpec& spec = h.store->spec();
    bool keyed = !spec.keys.empty();
    if (keyed && (keyNum < 0 || keyNum >= static_cast<int>(spec.keys.size()))) return B_INVALID_KEYNUMBER;
    if (keyed && (!key || keyLen < spec.keys[keyNum].length)) return B_KEY_BUFFER_TOO_SHORT;
    if (int16_t s = CheckRecordLength(spec, data, dataLen)) return s;
    const auto* rec = static_cast<const uint8_t*>(data);
    std::string bytes(reinterpret_cast<const char*>(rec), *dataLen);
    auto keys = RecordKeys(spec, rec, *dataLen);
    int64_t id = 0;
    std::vector<std::optional<std::string>> stored;
    int16_t s = Write(h, [&] { return h.store->Insert(bytes, keys, id, stored); });
    if (s != 0) return s;
    h.curId = id;
    h.curVersion = 0;
    h.hasPhysical = true;
    h.hasRecord = true;
    if (keyed) {
        SetLogical(h, keyNum, stored[keyNum]);
        ExtractKeyValue(spec.keys[keyNum], rec, static_cast<uint8_t*>(key));
    }
    return 0;
}

int16_t DoUpdate(Handle& h, void* data, uint32_t* dataLen, void* key, uint8_t keyLen, int keyNum) {
    const FileSpec& spec = h.store->spec();
    if (!h.hasRecord) return B_POSITION_NOT_SET;
    if (int16_t s = CheckRecordLength(spec, data, dataLen)) return s;
    const auto* rec = static_cast<const uint8_t*>(data);
    std::string bytes(reinterpret_cast<const char*>(rec), *dataLen);
    auto keys = RecordKeys(spec, rec, *dataLen);
    std::vector<std::optional<std::string>> stored;
    int64_t version = h.curVersion;
    int16_t s = Write(h, [&]() -> int16_t {
        Row old;
        // Gone or changed by another handle or program since this one read it: nothing is written.
        if (h.store->ById(h.curId, -1, old) != 0 || old.version != h.curVersion) return B_CONFLICT;
        auto oldKeys = RecordKeys(spec, reinterpret_cast<const uint8_t*>(old.data.data()), old.data.size());
        std::vector<bool> keep(keys.size());
        for (size_t i = 0; i < keys.size(); ++i) {
            keep[i] = oldKeys[i] == keys[i];
            if (!keep[i] && !spec.keys[i].modifiable) return B_MODIFIABLE_KEYVALUE_ERROR;
        }
        return h.store->Update(h.curId, version, bytes, keys, keep, stored);
    });
    if (s != 0) return s;
    h.curVersion = version;
    int target = (keyNum >= 0 && keyNum < static_cast<int>(spec.keys.size())) ? keyNum : h.curKey;
    if (target >= 0 && target < static_cast<int>(spec.keys.size())) {
        SetLogical(h, target, stored[target]);
        if (key && keyLen >= spec.keys[target].length)
            ExtractKeyValue(spec.keys[target], rec, static_cast<uint8_t*>(key));
    }
    return 0;
}

int16_t DoOpen(void* pb, void* data, uint32_t* dataLen, void* key, uint8_t keyLen, int keyNum) {
    if (!pb) return B_POSITIONBLOCK_LENGTH;
    uint32_t old;
    if (Lookup(pb, &old)) ReleaseHandle(old); // a position block opened again lets go of its first file
    std::string name = NameFrom(key, keyLen);
    if (name.empty()) return B_FILENAME_BAD;
    if (keyNum > 0 || keyNum < kOpenExclusive) return B_INVALID_FUNCTION;
    std::shared_ptr<FileStore> store;
    if (int16_t s = OpenStore(name, store)) // counts one more handle on success
        return s;
    if (store->exclusive || (keyNum == kOpenExclusive && store->handles > 1)) {
        store->Unpin();
        return B_FILE_INUSE;
    }
    bool readOnly = keyNum == kOpenReadOnly;
    std::string owner;
    int ownerMode = -1;
    store->GetOwner(owner, ownerMode);
    if (ownerMode >= 0 && TextFrom(data, dataLen ? *dataLen : 0) != owner) {
        if (ownerMode == 1 || ownerMode == 3) {
            readOnly = true; // the owner allows reading without the name
        } else {
            store->Unpin();
            return B_INCORRECT_OWNER;
        }
    }
    auto h = std::make_unique<Handle>();
    h->store = store;
    h->readOnly = readOnly;
    h->exclusive = keyNum == kOpenExclusive;
    if (h->exclusive) store->exclusive = true;
    uint32_t id = E().nextId++;
    if (E().nextId == 0) E().nextId = 1;
    E().handles[id] = std::move(h);
    auto* p = static_cast<uint8_t*>(pb);
    std::memset(p, 0, kPositionBlockSize);
    std::memcpy(p, kMagic, 8);
    Wr32(p + 8, id);
    Wr32(p + 12, ~id);
    return 0;
}

int16_t DoCreate(void* data, uint32_t* dataLen, void* key, uint8_t keyLen, int keyNum) {
    FileSpec spec;
    if (!dataLen) return B_DATALENGTH_ERROR;
    if (int16_t s = ParseSpec(static_cast<const uint8_t*>(data), *dataLen, spec)) return s;
    std::string name = NameFrom(key, keyLen);
    if (name.empty()) return B_FILENAME_BAD;
    std::shared_ptr<Transactional> joined;
    int16_t s = CreateStore(name, spec, keyNum != kCreateNoReplace, E().txActive, joined);
    Join(joined);
    return s;
}

int16_t DoStat(Handle& h, void* data, uint32_t* dataLen, void* key, uint8_t keyLen) {
    const FileSpec& spec = h.store->spec();
    if (!data || !dataLen || *dataLen < spec.raw.size()) return B_DATALENGTH_ERROR;
    if (int16_t s = TouchTx(h.store)) return s;
    uint32_t count = 0;
    if (int16_t s = h.store->Count(count)) return s;
    auto* out = static_cast<uint8_t*>(data);
    std::memcpy(out, spec.raw.data(), spec.raw.size());
    Wr32(out + 6, count);
    *dataLen = static_cast<uint32_t>(spec.raw.size());
    if (key && keyLen > 0) static_cast<char*>(key)[0] = '\0'; // no extension file
    return 0;
}

int16_t FinishTransaction(bool commit) {
    Engine& e = E();
    if (!e.txActive) return B_END_TRANSACTION_ERROR;
    int16_t first = 0;
    for (auto& s : e.txStores) {
        int16_t st = s->FinishTransaction(commit);
        if (st != 0 && first == 0) first = st;
    }
    e.txStores.clear();
    e.txActive = false;
    return first;
}

void ResetAll() {
    Engine& e = E();
    if (e.txActive) FinishTransaction(false);
    std::vector<uint32_t> ids;
    for (auto& [id, h] : e.handles)
        ids.push_back(id);
    for (uint32_t id : ids)
        ReleaseHandle(id);
    DropIdleStores();
}

bool IsGetOrStep(int op) {
    return (op >= B_GET_EQUAL && op <= B_GET_LAST) || op == B_GET_DIRECT || op == B_STEP_NEXT ||
           (op >= B_STEP_FIRST && op <= B_STEP_PREVIOUS);
}

// Set Directory and Get Directory: the process's current directory, as the record manager's was.
int16_t DoDirectory(int op, void* key, uint8_t keyLen) {
    if (op == B_SET_DIR) {
        std::string dir = NameFrom(key, keyLen);
        return (dir.empty() || ::chdir(dir.c_str()) != 0) ? B_DIRECTORY_ERROR : 0;
    }
    char buf[4096];
    if (!::getcwd(buf, sizeof buf)) return B_DIRECTORY_ERROR;
    size_t n = std::strlen(buf) + 1;
    if (!key || keyLen < n) return B_KEY_BUFFER_TOO_SHORT;
    std::memcpy(key, buf, n);
    return 0;
}

int16_t DoTransaction(int op) {
    if (op == B_BEGIN_TRAN) {
        if (E().txActive) return B_TRANSACTION_IS_ACTIVE;
        E().txActive = true;
        return 0;
    }
    return FinishTransaction(op == B_END_TRAN);
}

int16_t DoVersion(void* data, uint32_t* dataLen) {
    if (!data || !dataLen || *dataLen < 5) return B_DATALENGTH_ERROR;
    auto* v = static_cast<uint8_t*>(data);
    v[0] = 6, v[1] = 0, v[2] = 15, v[3] = 0, v[4] = 'L';
    *dataLen = 5;
    return 0;
}

int16_t DoClose(void* pb, uint32_t id) {
    ReleaseHandle(id);
    std::memset(pb, 0, 16);
    return 0;
}

int16_t DoDelete(Handle& h) {
    if (!h.hasRecord) return B_POSITION_NOT_SET;
    int16_t s = Write(h, [&] { return h.store->Erase(h.curId, h.curVersion); });
    if (s == 0) h.hasRecord = false; // the neighbours stay reachable from the old position
    return s;
}

int16_t DoGetPosition(const Handle& h, void* data, uint32_t* dataLen) {
    if (!h.hasRecord) return B_POSITION_NOT_SET;
    if (!data || !dataLen || *dataLen < 4) return B_DATALENGTH_ERROR;
    Wr32(static_cast<uint8_t*>(data), static_cast<uint32_t>(h.curId));
    *dataLen = 4;
    return 0;
}

// The record at a position Get Position gave, made current in the order of the key asked for.
int16_t DoGetDirect(Handle& h, void* data, uint32_t* dataLen, void* key, uint8_t keyLen, int keyNum) {
    const FileSpec& spec = h.store->spec();
    if (!data || !dataLen || *dataLen < 4) return B_DATALENGTH_ERROR;
    if (keyNum < 0 || keyNum >= static_cast<int>(spec.keys.size())) return B_INVALID_KEYNUMBER;
    if (!key || keyLen < spec.keys[keyNum].length) return B_KEY_BUFFER_TOO_SHORT;
    if (int16_t s = TouchTx(h.store)) return s;
    Row row;
    if (int16_t s = h.store->ById(Rd32(static_cast<uint8_t*>(data)), keyNum, row)) return s;
    if (!RecordSane(spec, row.data)) return B_IO_ERROR;
    const auto* rec = reinterpret_cast<const uint8_t*>(row.data.data());
    std::optional<std::string> stored;
    if (EncodeRecordKey(spec.keys[keyNum], rec, row.data.size())) stored = row.key;
    SetLogical(h, keyNum, stored);
    h.curId = row.id;
    h.curVersion = row.version;
    h.hasPhysical = true;
    h.hasRecord = true;
    ExtractKeyValue(spec.keys[keyNum], rec, static_cast<uint8_t*>(key));
    return CopyOut(spec, row.data, data, dataLen);
}

// The owner name comes twice, in the data and the key buffer, and must agree; the key number
// is the access mode.
int16_t DoSetOwner(Handle& h, void* data, uint32_t* dataLen, void* key, uint8_t keyLen, int keyNum) {
    std::string owner = TextFrom(data, dataLen ? *dataLen : 0);
    if (owner.empty() || owner.size() > 24 || owner != NameFrom(key, keyLen) || keyNum < 0 || keyNum > 3)
        return B_INCORRECT_OWNER;
    std::string current;
    int mode;
    if (int16_t s = h.store->GetOwner(current, mode)) return s;
    if (mode >= 0) return B_OWNER_ALREADY_SET;
    return Write(h, [&] { return h.store->SetOwner(owner, keyNum); });
}

int16_t DoClearOwner(Handle& h) {
    return Write(h, [&] { return h.store->SetOwner(std::string(), -1); });
}

// An operation code as called: the bias for a record lock and for key-only reads taken off.
struct Operation {
    int op = 0;
    bool locked = false;
    bool keyOnly = false;
};

Operation Decode(uint16_t operation) {
    Operation o;
    o.op = operation;
    if (o.op == 1000 + B_BEGIN_TRAN) // concurrent transaction: the same here
        o.op = B_BEGIN_TRAN;
    if (o.op >= 100 && o.op < 500) {
        o.locked = true; // record locks are accepted; writers are serialised per file instead
        o.op %= 100;
    }
    if (o.op >= B_GET_EQUAL + kKeyOnlyBias && o.op <= B_GET_LAST + kKeyOnlyBias) {
        o.keyOnly = true;
        o.op -= kKeyOnlyBias;
    }
    return o;
}

bool NeedsOpenFile(int op) {
    switch (op) {
    case B_OPEN:
    case B_CREATE:
    case B_SET_DIR:
    case B_GET_DIR:
    case B_BEGIN_TRAN:
    case B_END_TRAN:
    case B_ABORT_TRAN:
    case B_STOP:
    case B_RESET:
    case B_VERSION:
        return false;
    default:
        return true;
    }
}

// Operations of the session: they need no open file behind the position block.
int16_t DispatchSession(int op, void* pb, void* data, uint32_t* dataLen, void* key, uint8_t keyLen,
                        int keyNum) {
    switch (op) {
    case B_OPEN:
        return DoOpen(pb, data, dataLen, key, keyLen, keyNum);
    case B_CREATE:
        return DoCreate(data, dataLen, key, keyLen, keyNum);
    case B_SET_DIR:
    case B_GET_DIR:
        return DoDirectory(op, key, keyLen);
    case B_BEGIN_TRAN:
    case B_END_TRAN:
    case B_ABORT_TRAN:
        return DoTransaction(op);
    case B_VERSION:
        return DoVersion(data, dataLen);
    default: // Stop and Reset
        ResetAll();
        return 0;
    }
}

int16_t DispatchOnFile(const Operation& o, void* pb, void* data, uint32_t* dataLen, void* key, uint8_t keyLen,
                       int keyNum) {
    uint32_t id = 0;
    Handle* h = Lookup(pb, &id);
    if (!h) return B_FILE_NOT_OPEN;
    switch (o.op) {
    case B_CLOSE:
        return DoClose(pb, id);
    case B_INSERT:
        return DoInsert(*h, data, dataLen, key, keyLen, keyNum);
    case B_UPDATE:
        return DoUpdate(*h, data, dataLen, key, keyLen, keyNum);
    case B_DELETE:
        return DoDelete(*h);
    case B_GET_EQUAL:
    case B_GET_NEXT:
    case B_GET_PREVIOUS:
    case B_GET_GREATER:
    case B_GET_GE:
    case B_GET_LESS:
    case B_GET_LE:
    case B_GET_FIRST:
    case B_GET_LAST:
        return DoGet(*h, o.op, o.keyOnly, data, dataLen, key, keyLen, keyNum);
    case B_STEP_FIRST:
    case B_STEP_LAST:
    case B_STEP_NEXT:
    case B_STEP_PREVIOUS:
        return DoStep(*h, o.op, data, dataLen);
    case B_STAT:
        return DoStat(*h, data, dataLen, key, keyLen);
    case B_GET_POSITION:
        return DoGetPosition(*h, data, dataLen);
    case B_GET_DIRECT:
        return DoGetDirect(*h, data, dataLen, key, keyLen, keyNum);
    case B_UNLOCK:
        return 0; // no record is ever held locked
    case B_SET_OWNER:
        return DoSetOwner(*h, data, dataLen, key, keyLen, keyNum);
    case B_CLEAR_OWNER:
        return DoClearOwner(*h);
    default:
        // Among them Extend, and Create and Drop Supplemental Index: extension files and
        // supplemental indexes are not kept.
        return B_INVALID_FUNCTION;
    }
}

int16_t Dispatch(uint16_t operation, void* pb, void* data, uint32_t* dataLen, void* key, uint8_t keyLen,
                 int8_t keyNum) {
    Operation o = Decode(operation);
    if (o.locked && !IsGetOrStep(o.op)) return B_INVALID_FUNCTION;
    if (!NeedsOpenFile(o.op)) return DispatchSession(o.op, pb, data, dataLen, key, keyLen, keyNum);
    return DispatchOnFile(o, pb, data, dataLen, key, keyLen, keyNum);
}

// Every entry takes the one lock, so that the pool of files is never touched by two threads.
class EntryLock {
public:
    EntryLock() : m_lock((RegisterProcessHooks(), E().mu)) {
        if (E().forked) CleanAfterFork();
        StartReaper();
        MarkCallStart();
    }

private:
    std::lock_guard<std::mutex> m_lock;
};

} // namespace

bool RemoveRecordFile(const char* path, const char* /*tempDir*/, const char* /*prefix*/) {
    if (!path || !*path) return false;
    EntryLock lock;
    std::shared_ptr<Transactional> joined;
    int16_t s = RemoveStore(path, E().txActive, joined);
    Join(joined);
    return s == 0 || s == B_FILE_NOT_FOUND;
}

bool RecordFileExists(const std::string& path) {
    EntryLock lock;
    return StoreExists(path);
}

int16_t UpgradeFolder(const std::string& dir, std::vector<std::string>& log) {
    EntryLock lock;
    return UpgradeStores(dir, log);
}

int16_t CopyRecords(const std::string& from, const std::string& to, uint32_t& copied) {
    EntryLock lock;
    std::shared_ptr<Transactional> joined;
    int16_t s = CopyStore(from, to, E().txActive, joined, copied);
    Join(joined);
    return s;
}

} // namespace btr

extern "C" int16_t BTRCALL(uint16_t operation, void* positionBlock, void* dataBuffer, uint32_t* dataLength,
                           void* keyBuffer, uint8_t keyLength, int8_t keyNumber) {
    btr::EntryLock lock;
    return btr::Dispatch(operation, positionBlock, dataBuffer, dataLength, keyBuffer, keyLength, keyNumber);
}
