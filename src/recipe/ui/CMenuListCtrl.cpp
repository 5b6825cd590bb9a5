#include "CMenuListCtrl.h"

#include "CInPlaceEdit.h"
#include "CInPlaceList.h"
#include "CItemSearch.h"
#include "CItemSelectionDlg.h"
#include "CRecipe.h"
#include "Costing.h"
#include "DbContext.h"
#include "ItemDB.h"
#include "StatusMessage.h"
#include "Strings.h"
#include "Text1252.h"

#include <QApplication>
#include <QChildEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QTimer>

namespace {

constexpr int kNotFound = 4;
constexpr int kItemWidth = 12;
constexpr int kUnitWidth = 3;
constexpr int kDescriptionWidth = 30;

const QColor kOverridden(240, 100, 100);

QString Q(const std::string& text) {
    return FromCp1252(text);
}

std::string PadRight(std::string text, size_t width) {
    if (text.size() < width) text.resize(width, ' ');
    return text;
}

// Longest text each editable column's record field holds; -1 for numbers (their own filter).
int FieldWidth(int column) {
    switch (column) {
    case CMenuListCtrl::kColUnit:
        return kUnitWidth;
    case CMenuListCtrl::kColDescription:
        return kDescriptionWidth;
    default:
        return -1;
    }
}

} // namespace

CMenuListCtrl::CMenuListCtrl(QWidget* parent, std::string directory)
    : CMyListCtrl(parent), m_lines(directory), m_strDirectory(std::move(directory)) {
    m_lines.SetDisplayHandler([this](int index) {
        const int row = RowOfIndex(index);
        if (const CMenuItemDetail* line = m_lines.Line(index); line && row >= 0) DisplayLine(row, *line);
    });
    m_lines.SetRecalcHandler([this](int user) { emit Recalc(user); });
    // In-place editors are children of the viewport: they get the field's limits when shown.
    viewport()->installEventFilter(this);
}

CMenuListCtrl::~CMenuListCtrl() = default;

void CMenuListCtrl::InitPortionTypes() {
    const bool first = m_lines.GetPortionTypes().empty();
    m_lines.InitPortionTypes();
    if (!first) return;
    QStringList names;
    for (const CPortionInfo& type : m_lines.GetPortionTypes())
        names << Q(type.m_strName);
    SetColumnChoices(kColPtnType, names);
}

int CMenuListCtrl::RowOfIndex(int index) const {
    for (int row = 0; row < GetItemCount(); ++row)
        if (static_cast<int>(GetRowData(row)) == index) return row;
    return -1;
}

int CMenuListCtrl::IndexOfRow(int row) const {
    if (row < 0 || row >= GetItemCount()) return -1;
    return static_cast<int>(GetRowData(row));
}

int CMenuListCtrl::AddLine(const std::string& item, const std::string& unit, const std::string& description,
                           double itemCost, double ptnPerItem, const std::string& ptnType, double ptns) {
    const int index = m_lines.AddLine(item, unit, description, itemCost, ptnPerItem, ptnType, ptns);
    const CMenuItemDetail* line = m_lines.Line(index);
    const int row = AddRow({Q(line->m_strItem)});
    if (row < 0) {
        m_lines.RemoveLine(index);
        return -1;
    }
    SetRowData(row, static_cast<quintptr>(index));
    DisplayLine(row, *line);
    return row;
}

void CMenuListCtrl::DisplayLine(int row, const CMenuItemDetail& line) {
    const LineTexts t = FormatLine(line, m_lines.GetSellPrice());
    const std::string* texts[] = {&t.unit,    &t.description, &t.brand, &t.itemCost,   &t.ptnPerItem,
                                  &t.ptnCost, &t.ptnType,     &t.ptns,  &t.recipeCost, &t.foodCostPercent};
    for (int c = kColUnit; c < kColumns; ++c)
        SetCellText(row, c, Q(*texts[c - 1]));

    SetCellStyle(row, kColItem,
                 line.IsFromItemMaster() ? kStyleTextColor : kStyleTextColor | kStyleBold | kStyleItalic,
                 false);
    const auto mark = [&](int column, bool differs) {
        if (differs) {
            SetCellTextColor(row, column, kOverridden, false);
            SetCellStyle(row, column, kStyleTextColor | kStyleBold, false);
        } else {
            SetCellTextColor(row, column, GetTextColor(), false);
            SetCellStyle(row, column, kStyleTextColor, false);
        }
    };
    mark(kColItemCost, line.m_dItemCost != line.m_dDefaultItemCost);
    mark(kColPtnPerItem, line.m_dPtnPerItem != line.m_dDefaultPtnPerItem);
    mark(kColPtnType, line.m_strPtnType != line.m_strDefaultPtnType);
    StyledModel()->RowChanged(row);
}

void CMenuListCtrl::SetSellPrice(double sellPrice) {
    m_lines.SetSellPrice(sellPrice); // redisplays every line when the price changed
}

bool CMenuListCtrl::GetLine(int row, CMenuItemDetail& line) const {
    return m_lines.GetLine(IndexOfRow(row), line);
}

bool CMenuListCtrl::GetSelectedLine(CMenuItemDetail& line) const {
    const int row = GetFirstSelectedRow();
    return row >= 0 && GetLine(row, line);
}

void CMenuListCtrl::RemoveRowAndLine(int row) {
    m_lines.RemoveLine(IndexOfRow(row));
    DeleteRow(row);
}

bool CMenuListCtrl::DeleteSelectedLine() {
    const int row = GetFirstSelectedRow();
    if (row < 0) return false;
    const QString text =
        kr::str::kConfirmDeleteLine.arg(GetCellText(row, kColItem), GetCellText(row, kColDescription));
    if (QMessageBox::question(this, kr::str::kRecipeCaption, text, QMessageBox::Yes | QMessageBox::No) !=
        QMessageBox::Yes)
        return false;
    RemoveRowAndLine(row);
    return true;
}

void CMenuListCtrl::ClearLines() {
    DeleteAllRows();
    m_lines.ClearLines();
}

bool CMenuListCtrl::LoadItemDefaults(int row, const std::string& item, const std::string& unit) {
    return m_lines.LoadItemDefaults(IndexOfRow(row), item, unit);
}

void CMenuListCtrl::UpdateUnitEditor(const CMenuItemDetail& line) {
    const auto blank = [](const std::string& s) { return Trim(s).empty(); };
    if (line.m_strUnits[0].empty()) {
        SetColumnEditKind(kColUnit, CColumnStatus::FreeText);
        return;
    }
    if (blank(line.m_strUnits[1])) {
        SetColumnEditKind(kColUnit, CColumnStatus::NotEditable);
        return;
    }
    QStringList choices;
    if (!blank(line.m_strUnits[2])) choices << Q(line.m_strUnits[2]);
    choices << Q(line.m_strUnits[1]) << Q(line.m_strUnits[0]);
    SetColumnChoices(kColUnit, choices);
}

void CMenuListCtrl::ColourRows() {
    for (int row = 0; row < GetItemCount(); ++row) {
        SetRowBkColor(row, RowColour(row), false);
        SetRowStyle(row, kStyleBkColor, false);
    }
    viewport()->update();
}

QColor CMenuListCtrl::RowColour(int row) {
    return row % 2 == 0 ? QColor(200, 255, 255) : QColor(175, 255, 175);
}

void CMenuListCtrl::mousePressEvent(QMouseEvent* e) {
    // The unit column's editor depends on the line: set it before the click opens it.
    const auto [row, col] = HitTest(QPoint(5, e->position().toPoint().y()));
    (void)col;
    CMenuItemDetail line;
    if (row >= 0 && GetLine(row, line)) UpdateUnitEditor(line);
    CMyListCtrl::mousePressEvent(e);
}

bool CMenuListCtrl::OpenCell(int row, int column) {
    if (row < 0 || row >= GetItemCount() || !GetEditLabels()) return false;
    if (column == kColItem) return EditLabel(row);
    CMenuItemDetail line;
    if (GetLine(row, line)) UpdateUnitEditor(line);
    const CColumnStatus* e = GetColumnStatus(column);
    if (!e || e->m_nEditKind == CColumnStatus::NotEditable) return false;
    if (e->m_bHasChoices)
        return ShowInPlaceList(row, column, e->m_arrChoices,
                               int(e->m_arrChoices.indexOf(GetItemText(row, column))));
    return EditSubLabel(row, column, e->m_nEditKind) != nullptr;
}

void CMenuListCtrl::keyPressEvent(QKeyEvent* e) {
    const bool open = e->key() == Qt::Key_F2 || e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter ||
                      e->key() == Qt::Key_Space;
    // Keys an open editor passed on (its own Enter) are not a request for another editor.
    const bool editing = GetEditControl() || GetInPlaceEditor() || state() == QAbstractItemView::EditingState;
    if (open && !editing && e->modifiers() == Qt::NoModifier && currentIndex().isValid()) {
        if (OpenCell(currentIndex().row(), currentIndex().column())) return;
        QApplication::beep();
        return;
    }
    CMyListCtrl::keyPressEvent(e);
}

bool CMenuListCtrl::eventFilter(QObject* watched, QEvent* event) {
    if (watched == viewport() && event->type() == QEvent::ChildPolished) {
        QObject* child = static_cast<QChildEvent*>(event)->child();
        if (auto* ed = qobject_cast<CInPlaceEdit*>(child)) {
            const int width = FieldWidth(ed->GetColumn());
            if (width > 0) ed->setMaxLength(width);
            if (ed->GetInputFilter() == 0 && !ed->validator())
                ed->setValidator(new CCp1252Validator(width, ed));
        } else if (auto* label = qobject_cast<QLineEdit*>(child); label && label == GetEditControl()) {
            // The item cell takes a number or the words of a search.
            if (!label->validator()) label->setValidator(new CCp1252Validator(-1, label));
        }
    }
    return CMyListCtrl::eventFilter(watched, event);
}

void CMenuListCtrl::RestoreRow(int row) {
    CMenuItemDetail line;
    if (GetLine(row, line)) DisplayLine(row, line);
}

void CMenuListCtrl::ContinueAfter(int row, int column) {
    if (row < 0 || row >= GetItemCount()) return;
    for (int c = column + 1; c < GetColumnCount(); ++c)
        if (OpenCell(row, c)) return;
}

bool CMenuListCtrl::ChooseItem(const CItemSearch& found, const QString& typed, std::string* item,
                               std::string* unit) {
    CItemSelectionDlg dlg(this);
    for (int i = 0; i < found.GetCount(); ++i)
        dlg.AddItem(found.GetItemNumber(i), found.GetValidUnits(i), found.GetDescription(i));
    dlg.m_strMessage = kr::str::kFoundItems.arg(QString::asprintf("%d", found.GetCount()), typed);
    if (dlg.exec() != QDialog::Accepted) return false;
    std::string number, units;
    if (!ToCp1252(dlg.m_strSelectedItem, &number) || !ToCp1252(dlg.m_strSelectedUnit, &units)) return false;
    *item = number;
    *unit = units;
    return true;
}

// The typed number worth looking up: Escape keeps the line as it was, a new line left without a
// number goes away, and an item master line is replaced only when the user agrees.
bool CMenuListCtrl::AcceptTypedItem(int row, const CMenuItemDetail& line, const CEndLabelEdit& info,
                                    std::string* text) {
    QLineEdit* editor = GetEditControl();
    const QString typed = info.IsCancelled() ? QString() : editor->text();
    if (!ToCp1252(typed, text)) {
        QMessageBox::warning(this, kr::str::kRecipeCaption, kr::str::kTextNotStorable);
        return false;
    }
    if (Trim(*text).empty()) {
        if (Trim(line.m_strItem).empty())
            RemoveRowAndLine(row);
        else if (!info.IsCancelled())
            QMessageBox::warning(this, kr::str::kRecipeCaption, kr::str::kItemNumberRequired);
        return false;
    }
    if (Trim(*text) == Trim(line.m_strItem)) return false;
    return !line.IsFromItemMaster() ||
           QMessageBox::question(this, kr::str::kRecipeCaption, kr::str::kOverwriteItem,
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

// Not an item number: the words of the text are searched. None found offers a custom ingredient,
// one is taken, several are offered to choose from. Empty when the edit ends here.
std::optional<bool> CMenuListCtrl::ResolveBySearch(int row, int index, const std::string& text,
                                                   std::string& key) {
    CItemSearch search(m_strDirectory);
    const int count = search.Search(key);
    if (search.GetStatus() != 0) {
        // Finding nothing in files that could not be read is no reason to offer a custom item.
        m_lines.ResetLookupStatus();
        ShowStatusMessage(this, QMessageBox::Warning, kr::str::kRecipeCaption, kr::str::kSearchUnreadable,
                          search.GetStatus());
        if (count == 0) return std::nullopt;
    }
    if (count == 0) {
        if (Trim(text).size() > kItemWidth) {
            // A custom ingredient's number is stored in 12 characters: never cut it silently.
            QMessageBox::warning(this, kr::str::kRecipeCaption, kr::str::kItemNumberTooLong);
            QTimer::singleShot(0, this, [this, row] { EditLabel(row); });
            return std::nullopt;
        }
        const bool changed = QMessageBox::question(this, kr::str::kRecipeCaption, kr::str::kAddCustomItem,
                                                   QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
        if (!changed) QTimer::singleShot(0, this, [this, row] { EditLabel(row); });
        m_lines.MakeCustom(index, key);
        return changed;
    }
    if (count == 1) {
        m_lines.LoadItemDefaults(index, search.GetItemNumber(0), search.GetUnit(0));
        return true;
    }
    std::string chosen, unit;
    if (ChooseItem(search, Q(key), &chosen, &unit)) {
        key = chosen;
        return m_lines.LoadItemDefaults(index, chosen, unit);
    }
    if (Trim(text).size() <= kItemWidth) m_lines.MakeCustom(index, key);
    return true;
}

// An item number of the item master is taken as it is; anything else goes to the search.
std::optional<bool> CMenuListCtrl::ResolveTypedItem(int row, int index, const std::string& text,
                                                    std::string& key) {
    CItemDB items;
    int st = items.OpenIn(CDbContext(m_strDirectory));
    CItem item;
    if (st == 0) st = items.GetRecord(item, key);
    items.Close();
    if (st == 0) return m_lines.LoadItemDefaults(index, item.m_strItemNumber, item.m_arrUnits[0]);
    if (st == kNotFound) return ResolveBySearch(row, index, text, key);
    // An item master that cannot be read is no reason to offer a custom ingredient.
    m_lines.ResetLookupStatus(); // told here, once
    ShowStatusMessage(this, QMessageBox::Warning, kr::str::kRecipeCaption,
                      kr::str::kFileUnreadable.arg(QString::fromLatin1(items.GetFileName())), st);
    return std::nullopt;
}

void CMenuListCtrl::EndItemEdit(int row, int index, const CEndLabelEdit& info) {
    const CMenuItemDetail* line = m_lines.Line(index);
    if (!GetEditControl() || !line) return;
    const CMenuItemDetail before = *line;
    std::string text;
    if (!AcceptTypedItem(row, before, info, &text)) return;
    std::string key = PadRight(text, kItemWidth);
    const std::optional<bool> changed = ResolveTypedItem(row, index, text, key);
    if (!changed) return;

    line = m_lines.Line(index);
    SetCellText(row, kColItem, Q(line ? line->m_strItem : key));
    if (*changed && line) {
        SetCellText(row, kColUnit, Q(line->m_strUnit));
        UpdateUnitEditor(*line);
        setFocus(Qt::OtherFocusReason);
    }
    if (line && *line != before) emit Recalc(1);
}

void CMenuListCtrl::ReportLookupFailure() {
    const int status = m_lines.GetLookupStatus();
    if (status == 0) return;
    m_lines.ResetLookupStatus();
    ShowStatusMessage(this, QMessageBox::Warning, kr::str::kRecipeCaption, kr::str::kItemFilesUnreadable,
                      status);
}

void CMenuListCtrl::EndUnitEdit(int row, int index, bool hasLine, const CEndLabelEdit& info,
                                const std::string& text) {
    const bool dropDown = GetColumnStatus(kColUnit) && GetColumnStatus(kColUnit)->m_bHasChoices;
    CMyListCtrl::OnEndLabelEdit(info);
    if (!hasLine || info.IsCancelled()) return;
    if (!Trim(text).empty()) SetCellText(row, kColUnit, *info.text);
    if (m_lines.EditUnit(index, text) || m_lines.Line(index)->IsFromItemMaster()) {
        if (dropDown) ContinueAfter(row, kColUnit);
    }
    ReportLookupFailure();
}

void CMenuListCtrl::EndPtnTypeEdit(int row, int index, bool hasLine, const CEndLabelEdit& info,
                                   const std::string& text) {
    CMyListCtrl::OnEndLabelEdit(info);
    if (!hasLine || info.IsCancelled()) return;
    if (!Trim(text).empty()) SetCellText(row, kColPtnType, Q(TrimRight(text)));
    bool converted = false;
    m_lines.EditPortionType(index, text, &converted);
    if (converted) ContinueAfter(row, kColPtnType);
}

// The description and the typed figures: a value the line cannot take is refused and the row
// shows what it had.
void CMenuListCtrl::EndValueEdit(int row, int index, const CEndLabelEdit& info, const std::string& text) {
    const double number = LeadingNumber(text);
    bool ok = true;
    QString what;
    switch (info.column) {
    case kColDescription:
        ok = text.size() <= static_cast<size_t>(kDescriptionWidth);
        if (ok) m_lines.EditDescription(index, text);
        break;
    case kColItemCost:
        ok = IsValidAmount(number);
        what = QStringLiteral("Item Cost");
        if (ok) m_lines.EditItemCost(index, number);
        break;
    case kColPtnPerItem:
        ok = IsValidPortions(number);
        what = QStringLiteral("Ptn/Item");
        if (ok) m_lines.EditPtnPerItem(index, number);
        break;
    case kColPtns:
        ok = IsValidPortions(number);
        what = QStringLiteral("Ptns");
        if (ok) m_lines.EditPtns(index, number);
        break;
    default:
        RestoreRow(row);
        break;
    }
    if (!ok) {
        m_nEditRow = m_nEditCol = -1;
        RestoreRow(row);
        QMessageBox::warning(this, kr::str::kRecipeCaption,
                             what.isEmpty() ? kr::str::kTextNotStorable
                                            : kr::str::kInvalidNumber.arg(*info.text, what));
        SelectRow(row);
        return;
    }
    EditNextCell();
    SelectRow(row);
}

void CMenuListCtrl::OnEndLabelEdit(const CEndLabelEdit& info) {
    const int row = info.row;
    const int index = IndexOfRow(row);
    const CMenuItemDetail* line = m_lines.Line(index);
    const bool cancelled = info.IsCancelled();
    std::string text;
    if (!cancelled && !ToCp1252(*info.text, &text)) {
        // Never reached through the editors' own checks; a stored value is never altered.
        QMessageBox::warning(this, kr::str::kRecipeCaption, kr::str::kTextNotStorable);
        RestoreRow(row);
        return;
    }
    switch (info.column) {
    case kColItem:
        EndItemEdit(row, index, info);
        ReportLookupFailure();
        return;
    case kColUnit:
        EndUnitEdit(row, index, line != nullptr, info, text);
        return;
    case kColPtnType:
        EndPtnTypeEdit(row, index, line != nullptr, info, text);
        return;
    default:
        break;
    }
    if (cancelled || !line || info.column == kColPtnCost) {
        CMyListCtrl::OnEndLabelEdit(info);
        SelectRow(row);
        return;
    }
    EndValueEdit(row, index, info, text);
}
