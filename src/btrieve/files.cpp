// File names: resolution letters in any case, and removal of a record file.
#include "files.h"
#include "store.h"

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <random>
#include <unistd.h>

namespace btr {

namespace fs = std::filesystem;

namespace {
bool SameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}
} // namespace

std::string ResolveFileName(const std::string& path) {
    std::error_code ec;
    if (path.empty() || fs::exists(path, ec))
        return path;
    fs::path p(path);
    fs::path dir = p.has_parent_path() ? p.parent_path() : fs::path(".");
    std::string name = p.filename().string();
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::string candidate = it->path().filename().string();
        if (SameIgnoringCase(candidate, name))
            return p.has_parent_path() ? (p.parent_path() / candidate).string() : candidate;
    }
    return path;
}

bool RemoveRecordFile(const char* path, const char* tempDir, const char* prefix) {
    if (!path || !*path)
        return false;
    std::string resolved = ResolveFileName(path);
    if (RemoveStoreFiles(resolved))
        return true;
    // It would not go: move it aside under a fresh name.
    std::error_code ec;
    fs::path dir = tempDir ? fs::path(tempDir) : fs::temp_directory_path(ec);
    fs::create_directories(dir, ec);
    std::random_device rd;
    for (int attempt = 0; attempt < 16; ++attempt) {
        fs::path aside = dir / (std::string(prefix ? prefix : "TMP") + std::to_string(::getpid()) + "_" +
                                std::to_string(rd() % 1000000));
        if (fs::exists(aside, ec))
            continue;
        fs::rename(resolved, aside, ec);
        if (!ec) {
            fs::rename(resolved + "-wal", aside.string() + "-wal", ec);
            fs::rename(resolved + "-shm", aside.string() + "-shm", ec);
            break;
        }
    }
    return !fs::exists(resolved, ec);
}

} // namespace btr
