#include "CListCtrlPrint.h"

#include "CListPrintSetup.h"
#include "CMyListCtrl.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QPaintDevice>
#include <QPainter>
#include <QPrinter>

#include <algorithm>

namespace {
const QColor kHeaderFill(192, 192, 192);
const QColor kShade(228, 228, 228);

Qt::Alignment ColumnAlignment(int format) {
    if (format & LVCFMT_CENTER) return Qt::AlignHCenter;
    if (format & LVCFMT_RIGHT) return Qt::AlignRight;
    return Qt::AlignLeft;
}

} // namespace

CDeviceTextMeasure::CDeviceTextMeasure(QPaintDevice* device, const CListPrintSettings& s)
    : m_pDevice(device) {
    auto make = [](const QString& face, int size) {
        QFont f(face);
        f.setPointSize(std::clamp(size, 1, 500));
        return f;
    };
    m_fonts[static_cast<int>(EPrintFont::Header)] = make(s.m_strHeaderFace, s.m_nHeaderSize);
    m_fonts[static_cast<int>(EPrintFont::Footer)] = make(s.m_strFooterFace, s.m_nFooterSize);
    m_fonts[static_cast<int>(EPrintFont::Content)] = make(s.m_strContentFace, s.m_nContentSize);
}

const QFont& CDeviceTextMeasure::Font(EPrintFont font) const {
    return m_fonts[static_cast<int>(font)];
}

QSize CDeviceTextMeasure::MeasureWrapped(EPrintFont font, const QString& text, int width) const {
    if (text.isEmpty()) return QSize(0, 0);
    const QFontMetrics fm(Font(font), m_pDevice);
    return fm.boundingRect(QRect(0, 0, std::max(width, 1), 1 << 24), Qt::TextWordWrap, text).size();
}

double CDeviceTextMeasure::UnitsPerMmX() const {
    return m_pDevice->logicalDpiX() / 25.4;
}
double CDeviceTextMeasure::UnitsPerMmY() const {
    return m_pDevice->logicalDpiY() / 25.4;
}

CListPagePainter::CListPagePainter(const CListPrintLayout& layout, const CTextMeasure& measure,
                                   const CDeviceTextMeasure& fonts)
    : m_layout(layout), m_measure(measure), m_fonts(fonts) {}

int CListPagePainter::PrintHeader(QPainter& painter, QRect& rect, int page) const {
    const CHeaderBlock h = m_layout.Header(m_measure, rect, page, m_layout.PageCount());
    painter.save();
    painter.setFont(m_fonts.Font(EPrintFont::Header));
    const int wrap = Qt::TextWordWrap | Qt::TextDontClip;
    if (!h.pageLine.isEmpty()) painter.drawText(h.pageRect, wrap | Qt::AlignRight, h.pageLine);
    const CListPrintSettings& s = m_layout.Settings();
    painter.drawText(h.a, wrap | Qt::AlignRight, QString::fromLatin1(HeaderLabels::kCustomerDrawn));
    painter.drawText(h.b, wrap | Qt::AlignLeft, s.m_strHeader);
    painter.drawText(h.c, wrap | Qt::AlignRight, QString::fromLatin1(HeaderLabels::kRecipe));
    painter.drawText(h.e, wrap | Qt::AlignLeft, s.m_strHeader2);
    painter.drawText(h.d, wrap | Qt::AlignRight, QString::fromLatin1(HeaderLabels::kAmounts));
    painter.drawText(h.f, wrap | Qt::AlignRight, s.m_strAmounts);
    painter.restore();
    rect.setTop(rect.top() + h.height);
    return h.height;
}

void CListPagePainter::PrintColumnHeaders(QPainter& painter, QRect& rect) const {
    const int lh = m_layout.LineHeight();
    painter.save();
    painter.setFont(m_fonts.Font(EPrintFont::Content));
    painter.setPen(QPen(Qt::black, 0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRect(rect.left(), rect.top(), rect.width(), lh));
    const auto& cols = m_layout.Columns();
    for (size_t c = 0; c < cols.size(); ++c) {
        const QRect cell(rect.left() + m_layout.X()[c], rect.top(), m_layout.X()[c + 1] - m_layout.X()[c],
                         lh);
        painter.fillRect(cell, kHeaderFill);
        painter.drawRect(cell);
        painter.save();
        painter.setClipRect(cell);
        const int indent = m_layout.TextIndent();
        painter.drawText(cell.adjusted(indent, 0, -indent, 0),
                         ColumnAlignment(cols[c].format) | Qt::AlignVCenter | Qt::TextSingleLine,
                         cols[c].title);
        painter.restore();
        painter.drawLine(cell.topLeft(), cell.bottomLeft());
        painter.drawLine(cell.topLeft(), cell.topRight());
    }
    painter.restore();
    rect.setTop(rect.top() + lh);
}

void CListPagePainter::PrintFooter(QPainter& painter) const {
    const QString& text = m_layout.Settings().m_strFooter;
    if (text.isEmpty()) return;
    painter.save();
    painter.setFont(m_fonts.Font(EPrintFont::Footer));
    painter.drawText(m_layout.FooterRect(), Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text);
    painter.restore();
}

void CListPagePainter::PrintPage(QPainter& painter, const QRect& drawRect, int page) const {
    QRect rect = CListPrintLayout::ApplyMargins(m_measure, m_layout.Settings(), drawRect);
    painter.setBackgroundMode(Qt::TransparentMode);
    PrintHeader(painter, rect, page);
    PrintColumnHeaders(painter, rect);

    painter.save();
    painter.setFont(m_fonts.Font(EPrintFont::Content));
    painter.setPen(QPen(Qt::black, 0));
    const auto& cols = m_layout.Columns();
    const int indent = m_layout.TextIndent();
    int y = rect.top();
    for (int r = m_layout.FirstRow(page); r < m_layout.EndRow(page); ++r) {
        QRect cell;
        for (size_t c = 0; c < cols.size(); ++c) {
            cell = m_layout.Cell(rect.left(), y, static_cast<int>(c));
            if (CListPrintLayout::IsShaded(r)) painter.fillRect(cell, kShade);
            painter.drawLine(cell.topLeft(), QPoint(cell.left(), cell.top() + cell.height()));
            painter.drawLine(cell.topLeft(), QPoint(cell.left() + cell.width(), cell.top()));
            QRect text = cell.adjusted(indent, 0, 0, 0);
            // Amounts keep the same distance from the rule on their right.
            if (ColumnAlignment(cols[c].format) == Qt::AlignRight) text.setRight(text.right() - indent);
            // A text wider than its column stays inside its own cell.
            painter.save();
            painter.setClipRect(cell);
            painter.drawText(text, ColumnAlignment(cols[c].format) | Qt::AlignVCenter | Qt::TextSingleLine,
                             m_cellText ? m_cellText(r, static_cast<int>(c)) : QString());
            painter.restore();
        }
        if (!cols.empty())
            painter.drawLine(QPoint(cell.left() + cell.width(), cell.top()),
                             QPoint(cell.left() + cell.width(), cell.top() + cell.height()));
        y += m_layout.RowHeight();
    }
    painter.drawLine(QPoint(rect.left(), y), QPoint(rect.left() + rect.width(), y));
    painter.restore();
    PrintFooter(painter);
}

CListCtrlPrint::CListCtrlPrint() = default;
CListCtrlPrint::~CListCtrlPrint() = default;

std::vector<CListPrintColumn> CListCtrlPrint::ReadColumns(const CMyListCtrl* list) {
    std::vector<CListPrintColumn> cols;
    if (!list) return cols;
    const CListCtrlStyledModel* model = list->StyledModel();
    for (int c = 0; c < list->GetColumnCount(); ++c) {
        CListPrintColumn col;
        col.width = list->isColumnHidden(c) ? 0 : list->GetColumnWidth(c);
        col.format = list->GetColumnFormat(c);
        col.title = model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        col.title.truncate(CListPrintLayout::kTitleMax);
        cols.push_back(col);
    }
    return cols;
}

bool CListCtrlPrint::OnPreparePrinting(CPrintInfo* info, bool skipDialog) {
    info->m_nMinPage = 1;
    if (!m_pList || m_pList->GetItemCount() == 0 || m_pList->GetColumnCount() == 0) return false;
    m_columns = ReadColumns(m_pList);
    if (!NoDialogs()) {
        CListPrintSetup setup(m_settings, &Printer(), m_pParent);
        CMyListCtrl* list = m_pList;
        const auto columns = m_columns;
        setup.m_preview = [list, columns](QPrinter* printer, const CListPrintSettings& s) {
            RenderAll(printer, s, columns, list->GetItemCount(),
                      [list](int r, int c) { return list->GetItemText(r, c); });
        };
        if (setup.exec() != QDialog::Accepted) return false;
        m_settings = setup.Settings();
    }
    // The page count is known only on the printer; the dialog offers pages from 1 up.
    if (!NoDialogs()) {
        CDeviceTextMeasure measure(&Printer(), m_settings);
        CListPrintLayout probe;
        probe.Begin(measure, m_settings, m_columns, m_pList->GetItemCount(),
                    QRect(0, 0, Printer().width(), Printer().height()));
        info->m_nMaxPage = std::max(probe.PageCount(), 1);
    }
    if (!CPrinterJob::OnPreparePrinting(info, skipDialog)) return false;
    return true;
}

void CListCtrlPrint::OnBeginPrinting(QPainter*, CPrintInfo* info) {
    m_pMeasure = std::make_unique<CDeviceTextMeasure>(info->m_pPrinter, m_settings);
    m_layout.Begin(*m_pMeasure, m_settings, m_columns, m_pList->GetItemCount(), info->m_rectDraw);
    info->m_nMaxPage = std::max(m_layout.PageCount(), 1);
    info->m_nToPage = std::min(info->m_nToPage, info->m_nMaxPage);
    info->m_nFromPage = std::min(info->m_nFromPage, info->m_nMaxPage);
}

void CListCtrlPrint::OnPrint(QPainter* painter, CPrintInfo* info) {
    CListPagePainter pages(m_layout, *m_pMeasure, *m_pMeasure);
    CMyListCtrl* list = m_pList;
    pages.m_cellText = [list](int r, int c) { return list->GetItemText(r, c); };
    pages.PrintPage(*painter, info->m_rectDraw, info->m_nCurPage);
}

void CListCtrlPrint::RenderAll(QPrinter* printer, const CListPrintSettings& settings,
                               const std::vector<CListPrintColumn>& columns, int rowCount,
                               const std::function<QString(int, int)>& cellText) {
    CDeviceTextMeasure measure(printer, settings);
    CListPrintLayout layout;
    const QRect draw(0, 0, printer->width(), printer->height());
    layout.Begin(measure, settings, columns, rowCount, draw);
    QPainter painter(printer);
    if (!painter.isActive()) return;
    CListPagePainter pages(layout, measure, measure);
    pages.m_cellText = cellText;
    for (int p = 1; p <= layout.PageCount(); ++p) {
        if (p > 1 && !printer->newPage()) break;
        painter.save();
        pages.PrintPage(painter, draw, p);
        painter.restore();
    }
}
