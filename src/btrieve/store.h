// Storage of one record file. The engine speaks only to this interface; the SQLite
// specifics live in sqlite_store.cpp alone.
#pragma once

#include "keys.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace btr {

struct Row {
    int64_t id = 0;
    std::string data;
    std::string key; // encoded value of the key queried (with its duplicate sequence)
};

enum class Seek {
    Range,     // lo <= k <= hi, ascending
    Ge,        // k >= a, ascending
    Gt,        // k > a, ascending
    Lt,        // k < a, descending
    Le,        // k <= a, descending
    LastDesc,  // every non-null key, descending
    Eq,        // k = a (a unique key)
};

class FileStore {
public:
    virtual ~FileStore() = default;

    const FileSpec& spec() const { return m_spec; }
    // After a fork the child must leave the parent's connection alone.
    virtual void Abandon() = 0;
    // The last handle has closed: let go of anything held between calls.
    virtual void Relax() = 0;
    int handles = 0;       // open handles of this process on the file
    bool exclusive = false;

    // One record by key order; 0 when found, 9 when none. key = -1 walks physical order (Step).
    virtual int16_t Find(int key, Seek how, const std::string& a, const std::string& b, Row& row) = 0;
    // Up to n records following a (Gt) or preceding it (Lt), for reading ahead.
    virtual int16_t FindMany(int key, Seek how, const std::string& a, int n, std::vector<Row>& rows) = 0;
    // Changes whenever the file's records may have changed, by this process or another.
    virtual int16_t Version(uint64_t& version) = 0;
    virtual int16_t StepFind(bool forward, int64_t after, Row& row) = 0; // after=0 / forward: first
    virtual int16_t ById(int64_t id, int key, Row& row) = 0;              // 0 or 43
    virtual int16_t Count(uint32_t& count) = 0;

    // Writes. Keys are encoded without their duplicate sequence; the store adds it and hands back
    // the stored forms. keepSeq[i] true keeps the stored key of an unchanged duplicate key.
    virtual int16_t Insert(const std::string& data, const std::vector<std::optional<std::string>>& keys,
                           int64_t& id, std::vector<std::optional<std::string>>& stored) = 0;
    virtual int16_t Update(int64_t id, const std::string& data, const std::vector<std::optional<std::string>>& keys,
                           const std::vector<bool>& keepStored, std::vector<std::optional<std::string>>& stored) = 0;
    virtual int16_t Erase(int64_t id) = 0;
    // Full stored key columns of one record.
    virtual int16_t StoredKeys(int64_t id, std::vector<std::optional<std::string>>& keys) = 0;

    // Owner name and access mode (-1 when none).
    virtual int16_t GetOwner(std::string& owner, int& mode) = 0;
    virtual int16_t SetOwner(const std::string& owner, int mode) = 0;

    // Write bracket: atomic on its own, or a part of the process's transaction.
    virtual int16_t BeginWrite() = 0;
    virtual int16_t EndWrite(bool commit) = 0;
    // Process transaction: the first touch begins it on this file; end or abort finish it.
    virtual int16_t TouchTransaction() = 0;
    virtual int16_t FinishTransaction(bool commit) = 0;
    virtual bool InTransaction() const = 0;

protected:
    FileSpec m_spec;
};

// Opens a file (pooled per file: a second open of the same file shares the store).
int16_t OpenStore(const std::string& path, bool readOnly, std::shared_ptr<FileStore>& store);
// Creates a file from its specification; replace=false answers 59 when it exists.
int16_t CreateStore(const std::string& path, const FileSpec& spec, bool replace);
// Forgets idle pooled stores (all of them, or the ones of one path).
void DropIdleStores(const std::string* path = nullptr);
// Forgets everything after a fork: the parent's connections must not be used by the child.
void AbandonStoresAfterFork();
// Whether an open handle of this process uses the file at path.
bool StoreInUse(const std::string& path);
// Removes the files that make up one record file.
bool RemoveStoreFiles(const std::string& path);

} // namespace btr
