#include "ListPrintLayout.h"

#include "PrintFormat.h"

#include <algorithm>
#include <cmath>

namespace {
int RightOf(const QRect& r) {
    return r.x() + r.width();
}
int BottomOf(const QRect& r) {
    return r.y() + r.height();
}

// Keeps the left and top edge and fits the rest to the text.
QRect Measured(const CTextMeasure& m, EPrintFont font, const QString& text, int left, int top, int right) {
    const QSize size = m.MeasureWrapped(font, text, std::max(right - left, 0));
    return QRect(QPoint(left, top), size);
}

QRect Union(std::initializer_list<QRect> rects) {
    int l = 0, t = 0, r = 0, b = 0;
    bool first = true;
    for (const QRect& q : rects) {
        if (first) {
            l = q.x(), t = q.y(), r = RightOf(q), b = BottomOf(q);
            first = false;
            continue;
        }
        l = std::min(l, q.x()), t = std::min(t, q.y());
        r = std::max(r, RightOf(q)), b = std::max(b, BottomOf(q));
    }
    return QRect(l, t, r - l, b - t);
}
} // namespace

QRect CListPrintLayout::ApplyMargins(const CTextMeasure& m, const CListPrintSettings& s, const QRect& rect) {
    const int left = static_cast<int>(std::lround(s.m_nMarginLeft * m.UnitsPerMmX()));
    const int right = static_cast<int>(std::lround(s.m_nMarginRight * m.UnitsPerMmX()));
    const int top = static_cast<int>(std::lround(s.m_nMarginTop * m.UnitsPerMmY()));
    const int bottom = static_cast<int>(std::lround(s.m_nMarginBottom * m.UnitsPerMmY()));
    return QRect(QPoint(rect.x() + left, rect.y() + top),
                 QSize(rect.width() - left - right, rect.height() - top - bottom));
}

void CListPrintLayout::Begin(const CTextMeasure& m, const CListPrintSettings& settings,
                             const std::vector<CListPrintColumn>& columns, int rowCount,
                             const QRect& drawRect) {
    m_settings = settings;
    m_columns = columns;
    for (CListPrintColumn& c : m_columns)
        c.title.truncate(kTitleMax);
    m_nRowCount = std::max(rowCount, 0);
    m_nLineHeight = m.MeasureWrapped(EPrintFont::Content, QStringLiteral("X"), 1 << 20).height() + 4;

    m_printable = ApplyMargins(m, m_settings, drawRect);
    const int width = std::max(m_printable.width(), 0);

    // Running sums of the screen widths, stretched so the table fills the printable width.
    m_x.assign(m_columns.size() + 1, 0);
    long long sum = 0;
    for (size_t i = 0; i < m_columns.size(); ++i) {
        sum += std::max(m_columns[i].width, 0);
        m_x[i + 1] = static_cast<int>(std::min<long long>(sum, 1LL << 30));
    }
    const long long last = m_x.back();
    for (size_t i = 0; i < m_x.size(); ++i) {
        if (last > 0)
            m_x[i] = static_cast<int>(m_x[i] * static_cast<long long>(width) / last);
        else // no column has a width on screen: share the paper evenly
            m_x[i] = m_columns.empty() ? 0
                                       : static_cast<int>(i * static_cast<long long>(width) /
                                                          static_cast<long long>(m_columns.size()));
    }

    QRect rest = m_printable;
    rest.setTop(rest.top() + m_nLineHeight);
    rest.setTop(rest.top() + Header(m, rest, 1, 1).height);
    const int footer = Footer(m, rest).height();
    rest.setBottom(rest.bottom() - footer);
    m_nFooterArea = footer + 2;

    const int remaining = rest.height();
    m_nRowsPerPage = static_cast<int>(remaining / (1.5 * m_nLineHeight)) - 1;
    // A page too small for a single row still prints one row per page.
    if (m_nRowsPerPage < 1) m_nRowsPerPage = 1;
    m_nPageCount = (m_nRowCount + m_nRowsPerPage - 1) / m_nRowsPerPage;
}

QString CListPrintLayout::PageLine(int page, int pageCount) const {
    return FillFormat(m_settings.m_strPageFormat, {QString::number(page), QString::number(pageCount)});
}

CHeaderBlock CListPrintLayout::Header(const CTextMeasure& m, const QRect& rect, int page,
                                      int pageCount) const {
    CHeaderBlock h;
    const int left = rect.x();
    const int top = rect.y();
    const int right = RightOf(rect);
    int result = 0;
    int limit = right;
    if (!m_settings.m_strPageFormat.isEmpty()) {
        h.pageLine = PageLine(page, pageCount);
        const QSize size = m.MeasureWrapped(EPrintFont::Header, h.pageLine, rect.width());
        h.pageRect = QRect(QPoint(right - size.width(), top), size);
        result = size.height();
        limit = right - size.height();
    }
    h.a = Measured(m, EPrintFont::Header, QString::fromLatin1(HeaderLabels::kCustomer), left, top, limit);
    const int gap = h.a.width() / 9;
    const int valueLeft = RightOf(h.a) + gap;
    h.b = Measured(m, EPrintFont::Header, m_settings.m_strHeader, valueLeft, top, limit);
    // An empty header text still takes its line, so "Recipe:" never lands on "Customer:".
    const int row2 = std::max(BottomOf(h.b), BottomOf(h.a)) + h.a.height() / 2;
    // Without a header text the recipe name may use the width the header text would have had.
    const int nameRight = m_settings.m_strHeader.isEmpty() ? limit : RightOf(h.b);
    h.c = Measured(m, EPrintFont::Header, QString::fromLatin1(HeaderLabels::kRecipe), left, row2, nameRight);
    h.e = Measured(m, EPrintFont::Header, m_settings.m_strHeader2, valueLeft, row2, nameRight);
    h.d = Measured(m, EPrintFont::Header, QString::fromLatin1(HeaderLabels::kAmounts),
                   static_cast<int>(0.65 * limit), top, limit);
    h.f = Measured(m, EPrintFont::Header, m_settings.m_strAmounts, static_cast<int>(RightOf(h.d) + 3.0 * gap),
                   top, right);
    // Every block lies inside the height, so a long name or cost block never runs into the table.
    const QRect all = Union({h.a, h.b, h.c, h.e, h.d, h.f});
    h.height = std::max(result, all.height() + h.a.height());
    return h;
}

QSize CListPrintLayout::Footer(const CTextMeasure& m, const QRect& rect) const {
    if (m_settings.m_strFooter.isEmpty()) return QSize(0, 0);
    return m.MeasureWrapped(EPrintFont::Footer, m_settings.m_strFooter, rect.width());
}

int CListPrintLayout::FirstRow(int page) const {
    return std::min((page - 1) * m_nRowsPerPage, m_nRowCount);
}

int CListPrintLayout::EndRow(int page) const {
    return std::min(page * m_nRowsPerPage, m_nRowCount);
}

QRect CListPrintLayout::Cell(int left, int y, int column) const {
    const int l = left + m_x[column];
    const int r = left + m_x[column + 1];
    return QRect(l, y, r - l, RowHeight());
}

QRect CListPrintLayout::FooterRect() const {
    QRect r = m_printable;
    r.setTop(BottomOf(r) - m_nFooterArea);
    return r;
}
