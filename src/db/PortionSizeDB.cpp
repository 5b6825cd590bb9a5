#include "PortionSizeDB.h"

#include <vector>

#include "btrieve/btrcall.h"

CPortionSizeDB::CPortionSizeDB() {
    m_bReload = false;
}

// Not reloaded from an interchange download.
void CPortionSizeDB::ImportLine(int) {}

int CPortionSizeDB::Create(const char* path) {
    // No path: the default name, as for OpenFile.
    if (!path) path = GetFileName();
    // Key 1 lies inside key 0 (record bytes 6 to 17 of 0 to 20).
    std::vector<uint8_t> spec;
    uint16_t length = BuildFileSpec(
        spec, kRecordLength, 2, 0,
        {{1, 21, 0, btr::KT_STRING}, {7, 12, btr::KF_DUPLICATES | btr::KF_MODIFIABLE, btr::KT_STRING}});
    int status = CreateFile(spec.data(), length, path, btr::kCreateReplace);
    if (status != 0) return status;
    return OpenFile(path);
}
