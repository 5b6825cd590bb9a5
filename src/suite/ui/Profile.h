// The profile library: which user profile the suite's programs work for and where its database
// directory is. Profiles live in the suite's settings: the current profile's location under
// "Profile/Location", the list of profiles under "Profiles/Names", and each profile's database
// directory as "DatabaseDir" in the section "<profile>Directories".
#pragma once

#include <functional>
#include <string>
#include <vector>

class QWidget;

// The stored location of the current user profile; empty when none is stored.
std::string ProfileLocation();

// The stored database directory of the current profile.
std::string ProfileDatabaseLocation();

// Lets the user choose a profile (or add one). `force` asks for the choice even when one would do.
// `buffer` (260 bytes) receives the chosen profile's location, zero-terminated. Negative when no
// profile was chosen (the buffer is then untouched).
int SelectProfile(int force, char* buffer, QWidget* parent);

// Replacing the picker returns the one installed before; an empty function restores the dialog.
using SelectProfileFunction = std::function<int(int, char*, QWidget*)>;
SelectProfileFunction SetSelectProfileFunction(SelectProfileFunction function);

// The stored profiles, in the order they were added.
struct CProfileEntry {
    std::string m_strName;
    std::string m_strDatabaseDir;
};
std::vector<CProfileEntry> StoredProfiles();

// Adds a profile (or changes the directory of an existing one). False for a name that cannot be a
// settings section (empty, or holding a slash or backslash).
bool StoreProfile(const std::string& name, const std::string& databaseDir);

// Makes `name` the current profile; an empty name clears it.
void SetProfileLocation(const std::string& name);
