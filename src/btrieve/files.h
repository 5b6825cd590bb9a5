// File-level helpers of the record manager beyond the Btrieve entry.
#pragma once

#include <string>

namespace btr {

// Resolves a record file name against its directory, letters in any case ("MenuItem.DB" finds
// "MENUITEM.DB"). Returns the name as it exists on disk, or the name unchanged when none exists.
std::string ResolveFileName(const std::string& path);

// Removes a record file from disk with everything the record manager keeps beside it. When it
// cannot be removed, moves it aside into tempDir under a fresh name starting with prefix.
// Returns true when no file of that name remains.
bool RemoveRecordFile(const char* path, const char* tempDir, const char* prefix);

} // namespace btr
