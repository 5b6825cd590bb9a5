#include "support.h"

#include "btrieve/btrcall.h"

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <random>
#include <unistd.h>

namespace kt {

TempDir::TempDir() {
    m_previous = std::filesystem::current_path();
    std::random_device rd;
    m_path = std::filesystem::temp_directory_path() /
             ("kr-test-" + std::to_string(::getpid()) + "-" + std::to_string(rd()));
    std::filesystem::create_directories(m_path);
    std::filesystem::current_path(m_path);
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::current_path(m_previous, ec);
    std::filesystem::remove_all(m_path, ec);
}

TimeZone::TimeZone(const char* zone) {
    const char* old = std::getenv("TZ");
    m_had = old != nullptr;
    if (old) m_old = old;
    setenv("TZ", zone, 1);
    tzset();
}

TimeZone::~TimeZone() {
    if (m_had)
        setenv("TZ", m_old.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

void Put16(std::vector<uint8_t>& b, size_t at, uint16_t v) {
    b[at] = v & 0xFF;
    b[at + 1] = v >> 8;
}
void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = (v >> (8 * i)) & 0xFF;
}
void PutF32(std::vector<uint8_t>& b, size_t at, float v) {
    uint32_t u;
    std::memcpy(&u, &v, 4);
    Put32(b, at, u);
}
void PutF64(std::vector<uint8_t>& b, size_t at, double v) {
    uint64_t u;
    std::memcpy(&u, &v, 8);
    for (int i = 0; i < 8; ++i)
        b[at + i] = (u >> (8 * i)) & 0xFF;
}
void PutText(std::vector<uint8_t>& b, size_t at, const std::string& text, size_t width, char fill) {
    for (size_t i = 0; i < width; ++i)
        b[at + i] = i < text.size() ? static_cast<uint8_t>(text[i]) : static_cast<uint8_t>(fill);
}
uint16_t Get16(const uint8_t* b, size_t at) {
    return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}
uint32_t Get32(const uint8_t* b, size_t at) {
    return static_cast<uint32_t>(b[at]) | (static_cast<uint32_t>(b[at + 1]) << 8) |
           (static_cast<uint32_t>(b[at + 2]) << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

StatInfo ReadStat(CBtrieveDB& db) {
    StatInfo info;
    std::vector<uint8_t> buf;
    info.status = db.StatBytes(buf);
    if (info.status != 0) return info;
    size_t len = buf.size();
    info.recordLength = Get16(buf.data(), 0);
    info.pageSize = Get16(buf.data(), 2);
    info.keys = Get16(buf.data(), 4) & 0xFF;
    info.records = Get32(buf.data(), 6);
    info.fileFlags = Get16(buf.data(), 10);
    for (size_t at = 16; at + 16 <= len; at += 16)
        info.segments.push_back(
            {Get16(buf.data(), at), Get16(buf.data(), at + 2), Get16(buf.data(), at + 4), buf[at + 10]});
    return info;
}

std::vector<uint8_t> ReadRaw(CBtrieveDB& db, const std::string& key, int keyNumber) {
    std::vector<uint8_t> record;
    db.ReadBytes(btr::B_GET_EQUAL, record, keyNumber, key + std::string(256 - key.size(), '\0'));
    return record;
}

} // namespace kt
