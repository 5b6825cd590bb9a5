// Record files that cannot be read, in the three ways a user meets them: missing, damaged (not a
// record file at all) and held exclusively by another user of the files.
#pragma once

#include "BtrieveDB.h"
#include "btrieve/btrcall.h"
#include "btrieve/files.h"

#include <fstream>
#include <string>

namespace kt {

enum class Breakage { Missing, Damaged, Locked };

inline const char* BreakageName(Breakage b) {
    return b == Breakage::Missing ? "missing" : b == Breakage::Damaged ? "damaged" : "locked";
}

// Whether the status is one a file broken that way gives; never 0, never "not on file" (4).
inline bool IsStatusOf(int status, Breakage how) {
    if (status == 0 || status == 4) return false;
    return how == Breakage::Damaged || status == (how == Breakage::Missing ? 12 : 85);
}

// Removes the record file from its folder's database, as another program might.
inline bool RemoveRecordFile(const std::string& name) {
    return btr::RemoveRecordFile(name.c_str(), nullptr, nullptr);
}

// A file in the record file's place that is no record file.
inline void WriteGarbage(const std::string& name) {
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    for (int i = 0; i < 4096; ++i)
        out.put(static_cast<char>('x' + i % 7));
}

// Holds a record file opened exclusively while it lives; other opens get "in use" (85).
class ExclusiveHold : public CBtrieveDB {
public:
    explicit ExclusiveHold(const std::string& name) {
        uint8_t owner[128] = {};
        uint16_t length = 0;
        if (!name.empty()) m_nStatus = Open(owner, &length, name.c_str(), btr::kOpenExclusive);
    }
    int Status() const { return m_nStatus; }
    int Create(const char*) override { return btr::B_INVALID_FUNCTION; }
    void ImportLine(int) override {}

private:
    int m_nStatus = -1;
};

} // namespace kt
