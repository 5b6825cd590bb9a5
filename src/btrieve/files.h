// File-level helpers of the record manager beyond the Btrieve entry.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace btr {

// Resolves a name against the entries of its directory on disk, letters in any case. Returns the
// name as it exists on disk, or the name unchanged when none exists. (Record files themselves live
// in their folder's database and resolve letters in any case there.)
std::string ResolveFileName(const std::string& path);

// Removes a record file from its folder's database, as one transaction (or as a part of the
// process's transaction). Refuses while any program has the file open. Returns true when no record
// file of that name remains. The last two arguments are no longer used: nothing is moved aside.
bool RemoveRecordFile(const char* path, const char* tempDir, const char* prefix);

// Whether a record file of that name exists (letters in any case).
bool RecordFileExists(const std::string& path);

// Moves a folder of record files kept one SQLite database each (the earlier layout) into the
// folder's database, every record and file specification unchanged, all in one transaction; the
// old files are removed once it has committed. Refuses, moving nothing, while a program has one
// of them open (85). log receives one line per file. Returns 0 or the status that stopped it.
int16_t UpgradeFolder(const std::string& dir, std::vector<std::string>& log);

// Copies a record file: creates (or replaces) the copy with the file's specification and owner,
// then takes every record in, in the order they were stored, each with its keys as stored, so
// that duplicates come back in the same order on both sides. A part of the process's transaction
// when one is open. Returns 0 or a status.
int16_t CopyRecords(const std::string& from, const std::string& to, uint32_t& copied);

} // namespace btr
