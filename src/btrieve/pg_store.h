// Record files kept on a PostgreSQL server: a database directory that holds a server settings
// file keeps its record files in one schema there instead of in the folder's SQLite database.
#pragma once

#include "store.h"

#include <string>

namespace btr {

// The settings file that sends a directory's record files to the server.
constexpr const char* kServerSettingsName = "kestrel-server.conf";

struct ServerSettings {
    std::string connection; // a libpq connection string, without a password
    std::string schema;     // lower-case letters, digits and '_'
    // How long records read ahead are served without asking the server whether another program
    // committed since (0: always ask, so no commit is ever missed; at most 1000).
    int readAheadMs = 0;
};

// Whether dir keeps its record files on a server.
bool ServerBacked(const std::string& dir);
// Reads dir's settings: 0, or a status with a message for people in problem.
int16_t ReadServerSettings(const std::string& dir, ServerSettings& settings, std::string& problem);
// The message of the last settings or connection problem of this process.
std::string LastServerProblem();

int16_t ServerOpenStore(const std::string& dir, const std::string& base, std::shared_ptr<FileStore>& store);
int16_t ServerCreateStore(const std::string& dir, const std::string& base, const FileSpec& spec, bool replace,
                          bool inTx, std::shared_ptr<Transactional>& joined);
int16_t ServerRemoveStore(const std::string& dir, const std::string& base, bool inTx,
                          std::shared_ptr<Transactional>& joined);
bool ServerStoreExists(const std::string& dir, const std::string& base);
// The names of the record files of a server-backed directory, in the case they were created in.
int16_t ServerListFiles(const std::string& dir, std::vector<std::string>& names);
void ServerDropIdle();
void ServerForgetAfterFork();
void ServerCloseAfterFork();

} // namespace btr
