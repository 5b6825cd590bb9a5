// The conversion chart shows both tables as listed, coloured row by row, and never re-sorts them.
#include "CConvertionInfoDlg.h"
#include "CMyListCtrl.h"

#include <QDir>
#include <QHeaderView>
#include <QPushButton>
#include <QtTest>

namespace {
QStringList Row(const CMyListCtrl* list, int row) {
    QStringList texts;
    for (int c = 0; c < list->GetColumnCount(); ++c)
        texts << list->GetItemText(row, c);
    return texts;
}
} // namespace

class TestConversionChart : public QObject {
    Q_OBJECT

private slots:
    void tablesAreAsListedWithAlternatingRowColours() {
        CConvertionInfoDlg dlg;
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Conversion Tables"));
        CMyListCtrl* liquid = dlg.m_pLiquid;
        CMyListCtrl* dry = dlg.m_pDry;
        QCOMPARE(liquid->GetItemCount(), 17);
        QCOMPARE(dry->GetItemCount(), 9);

        for (int c = 0; c < 4; ++c)
            QCOMPARE(liquid->model()->headerData(c, Qt::Horizontal).toString(),
                     c == 0 ? QStringLiteral("Source") : QStringLiteral("Converts To"));

        // First, last and the rows whose wording is easy to "correct" by mistake.
        QCOMPARE(Row(liquid, 0), (QStringList{"1 teaspoon", "", "1/3 tablespoon", "5 ml"}));
        QCOMPARE(Row(liquid, 6),
                 (QStringList{"2/3 Cup", "5 1/3 fluid ounce", "10 tablespoons + 2 teaspoon", "158 ml"}));
        QCOMPARE(Row(liquid, 9),
                 (QStringList{"2 Cup", "16 fluid ounce, 1 pint", "32 tablespoons", "473 ml"}));
        QCOMPARE(Row(liquid, 10), (QStringList{"4 Cup", "32 fluid ounce", "1 quart", "946 ml"}));
        QCOMPARE(Row(liquid, 11), (QStringList{"1 pint", "16 fluid ounce", "32 tablespoon", "473 ml"}));
        QCOMPARE(Row(liquid, 14),
                 (QStringList{"4 quarts", "1 gallon, 128 fluid ounce", "", "3785 ml, 3.785 liters"}));
        QCOMPARE(Row(liquid, 16), (QStringList{"1 gallon", "128 fluid ounce", "", "3785 ml, 3.785 liters"}));
        QCOMPARE(Row(dry, 0), (QStringList{"1 ounce", "", "30 grams (28.35) g"}));
        QCOMPARE(Row(dry, 8), (QStringList{"1 kilogram", "2.2 pound, 35.2 ounces", "1000 grams"}));

        // Rows alternate their colours.
        for (CMyListCtrl* list : {liquid, dry}) {
            QCOMPARE(list->GetTextBkColor(), QColor(217, 245, 245));
            for (int r = 0; r < list->GetItemCount(); ++r) {
                QCOMPARE(list->GetRowStyle(r), quint32(kStyleBkColor));
                QCOMPARE(list->GetCellLook(r, 1).background,
                         r % 2 == 0 ? QColor(200, 255, 255) : QColor(175, 255, 175));
            }
        }
    }

    void headerClickDoesNotSortAndOkCloses() {
        CConvertionInfoDlg dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QDir().mkpath(QStringLiteral(KR_TEST_OUTPUT_DIR));
        QVERIFY(
            dlg.grab().save(QStringLiteral(KR_TEST_OUTPUT_DIR) + QStringLiteral("/conversion-chart.png")));
        // Every row is in sight at the default size.
        const QRect last = dlg.m_pLiquid->visualRect(dlg.m_pLiquid->model()->index(16, 3));
        QVERIFY(dlg.m_pLiquid->viewport()->rect().contains(last));
        QVERIFY(dlg.m_pDry->viewport()->rect().contains(
            dlg.m_pDry->visualRect(dlg.m_pDry->model()->index(8, 2))));

        QHeaderView* header = dlg.m_pLiquid->horizontalHeader();
        for (int click = 0; click < 2; ++click) // ascending, then descending
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                              QPoint(header->sectionViewportPosition(0) + 20, header->height() / 2));
        QCOMPARE(dlg.m_pLiquid->GetItemText(0, 0), QStringLiteral("1 teaspoon"));
        QCOMPARE(dlg.m_pLiquid->GetItemText(16, 0), QStringLiteral("1 gallon"));
        QCOMPARE(dlg.m_pLiquid->GetCellLook(0, 0).background, QColor(200, 255, 255));

        // Keyboard alone: OK has the focus, Enter closes.
        QVERIFY(dlg.m_pOK->hasFocus() || dlg.m_pOK->isDefault());
        QTest::keyClick(&dlg, Qt::Key_Return);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QVERIFY(!dlg.isVisible());
    }
};

QTEST_MAIN(TestConversionChart)
#include "test_conversion_chart.moc"
