// File names on disk, resolved letters in any case.
#include "files.h"

#include <cctype>
#include <filesystem>

namespace btr {

namespace fs = std::filesystem;

namespace {
bool SameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}
} // namespace

std::string ResolveFileName(const std::string& path) {
    std::error_code ec;
    if (path.empty() || fs::exists(path, ec)) return path;
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

} // namespace btr
