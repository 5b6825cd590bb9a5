// The item selection dialog as a user works it: keys, clicks, the close button, and its looks.
#include "AccessibleNames.h"
#include "CItemSelectionDlg.h"

#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace {

// Added out of order: the list shows them by item number.
void Fill(CItemSelectionDlg& dlg) {
    dlg.AddItem(QStringLiteral("300400      "), QStringLiteral("CS  EA  LB "), QStringLiteral("MILK WHOLE"));
    dlg.AddItem(QStringLiteral("100200      "), QStringLiteral("BAG CS     "),
                QStringLiteral("FLOUR ALL PURPOSE"));
    dlg.AddItem(std::string("200300      "), std::string("EA         "),
                std::string("FLOUR RYE CR\xC8ME \x80"));
    dlg.m_strMessage = QStringLiteral("Found 3 items matching flour.");
    dlg.show();
    dlg.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
}

void ClickRow(CMyListCtrl* list, int row, bool twice = false) {
    const QPoint at = list->visualRect(list->model()->index(row, 2)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    if (twice) QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

void Save(QWidget& w, const char* name) {
    QDir().mkpath(QStringLiteral(KR_SCREENSHOT_DIR));
    QVERIFY(w.grab().save(QStringLiteral(KR_SCREENSHOT_DIR "/") + name));
}

} // namespace

class TestItemSelection : public QObject {
    Q_OBJECT
private slots:
    void showsItemsSortedWithAlternatingColoursAndResizes() {
        CItemSelectionDlg dlg;
        Fill(dlg);
        CMyListCtrl* list = dlg.GetList();
        QCOMPARE(list->GetCellText(0, 0), QStringLiteral("100200      "));
        QCOMPARE(list->GetCellText(1, 2), QString::fromUtf8("FLOUR RYE CRÈME €")); // Windows-1252
        QCOMPARE(list->GetCellText(2, 1), QStringLiteral("CS  EA  LB "));
        for (int r = 0; r < 3; ++r)
            QCOMPARE(list->GetCellLook(r, 1).background,
                     r % 2 ? QColor(175, 255, 175) : QColor(200, 255, 255));
        QCOMPARE(dlg.GetMessageEdit()->text(), QStringLiteral("Found 3 items matching flour."));
        QVERIFY(dlg.GetMessageEdit()->isReadOnly());
        ExpectAccessibleNames(&dlg);
        Save(dlg, "item_selection.png");
        const int listWidth = list->width(), buttonWidth = dlg.GetSelectButton()->width();
        dlg.resize(900, 420);
        QTest::qWait(20);
        QVERIFY(list->width() > listWidth + 200);
        QCOMPARE(dlg.GetSelectButton()->width(), buttonWidth);
        Save(dlg, "item_selection_wide.png");
    }

    void keysOrDoubleClickPickARowWithItsFirstUnitWhileEscapeAndCloseCancel() {
        {
            CItemSelectionDlg dlg;
            Fill(dlg);
            QCOMPARE(QApplication::focusWidget(), dlg.GetList());
            QTest::mouseClick(dlg.GetSelectButton(), Qt::LeftButton); // no row selected yet
            QTest::keyClick(dlg.GetList(), Qt::Key_Return);
            QVERIFY(dlg.isVisible());
            QTest::keyClick(dlg.GetList(), Qt::Key_End); // the last row: MILK, three units
            QTest::keyClick(dlg.GetList(), Qt::Key_Return);
            QCOMPARE(dlg.result(), int(QDialog::Accepted));
            QCOMPARE(dlg.m_strSelectedItem, QStringLiteral("300400      "));
            QCOMPARE(dlg.m_strSelectedUnit, QStringLiteral("CS "));
        }
        {
            CItemSelectionDlg dlg;
            Fill(dlg);
            ClickRow(dlg.GetList(), 0, true);
            QCOMPARE(dlg.result(), int(QDialog::Accepted));
            QCOMPARE(dlg.m_strSelectedUnit, QStringLiteral("BAG"));
        }
        for (bool escape : {true, false}) {
            CItemSelectionDlg dlg;
            Fill(dlg);
            ClickRow(dlg.GetList(), 1);
            if (escape)
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
            else
                QVERIFY(dlg.close()); // the title bar's close button
            QCOMPARE(dlg.result(), int(QDialog::Rejected));
            QVERIFY(dlg.m_strSelectedItem.isEmpty() && dlg.m_strSelectedUnit.isEmpty());
        }
    }
};

QTEST_MAIN(TestItemSelection)
#include "test_item_selection.moc"
