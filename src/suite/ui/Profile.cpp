#include "Profile.h"

#include "CProfileDlg.h"
#include "SuiteSettings.h"

#include <QStringList>

#include <cstring>

namespace {

constexpr const char* kLocationKey = "Profile/Location";
constexpr const char* kNamesKey = "Profiles/Names";

SelectProfileFunction& Installed() {
    static SelectProfileFunction function;
    return function;
}

QString DirectoryKey(const QString& profile) {
    // The section is the profile's location followed directly by "Directories".
    return profile + "Directories/DatabaseDir";
}

int DefaultSelectProfile(int, char* buffer, QWidget* parent) {
    CProfileDlg dlg(parent);
    if (dlg.exec() != QDialog::Accepted) return -1;
    QByteArray name = dlg.GetProfile().toLocal8Bit().left(259);
    std::memcpy(buffer, name.constData(), static_cast<size_t>(name.size()));
    buffer[name.size()] = '\0';
    return 0;
}

} // namespace

std::string ProfileLocation() {
    return SuiteSettings().value(kLocationKey).toString().toStdString();
}

std::string ProfileDatabaseLocation() {
    QSettings settings = SuiteSettings();
    QString profile = settings.value(kLocationKey).toString();
    if (profile.isEmpty()) return {};
    return settings.value(DirectoryKey(profile)).toString().toStdString();
}

int SelectProfile(int force, char* buffer, QWidget* parent) {
    if (!buffer) return -1;
    if (Installed()) return Installed()(force, buffer, parent);
    return DefaultSelectProfile(force, buffer, parent);
}

SelectProfileFunction SetSelectProfileFunction(SelectProfileFunction function) {
    SelectProfileFunction previous = std::move(Installed());
    Installed() = std::move(function);
    return previous;
}

std::vector<CProfileEntry> StoredProfiles() {
    QSettings settings = SuiteSettings();
    std::vector<CProfileEntry> profiles;
    for (const QString& name : settings.value(kNamesKey).toStringList())
        profiles.push_back({name.toStdString(), settings.value(DirectoryKey(name)).toString().toStdString()});
    return profiles;
}

bool StoreProfile(const std::string& name, const std::string& databaseDir) {
    QString profile = QString::fromStdString(name);
    if (profile.isEmpty() || profile.contains('/') || profile.contains('\\')) return false;
    QSettings settings = SuiteSettings();
    QStringList names = settings.value(kNamesKey).toStringList();
    if (!names.contains(profile)) names << profile;
    settings.setValue(kNamesKey, names);
    settings.setValue(DirectoryKey(profile), QString::fromStdString(databaseDir));
    return true;
}

void SetProfileLocation(const std::string& name) {
    QSettings settings = SuiteSettings();
    if (name.empty())
        settings.remove(kLocationKey);
    else
        settings.setValue(kLocationKey, QString::fromStdString(name));
}
