#pragma once

#include <QRect>
#include <QString>

#include <vector>

enum class EPrintFont { Header, Footer, Content };

// Measures text on the output device, in the device's units.
class CTextMeasure {
public:
    virtual ~CTextMeasure() = default;
    // Size of the text broken into lines at blanks and line feeds to fit the width (a single word
    // wider than that keeps its width); an empty text is 0 x 0.
    virtual QSize MeasureWrapped(EPrintFont font, const QString& text, int width) const = 0;
    virtual double UnitsPerMmX() const = 0;
    virtual double UnitsPerMmY() const = 0;
};

// What the owner and the setup dialog decide about one printout.
struct CListPrintSettings {
    QString m_strHeader;     // printed after "Customer:"
    QString m_strHeader2;    // printed after "Recipe:"
    QString m_strAmounts;    // one value per line beside the amount labels
    QString m_strFooter;     // bottom of every page
    QString m_strPageFormat; // two numbers: page and page count; empty: no page line
    int m_nMarginLeft = 10;  // millimetres
    int m_nMarginTop = 10;
    int m_nMarginRight = 10;
    int m_nMarginBottom = 10;
    QString m_strHeaderFace = QStringLiteral("Arial");
    QString m_strFooterFace = QStringLiteral("Times New Roman");
    QString m_strContentFace = QStringLiteral("Arial");
    int m_nHeaderSize = 12; // points
    int m_nFooterSize = 6;
    int m_nContentSize = 8;
};

struct CListPrintColumn {
    int width = 0; // on screen
    int format = 0;
    QString title;
};

// Where the header block's parts go on one page.
struct CHeaderBlock {
    QString pageLine;
    QRect pageRect; // empty without a page format
    QRect a, b, c, e, d, f;
    int height = 0;
};

// The label texts of the header block.
namespace HeaderLabels {
inline constexpr const char* kCustomer = "Customer:";
inline constexpr const char* kCustomerDrawn = "Customer: ";
inline constexpr const char* kRecipe = "Recipe:";
inline constexpr const char* kAmounts = "Sell Price:\nCost:\nProfit:\nFC%:";
} // namespace HeaderLabels

// The page geometry of a list printout, fixed once per job on the output device.
class CListPrintLayout {
public:
    static constexpr int kTitleMax = 128;

    // drawRect is the device's whole drawable area.
    void Begin(const CTextMeasure& measure, const CListPrintSettings& settings,
               const std::vector<CListPrintColumn>& columns, int rowCount, const QRect& drawRect);

    // The drawable area moved inwards by the margins.
    static QRect ApplyMargins(const CTextMeasure& measure, const CListPrintSettings& s, const QRect& rect);
    CHeaderBlock Header(const CTextMeasure& measure, const QRect& rect, int page, int pageCount) const;
    QSize Footer(const CTextMeasure& measure, const QRect& rect) const;

    QRect Printable() const { return m_printable; }
    int LineHeight() const { return m_nLineHeight; }
    int RowHeight() const { return static_cast<int>(1.5 * m_nLineHeight); }
    int TextIndent() const { return static_cast<int>(0.25 * m_nLineHeight); }
    int RowsPerPage() const { return m_nRowsPerPage; }
    int PageCount() const { return m_nPageCount; }
    int FooterArea() const { return m_nFooterArea; }
    int RowCount() const { return m_nRowCount; }
    // Column c runs from X()[c] to X()[c + 1], counted from the printable area's left edge.
    const std::vector<int>& X() const { return m_x; }
    const std::vector<CListPrintColumn>& Columns() const { return m_columns; }
    const CListPrintSettings& Settings() const { return m_settings; }

    int FirstRow(int page) const;
    int EndRow(int page) const; // one past the last row of the page
    QRect Cell(int left, int y, int column) const;
    QRect FooterRect() const;
    QString PageLine(int page, int pageCount) const;
    // Odd rows of the list are shaded, wherever they fall on the page.
    static bool IsShaded(int row) { return row % 2 == 1; }

private:
    CListPrintSettings m_settings;
    std::vector<CListPrintColumn> m_columns;
    std::vector<int> m_x;
    QRect m_printable;
    int m_nRowCount = 0;
    int m_nLineHeight = 0;
    int m_nRowsPerPage = 1;
    int m_nPageCount = 0;
    int m_nFooterArea = 0;
};
