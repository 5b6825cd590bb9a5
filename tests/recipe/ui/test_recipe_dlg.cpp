// The recipe editor driven as a user drives it, with keys and clicks, on a database the test
// builds: ingredients by number, by words and as custom lines, unit and portion type, cost
// overrides, deleting, saving and reopening, old keys, categories, a save that fails and the
// guarded quit, and the checks on what the record files cannot hold.
#include "AccessibleNames.h"
#include "CInPlaceEdit.h"
#include "CMenuListCtrl.h"
#include "CRecipe.h"
#include "CRecipeDlg.h"
#include "Costing.h"
#include "CustomerDB.h"
#include "Display.h"
#include "MenuCategoryDB.h"
#include "ModalDriver.h"
#include "Strings.h"
#include "dbtool.h"
#include "editor_driver.h"
#include "fixtures.h"
#include "support.h"
#include "unreadable_files.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include <filesystem>
#include <memory>

namespace {

using kt::AddIngredient;
using kt::Answered;
using kt::Click;
using kt::ClickCell;
using kt::EditCell;
using kt::Named;
using kt::ScreenshotPath;

using Grid = CMenuListCtrl;

// Types any text, as a keyboard of another language would: one key event per character.
void TypeText(QWidget* w, const QString& text) {
    for (QChar c : text) {
        if (c.unicode() < 128)
            QTest::keyClick(w, c.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

// Picks an entry of the cell's drop-down with the arrow keys, then Enter.
void PickChoice(Grid* grid, int row, int col, const QString& choice) {
    ClickCell(grid, row, col);
    auto* combo = qobject_cast<QComboBox*>(grid->GetInPlaceEditor());
    QVERIFY2(combo, "no drop-down opened on the cell");
    const int target = combo->findText(choice);
    QVERIFY(target >= 0);
    while (combo->currentIndex() < target)
        QTest::keyClick(combo, Qt::Key_Down);
    while (combo->currentIndex() > target)
        QTest::keyClick(combo, Qt::Key_Up);
    QTest::keyClick(combo, Qt::Key_Return);
}

// Every row of the grid as it shows it, one text a row.
QStringList Rows(Grid* grid) {
    QStringList rows;
    for (int r = 0; r < grid->GetItemCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < Grid::kColumns; ++c)
            cells << grid->GetCellText(r, c);
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

} // namespace

class RecipeEditorTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<kt::TempDir> m_dir;
    std::unique_ptr<CRecipeDlg> m_dlg;

    CRecipeDlg* Open(const QString& customer) { return kt::OpenEditor(m_dlg, customer); }

private slots:
    void init() {
        m_dir = std::make_unique<kt::TempDir>();
        kt::BuildEditorDatabase();
        SetSelectCustFunction({});
        SetDispItemInfoFunction({});
    }

    void cleanup() {
        if (m_dlg) {
            // Leave without questions.
            m_dlg->hide();
            m_dlg.reset();
        }
        m_dir.reset();
    }

    void ingredientsAndCategoryAddedEditedSavedAndReopened() {
        CRecipeDlg* dlg = Open(QStringLiteral("C1"));
        QVERIFY(dlg);
        Grid* grid = dlg->Grid();
        QCOMPARE(grid->GetItemCount(), 0); // no recipes yet: no selection, a new recipe
        // Four lines: by number, by words through the selection, by one word, custom.
        AddIngredient(dlg, QStringLiteral("100200"));
        QCOMPARE(grid->GetCellText(0, Grid::kColDescription), QStringLiteral("FLOUR ALL PURPOSE"));

        // The rows are sorted by item number: 500002 BEEF STEW is the second.
        auto picked = kt::SelectItem(1, QStringLiteral("item_select"));
        AddIngredient(dlg, QStringLiteral("beef"));
        QVERIFY(kt::WaitFor(picked));
        QCOMPARE(grid->GetCellText(1, Grid::kColDescription), QStringLiteral("BEEF STEW"));
        QCOMPARE(grid->GetCellText(1, Grid::kColItemCost), QStringLiteral("32.00"));

        AddIngredient(dlg, QStringLiteral("sugar"));
        QCOMPARE(grid->GetCellText(2, Grid::kColDescription), QStringLiteral("SUGAR WHITE"));

        QCOMPARE(Answered(QMessageBox::Yes, [&] { AddIngredient(dlg, QStringLiteral("MYSPICE")); }),
                 kr::str::kAddCustomItem);
        QCOMPARE(grid->GetCellText(3, Grid::kColItem).trimmed(), QStringLiteral("MYSPICE"));
        QCOMPARE(grid->GetCellStyle(3, Grid::kColItem), quint32(kStyleTextColor | kStyleBold | kStyleItalic));
        QCOMPARE(grid->GetCellStyle(0, Grid::kColItem), quint32(kStyleTextColor));
        EditCell(grid, 3, Grid::kColItemCost, QStringLiteral("5"));
        EditCell(grid, 3, Grid::kColPtnPerItem, QStringLiteral("10"));
        EditCell(grid, 3, Grid::kColPtns, QStringLiteral("2"));
        QCOMPARE(grid->GetCellText(3, Grid::kColRecipeCost), QStringLiteral("1.00"));
        QCOMPARE(grid->GetItemCount(), 4);
        QVERIFY(dlg->IsModified());

        // Unit: flour comes in BAG and CS; CS re-prices the line.
        PickChoice(grid, 0, Grid::kColUnit, QStringLiteral("CS "));
        QCOMPARE(grid->GetCellText(0, Grid::kColItemCost), QStringLiteral("23.00"));
        // A drop-down carries no Tab: after the unit the grid itself moves on to the description.
        auto* description = qobject_cast<CInPlaceEdit*>(grid->GetInPlaceEditor());
        QVERIFY(description && description->GetColumn() == Grid::kColDescription);
        QTest::keyClick(description, Qt::Key_Escape);
        // Portion type by weight: a case weighs 50 lb, that is 800 oz.
        PickChoice(grid, 0, Grid::kColPtnType, QStringLiteral("lbs"));
        QCOMPARE(grid->GetCellText(0, Grid::kColPtnPerItem), QStringLiteral("50"));
        QApplication::processEvents();
        if (QWidget* open = grid->GetInPlaceEditor()) QTest::keyClick(open, Qt::Key_Escape);
        PickChoice(grid, 0, Grid::kColPtnType, QStringLiteral("oz"));
        QCOMPARE(qRound(grid->GetCellText(0, Grid::kColPtnPerItem).toDouble() * 1000), 800000);
        QCOMPARE(grid->GetCellStyle(0, Grid::kColPtnType), quint32(kStyleTextColor | kStyleBold));
        QApplication::processEvents(); // the next cell's editor opened after the drop-down
        if (QWidget* open = grid->GetInPlaceEditor()) QTest::keyClick(open, Qt::Key_Escape);

        // Overriding the cost marks the cell; the default price unmarks it.
        EditCell(grid, 1, Grid::kColItemCost, QStringLiteral("35"));
        QCOMPARE(grid->GetCellText(1, Grid::kColItemCost), QStringLiteral("35.00"));
        QCOMPARE(grid->GetCellStyle(1, Grid::kColItemCost), quint32(kStyleTextColor | kStyleBold));
        QCOMPARE(grid->StyledModel()->Cell(1, Grid::kColItemCost)->m_crText, QColor(240, 100, 100));
        ClickCell(grid, 0, Grid::kColBrand); // unselected, the row shows its own colours
        QCOMPARE(grid->GetCellLook(1, Grid::kColItemCost).text, QColor(240, 100, 100));
        QVERIFY(grid->GetCellLook(1, Grid::kColItemCost).font->bold());
        EditCell(grid, 1, Grid::kColItemCost, QStringLiteral("32"));
        QCOMPARE(grid->GetCellStyle(1, Grid::kColItemCost), quint32(kStyleTextColor));
        EditCell(grid, 1, Grid::kColItemCost, QStringLiteral("35")); // kept overridden for the save

        // The sugar line goes.
        ClickCell(grid, 2, Grid::kColBrand);
        QVERIFY(Answered(QMessageBox::Yes, [&] {
                    Click(dlg, kr::str::kDeleteIngredient);
                }).startsWith(QStringLiteral("Are you sure you want to delete item 600001")));
        QCOMPARE(grid->GetItemCount(), 3);
        QCOMPARE(grid->GetCellText(2, Grid::kColItem).trimmed(), QStringLiteral("MYSPICE"));
        QCOMPARE(grid->GetRowStyle(2), quint32(kStyleBkColor));

        // Cost block: recipe cost is the sum of the line costs.
        double sum = 0;
        for (int r = 0; r < 3; ++r)
            sum += grid->GetCellText(r, Grid::kColRecipeCost).toDouble();
        QCOMPARE(dlg->CostText(), QString::number(sum, 'f', 2));

        // Name and sell price, then save.
        auto* name = Named<QLineEdit>(dlg, QStringLiteral("Recipe Name"));
        auto* notes = Named<QPlainTextEdit>(dlg, QStringLiteral("Notes"));
        name->selectAll();
        TypeText(name, QStringLiteral("Café Stew"));
        notes->setFocus();
        QTest::keyClicks(notes, QStringLiteral("Brown the beef."));
        QTest::keyClick(notes, Qt::Key_Return);
        QTest::keyClicks(notes, QStringLiteral("Simmer."));
        // A category typed in lower case is created in capitals.
        auto* combo = Named<QComboBox>(dlg, QStringLiteral("Recipe Category"));
        QVERIFY(combo);
        dlg->activateWindow(); // a message box that closed may leave no window active
        QVERIFY(QTest::qWaitForWindowActive(dlg));
        combo->setFocus();
        QTest::keyClicks(combo, QStringLiteral("soups"));
        QCOMPARE(Answered(QMessageBox::Yes, [&] { QTest::keyClick(combo, Qt::Key_Tab); }),
                 kr::str::kCreateCategory.arg(QStringLiteral("SOUPS")));
        CMenuCategoryDB c;
        QCOMPARE(c.OpenFile(), 0);
        CMenuCategory cat;
        QCOMPARE(c.FindFirstCategory(cat, "C1"), 0);
        QCOMPARE(cat.m_strName, std::string("SOUPS"));
        QCOMPARE(dlg->Category(), cat.m_strCategoryKey);

        // Typed again (any case), the existing category is taken without a question.
        combo->setFocus();
        combo->lineEdit()->selectAll();
        QTest::keyClicks(combo, QStringLiteral("Soups"));
        QTest::keyClick(combo, Qt::Key_Tab);
        QCOMPARE(dlg->Category(), cat.m_strCategoryKey);
        int count = 0;
        for (int st = c.FindFirstCategory(cat, "C1"); st == 0 && TrimRight(cat.m_strCustomer) == "C1";
             st = c.FindNextCategory(cat))
            ++count;
        QCOMPARE(count, 1);
        QCOMPARE(kt::SaveRecipe(dlg), kr::str::kRecipeSaved);
        const std::string key = dlg->RecipeKey();
        QCOMPARE(key.substr(0, 2), std::string("AA"));
        QCOMPARE(key.size(), size_t(13));
        QVERIFY(!dlg->IsModified());
        QCOMPARE(kt::StoredLineCount(key), 3);
        {
            CRecipe stored;
            QCOMPARE(stored.Load(key), 0);
            QCOMPARE(stored.m_hdr.m_strNotes, std::string("Brown the beef.\r\nSimmer."));
        }

        const QStringList before = Rows(grid);
        const QString costBefore = dlg->CostText();
        dlg->grab().save(ScreenshotPath(QStringLiteral("recipe_editor")));

        // Reopen through the recipe selection: every figure comes back.
        auto reopened = kt::EditRecipe();
        QTest::mouseClick(dlg->Button(kr::str::kNewRecipeButton), Qt::LeftButton);
        QVERIFY(kt::WaitFor(reopened));
        QCOMPARE(dlg->RecipeKey(), key);
        QCOMPARE(Rows(grid), before);
        QCOMPARE(dlg->CostText(), costBefore);
        QCOMPARE(name->text(), QStringLiteral("Café Stew"));
        QCOMPARE(notes->toPlainText(), QStringLiteral("Brown the beef.\nSimmer."));
        QCOMPARE(TrimRight(dlg->Category()), TrimRight(cat.m_strCategoryKey));
        QVERIFY(!dlg->IsModified());
        dlg->grab().save(ScreenshotPath(QStringLiteral("recipe_editor_reopened")));

        // A second save keeps the key and the number of lines.
        QCOMPARE(kt::SaveRecipe(dlg), kr::str::kRecipeSaved);
        QCOMPARE(dlg->RecipeKey(), key);
        QCOMPARE(kt::StoredLineCount(key), 3);
    }

    void oldKeyIsSavedAsAAAndTheOldRecordsGo() {
        // A stale price: the line is priced anew.
        kt::StoreRecipe("2025100090000", "C1", "OLD SOUP", {kt::MenuLine("100200", "BAG", 99, 25, 5)});
        auto chosen = kt::EditRecipe();
        CRecipeDlg* dlg = Open(QStringLiteral("C1"));
        QVERIFY(dlg);
        QVERIFY(kt::WaitFor(chosen));
        QCOMPARE(dlg->RecipeKey(), std::string("2025100090000"));
        QCOMPARE(dlg->Grid()->GetCellText(0, Grid::kColItemCost), QStringLiteral("12.13"));
        QCOMPARE(kt::SaveRecipe(dlg), kr::str::kRecipeSaved);
        QCOMPARE(dlg->RecipeKey(), std::string("AA25100090000"));
        QVERIFY(!kt::HasStoredHeader("2025100090000"));
        QCOMPARE(kt::StoredLineCount("2025100090000"), 0);
        QVERIFY(kt::HasStoredHeader("AA25100090000"));
        QCOMPARE(kt::StoredLineCount("AA25100090000"), 1);
    }

    void saveThatFailsAndTheGuardedQuitKeepTheEditorWithItsChanges() {
        CRecipeDlg* dlg = Open(QStringLiteral("C1"));
        QVERIFY(dlg);
        AddIngredient(dlg, QStringLiteral("100200"));
        QCOMPARE(kt::SaveRecipe(dlg), kr::str::kRecipeSaved);
        const std::string key = dlg->RecipeKey();
        QCOMPARE(kt::StoredLineCount(key), 1);

        // The line file now refuses a second line of a recipe (its key became unique).
        kt::MakeLineFileOnePerRecipe();
        kt::AddStoredLine(key, kt::MenuLine("100200", "BAG", 0, 25, 1));
        AddIngredient(dlg, QStringLiteral("sugar"));
        auto* name = Named<QLineEdit>(dlg, QStringLiteral("Recipe Name"));
        name->selectAll();
        QTest::keyClicks(name, QStringLiteral("CHANGED"));
        // The suite's own text, and beneath it what the record manager said.
        QString detail;
        QCOMPARE(Answered(
                     QMessageBox::Ok, [&] { Click(dlg, kr::str::kSaveRecipe); },
                     [&](QMessageBox* box) {
                         detail = box->informativeText();
                         box->grab().save(ScreenshotPath(QStringLiteral("error_saving_recipe")));
                     }),
                 kr::str::kErrorSaving);
        QCOMPARE(detail, QStringLiteral("Status 5 (duplicate key value)"));
        QVERIFY(dlg->IsModified());
        CRecipe back;
        QCOMPARE(back.Load(key), 0);
        QCOMPARE(back.m_hdr.m_strRecipeName, std::string("NEW RECIPE"));
        QCOMPARE(back.m_arrLines.size(), size_t(1));

        // Quit, Yes to saving, and the save fails: the editor stays with the changes.
        QStringList asked;
        kt::AnswerAll({QMessageBox::Yes, QMessageBox::Ok}, &asked);
        Click(dlg, kr::str::kQuit);
        QVERIFY(QTest::qWaitFor([&] { return asked.size() == 2; }));
        QCOMPARE(asked, (QStringList{kr::str::kSaveModified, kr::str::kErrorSaving}));
        QVERIFY(dlg->isVisible());
        const QStringList rows = Rows(dlg->Grid());
        QCOMPARE(rows.size(), 2);

        // Cancel to the question, by Quit or by Escape, keeps everything.
        QCOMPARE(Answered(QMessageBox::Cancel, [&] { Click(dlg, kr::str::kQuit); }), kr::str::kSaveModified);
        QCOMPARE(Answered(QMessageBox::Cancel, [&] { QTest::keyClick(dlg, Qt::Key_Escape); }),
                 kr::str::kSaveModified);
        QVERIFY(dlg->isVisible());
        QVERIFY(dlg->IsModified());
        QCOMPARE(Rows(dlg->Grid()), rows);

        // No: the dialog ends without saving.
        QCOMPARE(Answered(QMessageBox::No, [&] { Click(dlg, kr::str::kQuit); }), kr::str::kSaveModified);
        QVERIFY(!dlg->isVisible());
        QCOMPARE(dlg->result(), int(QDialog::Rejected));
        QCOMPARE(back.Load(key), 0);
        QCOMPARE(back.m_hdr.m_strRecipeName, std::string("NEW RECIPE"));
    }

    void textAndNumbersTheFilesCannotHoldAreRefused() {
        CRecipeDlg* dlg = Open(QStringLiteral("C1"));
        QVERIFY(dlg);
        auto* name = Named<QLineEdit>(dlg, QStringLiteral("Recipe Name"));
        auto* desired = Named<QLineEdit>(dlg, QStringLiteral("Desired Food Cost %"));
        QVERIFY(name && desired);
        name->selectAll();
        TypeText(name, QStringLiteral("Crème brûlée – 日本"));
        QCOMPARE(name->text(), QStringLiteral("Crème brûlée – ")); // the en dash is Windows-1252
        name->selectAll();
        QTest::keyClicks(name, QString(40, QLatin1Char('x')));
        QCOMPARE(name->text().size(), 30);

        auto* notes = Named<QPlainTextEdit>(dlg, QStringLiteral("Notes"));
        notes->setFocus();
        notes->insertPlainText(QString(4094, QLatin1Char('n')));
        QTest::keyClick(notes, Qt::Key_Return); // a line break is stored as two characters
        QCOMPARE(notes->toPlainText().size(), 4095);
        QTest::keyClicks(notes, QStringLiteral("x"));
        QCOMPARE(notes->toPlainText().size(), 4095);
        notes->clear();
        notes->insertPlainText(QStringLiteral("smörgåsbord ✓"));
        QCOMPARE(notes->toPlainText(), QString());

        // A desired food cost % that is not a finite number keeps the previous value.
        desired->setFocus();
        desired->selectAll();
        QTest::keyClicks(desired, QStringLiteral("30"));
        name->setFocus();
        desired->setFocus();
        desired->selectAll();
        QTest::keyClicks(desired, QStringLiteral("inf"));
        QVERIFY(Answered(QMessageBox::Ok, [&] {
                    name->setFocus();
                }).contains(QStringLiteral("Desired Food Cost %")));
        QCOMPARE(desired->text(), QStringLiteral("30"));

        // An item cost beyond what a cost holds keeps the previous cost.
        AddIngredient(dlg, QStringLiteral("100200"));
        QVERIFY(Answered(QMessageBox::Ok, [&] {
                    EditCell(dlg->Grid(), 0, Grid::kColItemCost, QStringLiteral("99999999999"));
                }) != kt::kNoMessageBox);
        QCOMPARE(dlg->Grid()->GetCellText(0, Grid::kColItemCost), QStringLiteral("12.13"));
        CMenuItemDetail line;
        QVERIFY(dlg->Grid()->GetLine(0, line));
        QCOMPARE(line.m_dItemCost, 12.13);

        // A description holds 30 characters of Windows-1252, as typed into its cell.
        ClickCell(dlg->Grid(), 0, Grid::kColDescription);
        auto* description = qobject_cast<QLineEdit*>(dlg->Grid()->GetInPlaceEditor());
        QVERIFY(description);
        TypeText(description, QStringLiteral("Flour ✓ ") + QString(40, QLatin1Char('f')));
        QTest::keyClick(description, Qt::Key_Return);
        QCOMPARE(dlg->Grid()->GetCellText(0, Grid::kColDescription),
                 QStringLiteral("Flour  ") + QString(23, QLatin1Char('f')));
    }

    void unreadableItemOrCustomerFileIsReportedAndAnUnknownCustomerAsksThePicker() {
        CRecipeDlg* dlg = Open(QStringLiteral("C1"));
        QVERIFY(dlg);
        {
            kt::ExclusiveHold locker("ITEM.DB"); // another program holds the item master for itself
            QCOMPARE(locker.Status(), 0);
            const QString said =
                Answered(QMessageBox::Ok, [&] { AddIngredient(dlg, QStringLiteral("100200")); });
            QVERIFY2(said.startsWith(QStringLiteral("The file ITEM.DB could not be read")), qPrintable(said));
            CMenuItemDetail line;
            QVERIFY(dlg->Grid()->GetLine(0, line));
            QVERIFY(Trim(line.m_strItem).empty()); // neither taken as custom nor as the item
        }
        dlg->hide(); // leave without questions

        int asked = 0;
        SetSelectCustFunction([&asked](int, const char* caller, char*, int, QWidget*) {
            ++asked;
            return QString::fromLatin1(caller) == QStringLiteral("Recipe") ? 0 : 1;
        });
        int result = -1;
        QCOMPARE(Answered(QMessageBox::Ok,
                          [&] {
                              m_dlg = std::make_unique<CRecipeDlg>(QStringLiteral("NOPE"));
                              result = m_dlg->exec();
                          }),
                 kr::str::kSelectValidCustomer);
        QCOMPARE(asked, 1);
        QCOMPARE(result, int(QDialog::Rejected));

        // A picker that answers with a customer opens the editor on it.
        SetSelectCustFunction([](int, const char*, char* buffer, int, QWidget*) {
            std::strcpy(buffer, "C2");
            return 1;
        });
        m_dlg = std::make_unique<CRecipeDlg>(QString());
        QCOMPARE(m_dlg->Customer(), std::string("C2"));

        // A customer file another program holds is told as such before the picker comes.
        kt::ExclusiveHold locker("CUST.DB");
        QCOMPARE(locker.Status(), 0);
        const QString said =
            Answered(QMessageBox::Ok, [&] { m_dlg = std::make_unique<CRecipeDlg>(QStringLiteral("C1")); });
        QVERIFY2(said.startsWith(QStringLiteral("The file CUST.DB could not be read")), qPrintable(said));
        QCOMPARE(m_dlg->Customer(), std::string());
    }

    void itemNumberRequiredKeptOrRetypedAsCustomWithoutItemInfo() {
        CRecipeDlg* dlg = Open(QStringLiteral("C1"));
        QVERIFY(dlg);
        Grid* grid = dlg->Grid();
        // An empty item number removes a new row.
        AddIngredient(dlg, QString());
        QCOMPARE(grid->GetItemCount(), 0);
        QCOMPARE(dlg->CostText(), QStringLiteral("0.00"));

        QStringList shown;
        SetDispItemInfoFunction([&shown](const char* item, const char* customer, QWidget*, QWidget*) {
            shown << QString::fromLatin1(item).trimmed() + QLatin1Char('/') + QString::fromLatin1(customer);
            return 0;
        });
        AddIngredient(dlg, QStringLiteral("100200"));
        ClickCell(grid, 0, Grid::kColBrand);
        Click(dlg, kr::str::kItemInfo);
        QCOMPARE(shown, QStringList{QStringLiteral("100200/C1")});
        EditCell(grid, 0, Grid::kColItemCost, QStringLiteral("7.5"));

        // The item cell retyped and ended with Enter.
        auto retype = [&](const QString& text) {
            ClickCell(grid, 0, Grid::kColItem);
            QLineEdit* label = grid->GetEditControl();
            QVERIFY(label);
            label->setText(text);
            QTest::keyClick(label, Qt::Key_Return);
            QTest::qWait(0);
        };
        // An old row's number is required.
        QCOMPARE(Answered(QMessageBox::Ok, [&] { retype(QString()); }), kr::str::kItemNumberRequired);
        QCOMPARE(grid->GetCellText(0, Grid::kColItem).trimmed(), QStringLiteral("100200"));
        // The same number with other blanks changes nothing and asks nothing.
        retype(QStringLiteral("  100200 "));
        QCOMPARE(grid->GetCellText(0, Grid::kColItemCost), QStringLiteral("7.50"));

        QStringList asked;
        kt::AnswerAll({QMessageBox::Yes, QMessageBox::Yes}, &asked);
        retype(QStringLiteral("HOMEMIX"));
        QVERIFY(QTest::qWaitFor([&] { return asked.size() == 2; }));
        QCOMPARE(asked, (QStringList{kr::str::kOverwriteItem, kr::str::kAddCustomItem}));
        CMenuItemDetail line;
        QVERIFY(grid->GetLine(0, line));
        QVERIFY(!line.IsFromItemMaster()); // never stored or priced as the flour any more
        QCOMPARE(line.m_dItemCost, 7.5);
        QCOMPARE(grid->GetCellText(0, Grid::kColBrand), QString());
        QCOMPARE(grid->GetColumnStatus(Grid::kColUnit)->m_nEditKind, int(CColumnStatus::FreeText));
        QVERIFY(dlg->IsModified());
        ClickCell(grid, 0, Grid::kColBrand);
        QTest::mouseClick(dlg->Button(kr::str::kItemInfo), Qt::LeftButton);
        QCOMPARE(shown.size(), 1); // a custom line has no item master record to show
    }

    void keyboardAloneMovesThroughTheCellsEveryControlIsNamedAndTheLayoutResizes() {
        CRecipeDlg* dlg = Open(QStringLiteral("C1"));
        QVERIFY(dlg);
        Grid* grid = dlg->Grid();
        AddIngredient(dlg, QStringLiteral("100200"));
        // Arrow keys to the Item Cost cell, Enter opens it; Tab moves on to the next editable cell.
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_Home);
        for (int i = 0; i < Grid::kColItemCost; ++i)
            QTest::keyClick(grid, Qt::Key_Right);
        QTest::keyClick(grid, Qt::Key_Return);
        auto* cost = qobject_cast<QLineEdit*>(grid->GetInPlaceEditor());
        QVERIFY(cost);
        QTest::keyClicks(cost, QStringLiteral("9"));
        QTest::keyClick(cost, Qt::Key_Tab);
        auto* next = qobject_cast<QLineEdit*>(grid->GetInPlaceEditor());
        QVERIFY(next);
        QTest::keyClicks(next, QStringLiteral("5"));
        QTest::keyClick(next, Qt::Key_Tab);
        // Ptn Cost has no editor: the portion type's drop-down is next.
        auto* combo = qobject_cast<QComboBox*>(grid->GetInPlaceEditor());
        QVERIFY(combo);
        QTest::keyClick(combo, Qt::Key_Escape);
        QCOMPARE(grid->GetCellText(0, Grid::kColItemCost), QStringLiteral("9.00"));
        QCOMPARE(grid->GetCellText(0, Grid::kColPtnPerItem), QStringLiteral("5"));
        QCOMPARE(grid->GetCellText(0, Grid::kColPtnCost), QStringLiteral("1.80"));
        QCOMPARE(dlg->CostText(), QStringLiteral("1.80"));

        ExpectAccessibleNames(dlg);
        // Tab goes through the header, the cost block, the grid, the notes and the commands.
        QStringList order;
        QWidget* w = Named<QLineEdit>(dlg, QStringLiteral("Recipe Name"));
        for (int i = 0; i < 40 && order.size() < 19; w = w->nextInFocusChain(), ++i)
            if (w->isVisible() && (w->focusPolicy() & Qt::TabFocus) &&
                !qobject_cast<QComboBox*>(w->parentWidget()))
                order << w->accessibleName();
        QCOMPARE(
            order.join(QLatin1Char('|')),
            QStringLiteral("Recipe Name|Recipe ID|Recipe Category|Sell Price|Desired Food Cost %|Ingredients|"
                           "Notes|Add Ingredient|Delete Ingredient|Item Info|Save Recipe|Copy To ...|Print|"
                           "New Recipe|Export To ...|Conversion Chart|Quit|New Customer|About Recipe..."));
        dlg->resize(700, 420);
        QTest::qWait(20);
        dlg->grab().save(ScreenshotPath(QStringLiteral("recipe_editor_small")));
        QVERIFY(dlg->Grid()->height() > 60);
        QVERIFY(dlg->Button(kr::str::kQuit)->geometry().right() <= dlg->width());
        dlg->resize(1400, 800);
        QTest::qWait(20);
        dlg->grab().save(ScreenshotPath(QStringLiteral("recipe_editor_large")));
        QVERIFY(dlg->Grid()->width() > 1200);
    }

    void demoDatabaseRoundTrip() {
        namespace fs = std::filesystem;
        const fs::path demo = m_dir->path() / "demo";
        QVERIFY(kdb::BuildDemo(demo.string(), KR_DEMO_DATA));
        fs::current_path(demo);
        CCustomer first;
        {
            CCustomerDB customers;
            QCOMPARE(customers.OpenFile(), 0);
            QCOMPARE(customers.GetFirstRecord(first, 0), 0);
        }
        const QString customer = QString::fromStdString(TrimRight(first.m_strNumber));
        // The demo customer has recipes: the selection lists them, and the first opens priced.
        auto chosen = kt::EditRecipe();
        CRecipeDlg* dlg = Open(customer);
        QVERIFY(dlg);
        QVERIFY(kt::WaitFor(chosen));
        QVERIFY(!dlg->RecipeKey().empty());
        QVERIFY(dlg->Grid()->GetItemCount() >= 1);
        for (int row = 0; row < dlg->Grid()->GetItemCount(); ++row)
            QVERIFY(!dlg->Grid()->GetCellText(row, Grid::kColRecipeCost).isEmpty());
        // A new recipe for the same customer: "Create New Recipe" in the selection.
        auto fresh = kt::NewRecipe();
        dlg = Open(customer);
        QVERIFY(dlg);
        QVERIFY(kt::WaitFor(fresh));
        Grid* grid = dlg->Grid();
        QCOMPARE(grid->GetItemCount(), 0);
        AddIngredient(dlg, QStringLiteral("10101"));
        // The item master's description is cut to what a line record holds.
        QCOMPARE(grid->GetCellText(0, Grid::kColDescription),
                 QStringLiteral("CHICKEN BREAST BNLS SKNLS 6 OZ"));
        auto picked = kt::SelectItem(0);
        AddIngredient(dlg, QStringLiteral("chicken"));
        QVERIFY(kt::WaitFor(picked));
        QCOMPARE(grid->GetItemCount(), 2);
        QVERIFY(grid->GetCellText(1, Grid::kColDescription).contains(QStringLiteral("CHICKEN")));
        QCOMPARE(kt::SaveRecipe(dlg), kr::str::kRecipeSaved);
        const QStringList rows = Rows(grid);
        auto reopened = kt::EditRecipe(QStringLiteral("NEW RECIPE"));
        QTest::mouseClick(dlg->Button(kr::str::kNewRecipeButton), Qt::LeftButton);
        QVERIFY(kt::WaitFor(reopened));
        QCOMPARE(Rows(grid), rows);
        dlg->grab().save(ScreenshotPath(QStringLiteral("recipe_editor_demo")));
    }
};

QTEST_MAIN(RecipeEditorTest)
#include "test_recipe_dlg.moc"
