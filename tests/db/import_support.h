// The reload loop for the import tests: writes a download into the current directory and
// feeds it line by line to a file object.
#pragma once

#include "BtrieveDB.h"
#include "RecordFields.h"

#include <cstdio>
#include <string>
#include <vector>

namespace kt {

// A text blank-padded to its column width, as the download writes keys.
inline std::string Pad(const std::string& s, size_t n) {
    return fields::Padded(s, n, ' ');
}

// The interchange line the file class writes for the record as it would store it.
template <class DB> std::string LineOf(typename DB::Record record) {
    std::vector<uint8_t> raw(DB::BufferSize(), 0);
    DB::PackInto(record, raw.data());
    std::string line;
    DB probe;
    probe.FormatLine(raw.data(), line);
    return line;
}

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
