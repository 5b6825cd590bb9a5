// Record files hold single-byte Windows-1252 text; windows show QString. The conversion happens
// here, at the edge of the user interface.
#pragma once

#include <QString>

#include <string>

QString FromRecordText(const std::string& text);
// Characters Windows-1252 cannot hold become '?'.
std::string ToRecordText(const QString& text);
