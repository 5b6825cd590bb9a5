// Page geometry of the list printout on a measuring fake device.
#include "FakeMeasure.h"
#include "ListPrintLayout.h"
#include "PrintFormat.h"

#include <QtTest>

namespace {
// A layout on the fake device, margins 0 unless a test sets them. Content 8: "X" is 16 high, so a
// line is 20 and a row 30 units.
struct Laid {
    CListPrintSettings s = NoMarginSettings();
    CFakeMeasure m{s};
    CListPrintLayout l;

    static CListPrintSettings NoMarginSettings() {
        CListPrintSettings s;
        s.m_nMarginLeft = s.m_nMarginTop = s.m_nMarginRight = s.m_nMarginBottom = 0;
        return s;
    }
    CListPrintLayout& Begin(std::initializer_list<int> widths, int rows, const QRect& page) {
        std::vector<CListPrintColumn> cols;
        for (int w : widths)
            cols.push_back({w, 0, QStringLiteral("Title")});
        l.Begin(m, s, cols, rows, page);
        return l;
    }
    // The header block of a page 2000 wide, laid out afresh with the settings as they are now.
    CHeaderBlock Header(int page = 1, int pages = 1) {
        Begin({50}, 1, QRect(0, 0, 2000, 3000));
        return l.Header(m, QRect(0, 0, 2000, 3000), page, pages);
    }
};
} // namespace

class TestPrintLayout : public QObject {
    Q_OBJECT

private slots:
    void rowsPerPagePageCountAndShadingByListIndex() {
        Laid t;
        // Without texts the header block is the four amount labels (96) plus one header line (24);
        // with the column headers (20) that leaves 340 of 480: 11 rows of 30, less one.
        CListPrintLayout& l = t.Begin({50, 50}, 20, QRect(0, 0, 1000, 480));
        QCOMPARE(l.LineHeight(), 20);
        QCOMPARE(l.RowsPerPage(), 10);
        QCOMPARE(l.PageCount(), 2);
        t.Begin({50, 50}, 21, QRect(0, 0, 1000, 480));
        QCOMPARE(l.PageCount(), 3);
        QCOMPARE(l.FirstRow(3), 20);
        QCOMPARE(l.EndRow(3), 21);
        QCOMPARE(l.EndRow(2), 20);

        // 450 high: 310 left, 10 rows less one = 9 per page, so page 2 starts with row 9 (shaded).
        t.Begin({50}, 30, QRect(0, 0, 1000, 450));
        QCOMPARE(l.RowsPerPage(), 9);
        QCOMPARE(l.FirstRow(2), 9);
        QVERIFY(CListPrintLayout::IsShaded(l.FirstRow(2)));
        QVERIFY(!CListPrintLayout::IsShaded(l.FirstRow(1)));
        QVERIFY(!CListPrintLayout::IsShaded(l.FirstRow(3)));

        // A page too small for one row, or margins larger than the page: one row per page.
        t.Begin({50}, 5, QRect(0, 0, 1000, 150));
        QCOMPARE(l.RowsPerPage(), 1);
        QCOMPARE(l.PageCount(), 5);
        t.s.m_nMarginTop = t.s.m_nMarginBottom = 300;
        t.Begin({50}, 3, QRect(0, 0, 1000, 480));
        QCOMPARE(l.RowsPerPage(), 1);
        QCOMPARE(l.PageCount(), 3);
    }

    void marginsColumnsAndFooterShareThePage() {
        Laid t;
        t.s = CListPrintSettings(); // default margins: ten millimetres inside
        CListPrintLayout& l = t.Begin({1, 2}, 1, QRect(0, 0, 2100, 2970));
        QCOMPARE(l.Printable(), QRect(100, 100, 1900, 2770));
        t.s.m_nMarginLeft = 25;
        t.s.m_nMarginBottom = 0;
        t.Begin({1, 2}, 1, QRect(0, 0, 2100, 2970));
        QCOMPARE(l.Printable(), QRect(250, 100, 1750, 2870));

        // Columns keep their screen proportions; columns all of width 0 share the paper instead of
        // dividing by zero.
        t.s = Laid::NoMarginSettings();
        t.Begin({100, 200, 100}, 1, QRect(0, 0, 1000, 2000));
        QCOMPARE(l.X(), (std::vector<int>{0, 250, 750, 1000}));
        QCOMPARE(l.Cell(40, 300, 1), QRect(290, 300, 500, 30));
        t.Begin({0, 0}, 1, QRect(0, 0, 1000, 2000));
        QCOMPARE(l.X(), (std::vector<int>{0, 500, 1000}));

        // The footer area follows the footer text. Footer size 6: a line is 12 high; two lines take
        // 24 off the rows' room.
        t.Begin({50}, 1, QRect(0, 0, 1000, 2000));
        QCOMPARE(l.FooterArea(), 2);
        const int rowsWithout = l.RowsPerPage();
        t.s.m_strFooter = QStringLiteral("Notes first line\nsecond line");
        t.Begin({50}, 1, QRect(0, 0, 1000, 2000));
        QCOMPARE(l.FooterArea(), 26);
        QCOMPARE(l.FooterRect(), QRect(0, 1974, 1000, 26));
        QVERIFY(l.RowsPerPage() < rowsWithout);
    }

    void headerBlockPlacesTheLabelsAndTexts() {
        Laid t;
        t.s.m_strHeader = QStringLiteral("000123 - Harbour Grill\n12 Quay Street\nPortsmouth, NH 03801");
        t.s.m_strHeader2 = QStringLiteral("Clam Chowder");
        t.s.m_strAmounts = QStringLiteral("$12.50\n3.20\n9.30\n25.60");
        const CHeaderBlock h = t.Header();
        QCOMPARE(h.a, QRect(0, 0, 108, 24));     // "Customer:" at 12 per character
        QCOMPARE(h.b.topLeft(), QPoint(120, 0)); // gap of 108 / 9
        QCOMPARE(h.b.height(), 72);              // three lines
        QCOMPARE(h.c.topLeft(), QPoint(0, 84));  // below the header text + half a line
        QCOMPARE(h.e.topLeft(), QPoint(120, 84));
        QCOMPARE(h.d.topLeft(), QPoint(1300, 0));       // 0.65 of the right limit
        QCOMPARE(h.f.left(), h.d.right() + 1 + 3 * 12); // three gaps right of the labels
        QCOMPARE(h.height, 84 + 24 + 24);               // "Recipe:" row ends at 108, plus a line
        QVERIFY(h.pageLine.isEmpty());

        // The page line sits in the top right corner and shortens the label blocks' room.
        t.s.m_strPageFormat = QStringLiteral("Page %d of %d");
        QCOMPARE(t.Header().height, 132); // the block still decides
        const CHeaderBlock q = t.Header(2, 7);
        QCOMPARE(q.pageLine, QStringLiteral("Page 2 of 7"));
        QCOMPARE(q.pageRect, QRect(2000 - 11 * 12, 0, 11 * 12, 24));
        QCOMPARE(q.d.left(), static_cast<int>(0.65 * (2000 - 24)));
    }

    void headerHeightCoversEveryBlock() {
        Laid t;
        // An eight-line page line is taller than the label blocks.
        t.s.m_strPageFormat = QStringLiteral("Page\n%d\nof\n%d\n\n\n\n");
        QCOMPARE(t.Header().height, 8 * 24);
        // A long recipe name wrapped under a short header text stays above the table.
        t.s.m_strPageFormat.clear();
        t.s.m_strHeader = QStringLiteral("000123");
        t.s.m_strHeader2 = QStringLiteral("Slow roasted pork shoulder with apple and sage");
        const CHeaderBlock h = t.Header();
        QVERIFY(h.e.height() > 24);
        QVERIFY(h.height >= h.e.bottom() + 1);
        // Without a header text the name may run as wide as the header text could, and "Recipe:"
        // stays below "Customer:".
        t.s.m_strHeader.clear();
        const CHeaderBlock empty = t.Header();
        QCOMPARE(empty.e.height(), 24);
        QCOMPARE(empty.c.top(), 24 + 12);
    }

    void formatsTakeOnlyNumbersAndTexts() {
        QCOMPARE(FillFormat("Page %d of %d", {"3", "9"}), QStringLiteral("Page 3 of 9"));
        QCOMPARE(FillFormat("%d %%", {"66"}), QStringLiteral("66 %"));
        // Conversions the format cannot fill stay as typed instead of reading past the arguments.
        QCOMPARE(FillFormat("%s %n %d %d %x", {"1", "2", "3"}), QStringLiteral("1 %n 2 3 %x"));
        QCOMPARE(FillFormat("p%3d%", {"7"}), QStringLiteral("p  7%"));
    }
};

QTEST_GUILESS_MAIN(TestPrintLayout)
#include "test_print_layout.moc"
