#include "PortionSizeDB.h"

#include <vector>

#include "btrieve/btrcall.h"

int CPortionSizeDB::Create(const char* path) {
    // Key 1 lies inside key 0 (record bytes 6 to 17 of 0 to 20).
    return CreateAndOpen(
        path, kRecordLength, 2, 0,
        {{1, 21, 0, btr::KT_STRING}, {7, 12, btr::KF_DUPLICATES | btr::KF_MODIFIABLE, btr::KT_STRING}});
}
