// Driving the recipe editor as a user does, for the editor's tests: its buttons, its cells and
// its fields by their accessible names; screenshots under the build folder.
#pragma once

#include "CItemSelectionDlg.h"
#include "CMenuListCtrl.h"
#include "CRecipeDlg.h"
#include "CRecipeSelect.h"
#include "ItemLookupDB.h"
#include "ModalDriver.h"
#include "RecipeFiles.h"
#include "Strings.h"
#include "fixtures.h"

#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <functional>
#include <memory>

namespace kt {

inline QString ScreenshotPath(const QString& name) {
    const QString dir = QStringLiteral(KR_SCREENSHOT_DIR);
    QDir().mkpath(dir);
    return dir + QLatin1Char('/') + name + QStringLiteral(".png");
}

// A control found as a screen reader finds it: by its accessible name.
template <class T> T* Named(QWidget* dlg, const QString& name) {
    for (T* w : dlg->findChildren<T*>())
        if (w->accessibleName() == name) return w;
    return nullptr;
}

// A new editor for the customer, shown; null when it never comes up on the screen.
inline CRecipeDlg* OpenEditor(std::unique_ptr<CRecipeDlg>& holder, const QString& customer) {
    holder = std::make_unique<CRecipeDlg>(customer);
    holder->show();
    if (!QTest::qWaitForWindowExposed(holder.get())) return nullptr;
    return holder.get();
}

inline QPoint CellCentre(CMenuListCtrl* grid, int row, int col) {
    return grid->visualRect(grid->model()->index(row, col)).center();
}

inline void ClickCell(CMenuListCtrl* grid, int row, int col) {
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, CellCentre(grid, row, col));
}

// Types into the open in-place editor of a cell and ends it with the key.
inline void EditCell(CMenuListCtrl* grid, int row, int col, const QString& text,
                     Qt::Key end = Qt::Key_Return) {
    ClickCell(grid, row, col);
    auto* ed = qobject_cast<QLineEdit*>(grid->GetInPlaceEditor());
    QVERIFY2(ed, "no editor opened on the cell");
    QTest::keyClicks(ed, text);
    QTest::keyClick(ed, end);
}

// Clicks one of the editor's buttons, which must be there and enabled.
inline void Click(CRecipeDlg* dlg, const QString& caption) {
    QPushButton* b = dlg->Button(caption);
    QVERIFY2(b && b->isEnabled(), qPrintable(caption));
    QTest::mouseClick(b, Qt::LeftButton);
}

// What the message box that the action brings up said, answered with the button; kNoMessageBox
// when none came. `look` sees the box before it is answered.
inline const QString kNoMessageBox = QStringLiteral("<no message box>");
inline QString Answered(QMessageBox::StandardButton button, const std::function<void()>& action,
                        std::function<void(QMessageBox*)> look = {}) {
    auto text = std::make_shared<QString>(kNoMessageBox);
    auto done = std::make_shared<bool>(false);
    WhenModal<QMessageBox>([=](QMessageBox* box) {
        *text = box->text();
        if (look) look(box);
        *done = true;
        kt::Click(box, button);
    });
    action();
    WaitFor(done);
    return *text;
}

// "Save Recipe", its message answered; what the message said.
inline QString SaveRecipe(CRecipeDlg* dlg) {
    return Answered(QMessageBox::Ok, [dlg] { Click(dlg, kr::str::kSaveRecipe); });
}

// "Add Ingredient", then the item cell typed and ended with Enter.
inline void AddIngredient(CRecipeDlg* dlg, const QString& text) {
    Click(dlg, kr::str::kAddIngredient);
    QLineEdit* label = dlg->Grid()->GetEditControl();
    QVERIFY2(label, "the item editor did not open");
    QTest::keyClicks(label, text);
    QTest::keyClick(label, Qt::Key_Return);
    QTest::qWait(0); // the view ends its editor from the event loop
}

// The editor's database: two customers; flour (BAG and CS), two beef items and sugar, priced by
// their unit's first pricing figure; "BEEF" finds both beef items, "SUGAR" the sugar.
inline void BuildEditorDatabase() {
    QCOMPARE(CheckRecipeFiles(), 0);
    kt::CreateCostingFiles();
    QCOMPARE(CItemLookupDB().Create("ITEMLKUP.DB"), 0);
    kt::AddWord("BEEF", "", 2, "500001,500002");
    kt::AddWord("SUGAR", "", 1, "600001");
    kt::AddCustomer("C1", "JOE'S DINER");
    kt::AddCustomer("C2", "ANNA'S CAFE");
    kt::AddItem({"100200", "FLOUR ALL PURPOSE", "MILLCO", "lbs", 25, {"BAG", "CS", ""}});
    kt::AddUnit({"100200", "BAG", 25.0f, 11340.0f, 12.125f, 0, 0});
    kt::AddUnit({"100200", "CS", 50.0f, 22680.0f, 23.0f, 0, 0});
    kt::AddItem({"500001", "BEEF GROUND", "RANCH", "PC", 10, {"CS", "", ""}});
    kt::AddUnit({"500001", "CS", 10.0f, 0, 40.0f, 0, 0});
    kt::AddItem({"500002", "BEEF STEW", "RANCH", "PC", 8, {"CS", "", ""}});
    kt::AddUnit({"500002", "CS", 8.0f, 0, 32.0f, 0, 0});
    kt::AddItem({"600001", "SUGAR WHITE", "SWEETCO", "PC", 100, {"BAG", "", ""}});
    kt::AddUnit({"600001", "BAG", 50.0f, 0, 30.0f, 0, 0});
}

// Clicks a row of a selection's list, then the button.
inline void PickRow(CMyListCtrl* list, int row, QAbstractButton* button) {
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualRect(list->model()->index(row, 1)).center());
    QTest::mouseClick(button, Qt::LeftButton);
}

// In the recipe selection about to open: "Edit Selected Recipe" on the first recipe, or on the first
// whose row shows `name`. The selection's picture is saved.
inline std::shared_ptr<bool> EditRecipe(const QString& name = {}) {
    return OnModal([name](QWidget* w) {
        auto* select = qobject_cast<CRecipeSelect*>(w);
        if (!select) return;
        select->grab().save(ScreenshotPath(QStringLiteral("recipe_select_from_editor")));
        CMyListCtrl* list = select->GetList();
        int row = 0;
        for (int r = 0; !name.isEmpty() && r < list->model()->rowCount(); ++r)
            if (list->GetCellText(r, 0).trimmed() == name || list->GetCellText(r, 1).trimmed() == name) {
                row = r;
                break;
            }
        PickRow(list, row, select->GetEditButton());
    });
}

// "Create New Recipe" in the recipe selection about to open.
inline std::shared_ptr<bool> NewRecipe() {
    return OnModal([](QWidget* w) {
        if (auto* select = qobject_cast<CRecipeSelect*>(w))
            QTest::mouseClick(select->GetNewButton(), Qt::LeftButton);
    });
}

// In the item selection about to open: the row, then "Select Item"; its picture under `shot`.
inline std::shared_ptr<bool> SelectItem(int row, const QString& shot = {}) {
    return OnModal([row, shot](QWidget* w) {
        auto* select = qobject_cast<CItemSelectionDlg*>(w);
        if (!select) return;
        if (!shot.isEmpty()) select->grab().save(ScreenshotPath(shot));
        PickRow(select->GetList(), row, select->GetSelectButton());
    });
}

} // namespace kt
