#include "PrintFormat.h"

#include <algorithm>

QString FillFormat(const QString& format, const QStringList& args) {
    QString out;
    out.reserve(format.size() + 16);
    int next = 0;
    for (int i = 0; i < format.size(); ++i) {
        const QChar ch = format.at(i);
        if (ch != QLatin1Char('%') || i + 1 >= format.size()) {
            out += ch;
            continue;
        }
        if (format.at(i + 1) == QLatin1Char('%')) {
            out += QLatin1Char('%');
            ++i;
            continue;
        }
        int j = i + 1;
        while (j < format.size() && format.at(j).isDigit())
            ++j;
        const bool conversion =
            j < format.size() && (format.at(j) == QLatin1Char('d') || format.at(j) == QLatin1Char('s'));
        if (!conversion || next >= args.size()) {
            out += ch;
            continue;
        }
        const int width = format.mid(i + 1, j - i - 1).toInt();
        out += args.at(next++).rightJustified(std::min(width, 256), QLatin1Char(' '));
        i = j;
    }
    return out;
}
