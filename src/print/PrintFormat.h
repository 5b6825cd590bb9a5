#pragma once

#include <QString>
#include <QStringList>

// The texts of the progress dialog, used as formats.
namespace PrintTexts {
inline constexpr const char* kStatusTitle = "Stampa di %s in corso ..";
inline constexpr const char* kPrinting = "Printing %s on %s on %s  ..";
inline constexpr const char* kPageLine = "Page %d of %d, %s left to end ..";
inline constexpr const char* kPercentInitial = "100 %";
inline constexpr const char* kPercent = "%d %%";
inline constexpr const char* kMinutesSeconds = "%d minuti, %d secondi";
inline constexpr const char* kSeconds = "%d secondi";
inline constexpr const char* kUnknownTime = "??";
inline constexpr const char* kDefaultTitle = "senza nome";
inline constexpr const char* kFailedToStart = "Could not start print job.";
} // namespace PrintTexts

// Fills a printf-style format with texts in order. Only %d and %s (with an optional width) take
// an argument and %% is a percent sign; anything else, or a conversion without an argument left,
// stays as written, so a format typed by the user can never read past its arguments.
QString FillFormat(const QString& format, const QStringList& args);
