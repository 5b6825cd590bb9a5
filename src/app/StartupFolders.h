// The folders start-up prepares below the database directory.
#pragma once

#include <filesystem>
#include <string>

namespace startup {

// Creates the folder when missing (one level); false when it is not a folder afterwards.
bool EnsureFolder(const std::filesystem::path& folder);

// Deletes everything inside folder: files, links (never what they point to) and sub-folders,
// recursively. The folder itself stays.
void EmptyFolder(const std::filesystem::path& folder);

// TEMP: a link there is replaced by a real folder (its target is left alone), a missing one is
// created, and the folder is emptied.
void PrepareTemp(const std::filesystem::path& temp);

// Why the database directory cannot be used (a file, or not readable and writable); empty when
// it can.
std::string DatabaseFolderProblem(const std::filesystem::path& folder);

} // namespace startup
