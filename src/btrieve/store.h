// Storage of record files. The engine speaks only to these interfaces; the SQLite specifics live
// in sqlite_store.cpp alone.
#pragma once

#include "keys.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace btr {

struct Row {
    int64_t id = 0;
    int64_t version = 0; // the record's change count: moves on with every update
    std::string data;
    std::string key; // encoded value of the key queried (with its duplicate sequence)
};

enum class Seek {
    Range,    // lo <= k <= hi, ascending
    Ge,       // k >= a, ascending
    Gt,       // k > a, ascending
    Lt,       // k < a, descending
    Le,       // k <= a, descending
    LastDesc, // every non-null key, descending
    Eq,       // k = a (a unique key)
};

// What a process transaction spans: the files of one folder commit together.
class Transactional {
public:
    virtual ~Transactional() = default;
    // The first touch begins the transaction; end or abort finish it.
    virtual int16_t TouchTransaction() = 0;
    virtual int16_t FinishTransaction(bool commit) = 0;
    virtual bool InTransaction() const = 0;
};

class FileStore {
public:
    virtual ~FileStore() = default;

    const FileSpec& spec() const { return m_spec; }
    int handles = 0; // open handles of this process on the file
    bool exclusive = false;
    // A handle lets go: the last one ends the file's use by this process.
    virtual void Unpin() = 0;
    // The folder's transaction, shared by every file of the folder.
    virtual std::shared_ptr<Transactional> Tx() = 0;

    // One record by key order; 0 when found, 9 when none.
    virtual int16_t Find(int key, Seek how, const std::string& a, const std::string& b, Row& row) = 0;
    // Up to n records following a (Gt) or preceding it (Lt), for reading ahead.
    virtual int16_t FindMany(int key, Seek how, const std::string& a, int n, std::vector<Row>& rows) = 0;
    // Changes whenever the file's records may have changed, by this process or another.
    virtual int16_t Version(uint64_t& version) = 0;
    virtual int16_t StepFind(bool forward, int64_t after, Row& row) = 0; // after=0 / forward: first
    virtual int16_t ById(int64_t id, int key, Row& row) = 0;             // 0 or 43
    virtual int16_t Count(uint32_t& count) = 0;

    // Writes. Keys are encoded without their duplicate sequence; the store adds it and hands back
    // the stored forms. keepSeq[i] true keeps the stored key of an unchanged duplicate key.
    // Update and Erase answer 80 when the record is no longer at the change count the caller read.
    virtual int16_t Insert(const std::string& data, const std::vector<std::optional<std::string>>& keys,
                           int64_t& id, std::vector<std::optional<std::string>>& stored) = 0;
    virtual int16_t Update(int64_t id, int64_t& version, const std::string& data,
                           const std::vector<std::optional<std::string>>& keys,
                           const std::vector<bool>& keepStored,
                           std::vector<std::optional<std::string>>& stored) = 0;
    virtual int16_t Erase(int64_t id, int64_t version) = 0;

    // A record's keys as the file stores them, duplicate sequences included.
    virtual int16_t StoredKeys(int64_t id, std::vector<std::optional<std::string>>& keys) = 0;
    // Takes in a record copied from another file with its keys as stored there, so that
    // duplicates keep their order; later inserts go after every duplicate taken in.
    virtual int16_t InsertStored(const std::string& data,
                                 const std::vector<std::optional<std::string>>& stored, int64_t& id) = 0;

    // Owner name and access mode (-1 when none), kept in the file as the mode byte followed by the
    // name (empty when none).
    int16_t GetOwner(std::string& owner, int& mode) const {
        owner = m_strOwner;
        mode = m_nOwnerMode;
        return 0;
    }
    int16_t SetOwner(const std::string& owner, int mode) {
        const std::string stored =
            mode >= 0 ? std::string(1, static_cast<char>(mode)) + owner : std::string();
        if (int16_t s = StoreOwner(stored)) return s;
        LoadOwner(stored);
        return 0;
    }
    // The owner as the file keeps it, when the store reads it.
    void LoadOwner(const std::string& stored) {
        m_nOwnerMode = stored.empty() ? -1 : static_cast<uint8_t>(stored[0]);
        m_strOwner = stored.empty() ? std::string() : stored.substr(1);
    }

    // Write bracket: atomic on its own, or a part of the process's transaction.
    virtual int16_t BeginWrite() = 0;
    virtual int16_t EndWrite(bool commit) = 0;

protected:
    // Writes the owner in its stored form.
    virtual int16_t StoreOwner(const std::string& stored) = 0;

    FileSpec m_spec;

private:
    std::string m_strOwner;
    int m_nOwnerMode = -1;
};

// The database that holds every record file of a folder. Not a name the suite gives a record file
// (they end in ".DB"), hidden from directory listings.
constexpr const char* kFolderDatabaseName = ".kestrel-records.sqlite";
// Beside it: the byte locks by which programs mark the record files they have open.
constexpr const char* kFolderLockName = ".kestrel-records.lock";

// Opens a record file; the store comes back with one more handle counted (Unpin lets it go).
int16_t OpenStore(const std::string& path, std::shared_ptr<FileStore>& store);
// Creates a record file from its specification; replace=false answers 59 when it exists. With
// inTx the change joins the process's transaction, whose folder comes back in joined.
int16_t CreateStore(const std::string& path, const FileSpec& spec, bool replace, bool inTx,
                    std::shared_ptr<Transactional>& joined);
// Removes a record file: 0, 12 when there is none, 85 while a program has it open.
int16_t RemoveStore(const std::string& path, bool inTx, std::shared_ptr<Transactional>& joined);
// Whether a record file of that name exists.
bool StoreExists(const std::string& path);
// The names of the record files of a folder (on whichever store keeps them), in the case they
// were created in.
int16_t ListStores(const std::string& dir, std::vector<std::string>& names);
// Forgets idle pooled folders.
void DropIdleStores();
// After a fork, in the child, at once: lets go of the parent's file locks (descriptors only).
void ForgetLocksAfterFork();
// After a fork, in the child, before its first call: closes every inherited connection.
void CloseStoresAfterFork();
// Ends read snapshots that have been held longer than age, so that no idle reader pins the log.
void EndStaleReads(std::chrono::milliseconds age);
// The start of a record manager call: statements run past the deadline from here are stopped.
void MarkCallStart();
void SetStatementDeadline(std::chrono::milliseconds deadline);

// Copies a record file (see CopyRecords); with inTx the copy joins the process's transaction,
// whose folder comes back in joined.
int16_t CopyStore(const std::string& from, const std::string& to, bool inTx,
                  std::shared_ptr<Transactional>& joined, uint32_t& copied);

// Moves a folder of record files kept one database each (the earlier layout) into the folder's
// database, records and specifications unchanged. Returns 0, or 85 when a file is in use (nothing
// moved), or another status; log receives one line per file.
int16_t UpgradeStores(const std::string& dir, std::vector<std::string>& log);

} // namespace btr
