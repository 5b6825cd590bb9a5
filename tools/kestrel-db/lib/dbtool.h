// The reusable core of the admin tool: the synthetic download generator and the demo database
// builder (the file kinds and the reload loop are the record file library's). Benchmarks and
// tests link it as kr_dbtool_core.
#pragma once

#include "BtrieveDB.h"
#include "FileKinds.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kdb {

using dbfiles::FileKind;
using dbfiles::FileKinds;
using dbfiles::FindFileKind;
using dbfiles::ImportDownload;
using dbfiles::ImportResult;
using dbfiles::ProgressCallback;

// One download of a set: which record file it reloads and how.
struct Download {
    std::string fileName; // "ITEM.DB"
    std::string path;     // the download text file
    int version = 0;
    int64_t headerLength = 0;
};

// Writes deterministic synthetic downloads into dir (created when missing): items with one to
// three units each, their dictionary (inline lists and lookup lines, with replacement words),
// customers, item history, a few quotes and the control settings. Returns them in reload order.
std::vector<Download> GenerateDownloads(const std::string& dir, int items, int customers, uint32_t seed = 1);

// Reads the download list of a directory (its MANIFEST file: "FILE.DB download.txt version
// header-length" per line); an empty list when it is missing or unreadable (see problem).
std::vector<Download> ReadManifest(const std::string& dir, std::string* problem = nullptr);

// Fills dir (created when missing) with a complete database: every recipe-side file as start-up
// creates it, then every shared file created empty and reloaded from the downloads in dataDir.
// Returns true when every download loaded without a message; report receives a line per file.
bool BuildDemo(const std::string& dir, const std::string& dataDir,
               std::vector<std::string>* report = nullptr);

// Adds the demo recipes (with their categories, an overridden cost and a custom ingredient) to
// the recipe files of dir, unless MENUHDR.DB already holds recipes. Returns how many were added,
// -1 when the files cannot be opened.
int AddDemoRecipes(const std::string& dir, std::vector<std::string>* report = nullptr);

// The record count of a record file (through Stat), or -1 with the open status in status.
long CountRecords(const std::string& recordPath, int* status = nullptr);

} // namespace kdb
