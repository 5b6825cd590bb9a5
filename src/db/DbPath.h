// Record files are opened by bare name in the database directory when it is the current one,
// or by path inside a given directory.
#pragma once

#include "DbContext.h"

#include <string>

// The path of a record file in directory; empty when directory is empty (open by bare name).
inline std::string DbPath(const std::string& directory, const char* name) {
    if (directory.empty()) return {};
    return CDbContext(directory).PathOf(name);
}

// The argument for OpenFile: null opens the file's own name in the current directory.
inline const char* DbPathArg(const std::string& path) {
    return path.empty() ? nullptr : path.c_str();
}
