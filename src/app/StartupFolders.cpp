#include "StartupFolders.h"

#include <unistd.h>

#include <vector>

namespace fs = std::filesystem;

namespace startup {

bool EnsureFolder(const fs::path& folder) {
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(folder, ec))) fs::create_directory(folder, ec);
    return fs::is_directory(folder, ec);
}

void EmptyFolder(const fs::path& folder) {
    std::error_code ec;
    // Collected first: removing entries while a directory is being read may skip some.
    std::vector<fs::directory_entry> entries;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        entries.push_back(*it);
    for (const fs::directory_entry& entry : entries) {
        std::error_code entryError;
        // The entry's own kind: a link to a folder is a link, removed without following it.
        fs::file_status status = entry.symlink_status(entryError);
        if (entryError) continue;
        if (fs::is_directory(status)) EmptyFolder(entry.path());
        fs::remove(entry.path(), entryError);
    }
}

void PrepareTemp(const fs::path& temp) {
    std::error_code ec;
    if (fs::is_symlink(fs::symlink_status(temp, ec))) fs::remove(temp, ec);
    if (!EnsureFolder(temp)) return;
    if (fs::is_directory(fs::symlink_status(temp, ec))) EmptyFolder(temp);
}

std::string DatabaseFolderProblem(const fs::path& folder) {
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) return "it is not a folder";
    if (::access(folder.c_str(), R_OK | W_OK | X_OK) != 0) return "it cannot be read and written";
    return {};
}

} // namespace startup
