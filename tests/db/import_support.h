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
    if (!f) return false;
    std::fwrite(text.data(), 1, text.size(), f);
    return std::fclose(f) == 0;
}

// Runs the reload and ends it; the lines handed to ImportLine are counted in lines (when given).
// A reload that could not be committed adds "<end status N>" to the messages.
inline std::vector<std::string> Reload(CBtrieveDB& db, const std::string& text, int version, int purge = 0,
                                       int* lines = nullptr) {
    WriteText("download.txt", text);
    if (!db.BeginReload("download.txt", 0, version, purge)) return {"<not started>"};
    int count = 0;
    while (db.GetProgressPosition() <= db.GetProgressTotal()) {
        int c = db.ReadReloadChar();
        if (c == EOF) break;
        db.ImportLine(c);
        ++count;
    }
    if (lines) *lines = count;
    std::vector<std::string> errors = db.GetErrors();
    if (int status = db.EndReload()) errors.push_back("<end status " + std::to_string(status) + ">");
    return errors;
}

} // namespace kt
