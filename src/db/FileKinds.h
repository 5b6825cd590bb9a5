// The record files of the system by file name, and the reload of one of them from a download.
#pragma once

#include "BtrieveDB.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace dbfiles {

// One kind of record file of the system, found by its file name.
struct FileKind {
    std::string fileName;    // "ITEM.DB"
    std::string description; // "Item"
    bool reloadable = false; // CanReload: takes downloads of interchange lines
    bool exportable = false; // CanExport: writes its records as interchange lines
    int defaultVersion = 0;  // the interchange version the demo and generated downloads use
    std::function<std::unique_ptr<CBtrieveDB>()> make;
};

const std::vector<FileKind>& FileKinds();
// The kind whose file name equals the last component of path, case-insensitively; null if none.
const FileKind* FindFileKind(const std::string& path);

// Progress of a reload: bytes read so far, the download's size, lines handed to ImportLine.
using ProgressCallback = std::function<void(uint64_t position, uint64_t total, uint64_t lines)>;

struct ImportResult {
    bool started = false;            // BeginReload accepted the download
    int openStatus = 0;              // the record file's open (or create) status when it failed
    uint64_t lines = 0;              // lines handed to ImportLine
    double seconds = 0;              // wall time of the reload loop
    std::vector<std::string> errors; // the import error list
    std::string problem;             // why the reload did not start, in words
    // A run that started but could not be written (a write, a commit or a transaction failed):
    // the status, and in words what failed and which lines are on file.
    int failure = 0;
    std::string failureText;
    bool failed() const { return failure != 0; }
};

// Runs the reload protocol over an open (or, with purge, any) file object: BeginReload, then
// ImportLine for each line with its first character, until the progress position passes the end,
// then EndReload. The lines are written in transactions of a few thousand; every transaction
// status is checked, and a write that fails for want of storage stops the run. A purge is one
// transaction with all the lines: on any failure the file keeps the records it had.
ImportResult ImportDownload(CBtrieveDB& file, const std::string& downloadPath, int version,
                            int64_t headerLength, bool purge, const ProgressCallback& progress = {});

// The same for the record file at recordPath (its kind found by file name); the file is opened,
// or created when it does not exist yet, and closed afterwards.
ImportResult ImportDownload(const std::string& recordPath, const std::string& downloadPath, int version,
                            int64_t headerLength, bool purge, const ProgressCallback& progress = {});

} // namespace dbfiles
