// The database folder the record files live in, named one way: the current directory (where
// the suite's programs run), a folder given by path, or the folder of a file already open.
#pragma once

#include <filesystem>
#include <string>

class CDbContext {
public:
    // The current directory: files are opened by their bare names.
    CDbContext() = default;
    explicit CDbContext(std::string folder) : m_strFolder(std::move(folder)) {}
    // The folder of a file opened by openName (a bare name: the current directory).
    static CDbContext OfOpenFile(const std::string& openName) {
        size_t slash = openName.find_last_of('/');
        return CDbContext(slash == std::string::npos ? std::string()
                                                     : openName.substr(0, slash == 0 ? 1 : slash));
    }

    bool IsCurrentDirectory() const { return m_strFolder.empty(); }
    // The path of a record file in this folder; its bare name in the current directory.
    std::string PathOf(const char* name) const {
        return IsCurrentDirectory() ? std::string(name)
                                    : (std::filesystem::path(m_strFolder) / name).string();
    }

private:
    std::string m_strFolder;
};
