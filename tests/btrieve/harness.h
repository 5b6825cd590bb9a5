// Drives the record manager through BTRCALL alone, as the rest of the suite does.
#pragma once

#include "btrieve/btrcall.h"

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <random>
#include <sqlite3.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace bt {

// A fresh directory made current for the test's life.
class TempDir {
public:
    TempDir() {
        m_previous = std::filesystem::current_path();
        std::random_device rd;
        m_path = std::filesystem::temp_directory_path() /
                 ("kr-btr-" + std::to_string(::getpid()) + "-" + std::to_string(rd()));
        std::filesystem::create_directories(m_path);
        std::filesystem::current_path(m_path);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::current_path(m_previous, ec);
        std::filesystem::remove_all(m_path, ec);
    }
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path, m_previous;
};

struct Seg {
    uint16_t pos, len, flags;
    uint8_t type = 0;
};

// A file specification in the record manager's layout.
inline std::vector<uint8_t> Spec(uint16_t recordLength, uint16_t keys, const std::vector<Seg>& segs,
                                 uint16_t fileFlags = 0, uint16_t pageSize = 1024) {
    std::vector<uint8_t> s(16 + 16 * segs.size(), 0);
    auto put = [&](size_t at, uint16_t v) {
        s[at] = v & 0xFF;
        s[at + 1] = v >> 8;
    };
    put(0, recordLength);
    put(2, pageSize);
    put(4, keys);
    put(10, fileFlags);
    for (size_t i = 0; i < segs.size(); ++i) {
        put(16 + 16 * i, segs[i].pos);
        put(18 + 16 * i, segs[i].len);
        put(20 + 16 * i, segs[i].flags);
        s[26 + 16 * i] = segs[i].type;
    }
    return s;
}

inline int16_t Create(const std::string& name, std::vector<uint8_t> spec, int8_t mode = 0) {
    uint8_t pb[128] = {};
    uint32_t len = static_cast<uint32_t>(spec.size());
    std::string key = name;
    key.resize(255, '\0');
    return BTRCALL(btr::B_CREATE, pb, spec.data(), &len, key.data(), 255, mode);
}

// One open file: a position block with convenience calls.
struct File {
    uint8_t pb[128] = {};
    uint8_t key[255] = {};
    std::vector<uint8_t> buf = std::vector<uint8_t>(8192);
    uint32_t len = 0;

    int16_t Open(const std::string& name, int8_t mode = 0, std::string owner = {}) {
        std::string k = name;
        k.resize(255, '\0');
        uint32_t l = static_cast<uint32_t>(owner.size());
        return BTRCALL(btr::B_OPEN, pb, owner.empty() ? nullptr : owner.data(), &l, k.data(), 255, mode);
    }
    int16_t Close() {
        uint32_t l = 0;
        return BTRCALL(btr::B_CLOSE, pb, nullptr, &l, nullptr, 0, 0);
    }
    // Calls op with the record buffer and the key buffer (key given as bytes, zero-padded).
    int16_t Call(uint16_t op, int8_t keyNum, const std::string& keyValue = {}) {
        std::memset(key, 0, sizeof key);
        std::memcpy(key, keyValue.data(), keyValue.size() < sizeof key ? keyValue.size() : sizeof key);
        len = static_cast<uint32_t>(buf.size());
        return BTRCALL(op, pb, buf.data(), &len, key, 255, keyNum);
    }
    int16_t Write(uint16_t op, const std::string& record, int8_t keyNum = 0) {
        std::memcpy(buf.data(), record.data(), record.size());
        len = static_cast<uint32_t>(record.size());
        return BTRCALL(op, pb, buf.data(), &len, key, 255, keyNum);
    }
    int16_t Insert(const std::string& record, int8_t keyNum = 0) {
        return Write(btr::B_INSERT, record, keyNum);
    }
    int16_t Update(const std::string& record, int8_t keyNum = 0) {
        return Write(btr::B_UPDATE, record, keyNum);
    }
    int16_t Delete() {
        uint32_t l = 0;
        return BTRCALL(btr::B_DELETE, pb, nullptr, &l, key, 255, 0);
    }
    std::string Record() const { return std::string(reinterpret_cast<const char*>(buf.data()), len); }
    std::string Key(size_t n) const { return std::string(reinterpret_cast<const char*>(key), n); }
    uint32_t Count() {
        uint8_t stat[1024] = {};
        uint32_t l = sizeof stat;
        uint8_t k[255];
        if (BTRCALL(btr::B_STAT, pb, stat, &l, k, 255, 0) != 0) return UINT32_MAX;
        uint32_t n;
        std::memcpy(&n, stat + 6, 4);
        return n;
    }
    ~File() {
        uint32_t l = 0;
        BTRCALL(btr::B_CLOSE, pb, nullptr, &l, nullptr, 0, 0);
    }
};

// The database in which the record files of a folder live.
inline std::string FolderDb(const std::string& dir = ".") {
    return dir + "/.kestrel-records.sqlite";
}

// The table that holds the records of one record file, as the folder's catalog names it.
inline std::string RecordTable(const std::string& name, const std::string& dir = ".") {
    sqlite3* db = nullptr;
    std::string table;
    if (sqlite3_open_v2(FolderDb(dir).c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT id FROM kr_file WHERE fold = CAST(lower(?1) AS BLOB)", -1, &st,
                               nullptr) == SQLITE_OK) {
            sqlite3_bind_text(st, 1, name.c_str(), -1, SQLITE_TRANSIENT);
            if (sqlite3_step(st) == SQLITE_ROW)
                table = "kr_rec_" + std::to_string(sqlite3_column_int64(st, 0));
        }
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return table;
}

inline std::string I32(int32_t v) {
    return std::string(reinterpret_cast<const char*>(&v), 4);
}
inline std::string Pad(std::string s, size_t n, char fill = ' ') {
    s.resize(n, fill);
    return s;
}

} // namespace bt
