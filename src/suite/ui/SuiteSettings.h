// The settings every program of the suite shares.
#pragma once

#include <QSettings>

inline constexpr const char* kSuiteOrganization = "Corvane";
inline constexpr const char* kSuiteApplication = "Kestrel 32";

inline QSettings SuiteSettings() {
    return QSettings(kSuiteOrganization, kSuiteApplication);
}
