// Start-up check of the recipe-side record files in the database directory.
#pragma once

#include "BtrieveDB.h"
#include "btrieve/btrcall.h"

#include <cstdint>

// Opens each of the six recipe-side files in turn (PTNSIZE.DB, ORDER.DB, ORDRITEM.DB,
// MenuCategory.DB, MENUHDR.DB, MenuItem.DB): a file that is not found (12) is created with its
// keys, any other is closed again untouched. Nothing stays open. Returns 0, or the first status
// that was neither success nor "not found" (an open or a create that failed); every file is
// checked in any case.
int CheckRecipeFiles();

// A file class whose Create never replaces: a file another program made between the open that
// found none and the create is kept, the create answering "already exists" (59).
template <class File> class CCreateNoReplace : public File {
public:
    int CreateFile(void* spec, uint16_t length, const char* path, int) override {
        return File::CreateFile(spec, length, path, btr::kCreateNoReplace);
    }
};

// One file of the check: opened; created when not found ("already exists" counts as present);
// closed in any case. Returns 0 or the failing status.
int CheckRecipeFile(CBtrieveDB& db, const char* createName);
