// The styled and sortable lists in real widgets, driven with mouse and key events.
#include "CInPlaceEdit.h"
#include "CInPlaceList.h"
#include "CMyListCtrl.h"

#include <QAbstractItemView>
#include <QHeaderView>
#include <QLineEdit>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QtTest>

namespace {

class RecordingList : public CMyListCtrl {
public:
    using CMyListCtrl::CMyListCtrl;
    QList<CEndLabelEdit> ends;
    QStringList labelTexts; // what the label editor held while its end was handled
    void OnEndLabelEdit(const CEndLabelEdit& info) override {
        ends.append(info);
        if (info.column == 0) labelTexts << (GetEditControl() ? GetEditControl()->text() : QString("<none>"));
        CMyListCtrl::OnEndLabelEdit(info);
    }
    void SetEditCell(int row, int col) {
        m_nEditRow = row;
        m_nEditCol = col;
    }
};

// A window with a list of six columns and three rows, plus a field to move the focus to.
struct Fixture {
    QWidget window;
    RecordingList* list;
    QLineEdit* other;

    Fixture() {
        auto* layout = new QVBoxLayout(&window);
        list = new RecordingList(&window);
        other = new QLineEdit(&window);
        layout->addWidget(list);
        layout->addWidget(other);
        list->AddColumn(0, "Item", LVCFMT_LEFT, 80);
        list->AddColumn(1, "Unit", LVCFMT_LEFT, 60, 1);
        list->AddColumn(2, "Description", LVCFMT_LEFT, 120, 2);
        list->AddColumn(3, "Cost", LVCFMT_RIGHT, 70, 3);
        list->AddColumn(4, "Qty", LVCFMT_RIGHT, 60, 4);
        list->AddColumn(5, "Type", LVCFMT_LEFT, 80, 5);
        list->AddRow({"100", "CS", "Beef", "42.10", "40", "OZ"});
        list->AddRow({"9", "LB", "Onions", "0.89", "4", "EACH"});
        list->AddRow({"10", "EA", "Buns", "3.25", "12", "EACH"});
        window.resize(600, 300);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
    }

    QPoint CellCenter(int row, int col) const {
        return list->visualRect(list->model()->index(row, col)).center();
    }
    void Click(int row, int col) {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, CellCenter(row, col));
    }
    void ClickHeader(int col) {
        QHeaderView* h = list->horizontalHeader();
        QTest::mouseClick(h->viewport(), Qt::LeftButton, {},
                          QPoint(h->sectionViewportPosition(col) + 5, h->height() / 2));
    }
    QStringList Column(int col) const {
        QStringList out;
        for (int r = 0; r < list->GetItemCount(); ++r)
            out << list->GetCellText(r, col);
        return out;
    }
    CInPlaceEdit* Edit() const { return qobject_cast<CInPlaceEdit*>(list->GetInPlaceEditor()); }
    // Turns editing on with the kind of editor for each column given.
    void Editable(std::initializer_list<std::pair<int, int>> kinds) {
        list->SetEditLabels(true);
        for (auto [col, kind] : kinds)
            list->SetColumnEditKind(col, kind);
    }
    // Clicks the cell, types into its editor and ends with key (none: the editor stays open).
    void Type(int row, int col, const QString& text, Qt::Key key = Qt::Key_unknown) {
        Click(row, col);
        QVERIFY(Edit());
        QTest::keyClicks(Edit(), text);
        if (key != Qt::Key_unknown) QTest::keyClick(Edit(), key);
    }
    CInPlaceList* Drop() const { return qobject_cast<CInPlaceList*>(list->GetInPlaceEditor()); }
};

QColor Pixel(QAbstractItemView* view, const QModelIndex& idx) {
    const QImage img = view->viewport()->grab().toImage();
    const QRect r = view->visualRect(idx);
    return img.pixelColor(r.right() - 2, r.center().y());
}

} // namespace

class TestListCtrl : public QObject {
    Q_OBJECT

private slots:
    void rowColourPaintsUnderCellsExceptBit128AndSelectionKeepsBold() {
        Fixture f;
        CListCtrlStyled* l = f.list;
        l->SetRowBkColor(0, QColor(200, 255, 255), false);
        l->SetRowStyle(0, kStyleBkColor, false);
        l->SetCellStyle(0, 2, kStyleNoRow);
        l->SetTextBkColor(QColor(217, 245, 245));
        QCOMPARE(Pixel(l, l->model()->index(0, 1)), QColor(200, 255, 255));
        QCOMPARE(Pixel(l, l->model()->index(0, 5)), QColor(200, 255, 255));
        QCOMPARE(Pixel(l, l->model()->index(0, 2)), QColor(217, 245, 245));
        QCOMPARE(Pixel(l, l->model()->index(1, 1)), QColor(217, 245, 245));

        l->SetRowBkColor(1, QColor(175, 255, 175));
        l->SetRowStyle(1, kStyleBkColor);
        l->SetCellStyle(1, 0, kStyleBold);
        l->SelectRow(1);
        f.other->setFocus();
        QCOMPARE(Pixel(l, l->model()->index(1, 3)), l->GetHighlightColor());
        const CResolvedStyle look = l->GetCellLook(1, 0);
        QCOMPARE(look.text, l->GetHighlightTextColor());
        QVERIFY(look.font && look.font->bold());
        l->SelectRow(1, false);
        QCOMPARE(Pixel(l, l->model()->index(1, 3)), QColor(175, 255, 175));
        QCOMPARE(l->model()->data(l->model()->index(1, 0), Qt::FontRole).value<QFont>().bold(), true);
    }

    // Row data reaches the comparison and moves with its row; a column inserted later shifts the
    // cells and their styles right.
    void rowDataFollowsSortingAndInsertedColumnsShiftCells() {
        CListCtrlStyled l;
        l.InsertColumn(0, "A", LVCFMT_LEFT, 50);
        l.InsertColumn(1, "C", LVCFMT_LEFT, 50);
        l.InsertItem(0, "c", 30);
        l.InsertItem(1, "a", 10);
        l.InsertItem(2, "b", 20);
        l.InsertItem(3, "none");
        QVERIFY(l.SetItemData(3, 5)); // a row inserted without data can still take some
        QList<quintptr> seen;
        QVERIFY(l.SortItems([&](quintptr a, quintptr b) {
            seen << a << b;
            return a < b ? -1 : a > b ? 1 : 0;
        }));
        QVERIFY(seen.contains(10) && seen.contains(20) && seen.contains(30) && seen.contains(5));
        QCOMPARE(l.GetItemText(0, 0), QString("none"));
        QCOMPARE(l.GetItemText(1, 0), QString("a"));
        QCOMPARE(l.GetItemData(3), quintptr(30));

        l.SetItemText(3, 1, "c");
        l.SetCellStyle(3, 1, kStyleItalic);
        QCOMPARE(l.InsertColumn(1, "B", LVCFMT_LEFT, 50), 1);
        QCOMPARE(l.GetItemText(3, 2), QString("c"));
        QCOMPARE(l.GetCellStyle(3, 2), quint32(kStyleItalic));
        QCOMPARE(l.GetItemText(3, 1), QString());
        QCOMPARE(l.InsertColumn(-1, "X"), -1);
    }

    void sortedInsertShortOrLongRowsAndBadIndexes() {
        Fixture f;
        CMyListCtrl* l = f.list;
        // Fewer texts than columns: the rest are empty; more: the rest are ignored.
        const int r = l->AddRow({"1"});
        QCOMPARE(l->GetCellText(r, 5), QString());
        const int s = l->AddRow({"1", "2", "3", "4", "5", "6", "7", "8"});
        QCOMPARE(l->GetCellText(s, 5), QString("6"));
        QVERIFY(l->DeleteRow(r));
        QCOMPARE(l->GetCellText(r, 5), QString("6"));
        l->DeleteAllRows();
        l->SetSortAscending(true);
        QCOMPARE(l->AddRow({"B"}), 0);
        QCOMPARE(l->AddRow({"C"}), 1);
        QCOMPARE(l->AddRow({"A"}), 0);
        QCOMPARE(f.Column(0), QStringList({"A", "B", "C"}));
        l->SetSortAscending(false);
        // Rows and columns that do not exist are refused, never a crash.
        QVERIFY(!l->SetCellText(9, 0, "x"));
        QVERIFY(!l->SetCellText(0, 17, "x"));
        QVERIFY(!l->SetRowData(5, 1));
        QCOMPARE(l->GetRowData(5), quintptr(0));
        QVERIFY(!l->SetCellStyle(-1, 0, kStyleBold));
        QVERIFY(!l->SetRowBkColor(99, Qt::red));
        QVERIFY(!l->SetCellTextColor(0, 99, Qt::red));
        QCOMPARE(l->GetItemText(-3, 0), QString());
        QVERIFY(!l->EditSubLabel(99, 1, CColumnStatus::FreeText));
        QVERIFY(!l->EditSubLabel(0, 99, CColumnStatus::FreeText));
        QVERIFY(!l->ShowInPlaceList(0, -1, {"a"}, 0));
        QVERIFY(!l->DeleteRow(-1));
        l->SortByColumn(42, true);
        QCOMPARE(l->GetItemCount(), 3);
        // Columns too narrow for an editor.
        l->SetColumnWidth(1, 4);
        QVERIFY(!l->EditSubLabel(0, 1, CColumnStatus::FreeText));
        l->SetColumnWidth(1, 9);
        QVERIFY(!l->ShowInPlaceList(0, 1, {"a"}, 0));
        QVERIFY(l->EditSubLabel(0, 1, CColumnStatus::FreeText));
    }

    void headerClicksSortNumbersAndToggleOnceAskedTo() {
        Fixture f;
        CMyListCtrl* l = f.list;
        l->SetRowData(0, 100);
        l->SetRowData(1, 9);
        l->SetRowData(2, 10);
        f.ClickHeader(0);
        QCOMPARE(f.Column(0), QStringList({"100", "9", "10"})); // sorting is off until asked for
        QCOMPARE(l->GetSortColumn(), -1);
        l->m_bSortOnHeaderClick = true;
        f.ClickHeader(0);
        QCOMPARE(f.Column(0), QStringList({"9", "10", "100"}));
        QCOMPARE(l->GetRowData(0), quintptr(9));
        QCOMPARE(l->GetRowData(2), quintptr(100));
        f.ClickHeader(0);
        QCOMPARE(f.Column(0), QStringList({"100", "10", "9"}));
        QCOMPARE(l->GetRowData(0), quintptr(100));
        f.ClickHeader(2);
        QCOMPARE(f.Column(2), QStringList({"Beef", "Buns", "Onions"}));
        QCOMPARE(l->GetSortColumn(), 2);
        QVERIFY(l->GetSortAscending());
    }

    // Without SetEditLabels no cell opens an editor; with it, column 0 edits the row's label (its
    // registered kind notwithstanding) and other columns only the kind registered for them.
    void editorsOpenOnlyWhereAllowedAndColumn0EditsTheLabel() {
        Fixture f;
        f.list->SetColumnEditKind(0, CColumnStatus::IntegerText);
        f.list->SetColumnEditKind(1, CColumnStatus::FreeText);
        f.list->SetColumnChoices(5, {"EACH", "OZ"});
        for (int c : {0, 1, 5}) {
            f.Click(0, c);
            QVERIFY(!f.list->GetInPlaceEditor());
            QVERIFY(!f.list->GetEditControl());
        }
        f.list->SetEditLabels(true);
        f.Click(0, 2); // not registered
        QVERIFY(!f.list->GetInPlaceEditor());
        f.list->SetColumnEditKind(2, CColumnStatus::NotEditable);
        f.Click(0, 2);
        QVERIFY(!f.list->GetInPlaceEditor());

        f.Click(1, 0);
        QVERIFY(!f.list->GetInPlaceEditor());
        QLineEdit* label = f.list->GetEditControl();
        QVERIFY(label);
        QCOMPARE(label->selectedText(), QString("9"));
        QTest::keyClicks(label, "AB12");
        QTest::keyClick(label, Qt::Key_Return);
        QTRY_COMPARE(f.list->ends.size(), 1);
        QCOMPARE(f.list->ends[0].column, 0);
        QCOMPARE(f.list->ends[0].text, std::optional<QString>("AB12"));
        QCOMPARE(f.list->GetCellText(1, 0), QString("AB12"));
        QCOMPARE(f.list->labelTexts, QStringList({"AB12"}));

        f.Click(2, 0);
        QVERIFY(f.list->GetEditControl());
        QTest::keyClicks(f.list->GetEditControl(), "zz");
        QTest::keyClick(f.list->GetEditControl(), Qt::Key_Escape);
        QTRY_COMPARE(f.list->ends.size(), 2);
        QVERIFY(f.list->ends[1].IsCancelled());
        QCOMPARE(f.list->GetCellText(2, 0), QString("10"));
    }

    void editBoxSitsInItsCellWidensWithinTheListAndScrollsIntoView() {
        Fixture f;
        f.Editable({{3, CColumnStatus::RealText}});
        f.Click(0, 3);
        CInPlaceEdit* ed = f.Edit();
        QVERIFY(ed);
        QCOMPARE(ed->x(), f.list->columnViewportPosition(3) + 4);
        QCOMPARE(ed->width(), 70 - 3);
        QVERIFY(ed->alignment() & Qt::AlignRight);
        QCOMPARE(ed->GetInputFilter(), 2);
        QCOMPARE(ed->selectedText(), QString("42.10"));
        QTest::keyClicks(ed, "123456789012345678901234");
        QVERIFY(ed->width() > 70 - 3);
        QVERIFY(ed->geometry().right() < f.list->viewport()->width());
        QTest::keyClick(ed, Qt::Key_Escape);

        // A column out of sight is scrolled to.
        f.window.resize(250, 300);
        QTRY_VERIFY(f.list->viewport()->width() < 300);
        ed = f.list->EditSubLabel(0, 5, CColumnStatus::FreeText);
        QVERIFY(ed);
        QVERIFY(f.list->horizontalScrollBar()->value() > 0);
        QCOMPARE(ed->x(), f.list->columnViewportPosition(5) + 4);
        QVERIFY(ed->x() >= 0 && ed->geometry().right() < f.list->viewport()->width());
    }

    // Escape cancels; Enter, the focus leaving, a click elsewhere or scrolling keep the text.
    void escapeCancelsEverythingElseEndingTheEditKeepsIt() {
        Fixture f;
        for (int i = 0; i < 40; ++i)
            f.list->AddRow({QString::number(i), "u", "d", "1", "2", "OZ"});
        f.Editable({{2, CColumnStatus::FreeText}});

        f.Type(0, 2, "Veal", Qt::Key_Escape);
        QCOMPARE(f.list->GetCellText(0, 2), QString("Beef"));
        QVERIFY(f.list->ends.last().IsCancelled());
        f.Type(0, 2, "Veal", Qt::Key_Return);
        QCOMPARE(f.list->GetCellText(0, 2), QString("Veal"));
        QVERIFY(!f.Edit());
        f.Type(1, 2, "Leeks");
        f.other->setFocus();
        QCOMPARE(f.list->GetCellText(1, 2), QString("Leeks"));
        f.Type(2, 2, "Rolls");
        f.Click(0, 4);
        QCOMPARE(f.list->GetCellText(2, 2), QString("Rolls"));
        QCoreApplication::processEvents();

        f.Type(0, 2, "Brisket");
        f.list->verticalScrollBar()->setValue(10);
        QCOMPARE(f.list->GetCellText(0, 2), QString("Brisket"));
        f.Type(12, 2, "Flank");
        f.list->horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(f.list->GetCellText(12, 2), QString("Flank"));
        QVERIFY(!f.list->GetInPlaceEditor());
    }

    void tabMovesToNextEditableCellAndStopsAtLast() {
        Fixture f;
        f.Editable(
            {{1, CColumnStatus::FreeText}, {2, CColumnStatus::NotEditable}, {3, CColumnStatus::RealText}});
        f.Type(1, 1, "KG", Qt::Key_Tab);
        QCOMPARE(f.list->GetCellText(1, 1), QString("KG"));
        CInPlaceEdit* next = f.Edit();
        QVERIFY(next);
        QCOMPARE(next->GetRow(), 1);
        QCOMPARE(next->GetColumn(), 3);
        QCOMPARE(next->GetInputFilter(), 2);
        QTest::keyClicks(next, "1.25");
        QTest::keyClick(next, Qt::Key_Tab);
        QCOMPARE(f.list->GetCellText(1, 3), QString("1.25"));
        QVERIFY(!f.Edit() || !f.Edit()->isVisible());
        QCoreApplication::processEvents();
        QVERIFY(!f.list->GetInPlaceEditor());
        // Enter ends without moving on.
        f.Type(2, 1, "", Qt::Key_Return);
        QCoreApplication::processEvents();
        QVERIFY(!f.list->GetInPlaceEditor());
        // Tab reaching the list opens the first editable cell from the edit column on.
        f.list->setFocus();
        f.list->SetEditCell(2, 2);
        QTest::keyClick(f.list, Qt::Key_Tab);
        QVERIFY(f.Edit());
        QCOMPARE(f.Edit()->GetRow(), 2);
        QCOMPARE(f.Edit()->GetColumn(), 3);
    }

    void integerAndRealFiltersRefuseKeystrokes() {
        Fixture f;
        f.Editable({{4, CColumnStatus::IntegerText}, {3, CColumnStatus::RealText}});

        f.Type(0, 4, "12a");
        QCOMPARE(f.Edit()->text(), QString("12"));
        QCOMPARE(f.Edit()->cursorPosition(), 2);
        f.Edit()->selectAll();
        QTest::keyClicks(f.Edit(), "21474836470");
        QCOMPARE(f.Edit()->text(), QString("2147483647"));
        QTest::keyClick(f.Edit(), Qt::Key_Home);
        QTest::keyClick(f.Edit(), Qt::Key_Minus);
        QCOMPARE(f.Edit()->text(), QString("-2147483647"));
        QTest::keyClick(f.Edit(), Qt::Key_Return);
        QCOMPARE(f.list->GetCellText(0, 4), QString("-2147483647"));

        f.Type(1, 3, "13");
        QTest::keyClick(f.Edit(), Qt::Key_Left);
        QTest::keyClicks(f.Edit(), "e.");
        QCOMPARE(f.Edit()->text(), QString("1e3"));
        // A refused keystroke over a selection brings the selection back.
        f.Edit()->setSelection(0, 1);
        QTest::keyClicks(f.Edit(), "x");
        QCOMPARE(f.Edit()->text(), QString("1e3"));
        QCOMPARE(f.Edit()->selectedText(), QString("1"));
        f.Edit()->selectAll();
        QTest::keyClicks(f.Edit(), "-");
        QCOMPARE(f.Edit()->text(), QString("1e3"));
        QTest::keyClick(f.Edit(), Qt::Key_Return);
        QCOMPARE(f.list->GetCellText(1, 3), QString("1e3"));
    }

    // The drop-down preselects the cell's text, commits a pick at once, and is 20 wider to the left
    // with more than five choices.
    void dropDownPicksCommitEscapeCancelsAndManyChoicesWiden() {
        Fixture f;
        f.list->SetEditLabels(true);
        f.list->SetColumnChoices(5, {"EACH", "OZ", "LB"});
        f.Click(0, 5);
        CInPlaceList* drop = f.Drop();
        QVERIFY(drop);
        QCOMPARE(drop->currentText(), QString("OZ"));
        QCOMPARE(drop->GetDroppedWidth(), 80);
        const QRect few = drop->geometry();
        QCOMPARE(few.left(), f.list->columnViewportPosition(5) + 4 - 5);
        QTest::keyClick(drop, Qt::Key_Escape);
        QCoreApplication::processEvents();
        QCOMPARE(f.list->GetCellText(0, 5), QString("OZ"));
        QVERIFY(f.list->ends.last().IsCancelled());

        f.list->SetColumnChoices(5, {"A", "B", "C", "D", "E"});
        f.Click(0, 5);
        QVERIFY(f.Drop());
        QCOMPARE(f.Drop()->geometry(), few);
        QTest::keyClick(f.Drop(), Qt::Key_Escape);
        QCoreApplication::processEvents();
        f.list->SetColumnChoices(5, {"EACH", "OZ", "LB", "D", "E", "F"});
        f.Click(1, 5);
        drop = f.Drop();
        QVERIFY(drop);
        QCOMPARE(drop->geometry().left(), few.left() - 20);
        QCOMPARE(drop->geometry().right(), few.right());
        drop->showPopup();
        QAbstractItemView* popup = drop->view();
        QTRY_VERIFY(popup->isVisible());
        popup->setCurrentIndex(popup->model()->index(2, 0));
        QTest::keyClick(popup, Qt::Key_Return);
        QTRY_COMPARE(f.list->GetCellText(1, 5), QString("LB"));
        QTRY_VERIFY(!f.list->GetInPlaceEditor());
    }
};

QTEST_MAIN(TestListCtrl)
#include "test_list_ctrl.moc"
