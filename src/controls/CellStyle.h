#pragma once

#include <QColor>
#include <QFont>
#include <QtGlobal>

#include <optional>

// Style bits of a row or cell record of the styled list.
enum ECellStyle : quint32 {
    kStyleBold = 1,
    kStyleItalic = 2,
    kStyleUnderline = 4,
    kStyleStrikeOut = 8,
    kStyleTextColor = 16,
    kStyleBkColor = 32,
    kStyleNoRow = 128, // on a cell: take nothing from the row-wide record
};

struct CStyleRecord {
    quint32 m_nStyle = 0;
    QColor m_crText;
    QColor m_crBk;

    bool HasFontStyle() const { return (m_nStyle & 15) != 0; }
};

// Colours and font of one cell, from its own record and the row-wide one.
struct CResolvedStyle {
    QColor text;               // invalid: the list's text colour
    QColor background;         // invalid: the list's text background
    std::optional<QFont> font; // none: the list's font
};

struct CStyleColors {
    QColor text;       // the list's text colour (may be invalid)
    QColor background; // the list's text background (may be invalid)
    QColor highlightText;
    QColor highlight;
};

// A record's own font: the base font with the record's bold, italic, underline and strike-out.
QFont RecordFont(const QFont& base, quint32 style);

// The base font, then whatever the row's font changes, then whatever the cell's font changes.
QFont MergedFont(const QFont& base, const QFont& rowFont, const QFont& cellFont);

CResolvedStyle ResolveCellStyle(const CStyleRecord* cell, const CStyleRecord* row, bool selected,
                                const QFont& base, const CStyleColors& colors);
