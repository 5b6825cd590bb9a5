// Shared fixtures for the record file tests.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "BtrieveDB.h"

namespace kt {

// A fresh empty directory that becomes the process's current directory for the test's life;
// the previous directory is restored and the folder removed afterwards.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return m_path; }
    std::string file(const std::string& name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
    std::filesystem::path m_previous;
};

// The process's time zone set for the object's life (dates are read in local time), then restored.
class TimeZone {
public:
    explicit TimeZone(const char* zone);
    ~TimeZone();
    TimeZone(const TimeZone&) = delete;
    TimeZone& operator=(const TimeZone&) = delete;

private:
    bool m_had = false;
    std::string m_old;
};

// Little-endian field writers and readers for building expected records by offset.
void Put16(std::vector<uint8_t>& b, size_t at, uint16_t v);
void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v);
void PutF32(std::vector<uint8_t>& b, size_t at, float v);
void PutF64(std::vector<uint8_t>& b, size_t at, double v);
void PutText(std::vector<uint8_t>& b, size_t at, const std::string& text, size_t width, char fill);
uint16_t Get16(const uint8_t* b, size_t at);
uint32_t Get32(const uint8_t* b, size_t at);

// Reads the file specification of an open file through Stat.
struct StatInfo {
    uint16_t recordLength = 0, pageSize = 0, keys = 0, fileFlags = 0;
    uint32_t records = 0;
    struct Segment {
        uint16_t position, length, flags;
        uint8_t type;
    };
    std::vector<Segment> segments;
    int status = 0;
};
StatInfo ReadStat(CBtrieveDB& db);
// The stored bytes of the record whose key keyNumber is key (zero-padded); empty when missing.
std::vector<uint8_t> ReadRaw(CBtrieveDB& db, const std::string& key, int keyNumber = 0);

} // namespace kt
