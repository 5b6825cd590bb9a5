// Drives the record manager through BTRCALL alone, as the rest of the suite does.
#pragma once

#include "btrieve/btrcall.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <sqlite3.h>
#include <string>
#include <sys/wait.h>
#include <type_traits>
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

inline std::string I32(int32_t v) {
    return std::string(reinterpret_cast<const char*>(&v), 4);
}
inline std::string Pad(std::string s, size_t n, char fill = ' ') {
    s.resize(n, fill);
    return s;
}

// A status as Found reports it.
inline std::string St(int16_t status) {
    return "status " + std::to_string(status);
}

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
    // Calls op with the record buffer (room bytes of it, or all) and the key buffer (key given as
    // bytes, zero-padded).
    int16_t Call(uint16_t op, int8_t keyNum, const std::string& keyValue = {}, uint32_t room = 0) {
        std::memset(key, 0, sizeof key);
        std::memcpy(key, keyValue.data(), keyValue.size() < sizeof key ? keyValue.size() : sizeof key);
        len = room ? room : static_cast<uint32_t>(buf.size());
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
    // What a Get found: the record's first n bytes, or the status it answered instead.
    std::string Found(int16_t status, size_t n = 12) const {
        return status ? St(status) : Record().substr(0, n);
    }
    // The file's specification with its record count, in a buffer of the given room.
    int16_t Stat(std::vector<uint8_t>& out, uint32_t room = 1024) {
        out.assign(room, 0);
        uint8_t k[255];
        int16_t s = BTRCALL(btr::B_STAT, pb, out.data(), &room, k, 255, 0);
        out.resize(s ? 0 : room);
        return s;
    }
    uint32_t Count() {
        std::vector<uint8_t> stat;
        uint32_t n = UINT32_MAX;
        if (Stat(stat) == 0) std::memcpy(&n, stat.data() + 6, 4);
        return n;
    }
    int16_t Position(uint32_t& pos) {
        len = 4;
        return BTRCALL(btr::B_GET_POSITION, pb, &pos, &len, key, 255, 0);
    }
    int16_t Direct(uint32_t pos, int8_t keyNum = 0) {
        std::memcpy(buf.data(), &pos, 4);
        len = static_cast<uint32_t>(buf.size());
        return BTRCALL(btr::B_GET_DIRECT, pb, buf.data(), &len, key, 255, keyNum);
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

// Runs statements on a SQLite database past the record manager: the first value they return, or
// the error that stopped them.
inline std::string Sqlite(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    std::string value;
    auto first = [](void* v, int n, char** row, char**) {
        auto* s = static_cast<std::string*>(v);
        if (s->empty() && n > 0 && row[0]) *s = row[0];
        return 0;
    };
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK ||
        sqlite3_exec(db, sql.c_str(), first, &value, nullptr) != SQLITE_OK)
        value = std::string("error: ") + sqlite3_errmsg(db);
    sqlite3_close(db);
    return value;
}

// The table that holds the records of one record file, as the folder's catalog names it.
inline std::string RecordTable(const std::string& name) {
    std::string id =
        Sqlite(FolderDb(), "SELECT id FROM kr_file WHERE fold = CAST(lower('" + name + "') AS BLOB)");
    return !id.empty() && id.find_first_not_of("0123456789") == std::string::npos ? "kr_rec_" + id : "";
}

inline int16_t Tx(uint16_t op) {
    uint8_t pb[128] = {};
    return BTRCALL(op, pb, nullptr, nullptr, nullptr, 0, 0);
}

// Lets every pooled connection go.
inline void Reset() {
    uint8_t pb[128] = {};
    BTRCALL(btr::B_RESET, pb, nullptr, nullptr, nullptr, 0, 0);
}

// Another program: body runs in a forked child, which exits with 0 when body returns true. Either
// side may Send bytes the other Receives; Receive gives fewer bytes than asked once the other
// side has gone.
class Program {
public:
    template <class F> explicit Program(F&& body) {
        if (::pipe(m_down) != 0 || ::pipe(m_up) != 0) return;
        m_pid = ::fork();
        if (m_pid == 0) {
            m_child = true;
            ::close(m_down[1]), ::close(m_up[0]);
            if constexpr (std::is_invocable_v<F, Program&>)
                ::_exit(body(*this) ? 0 : 1);
            else
                ::_exit(body() ? 0 : 1);
        }
        ::close(m_down[0]), ::close(m_up[1]);
    }
    ~Program() {
        ::close(m_child ? m_up[1] : m_down[1]);
        ::close(m_child ? m_down[0] : m_up[0]);
        if (m_pid > 0) Kill();
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    bool Send(const std::string& bytes) {
        int fd = m_child ? m_up[1] : m_down[1];
        return ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }
    std::string Receive(size_t n = 1) {
        std::string got(n, '\0');
        size_t have = 0;
        while (have < n) {
            ssize_t r = ::read(m_child ? m_down[0] : m_up[0], got.data() + have, n - have);
            if (r <= 0) break;
            have += static_cast<size_t>(r);
        }
        got.resize(have);
        return got;
    }
    // Waits for the program to end by itself with the given exit status.
    ::testing::AssertionResult Exits(int code = 0) {
        int status = 0;
        if (m_pid <= 0 || ::waitpid(m_pid, &status, 0) != m_pid)
            return ::testing::AssertionFailure() << "no such program";
        m_pid = -1;
        if (!WIFEXITED(status))
            return ::testing::AssertionFailure() << "killed by signal " << WTERMSIG(status);
        if (WEXITSTATUS(status) != code)
            return ::testing::AssertionFailure() << "exit status " << WEXITSTATUS(status);
        return ::testing::AssertionSuccess();
    }
    // Kills the program where it stands; true when it was still running.
    bool Kill() {
        int status = 0;
        if (m_pid <= 0 || ::kill(m_pid, SIGKILL) != 0 || ::waitpid(m_pid, &status, 0) != m_pid) return false;
        m_pid = -1;
        return WIFSIGNALED(status);
    }

private:
    int m_down[2] = {-1, -1}, m_up[2] = {-1, -1};
    pid_t m_pid = -1;
    bool m_child = false;
};

// Runs body as another program to its end; true when it returned true.
template <class F> bool InChild(F&& body) {
    return Program(std::forward<F>(body)).Exits();
}

// The record most tests use: a 12-byte key, space-padded, then a 20-byte payload.
inline std::vector<uint8_t> KeySpec(uint16_t keyFlags = 0) {
    return Spec(32, 1, {{1, 12, keyFlags}});
}
inline std::string K(const std::string& key) {
    return Pad(key, 12);
}
inline std::string Rec(const std::string& key, const std::string& payload = "payload") {
    return Pad(key, 12) + Pad(payload, 20, '.');
}

// A key of a prefix and four digits.
inline std::string Numbered(const char* prefix, int n) {
    char k[16];
    std::snprintf(k, sizeof k, "%s%04d", prefix, n);
    return k;
}

// The keys of a record file in key order, each its first n bytes.
inline std::vector<std::string> Keys(const std::string& name, size_t n = 12) {
    File f;
    std::vector<std::string> keys;
    if (f.Open(name) != 0) return {"open failed"};
    for (int16_t s = f.Call(btr::B_GET_FIRST, 0); s == 0; s = f.Call(btr::B_GET_NEXT, 0))
        keys.push_back(f.Record().substr(0, n));
    return keys;
}

} // namespace bt
