#include "CMyListCtrl.h"

#include "CInPlaceEdit.h"
#include "CInPlaceList.h"
#include "InPlaceFilter.h"
#include "ListSortRules.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>

#include <algorithm>

CMyListCtrl::CMyListCtrl(QWidget* parent) : CListCtrlStyled(parent) {
    horizontalHeader()->setSectionsClickable(true);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &CMyListCtrl::OnColumnClick);
    // Using a scroll bar gives the list the focus first, which ends an open in-place edit.
    for (QScrollBar* bar : {horizontalScrollBar(), verticalScrollBar()})
        connect(bar, &QAbstractSlider::actionTriggered, this, [this] {
            if (!hasFocus()) setFocus(Qt::OtherFocusReason);
        });
}

CMyListCtrl::~CMyListCtrl() = default;

int CMyListCtrl::AddColumn(int pos, const QString& title, int format, int width, int subItem) {
    const int col = InsertColumn(pos, title, format, width, subItem);
    if (col >= 0) ++m_nColumnCount;
    return col;
}

int CMyListCtrl::AddRow(const QStringList& texts) {
    auto rec = std::make_unique<RowRecord>();
    rec->texts = texts.mid(0, m_nColumnCount);
    rec->texts.resize(std::max(m_nColumnCount, 1));
    RowRecord* raw = rec.get();
    const int row = InsertItem(GetItemCount(), rec->texts.value(0), reinterpret_cast<quintptr>(raw));
    if (row < 0) return -1;
    m_records.emplace(reinterpret_cast<quintptr>(raw), std::move(rec));
    for (int c = 1; c < raw->texts.size(); ++c)
        SetItemText(row, c, raw->texts.at(c));
    return row;
}

CMyListCtrl::RowRecord* CMyListCtrl::Record(int row) const {
    if (row < 0 || row >= GetItemCount()) return nullptr;
    const auto it = m_records.find(GetItemData(row));
    return it == m_records.end() ? nullptr : it->second.get();
}

bool CMyListCtrl::SetCellText(int row, int column, const QString& text) {
    if (!SetItemText(row, column, text)) return false;
    if (RowRecord* rec = Record(row)) {
        if (rec->texts.size() <= column) rec->texts.resize(column + 1);
        rec->texts[column] = text;
    }
    return true;
}

QString CMyListCtrl::GetCellText(int row, int column) const {
    const RowRecord* rec = Record(row);
    return rec ? rec->texts.value(column) : QString();
}

bool CMyListCtrl::DeleteRow(int row) {
    CloseInPlace();
    const RowRecord* rec = Record(row);
    if (!DeleteItem(row)) return false;
    if (rec) m_records.erase(reinterpret_cast<quintptr>(rec));
    return true;
}

bool CMyListCtrl::DeleteAllRows() {
    CloseInPlace();
    m_records.clear();
    return DeleteAllItems();
}

bool CMyListCtrl::SetRowData(int row, quintptr value) {
    RowRecord* rec = Record(row);
    if (!rec) return false;
    rec->data = value;
    return true;
}

quintptr CMyListCtrl::GetRowData(int row) const {
    const RowRecord* rec = Record(row);
    return rec ? rec->data : 0;
}

CColumnStatus* CMyListCtrl::Entry(int column) const {
    for (const auto& e : m_arrColumns)
        if (e->m_nColumn == column) return e.get();
    return nullptr;
}

CColumnStatus* CMyListCtrl::EnsureEntry(int column) {
    if (CColumnStatus* e = Entry(column)) return e;
    auto e = std::make_unique<CColumnStatus>();
    e->m_nColumn = column;
    m_arrColumns.push_back(std::move(e));
    return m_arrColumns.back().get();
}

void CMyListCtrl::SetColumnEditKind(int column, int kind) {
    CColumnStatus* e = EnsureEntry(column);
    e->m_nEditKind = kind;
    e->m_bHasChoices = false;
    e->m_arrChoices.clear();
}

void CMyListCtrl::SetColumnChoices(int column, const QStringList& choices) {
    CColumnStatus* e = EnsureEntry(column);
    e->m_bHasChoices = !choices.isEmpty();
    e->m_nEditKind = choices.isEmpty() ? CColumnStatus::FreeText : CColumnStatus::Choices;
    e->m_arrChoices = choices;
}

const CColumnStatus* CMyListCtrl::GetColumnStatus(int column) const {
    return Entry(column);
}

// ---- sorting ----

int CMyListCtrl::CompareRows(quintptr a, quintptr b) const {
    const auto find = [this](quintptr p) -> const RowRecord* {
        const auto it = m_records.find(p);
        return it == m_records.end() ? nullptr : it->second.get();
    };
    const RowRecord* ra = find(a);
    const RowRecord* rb = find(b);
    const QString x = ra ? ra->texts.value(m_nSortColumn) : QString();
    const QString y = rb ? rb->texts.value(m_nSortColumn) : QString();
    return ListSortRules::CompareRowTexts(x, y, m_bSortAscending);
}

void CMyListCtrl::SortByColumn(int column, bool ascending) {
    m_nSortColumn = column;
    m_bSortAscending = ascending;
    SortItems([this](quintptr a, quintptr b) { return CompareRows(a, b); });
}

void CMyListCtrl::OnColumnClick(int column) {
    if (!m_bSortOnHeaderClick) return;
    // An open editor would otherwise stay over a row that moves away.
    CloseInPlace();
    const bool ascending = column == m_nSortColumn ? !m_bSortAscending : true;
    SortByColumn(column, ascending);
}

// ---- clicks and hit test ----

std::pair<int, int> CMyListCtrl::HitTest(const QPoint& pt) const {
    const int row = rowAt(pt.y());
    if (row < 0) return {-1, -1};
    const QRect bounds = GetRowBounds(row);
    if (!bounds.contains(QPoint(bounds.left(), pt.y()))) return {-1, -1};
    int left = bounds.left();
    for (int c = 0; c < GetColumnCount(); ++c) {
        const int w = GetColumnWidth(c);
        if (pt.x() >= left && pt.x() <= left + w) return {row, c};
        left += w;
    }
    return {-1, -1};
}

void CMyListCtrl::mousePressEvent(QMouseEvent* e) {
    CListCtrlStyled::mousePressEvent(e);
    if (e->button() != Qt::LeftButton) return;
    const auto [row, col] = HitTest(e->position().toPoint());
    if (row < 0) return;
    if (GetFocusedRow() != row) return;
    if (col == 0) {
        EditLabel(row);
        return;
    }
    SelectRow(row);
    SetFocusedRow(row);
    if (!m_bEditLabels) return;
    OpenRegisteredEditor(row, col);
}

QWidget* CMyListCtrl::OpenRegisteredEditor(int row, int column) {
    const CColumnStatus* e = Entry(column);
    if (!e || e->m_nEditKind == CColumnStatus::NotEditable) return nullptr;
    if (!e->m_bHasChoices) return EditSubLabel(row, column, e->m_nEditKind);
    const QString current = GetItemText(row, column);
    return ShowInPlaceList(row, column, e->m_arrChoices, int(e->m_arrChoices.indexOf(current)));
}

// ---- column 0: the list's own label editing ----

bool CMyListCtrl::EditLabel(int row) {
    if (!m_bEditLabels || row < 0 || row >= GetItemCount() || GetColumnCount() == 0) return false;
    CloseInPlace();
    const QModelIndex idx = model()->index(row, 0);
    setCurrentIndex(idx);
    m_nLabelRow = row;
    m_bLabelCommitted = false;
    m_strLabelText.clear();
    auto* delegate = qobject_cast<CListCtrlStyledDelegate*>(itemDelegate());
    if (!delegate) return false;
    delegate->ForgetLastEditor();
    edit(idx);
    m_pLabelEditor = qobject_cast<QLineEdit*>(delegate->LastEditor());
    if (!m_pLabelEditor) return false;
    m_pLabelEditor->setObjectName(QStringLiteral("label-edit"));
    return true;
}

QLineEdit* CMyListCtrl::GetEditControl() const {
    return m_pLabelEditor;
}

void CMyListCtrl::commitData(QWidget* editor) {
    if (editor && editor == m_pLabelEditor) {
        // The text is handed to OnEndLabelEdit; the model is not written behind its back.
        m_bLabelCommitted = true;
        m_strLabelText = m_pLabelEditor->text();
        return;
    }
    CListCtrlStyled::commitData(editor);
}

void CMyListCtrl::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    if (!editor || editor != m_pLabelEditor) {
        CListCtrlStyled::closeEditor(editor, hint);
        return;
    }
    CEndLabelEdit info;
    info.row = m_nLabelRow;
    info.column = 0;
    if (hint != QAbstractItemDelegate::RevertModelCache && m_bLabelCommitted) info.text = m_strLabelText;
    // Close without Qt moving on to another cell; the editor object lives until the event loop
    // runs again, so the owner can still read it while handling the end.
    CListCtrlStyled::closeEditor(editor, QAbstractItemDelegate::NoHint);
    OnEndLabelEdit(info);
    if (m_pLabelEditor == editor) m_pLabelEditor = nullptr;
}

// ---- in-place editors ----

bool CMyListCtrl::PrepareCell(int row, int column, int minWidth, QRect* bounds, int* offset) {
    if (!EnsureVisible(row, true)) return false;
    if (column < 0 || column >= GetColumnCount() || GetColumnWidth(column) < minWidth) return false;
    *offset = 0;
    for (int c = 0; c < column; ++c)
        *offset += GetColumnWidth(c);
    *bounds = GetRowBounds(row);
    const int x = bounds->left() + *offset;
    if (x < 0 || x > viewport()->width()) {
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() + x);
        *bounds = GetRowBounds(row); // what the scroll bar actually allowed
    }
    return true;
}

void CMyListCtrl::CloseInPlace() {
    if (!m_pInPlace) return;
    // Only one in-place editor at a time: end the open one before another opens.
    if (auto* ed = qobject_cast<CInPlaceEdit*>(m_pInPlace.data()))
        ed->EndEdit();
    else if (auto* li = qobject_cast<CInPlaceList*>(m_pInPlace.data()))
        li->EndEdit();
}

CInPlaceEdit* CMyListCtrl::EditSubLabel(int row, int column, int kind) {
    if (m_pInPlace && m_pInPlace->isVisible()) CloseInPlace();
    QRect bounds;
    int offset = 0;
    if (!PrepareCell(row, column, 5, &bounds, &offset)) return nullptr;

    Qt::Alignment align = Qt::AlignLeft;
    const int fmt = GetColumnFormat(column);
    if (fmt & LVCFMT_RIGHT)
        align = Qt::AlignRight;
    else if (fmt & LVCFMT_CENTER)
        align = Qt::AlignHCenter;

    const int left = bounds.left() + offset + 4;
    const int right = std::min(left + GetColumnWidth(column) - 3, viewport()->width());

    auto* ed = new CInPlaceEdit(row, column, GetItemText(row, column), this);
    ed->setAlignment(align | Qt::AlignVCenter);
    ed->SetInputFilter(kind == CColumnStatus::IntegerText ? InPlaceFilter::Integer
                       : kind == CColumnStatus::RealText  ? InPlaceFilter::Real
                                                          : InPlaceFilter::None);
    ed->setGeometry(QRect(QPoint(left, bounds.top()), QSize(std::max(right - left, 0), bounds.height())));
    connect(ed, &CInPlaceEdit::EndLabelEdit, this, &CMyListCtrl::OnInPlaceEnd);
    m_pInPlace = ed;
    ed->Start();
    m_nEditCol = column;
    m_nEditRow = row;
    return ed;
}

CInPlaceList* CMyListCtrl::ShowInPlaceList(int row, int column, const QStringList& choices, int selected) {
    if (m_pInPlace && m_pInPlace->isVisible()) CloseInPlace();
    QRect bounds;
    int offset = 0;
    if (!PrepareCell(row, column, 10, &bounds, &offset)) return nullptr;

    const int width = GetColumnWidth(column);
    int left = bounds.left() + offset + 4 - 5;
    if (choices.size() > 5) left -= 20; // room for the scroll bar of a longer list
    const int right = std::min(bounds.left() + offset + 4 + width - 3, viewport()->width());
    const int rowHeight = bounds.height();

    auto* li = new CInPlaceList(row, column, choices, selected, this);
    li->setGeometry(QRect(QPoint(left, bounds.top()), QSize(std::max(right - left, 0), rowHeight)));
    li->SetDroppedWidth(width);
    connect(li, &CInPlaceList::EndLabelEdit, this, &CMyListCtrl::OnInPlaceEnd);
    m_pInPlace = li;
    li->Start();
    return li;
}

void CMyListCtrl::OnInPlaceEnd(int row, int column, const QString& text, bool cancelled) {
    CEndLabelEdit info;
    info.row = row;
    info.column = column;
    if (!cancelled) info.text = text;
    QObject* ending = sender();
    OnEndLabelEdit(info);
    if (m_pInPlace == ending) m_pInPlace = nullptr; // it deletes itself
}

void CMyListCtrl::OnEndLabelEdit(const CEndLabelEdit& info) {
    if (info.text) SetCellText(info.row, info.column, *info.text);
    EditNextCell();
}

void CMyListCtrl::EditNextCell() {
    const int row = m_nEditRow;
    const int col = m_nEditCol;
    m_nEditRow = m_nEditCol = -1;
    const auto* ed = qobject_cast<const CInPlaceEdit*>(m_pInPlace.data());
    if (!ed || !ed->IsAdvance() || row < 0 || col < 0 || row >= GetItemCount()) return;
    for (int c = col + 1; c < GetColumnCount(); ++c) {
        const CColumnStatus* e = Entry(c);
        if (e && e->m_nEditKind != CColumnStatus::NotEditable) {
            OpenRegisteredEditor(row, c);
            return;
        }
    }
}

bool CMyListCtrl::event(QEvent* e) {
    if (e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        const bool tabOrEnter =
            k->key() == Qt::Key_Tab || k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter;
        if (tabOrEnter && m_nEditRow >= 0 && m_nEditCol >= 0 && m_nEditRow < GetItemCount()) {
            if (parentWidget()) parentWidget()->setFocus(Qt::OtherFocusReason);
            const int row = m_nEditRow;
            for (int c = m_nEditCol; c < GetColumnCount(); ++c) {
                const CColumnStatus* entry = Entry(c);
                if (entry && entry->m_nEditKind != CColumnStatus::NotEditable) {
                    OpenRegisteredEditor(row, c);
                    break;
                }
            }
            return true;
        }
    }
    return CListCtrlStyled::event(e);
}

void CMyListCtrl::scrollContentsBy(int dx, int dy) {
    // Scrolling while a cell is edited: the list takes the focus first, which ends the edit.
    if (m_pInPlace && m_pInPlace->isVisible() && !hasFocus()) setFocus(Qt::OtherFocusReason);
    CListCtrlStyled::scrollContentsBy(dx, dy);
}
