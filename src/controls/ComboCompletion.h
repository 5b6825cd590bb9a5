#pragma once

#include <QString>
#include <QStringList>

// Completion of a combo box's edit field with the first entry that begins with the typed text.
namespace ComboCompletion {

// Index of the first entry beginning with text, ignoring case; -1 when none (or text is empty).
int FindFirstPrefix(const QStringList& entries, const QString& text);

struct Result {
    int index = -1;   // entry that was selected, -1 when none matched
    QString text;     // what the edit field shows
    int selStart = 0; // selection afterwards
    int selEnd = 0;
};

// typed is the edit text after the keystroke, with its selection (selStart -1 when unknown).
Result Complete(const QStringList& entries, const QString& typed, int selStart, int selEnd);

} // namespace ComboCompletion
