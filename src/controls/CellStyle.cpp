#include "CellStyle.h"

QFont RecordFont(const QFont& base, quint32 style) {
    QFont f = base;
    f.setWeight((style & kStyleBold) ? QFont::Bold : QFont::Normal);
    f.setItalic((style & kStyleItalic) != 0);
    f.setUnderline((style & kStyleUnderline) != 0);
    f.setStrikeOut((style & kStyleStrikeOut) != 0);
    return f;
}

QFont MergedFont(const QFont& base, const QFont& rowFont, const QFont& cellFont) {
    QFont f = base;
    for (const QFont* layer : {&rowFont, &cellFont}) {
        if (layer->weight() != base.weight()) f.setWeight(layer->weight());
        if (layer->italic() != base.italic()) f.setItalic(layer->italic());
        if (layer->underline() != base.underline()) f.setUnderline(layer->underline());
        if (layer->strikeOut() != base.strikeOut()) f.setStrikeOut(layer->strikeOut());
        if (layer->family() != base.family()) f.setFamily(layer->family());
        if (layer->pointSizeF() != base.pointSizeF() && layer->pointSizeF() > 0)
            f.setPointSizeF(layer->pointSizeF());
    }
    return f;
}

CResolvedStyle ResolveCellStyle(const CStyleRecord* cell, const CStyleRecord* row, bool selected,
                                const QFont& base, const CStyleColors& colors) {
    CResolvedStyle r;
    const bool rowApplies = row != nullptr && !(cell != nullptr && (cell->m_nStyle & kStyleNoRow));

    r.text = selected ? colors.highlightText : colors.text;
    r.background = selected ? colors.highlight : colors.background;
    if (!selected) {
        if (cell && (cell->m_nStyle & kStyleTextColor))
            r.text = cell->m_crText;
        else if (rowApplies && (row->m_nStyle & kStyleTextColor))
            r.text = row->m_crText;
        if (cell && (cell->m_nStyle & kStyleBkColor))
            r.background = cell->m_crBk;
        else if (rowApplies && (row->m_nStyle & kStyleBkColor))
            r.background = row->m_crBk;
    }

    const bool cellFont = cell && cell->HasFontStyle();
    const bool rowFont = rowApplies && row->HasFontStyle();
    if (cellFont && rowFont)
        r.font = MergedFont(base, RecordFont(base, row->m_nStyle), RecordFont(base, cell->m_nStyle));
    else if (cellFont)
        r.font = RecordFont(base, cell->m_nStyle);
    else if (rowFont)
        r.font = RecordFont(base, row->m_nStyle);
    return r;
}
