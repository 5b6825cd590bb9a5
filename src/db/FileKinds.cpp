#include "FileKinds.h"

#include "ControlDB.h"
#include "CustomerDB.h"
#include "ItemDB.h"
#include "ItemDictDB.h"
#include "ItemLookupDB.h"
#include "ItemUnitDB.h"
#include "ManualPriceDB.h"
#include "MenuCategoryDB.h"
#include "MenuHdrDB.h"
#include "MenuItemDB.h"
#include "OrderDB.h"
#include "OrderItemDB.h"
#include "PortionSizeDB.h"
#include "VelocityDB.h"
#include "btrieve/btrcall.h"
#include "btrieve/status_text.h"

#include <algorithm>
#include <chrono>
#include <filesystem>

namespace fs = std::filesystem;

namespace dbfiles {

namespace {

template <class T> FileKind Kind(int version) {
    T probe;
    FileKind k;
    k.fileName = probe.GetFileName();
    k.description = probe.GetDescription();
    k.exportable = probe.CanExport();
    k.reloadable = probe.CanReload();
    k.defaultVersion = version;
    k.make = [] { return std::unique_ptr<CBtrieveDB>(new T); };
    return k;
}

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// The writes of this many lines go to the record manager as one transaction.
constexpr uint64_t kLinesPerTransaction = 2000;

} // namespace

const std::vector<FileKind>& FileKinds() {
    static const std::vector<FileKind> kinds = {
        Kind<CMenuHdrDB>(0),       Kind<CMenuItemDB>(0),       Kind<CMenuCategoryDB>(0),
        Kind<CPortionSizeDB>(0),   Kind<COrderDB>(0),          Kind<COrderItemDB>(0),
        Kind<CControlDB>(1025),    Kind<CItemDB>(1025),        Kind<CItemUnitDB>(1025),
        Kind<CCustomerDB>(777),    Kind<CVelocityDB>(1026),    Kind<CItemDictDB>(770),
        Kind<CItemLookupDB>(1025), Kind<CManualPriceDB>(1025),
    };
    return kinds;
}

const FileKind* FindFileKind(const std::string& path) {
    std::string name = Lower(fs::path(path).filename().string());
    for (const FileKind& k : FileKinds())
        if (Lower(k.fileName) == name) return &k;
    return nullptr;
}

ImportResult ImportDownload(CBtrieveDB& file, const std::string& downloadPath, int version,
                            int64_t headerLength, bool purge, const ProgressCallback& progress) {
    ImportResult result;
    std::error_code ec;
    if (!fs::is_regular_file(downloadPath, ec)) {
        result.problem = "download not found: " + downloadPath;
        return result;
    }
    uintmax_t size = fs::file_size(downloadPath, ec);
    if (ec || headerLength < 0 || size <= static_cast<uintmax_t>(headerLength)) {
        result.problem = "the download holds no lines after its header of " + std::to_string(headerLength) +
                         " bytes: " + downloadPath;
        return result;
    }
    auto begin = std::chrono::steady_clock::now();
    if (!file.BeginReload(downloadPath.c_str(), headerLength, version, purge ? 1 : 0)) {
        if (file.GetLineLength() == 0)
            result.problem = std::string(file.GetFileName()) + " cannot be reloaded from a download";
        else if (purge && file.GetReloadFailure() != 0)
            result.problem = "the purge could not start (status " + btr::StatusText(file.GetReloadFailure()) +
                             "); the record file keeps the records it had";
        else
            result.problem = "cannot open the download for reading: " + downloadPath;
        return result;
    }
    result.started = true;
    const std::string name = file.GetFileName();
    const uint64_t total = file.GetProgressTotal() + 1;
    // A purge holds everything in its own transaction; other runs commit every few thousand lines.
    const bool whole = file.HoldsReloadTransaction();
    const bool batches = !whole && file.IsOpen();
    uint64_t applied = 0; // lines up to here are committed
    bool inTransaction = false;
    auto fail = [&](int status, const std::string& what) {
        result.failure = status;
        result.failureText = "status " + btr::StatusText(status) + " " + what;
    };
    bool more = file.GetProgressPosition() <= file.GetProgressTotal();
    while (more) {
        if (batches && !inTransaction) {
            if (int status = file.BeginTran()) {
                fail(status, "beginning a transaction on " + name +
                                 (applied ? " after line " + std::to_string(applied) : ""));
                break;
            }
            inTransaction = true;
        }
        uint64_t at = file.GetProgressPosition();
        int c = file.ReadReloadChar();
        if (c == EOF) {
            // Short of its measured end: it cannot be read, or it shrank while being read.
            int status = file.GetReloadFailure() ? file.GetReloadFailure() : btr::B_IO_ERROR;
            fail(status, "reading " + downloadPath + ": it ends at offset " + std::to_string(at) + " of " +
                             std::to_string(total) + " bytes");
            break;
        }
        file.ImportLine(c);
        ++result.lines;
        if (int status = file.GetReloadFailure()) {
            fail(status, "on line " + std::to_string(result.lines) + " (offset " + std::to_string(at) +
                             ") of " + downloadPath + " into " + name);
            break;
        }
        more = file.GetProgressPosition() <= file.GetProgressTotal();
        bool full = result.lines % kLinesPerTransaction == 0;
        if (inTransaction && (full || !more)) {
            inTransaction = false;
            if (int status = file.EndTran()) {
                fail(status, "committing lines " + std::to_string(applied + 1) + " to " +
                                 std::to_string(result.lines) + " to " + name);
                break;
            }
            applied = result.lines;
        }
        if (full && progress) progress(file.GetProgressPosition(), total, result.lines);
    }
    if (inTransaction) file.AbortTran();
    int ended = file.EndReload(!result.failed());
    if (whole && ended != 0 && !result.failed()) fail(ended, "committing the reload of " + name);
    if (result.failed()) {
        if (whole)
            result.failureText += ": the purge was rolled back, " + name + " keeps the records it had";
        else if (applied == 0)
            result.failureText += ": no line was written";
        else
            result.failureText +=
                ": lines 1 to " + std::to_string(applied) + " were applied, the lines after them were not";
    }
    if (progress) progress(std::min<uint64_t>(file.GetProgressPosition(), total), total, result.lines);
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    result.errors = file.GetErrors();
    return result;
}

ImportResult ImportDownload(const std::string& recordPath, const std::string& downloadPath, int version,
                            int64_t headerLength, bool purge, const ProgressCallback& progress) {
    ImportResult result;
    const FileKind* kind = FindFileKind(recordPath);
    if (!kind) {
        result.problem = "not a record file of the system: " + recordPath;
        return result;
    }
    auto file = kind->make();
    int status = file->OpenFile(recordPath.c_str());
    if (status == btr::B_FILE_NOT_FOUND) status = file->Create(recordPath.c_str());
    if (status != 0) {
        result.openStatus = status;
        result.problem = "cannot open " + recordPath + " (status " + btr::StatusText(status) + ")";
        return result;
    }
    result = ImportDownload(*file, downloadPath, version, headerLength, purge, progress);
    file->Close();
    return result;
}

} // namespace dbfiles
