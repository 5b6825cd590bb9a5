#include "ComboCompletion.h"

namespace ComboCompletion {

int FindFirstPrefix(const QStringList& entries, const QString& text) {
    if (text.isEmpty()) return -1; // nothing typed: nothing to complete
    for (int i = 0; i < entries.size(); ++i)
        if (entries.at(i).startsWith(text, Qt::CaseInsensitive)) return i;
    return -1;
}

Result Complete(const QStringList& entries, const QString& typed, int selStart, int selEnd) {
    Result r;
    const int n = int(typed.size());
    r.index = FindFirstPrefix(entries, typed);
    r.text = r.index >= 0 ? entries.at(r.index) : typed;
    if (selStart < 0 || selEnd >= n) {
        r.selStart = n;
        r.selEnd = int(r.text.size());
    } else {
        r.selStart = selStart;
        r.selEnd = selEnd;
    }
    return r;
}

} // namespace ComboCompletion
