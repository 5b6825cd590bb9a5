// The item selection dialog as a user works it: keys, clicks, the close button, and its looks.
#include "CItemSelectionDlg.h"
#include "ModalDriver.h"

#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace {

void Fill(CItemSelectionDlg& dlg) {
    // Added out of order: the list shows them by item number.
    dlg.AddItem(QStringLiteral("300400      "), QStringLiteral("CS  EA  LB "), QStringLiteral("MILK WHOLE"));
    dlg.AddItem(QStringLiteral("100200      "), QStringLiteral("BAG CS     "),
                QStringLiteral("FLOUR ALL PURPOSE"));
    dlg.AddItem(QStringLiteral("200300      "), QStringLiteral("EA         "), QStringLiteral("FLOUR RYE"));
    dlg.m_strMessage = QStringLiteral("Found 3 items matching flour.");
}

void ShowActive(QWidget& w) {
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
}

QPoint RowPoint(CMyListCtrl* list, int row) {
    return list->visualRect(list->model()->index(row, 2)).center();
}

void SaveScreenshot(QWidget& w, const QString& name) {
    QDir().mkpath(QStringLiteral(KR_SCREENSHOT_DIR));
    QVERIFY(w.grab().save(QStringLiteral(KR_SCREENSHOT_DIR "/") + name));
}

} // namespace

class TestItemSelection : public QObject {
    Q_OBJECT
private slots:
    void showsItemsSortedWithAlternatingColoursAndTheMessage() {
        CItemSelectionDlg dlg;
        Fill(dlg);
        ShowActive(dlg);
        CMyListCtrl* list = dlg.GetList();
        QCOMPARE(list->GetItemCount(), 3);
        QCOMPARE(list->GetCellText(0, 0), QStringLiteral("100200      "));
        QCOMPARE(list->GetCellText(1, 0), QStringLiteral("200300      "));
        QCOMPARE(list->GetCellText(2, 2), QStringLiteral("MILK WHOLE"));
        QCOMPARE(list->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Valid Unit"));
        QCOMPARE(list->GetColumnWidth(1), 105);
        QVERIFY(list->GetColumnWidth(2) >= 300);
        for (int r = 0; r < 3; ++r)
            QCOMPARE(list->GetCellLook(r, 1).background,
                     r % 2 ? QColor(175, 255, 175) : QColor(200, 255, 255));
        QCOMPARE(dlg.GetMessageEdit()->text(), QStringLiteral("Found 3 items matching flour."));
        QVERIFY(dlg.GetMessageEdit()->isReadOnly());
        QVERIFY(dlg.windowTitle().startsWith(QStringLiteral("Select Item or press close button")));
        QCOMPARE(dlg.GetSelectButton()->accessibleName(), QStringLiteral("Select Item"));
        QVERIFY(!list->accessibleName().isEmpty());
        QVERIFY(!dlg.GetMessageEdit()->accessibleName().isEmpty());
        SaveScreenshot(dlg, QStringLiteral("item_selection.png"));

        // Wider window, wider list and message; the button stays its size.
        const int listWidth = list->width(), buttonWidth = dlg.GetSelectButton()->width();
        dlg.resize(900, 420);
        QTest::qWait(20);
        QVERIFY(list->width() > listWidth + 200);
        QCOMPARE(dlg.GetSelectButton()->width(), buttonWidth);
        SaveScreenshot(dlg, QStringLiteral("item_selection_wide.png"));
    }

    void withoutASelectionNeitherButtonNorEnterEndsTheDialog() {
        CItemSelectionDlg dlg;
        Fill(dlg);
        ShowActive(dlg);
        QTest::mouseClick(dlg.GetSelectButton(), Qt::LeftButton);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QVERIFY(dlg.isVisible());
        QVERIFY(dlg.m_strSelectedItem.isEmpty());
    }

    void keyboardPickTakesTheRowAndItsFirstUnit() {
        CItemSelectionDlg dlg;
        Fill(dlg);
        ShowActive(dlg);
        QCOMPARE(QApplication::focusWidget(), dlg.GetList());
        for (int i = 0; i < 3; ++i) // down to the last row: MILK, three units
            QTest::keyClick(dlg.GetList(), Qt::Key_Down);
        QTest::keyClick(dlg.GetList(), Qt::Key_Return);
        QVERIFY(!dlg.isVisible());
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(dlg.m_strSelectedItem, QStringLiteral("300400      "));
        QCOMPARE(dlg.m_strSelectedUnit, QStringLiteral("CS "));
    }

    void doubleClickPicksTheRowUnderTheMouse() {
        CItemSelectionDlg dlg;
        Fill(dlg);
        ShowActive(dlg);
        CMyListCtrl* list = dlg.GetList();
        // A double click is a click, then the second press.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, RowPoint(list, 0));
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, RowPoint(list, 0));
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(dlg.m_strSelectedItem, QStringLiteral("100200      "));
        QCOMPARE(dlg.m_strSelectedUnit, QStringLiteral("BAG"));
    }

    void escapeAndTheCloseButtonCancelWithNothingPicked() {
        {
            CItemSelectionDlg dlg;
            Fill(dlg);
            ShowActive(dlg);
            QTest::mouseClick(dlg.GetList()->viewport(), Qt::LeftButton, {}, RowPoint(dlg.GetList(), 1));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
            QCOMPARE(dlg.result(), int(QDialog::Rejected));
            QVERIFY(dlg.m_strSelectedItem.isEmpty());
            QVERIFY(dlg.m_strSelectedUnit.isEmpty());
        }
        {
            CItemSelectionDlg dlg;
            Fill(dlg);
            ShowActive(dlg);
            QTest::mouseClick(dlg.GetList()->viewport(), Qt::LeftButton, {}, RowPoint(dlg.GetList(), 1));
            QVERIFY(dlg.close()); // the title bar's close button
            QCOMPARE(dlg.result(), int(QDialog::Rejected));
            QVERIFY(dlg.m_strSelectedItem.isEmpty());
        }
    }

    void modalRunReturnsOkForAClickedRowAndButton() {
        CItemSelectionDlg dlg;
        Fill(dlg);
        kt::WhenModal<CItemSelectionDlg>([](CItemSelectionDlg* d) {
            QTest::mouseClick(d->GetList()->viewport(), Qt::LeftButton, {}, RowPoint(d->GetList(), 1));
            QTest::mouseClick(d->GetSelectButton(), Qt::LeftButton);
        });
        QCOMPARE(dlg.exec(), int(QDialog::Accepted));
        QCOMPARE(dlg.m_strSelectedItem, QStringLiteral("200300      "));
        QCOMPARE(dlg.m_strSelectedUnit, QStringLiteral("EA "));
    }

    void recordTextIsShownAsWindows1252() {
        CItemSelectionDlg dlg;
        dlg.AddItem(std::string("500600      "), std::string("EA         "),
                    std::string("CR\xC8ME BR\xDBL\xC9\x99 \x80"));
        ShowActive(dlg);
        QCOMPARE(dlg.GetList()->GetCellText(0, 2), QString::fromUtf8("CRÈME BRÛLÉ™ €"));
    }
};

QTEST_MAIN(TestItemSelection)
#include "test_item_selection.moc"
