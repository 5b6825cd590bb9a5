// The recipe selection dialog over record files built by the test: listing, type-ahead, sorting,
// choosing, starting a new recipe and deleting, as a user does it with keys and clicks.
#include "CRecipeSelect.h"
#include "MenuHdrDB.h"
#include "MenuItemDB.h"
#include "ModalDriver.h"
#include "RecipeTypeAhead.h"
#include "support.h"
#include "unreadable_files.h"

#include <QDir>
#include <QHeaderView>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>

#include <memory>

namespace {

const QColor kEven(200, 255, 255);
const QColor kOdd(175, 255, 175);

// C1 has APPLE PIE, PIZZA and BREAD in that order; C10 and C2 have one recipe each.
struct Files {
    kt::TempDir dir;
    Files() {
        CMenuHdrDB headers;
        CMenuItemDB lines;
        if (headers.Create(headers.GetFileName()) != 0 || lines.Create(lines.GetFileName()) != 0 ||
            headers.OpenFile() != 0 || lines.OpenFile() != 0)
            qFatal("recipe files not created");
        Recipe(headers, lines, "C1", "AA26340100001", "AP1", "APPLE PIE", 3);
        Recipe(headers, lines, "C1", "AA26340100002", "PZ-7", "PIZZA", 2);
        Recipe(headers, lines, "C1", "AA26340100003", "B3", "BREAD", 1);
        Recipe(headers, lines, "C10", "AA26340100004", "X", "PIZZA BIANCA", 1);
        Recipe(headers, lines, "C2", "AA26340100005", "Y", "APPLE CAKE", 1);
    }
    static void Recipe(CMenuHdrDB& headers, CMenuItemDB& lines, const std::string& customer,
                       const std::string& key, const std::string& id, const std::string& name,
                       int lineCount) {
        CMenuHdr h;
        h.m_cRecordType = 'C';
        h.m_strCustomer = customer;
        h.m_strRecipeKey = key;
        h.m_strRecipeID = id;
        h.m_strRecipeName = name;
        if (headers.InsertRecipe(h) != 0) qFatal("header not written");
        for (int i = 0; i < lineCount; ++i) {
            CMenuItem line;
            line.m_strRecipeKey = key;
            line.m_strItem = "ITEM" + std::to_string(i);
            line.m_dPtns = 1;
            if (lines.InsertLine(line) != 0) qFatal("line not written");
        }
    }
    std::string Dir() const { return dir.path().string(); }
    static int CountLines(const std::string& key) {
        CMenuItemDB lines;
        if (lines.OpenFile() != 0) return -1;
        CMenuItem line;
        int n = 0;
        for (int s = lines.FindFirstLine(line, key); s == 0 && line.m_strRecipeKey.rfind(key, 0) == 0;
             s = lines.FindNextLine(line))
            ++n;
        return n;
    }
    static bool HasHeader(const std::string& key) {
        CMenuHdrDB headers;
        CMenuHdr h;
        return headers.OpenFile() == 0 && headers.FindRecipe(h, key) == 0;
    }
};

void ShowActive(QWidget& w) {
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
}

void Type(const QString& keys) {
    for (QChar c : keys)
        QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
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

QPoint RowPoint(CMyListCtrl* list, int row) {
    return list->visualRect(list->model()->index(row, 1)).center();
}

void CheckColours(CMyListCtrl* list) {
    for (int r = 0; r < list->GetItemCount(); ++r)
        QCOMPARE(list->GetCellLook(r, 0).background, r % 2 ? kOdd : kEven);
}

// Answers the delete question with the given button, and keeps its text.
void AnswerQuestion(QWidget* owner, QMessageBox::StandardButton answer, QString* text) {
    kt::WhenModal<QMessageBox>(
        [answer, text](QMessageBox* box) {
            *text = box->text();
            QTest::mouseClick(box->button(answer), Qt::LeftButton);
        },
        owner);
}

} // namespace

class TestRecipeSelect : public QObject {
    Q_OBJECT
private slots:
    void listsOnlyTheCustomersRecipesInFileOrder() {
        Files files;
        CRecipeSelect dlg("C1  ", nullptr, files.Dir()); // trailing blanks do not count
        ShowActive(dlg);
        CMyListCtrl* list = dlg.GetList();
        QCOMPARE(Column(list, 1), QStringList({"APPLE PIE", "PIZZA", "BREAD"})); // not C10's
        QCOMPARE(Column(list, 0), QStringList({"AP1", "PZ-7", "B3"}));
        QCOMPARE(list->GetCellText(1, 3), QStringLiteral("AA26340100002"));
        QVERIFY(QRegularExpression(QStringLiteral("^\\d\\d/\\d\\d/\\d\\d$"))
                    .match(list->GetCellText(0, 2))
                    .hasMatch());
        QCOMPARE(list->GetColumnWidth(1), 220);
        QVERIFY(list->GetColumnWidth(3) >= list->fontMetrics().horizontalAdvance(list->GetCellText(0, 3)));
        CheckColours(list);
        QVERIFY(dlg.GetProblemText().isEmpty());
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Select Recipe to Edit"));
        for (QPushButton* b : {dlg.GetEditButton(), dlg.GetNewButton(), dlg.GetDeleteButton()})
            QCOMPARE(b->accessibleName(), b->text());
        QVERIFY(!list->accessibleName().isEmpty());

        QDir().mkpath(QStringLiteral(KR_SCREENSHOT_DIR));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, RowPoint(list, 1));
        QVERIFY(dlg.grab().save(QStringLiteral(KR_SCREENSHOT_DIR "/recipe_select.png")));
        const int listHeight = list->height();
        dlg.resize(820, 520);
        QTest::qWait(20);
        QVERIFY(list->height() > listHeight + 100);
        QVERIFY(dlg.grab().save(QStringLiteral(KR_SCREENSHOT_DIR "/recipe_select_large.png")));
    }

    void typeAheadFindsSearchesAgainAndWraps() {
        Files files;
        CRecipeSelect dlg("C1", nullptr, files.Dir());
        ShowActive(dlg);
        CMyListCtrl* list = dlg.GetList();
        Type("p");
        QCOMPARE(list->GetSelectedRows(), QList<int>{0}); // APPLE PIE contains P
        Type("i");
        QCOMPARE(list->GetSelectedRows(), QList<int>{0}); // and PI
        QCOMPARE(dlg.GetSearchText(), QStringLiteral("PI"));
        Key(Qt::Key_F3);
        QCOMPARE(list->GetSelectedRows(), QList<int>{1});
        Key(Qt::Key_F3);
        QCOMPARE(list->GetSelectedRows(), QList<int>{0}); // wrapped
        // No row has PIQ: selection and search text stay.
        Type("q");
        QCOMPARE(list->GetSelectedRows(), QList<int>{0});
        QCOMPARE(dlg.GetSearchText(), QStringLiteral("PI"));
        // The recipe identifier is searched when no description matches; a blank extends the text.
        Key(Qt::Key_Home);
        QVERIFY(dlg.GetSearchText().isEmpty());
        Type("b3");
        QCOMPARE(dlg.GetSearchText(), QStringLiteral("B")); // a digit is not part of the search
        Key(Qt::Key_Escape);
        QCOMPARE(dlg.result(), int(QDialog::Rejected)); // Escape still cancels
    }

    void keyCodesAreTakenAsCharacters() {
        Files files;
        CRecipeSelect dlg("C1", nullptr, files.Dir());
        ShowActive(dlg);
        // Keypad 1 has the code of "a", F2 that of "q": searched as A and Q.
        Key(Qt::Key_1, Qt::KeypadModifier);
        QCOMPARE(dlg.GetSearchText(), QStringLiteral("A"));
        QCOMPARE(dlg.GetList()->GetSelectedRows(), QList<int>{0});
        QTest::mouseClick(dlg.GetList()->viewport(), Qt::LeftButton, {}, RowPoint(dlg.GetList(), 2));
        QVERIFY(dlg.GetSearchText().isEmpty()); // a click in the list starts a new search
        Key(Qt::Key_F1);                        // "p"
        QCOMPARE(dlg.GetSearchText(), QStringLiteral("P"));
        QCOMPARE(dlg.GetList()->GetSelectedRows(), QList<int>{0});
    }

    void typeAheadFollowsTheSortedOrder() {
        Files files;
        CRecipeSelect dlg("C1", nullptr, files.Dir());
        ShowActive(dlg);
        CMyListCtrl* list = dlg.GetList();
        QHeaderView* header = list->horizontalHeader();
        const QPoint description(header->sectionViewportPosition(1) + 10, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, description);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, description); // descending
        QCOMPARE(Column(list, 1), QStringList({"PIZZA", "BREAD", "APPLE PIE"}));
        CheckColours(list);
        Type("p");
        QCOMPARE(list->GetSelectedRows(), QList<int>{0});
        Key(Qt::Key_Return);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(dlg.GetRecipeKey(), std::string("AA26340100002"));
    }

    void editNeedsASelectionAndNewOrEscapeGiveNoKey() {
        Files files;
        {
            CRecipeSelect dlg("C1", nullptr, files.Dir());
            ShowActive(dlg);
            QTest::mouseClick(dlg.GetEditButton(), Qt::LeftButton);
            QVERIFY(dlg.isVisible());
            QTest::mouseClick(dlg.GetList()->viewport(), Qt::LeftButton, {}, RowPoint(dlg.GetList(), 2));
            QTest::mouseDClick(dlg.GetList()->viewport(), Qt::LeftButton, {}, RowPoint(dlg.GetList(), 2));
            QCOMPARE(dlg.result(), int(QDialog::Accepted));
            QCOMPARE(dlg.GetRecipeKey(), std::string("AA26340100003"));
        }
        {
            CRecipeSelect dlg("C1", nullptr, files.Dir());
            kt::WhenModal<CRecipeSelect>([](CRecipeSelect* d) {
                QTest::mouseClick(d->GetList()->viewport(), Qt::LeftButton, {}, RowPoint(d->GetList(), 0));
                QTest::mouseClick(d->GetNewButton(), Qt::LeftButton);
            });
            QCOMPARE(dlg.exec(), int(QDialog::Rejected));
            QVERIFY(dlg.GetRecipeKey().empty());
        }
        {
            CRecipeSelect dlg("C1", nullptr, files.Dir());
            kt::WhenModal<CRecipeSelect>([](CRecipeSelect* d) {
                QTest::mouseClick(d->GetList()->viewport(), Qt::LeftButton, {}, RowPoint(d->GetList(), 0));
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
            });
            QCOMPARE(dlg.exec(), int(QDialog::Rejected));
            QVERIFY(dlg.GetRecipeKey().empty());
        }
    }

    void deleteAsksAndRemovesHeaderAndLines() {
        Files files;
        CRecipeSelect dlg("C1", nullptr, files.Dir());
        ShowActive(dlg);
        CMyListCtrl* list = dlg.GetList();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, RowPoint(list, 1));
        QString question;
        AnswerQuestion(&dlg, QMessageBox::No, &question);
        QTest::mouseClick(dlg.GetDeleteButton(), Qt::LeftButton);
        QCOMPARE(question, QStringLiteral("Delete menu AA26340100002 - PIZZA"));
        QVERIFY(Files::HasHeader("AA26340100002"));
        QCOMPARE(Files::CountLines("AA26340100002"), 2);
        QCOMPARE(list->GetItemCount(), 3);

        AnswerQuestion(&dlg, QMessageBox::Yes, &question);
        QTest::mouseClick(dlg.GetDeleteButton(), Qt::LeftButton);
        QVERIFY(!Files::HasHeader("AA26340100002"));
        QCOMPARE(Files::CountLines("AA26340100002"), 0);
        QCOMPARE(Files::CountLines("AA26340100001"), 3); // the neighbours keep theirs
        QCOMPARE(Files::CountLines("AA26340100003"), 1);
        QCOMPARE(Column(list, 1), QStringList({"APPLE PIE", "BREAD"}));
        CheckColours(list);
        QVERIFY(list->GetSelectedRows().isEmpty());
        QVERIFY(dlg.GetProblemText().isEmpty());
        // Nothing selected: the button does nothing.
        QTest::mouseClick(dlg.GetDeleteButton(), Qt::LeftButton);
        QCOMPARE(list->GetItemCount(), 2);
    }

    void aDeleteThatCannotFinishLeavesTheRecipeWhole() {
        Files files;
        CRecipeSelect dlg("C1", nullptr, files.Dir());
        ShowActive(dlg);
        CMyListCtrl* list = dlg.GetList();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, RowPoint(list, 0));
        {
            kt::ExclusiveHold<CMenuItemDB> otherUser; // the line file is held elsewhere
            QCOMPARE(otherUser.Status(), 0);
            QString question;
            AnswerQuestion(&dlg, QMessageBox::Yes, &question);
            QTest::mouseClick(dlg.GetDeleteButton(), Qt::LeftButton);
            QVERIFY(!question.isEmpty());
        }
        QVERIFY(Files::HasHeader("AA26340100001"));
        QCOMPARE(Files::CountLines("AA26340100001"), 3);
        QCOMPARE(list->GetItemCount(), 3);
        QVERIFY(dlg.GetProblemText().contains(QStringLiteral("85")));
    }

    void anUnreadableHeaderFileIsReportedNotShownAsNoRecipes() {
        kt::TempDir dir;
        kt::WriteGarbage("MENUHDR.DB");
        CRecipeSelect dlg("C1", nullptr, dir.path().string());
        ShowActive(dlg);
        QCOMPARE(dlg.GetList()->GetItemCount(), 0);
        QVERIFY(dlg.GetLoadStatus() != 0 && dlg.GetLoadStatus() != 4);
        QVERIFY(dlg.GetProblemText().contains(QString::number(dlg.GetLoadStatus())));
        QVERIFY(dlg.grab().save(QStringLiteral(KR_SCREENSHOT_DIR "/recipe_select_unreadable.png")));
    }

    // The search rules without a window.
    void searchAgainWithoutSelectionStartsAtRowOneAndNeverWraps() {
        std::vector<CRecipeTypeAhead::Row> rows = {{"APPLE PIE", "A1"}, {"PIZZA", "P2"}, {"PIE CRUST", "C3"}};
        CRecipeTypeAhead search;
        QVERIFY(search.OnSearchAgain(-1, rows).beep); // no search text yet
        QCOMPARE(search.OnChar('p', rows).row, 0);
        QCOMPARE(search.OnChar('i', rows).row, 0);
        QCOMPARE(search.OnChar('e', rows).row, 0); // PIE
        QCOMPARE(search.OnSearchAgain(-1, rows).row, 2);
        rows.pop_back();
        const CRecipeTypeAhead::Result r = search.OnSearchAgain(-1, rows);
        QCOMPARE(r.row, -1); // row 0 matches, but is not searched without a selection
        QVERIFY(r.beep && !r.consumed);
        QVERIFY(search.OnChar('x', {}).beep); // an empty list
        QCOMPARE(search.GetSearchText(), std::string("PIE"));
    }
};

QTEST_MAIN(TestRecipeSelect)
#include "test_recipe_select.moc"
