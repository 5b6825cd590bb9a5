// The recipe selection dialog over record files built by the test, driven with keys and clicks.
#include "AccessibleNames.h"
#include "CRecipeSelect.h"
#include "ModalDriver.h"
#include "fixtures.h"
#include "support.h"
#include "unreadable_files.h"

#include <QDir>
#include <QHeaderView>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

namespace {

// C1 has APPLE PIE (3 lines), PIZZA (2) and BREAD (1), in that order; C10 has one recipe.
struct Files {
    kt::TempDir dir;
    Files() {
        const char* recipes[][4] = {{"C1", "AA26340100001", "AP1", "APPLE PIE"},
                                    {"C1", "AA26340100002", "PZ-7", "PIZZA"},
                                    {"C1", "AA26340100003", "B3", "BREAD"},
                                    {"C10", "AA26340100004", "X", "PIZZA BIANCA"}};
        int lineCount = 3;
        for (auto& r : recipes) {
            std::vector<CMenuItem> lines(size_t(std::max(lineCount--, 1)));
            for (size_t i = 0; i < lines.size(); ++i)
                lines[i].m_strItem = "ITEM" + std::to_string(i);
            kt::StoreRecipe(r[1], r[0], r[3], lines, r[2]);
        }
    }
    std::string Dir() const { return dir.path().string(); }
};

void ShowActive(QWidget& w) {
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
}

void Key(Qt::Key key, Qt::KeyboardModifiers mods = {}) {
    QTest::keyClick(QApplication::focusWidget(), key, mods);
}

QStringList Column(CMyListCtrl* list, int column) {
    QStringList texts;
    for (int r = 0; r < list->GetItemCount(); ++r)
        texts << list->GetCellText(r, column);
    return texts;
}

void ClickRow(CMyListCtrl* list, int row, bool twice = false) {
    const QPoint at = list->visualRect(list->model()->index(row, 1)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    if (twice) QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

void CheckColours(CMyListCtrl* list) {
    for (int r = 0; r < list->GetItemCount(); ++r)
        if (!list->IsRowSelected(r)) // a selected row shows the highlight
            QCOMPARE(list->GetCellLook(r, 0).background,
                     r % 2 ? QColor(175, 255, 175) : QColor(200, 255, 255));
}

// Presses Delete and answers its question; returns the question ("" when none was asked).
QString DeleteAnswering(CRecipeSelect& dlg, QMessageBox::StandardButton answer) {
    QString question;
    QPointer<QTimer> wait = kt::WhenModal<QMessageBox>(
        [&question, answer](QMessageBox* box) {
            question = box->text();
            QTest::mouseClick(box->button(answer), Qt::LeftButton);
        },
        &dlg);
    QTest::mouseClick(dlg.GetDeleteButton(), Qt::LeftButton);
    delete wait.data(); // no question came: stop waiting for one
    return question;
}

void Save(QWidget& w, const char* name) {
    QDir().mkpath(QStringLiteral(KR_SCREENSHOT_DIR));
    QVERIFY(w.grab().save(QStringLiteral(KR_SCREENSHOT_DIR "/") + name));
}

} // namespace

class TestRecipeSelect : public QObject {
    Q_OBJECT
private slots:
    void listsTheCustomersRecipesAndResizes() {
        Files files;
        CRecipeSelect dlg("C1  ", nullptr, files.Dir()); // trailing blanks do not count
        ShowActive(dlg);
        CMyListCtrl* list = dlg.GetList();
        QCOMPARE(Column(list, 1), QStringList({"APPLE PIE", "PIZZA", "BREAD"})); // not C10's
        QCOMPARE(list->GetCellText(1, 0), QStringLiteral("PZ-7"));
        QCOMPARE(list->GetCellText(1, 3), QStringLiteral("AA26340100002"));
        QVERIFY(QRegularExpression(QStringLiteral("^\\d\\d/\\d\\d/\\d\\d$"))
                    .match(list->GetCellText(0, 2))
                    .hasMatch());
        QVERIFY(list->GetColumnWidth(3) >= list->fontMetrics().horizontalAdvance(list->GetCellText(0, 3)));
        CheckColours(list);
        ExpectAccessibleNames(&dlg);
        ClickRow(list, 1);
        Save(dlg, "recipe_select.png");
        const int height = list->height();
        dlg.resize(820, 520);
        QTest::qWait(20);
        QVERIFY(list->height() > height + 100);
        Save(dlg, "recipe_select_large.png");
    }

    void typeAheadSearchesAgainAndFollowsTheSortedOrder() {
        Files files;
        CRecipeSelect dlg("C1", nullptr, files.Dir());
        ShowActive(dlg);
        CMyListCtrl* list = dlg.GetList();
        Key(Qt::Key_P);
        Key(Qt::Key_I);
        QCOMPARE(list->GetSelectedRows(), QList<int>{0}); // APPLE PIE has PI
        Key(Qt::Key_F3);
        QCOMPARE(list->GetSelectedRows(), QList<int>{1});
        Key(Qt::Key_F3);
        QCOMPARE(list->GetSelectedRows(), QList<int>{0}); // wrapped
        Key(Qt::Key_Q);                                   // no row has PIQ: nothing changes
        QCOMPARE(list->GetSelectedRows(), QList<int>{0});
        QCOMPARE(dlg.GetSearchText(), QStringLiteral("PI"));
        Key(Qt::Key_End); // clears the search, goes to the last row
        QCOMPARE(dlg.GetSearchText(), QString());
        QCOMPARE(list->GetSelectedRows(), QList<int>{2});
        Key(Qt::Key_Home);
        Key(Qt::Key_2, Qt::KeypadModifier); // the key code of "b": searched as B
        QCOMPARE(dlg.GetSearchText(), QStringLiteral("B"));
        QCOMPARE(list->GetSelectedRows(), QList<int>{2});

        // Sorted by description, descending: the search goes by the rows as shown.
        QHeaderView* header = list->horizontalHeader();
        const QPoint description(header->sectionViewportPosition(1) + 10, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, description);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, description);
        QCOMPARE(Column(list, 1), QStringList({"PIZZA", "BREAD", "APPLE PIE"}));
        CheckColours(list);
        ClickRow(list, 0); // a click starts a new search
        Key(Qt::Key_B);
        QCOMPARE(list->GetSelectedRows(), QList<int>{1});
        Key(Qt::Key_Return);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(dlg.GetRecipeKey(), std::string("AA26340100003"));
    }

    void editNeedsASelectionWhileNewAndEscapeEndWithoutAKey() {
        Files files;
        {
            CRecipeSelect dlg("C1", nullptr, files.Dir());
            ShowActive(dlg);
            QTest::mouseClick(dlg.GetEditButton(), Qt::LeftButton);
            QVERIFY(dlg.isVisible());
            ClickRow(dlg.GetList(), 2, true);
            QCOMPARE(dlg.result(), int(QDialog::Accepted));
            QCOMPARE(dlg.GetRecipeKey(), std::string("AA26340100003"));
        }
        for (bool escape : {false, true}) {
            CRecipeSelect dlg("C1", nullptr, files.Dir());
            kt::WhenModal<CRecipeSelect>([escape](CRecipeSelect* d) {
                ClickRow(d->GetList(), 0);
                if (escape)
                    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
                else
                    QTest::mouseClick(d->GetNewButton(), Qt::LeftButton);
            });
            QCOMPARE(dlg.exec(), int(QDialog::Rejected));
            QVERIFY(dlg.GetRecipeKey().empty());
        }
    }

    void deleteAsksThenRemovesHeaderAndLinesTogetherOrNothingAtAll() {
        Files files;
        CRecipeSelect dlg("C1", nullptr, files.Dir());
        ShowActive(dlg);
        CMyListCtrl* list = dlg.GetList();
        ClickRow(list, 1);
        QCOMPARE(DeleteAnswering(dlg, QMessageBox::No), QStringLiteral("Delete menu AA26340100002 - PIZZA"));
        QCOMPARE(kt::StoredLineCount("AA26340100002"), 2);
        QVERIFY(kt::HasStoredHeader("AA26340100002"));
        {
            // Another program holds the line file: nothing is half deleted, the problem is told.
            kt::ExclusiveHold otherUser("MENUITEM.DB");
            QCOMPARE(otherUser.Status(), 0);
            QVERIFY(!DeleteAnswering(dlg, QMessageBox::Yes).isEmpty());
            QVERIFY(dlg.GetProblemText().contains(QStringLiteral("85")));
        }
        QCOMPARE(kt::StoredLineCount("AA26340100002"), 2);
        QVERIFY(kt::HasStoredHeader("AA26340100002"));
        QCOMPARE(list->GetItemCount(), 3);
        QCOMPARE(list->GetFirstSelectedRow(), 1); // still picked: trying again needs no new click
        QVERIFY(!DeleteAnswering(dlg, QMessageBox::Yes).isEmpty());
        QCOMPARE(kt::StoredLineCount("AA26340100002"), 0);
        QVERIFY(!kt::HasStoredHeader("AA26340100002"));
        QCOMPARE(kt::StoredLineCount("AA26340100001"), 3); // the neighbours keep theirs
        QCOMPARE(kt::StoredLineCount("AA26340100003"), 1);
        QCOMPARE(Column(list, 1), QStringList({"APPLE PIE", "BREAD"}));
        CheckColours(list);
        QVERIFY(dlg.GetProblemText().isEmpty());
        QVERIFY(DeleteAnswering(dlg, QMessageBox::Yes).isEmpty()); // nothing selected: no question
        QCOMPARE(list->GetItemCount(), 2);
    }

    void damagedHeaderFileIsReportedWithItsStatus() {
        kt::TempDir dir;
        kt::WriteGarbage("MENUHDR.DB");
        CRecipeSelect dlg("C1", nullptr, dir.path().string());
        ShowActive(dlg);
        QCOMPARE(dlg.GetList()->GetItemCount(), 0);
        QVERIFY(kt::IsStatusOf(dlg.GetLoadStatus(), kt::Breakage::Damaged));
        QVERIFY(dlg.GetProblemText().contains(QString::number(dlg.GetLoadStatus())));
        Save(dlg, "recipe_select_unreadable.png");
    }

    void searchAgainWithNothingSelectedNeverWrapsToTheFirstRow() {
        const std::vector<CRecipeTypeAhead::Row> rows = {{"APPLE PIE", "A1"}, {"PIZZA", "P2"}};
        CRecipeTypeAhead search;
        QVERIFY(search.OnSearchAgain(-1, rows).beep); // no search text yet
        QCOMPARE(search.OnChar('e', rows).row, 0);
        const CRecipeTypeAhead::Result r = search.OnSearchAgain(-1, rows);
        QVERIFY(r.row == -1 && r.beep && !r.consumed);
    }
};

QTEST_MAIN(TestRecipeSelect)
#include "test_recipe_select.moc"
