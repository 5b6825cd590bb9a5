// The reload loop for the import tests: writes a download into the current directory and
// feeds it line by line to a file object.
#pragma once

#include "BtrieveDB.h"

#include <cstdio>
#include <string>
#include <vector>

namespace kt {

inline bool WriteText(const std::string& path, const std::string& text) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    std::fwrite(text.data(), 1, text.size(), f);
    return std::fclose(f) == 0;
}

// Runs the reload; the lines handed to ImportLine are counted in lines (when given).
inline std::vector<std::string> Reload(CBtrieveDB& db, const std::string& text, int version, int purge = 0,
                                       int* lines = nullptr) {
    WriteText("download.txt", text);
    if (!db.BeginReload("download.txt", 0, version, purge))
        return {"<not started>"};
    int count = 0;
    while (db.GetProgressPosition() <= db.GetProgressTotal()) {
        int c = db.ReadReloadChar();
        if (c == EOF)
            break;
        db.ImportLine(c);
        ++count;
    }
    if (lines)
        *lines = count;
    return db.GetErrors();
}

} // namespace kt
