// Driving the recipe editor as a user does, for the editor's tests: its buttons, its cells and
// its fields by their accessible names; screenshots under the build folder.
#pragma once

#include "CMenuListCtrl.h"
#include "CRecipeDlg.h"
#include "Strings.h"

#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

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

// "Add Ingredient", then the item cell typed and ended with Enter.
inline void AddIngredient(CRecipeDlg* dlg, const QString& text) {
    Click(dlg, kr::str::kAddIngredient);
    QLineEdit* label = dlg->Grid()->GetEditControl();
    QVERIFY2(label, "the item editor did not open");
    QTest::keyClicks(label, text);
    QTest::keyClick(label, Qt::Key_Return);
    QTest::qWait(0); // the view ends its editor from the event loop
}

} // namespace kt
