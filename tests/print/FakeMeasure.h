#pragma once

#include "ListPrintLayout.h"

#include <QStringList>

// A device where every character is as wide as its font's size and every line twice as high,
// words broken at blanks; 10 units to the millimetre.
class CFakeMeasure : public CTextMeasure {
public:
    explicit CFakeMeasure(const CListPrintSettings& s) : m_s(s) {}

    int Size(EPrintFont font) const {
        return font == EPrintFont::Header   ? m_s.m_nHeaderSize
               : font == EPrintFont::Footer ? m_s.m_nFooterSize
                                            : m_s.m_nContentSize;
    }
    QSize MeasureWrapped(EPrintFont font, const QString& text, int width) const override {
        if (text.isEmpty()) return QSize(0, 0);
        const int cw = Size(font);
        int lines = 0, widest = 0;
        for (const QString& para : text.split(QLatin1Char('\n'))) {
            int line = 0;
            ++lines;
            for (const QString& word : para.split(QLatin1Char(' '))) {
                const int w = static_cast<int>(word.size()) * cw;
                if (line > 0 && line + cw + w > width) {
                    widest = std::max(widest, line);
                    ++lines;
                    line = w;
                } else {
                    line += (line > 0 ? cw : 0) + w;
                }
            }
            widest = std::max(widest, line);
        }
        return QSize(widest, lines * 2 * cw);
    }
    double UnitsPerMmX() const override { return 10; }
    double UnitsPerMmY() const override { return 10; }

private:
    const CListPrintSettings& m_s;
};
