#pragma once

#include "CPrinterJob.h"
#include "ListPrintLayout.h"

#include <QFont>

#include <functional>
#include <memory>

class CMyListCtrl;
class QPaintDevice;
class QPainter;

// Measures with the fonts of a printout on a real paint device.
class CDeviceTextMeasure : public CTextMeasure {
public:
    CDeviceTextMeasure(QPaintDevice* device, const CListPrintSettings& settings);
    QSize MeasureWrapped(EPrintFont font, const QString& text, int width) const override;
    double UnitsPerMmX() const override;
    double UnitsPerMmY() const override;
    const QFont& Font(EPrintFont font) const;

private:
    QPaintDevice* m_pDevice;
    QFont m_fonts[3];
};

// Draws the pages of a laid-out list.
class CListPagePainter {
public:
    CListPagePainter(const CListPrintLayout& layout, const CTextMeasure& measure,
                     const CDeviceTextMeasure& fonts);
    // Cell text of row r, column c.
    std::function<QString(int, int)> m_cellText;

    void PrintPage(QPainter& painter, const QRect& drawRect, int page) const;

private:
    int PrintHeader(QPainter& painter, QRect& rect, int page) const;
    void PrintColumnHeaders(QPainter& painter, QRect& rect) const;
    void PrintFooter(QPainter& painter) const;

    const CListPrintLayout& m_layout;
    const CTextMeasure& m_measure;
    const CDeviceTextMeasure& m_fonts;
};

// The print job of a list control: setup dialog, printer dialog, then the paged table.
class CListCtrlPrint : public CPrinterJob {
public:
    CListCtrlPrint();
    ~CListCtrlPrint() override;

    bool OnPreparePrinting(CPrintInfo* info, bool skipDialog) override;
    void OnBeginPrinting(QPainter* painter, CPrintInfo* info) override;
    void OnPrint(QPainter* painter, CPrintInfo* info) override;

    // Draws every page of the list with the given settings, as the preview does.
    static void RenderAll(QPrinter* printer, const CListPrintSettings& settings,
                          const std::vector<CListPrintColumn>& columns, int rowCount,
                          const std::function<QString(int, int)>& cellText);
    static std::vector<CListPrintColumn> ReadColumns(const CMyListCtrl* list);

    CMyListCtrl* m_pList = nullptr;
    CListPrintSettings m_settings;
    const CListPrintLayout& Layout() const { return m_layout; }

private:
    std::vector<CListPrintColumn> m_columns;
    CListPrintLayout m_layout;
    std::unique_ptr<CDeviceTextMeasure> m_pMeasure;
};
