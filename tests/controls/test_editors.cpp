// The numeric edit, the auto-complete combo and the font combo in real widgets.
#include "CComboBoxAuto.h"
#include "CFloatEdit.h"
#include "CFontCombo.h"

#include <QFontDatabase>
#include <QLineEdit>
#include <QMenu>
#include <QVBoxLayout>
#include <QtTest>

class TestEditors : public QObject {
    Q_OBJECT

    QWidget* m_pWindow = nullptr;

    void Show(QWidget* w) {
        m_pWindow = new QWidget;
        auto* layout = new QVBoxLayout(m_pWindow);
        layout->addWidget(w);
        m_pWindow->show();
        m_pWindow->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_pWindow));
        w->setFocus();
    }

private slots:
    void cleanup() {
        delete m_pWindow;
        m_pWindow = nullptr;
    }

    void floatEditFollowsKeystrokes() {
        auto* e = new CFloatEdit;
        Show(e);
        e->SetDecimals(2);
        e->SetValue(1234.5);
        const QChar dec = e->Model().DecimalSeparator();
        const QChar th = e->Model().ThousandsSeparator();
        const QString expected = QString("1") + th + "234" + dec + "50";
        QCOMPARE(e->text(), expected);
        QCOMPARE(e->cursorPosition(), 0);

        QTest::keyClick(e, Qt::Key_9);
        QCOMPARE(e->GetValue(), 91234.5);
        QCOMPARE(e->cursorPosition(), 1);
        QTest::keyClick(e, Qt::Key_End);
        QTest::keyClick(e, Qt::Key_Backspace);
        QCOMPARE(e->GetValue(), 91234.5);
        QCOMPARE(e->text().right(2), QString("50"));
        QCOMPARE(e->cursorPosition(), int(e->text().size()) - 1);
        QTest::keyClick(e, Qt::Key_Backspace);
        QCOMPARE(e->GetValue(), 91234.0);

        // Letters, Insert and Control keys change nothing.
        const QString before = e->text();
        QTest::keyClicks(e, "abc ");
        QTest::keyClick(e, Qt::Key_Insert);
        QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(e->text(), before);

        QTest::keyClick(e, Qt::Key_Home);
        QTest::keyClick(e, Qt::Key_Minus);
        QCOMPARE(e->GetValue(), -91234.0);
        QTest::keyClick(e, Qt::Key_Plus);
        QCOMPARE(e->GetValue(), 91234.0);

        // Delete in front of the decimal separator clears the first fraction digit.
        e->SetValue(1234.5);
        e->setCursorPosition(int(e->text().indexOf(dec)));
        QTest::keyClick(e, Qt::Key_Delete);
        QCOMPARE(e->GetValue(), 1234.0);
        QCOMPARE(e->cursorPosition(), int(e->text().indexOf(dec)) + 1);

        // A selection is replaced by the typed digit.
        e->selectAll();
        QTest::keyClick(e, Qt::Key_7);
        QCOMPARE(e->GetValue(), 7.0);
        QCOMPARE(e->text(), QString("7%1%2").arg(dec).arg("00"));

        // Without grouping no separator comes, not even while typing.
        e->SetGrouping(false);
        e->SetValue(9876543.21);
        QCOMPARE(e->text(), QString("9876543%1%2").arg(dec).arg("21"));
        e->setCursorPosition(0);
        QTest::keyClicks(e, "12");
        QCOMPARE(e->text(), QString("129876543%1%2").arg(dec).arg("21"));
        QCOMPARE(e->GetValue(), 129876543.21);
    }

    void floatEditHasNoContextMenuAndLeavesEnterToDialog() {
        auto* e = new CFloatEdit;
        Show(e);
        e->SetValue(5);
        QTest::mouseClick(e, Qt::RightButton);
        QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(2, 2), e->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(e, &menu);
        QVERIFY(!QApplication::activePopupWidget());
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
        QApplication::sendEvent(e, &enter);
        QVERIFY(!enter.isAccepted());
        QCOMPARE(e->GetValue(), 5.0);
    }

    void comboCompletesAndBackspaceRemovesCompletion() {
        auto* c = new CComboBoxAuto;
        c->addItems({"Appetizers", "Beef", "Beverages"});
        Show(c);
        c->setEditText(QString());
        QLineEdit* edit = c->lineEdit();
        QTest::keyClick(edit, Qt::Key_B, Qt::ShiftModifier);
        QCOMPARE(edit->text(), QString("Beef"));
        QTest::keyClick(edit, Qt::Key_E);
        QCOMPARE(edit->text(), QString("Beef"));
        QCOMPARE(edit->selectedText(), QString("ef"));
        QCOMPARE(edit->selectionStart(), 2);
        QCOMPARE(c->currentIndex(), 1);
        QTest::keyClick(edit, Qt::Key_Backspace);
        QCOMPARE(edit->text(), QString("Be"));
        QVERIFY(!edit->hasSelectedText());
        QTest::keyClick(edit, Qt::Key_V);
        QCOMPARE(edit->text(), QString("Beverages"));
        QCOMPARE(edit->selectedText(), QString("erages"));
        // Lower case typed: the entry shows in its own case.
        edit->clear();
        QTest::keyClicks(edit, "app");
        QCOMPARE(edit->text(), QString("Appetizers"));
        // No entry begins with the text: it stays as typed.
        edit->clear();
        QTest::keyClicks(edit, "Cx");
        QCOMPARE(edit->text(), QString("Cx"));
        QCOMPARE(edit->cursorPosition(), 2);
    }

    void fontComboListsScalableNonSymbolFacesAndReportsTheSelection() {
        auto* f = new CFontCombo;
        Show(f);
        QTRY_VERIFY(f->count() > 0);
        for (int i = 0; i < f->count(); ++i) {
            const QString family = f->itemText(i);
            QVERIFY2(QFontDatabase::isSmoothlyScalable(family), qPrintable(family));
            QVERIFY2(!QFontDatabase::writingSystems(family).contains(QFontDatabase::Symbol),
                     qPrintable(family));
        }
        QVERIFY(!CFontCombo::Qualifies(true, true, false));
        QVERIFY(!CFontCombo::Qualifies(false, false, false));
        QVERIFY(!CFontCombo::Qualifies(true, false, true));
        QVERIFY(CFontCombo::Qualifies(true, false, false));

        f->setCurrentIndex(-1);
        QFont desc("Untouched");
        QCOMPARE(f->GetSelectedFontDesc(desc), -1);
        QCOMPARE(desc.family(), QString("Untouched"));
        f->setCurrentIndex(0);
        QCOMPARE(f->GetSelectedFontDesc(desc), 0);
        QCOMPARE(desc.family(), f->itemText(0));
        // Refilling replaces the entries.
        const int n = f->count();
        f->Fill();
        QCOMPARE(f->count(), n);
    }
};

QTEST_MAIN(TestEditors)
#include "test_editors.moc"
