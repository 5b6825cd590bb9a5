#include "CListCtrlStyled.h"

#include "ListSortRules.h"

#include <QEvent>
#include <QFontMetrics>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QScrollBar>

#include <algorithm>

// ---- model ----

int CListCtrlStyledModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

int CListCtrlStyledModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_columns.size());
}

Qt::Alignment CListCtrlStyledModel::ColumnAlignment(int col) const {
    const Column* c = ColumnAt(col);
    // The first column of a report view is always left-aligned.
    if (!c || col == 0) return Qt::AlignLeft | Qt::AlignVCenter;
    if (c->format & LVCFMT_RIGHT) return Qt::AlignRight | Qt::AlignVCenter;
    if (c->format & LVCFMT_CENTER) return Qt::AlignHCenter | Qt::AlignVCenter;
    return Qt::AlignLeft | Qt::AlignVCenter;
}

QVariant CListCtrlStyledModel::data(const QModelIndex& index, int role) const {
    const Row* row = RowAt(index.row());
    if (!row || index.column() < 0 || index.column() >= int(m_columns.size())) return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return index.column() < row->texts.size() ? row->texts.at(index.column()) : QString();
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(ColumnAlignment(index.column()));
    case Qt::FontRole: {
        const CResolvedStyle s = Resolve(index.row(), index.column(), false);
        return s.font ? QVariant(*s.font) : QVariant();
    }
    case Qt::ForegroundRole: {
        const CResolvedStyle s = Resolve(index.row(), index.column(), false);
        return s.text.isValid() ? QVariant(s.text) : QVariant();
    }
    case Qt::BackgroundRole: {
        const CResolvedStyle s = Resolve(index.row(), index.column(), false);
        return s.background.isValid() ? QVariant(s.background) : QVariant();
    }
    default:
        return {};
    }
}

QVariant CListCtrlStyledModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal) return {};
    const Column* c = ColumnAt(section);
    if (!c) return {};
    if (role == Qt::DisplayRole) return c->title;
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(ColumnAlignment(section));
    return {};
}

Qt::ItemFlags CListCtrlStyledModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == 0) f |= Qt::ItemIsEditable; // the label of the item
    return f;
}

int CListCtrlStyledModel::InsertColumn(int pos, const QString& title, int format, int subItem) {
    if (pos < 0) return -1;
    pos = std::min(pos, int(m_columns.size()));
    beginInsertColumns(QModelIndex(), pos, pos);
    m_columns.insert(m_columns.begin() + pos, Column{title, format, subItem});
    for (Row& r : m_rows) {
        r.texts.insert(std::min<qsizetype>(pos, r.texts.size()), QString());
        r.cells.insert(r.cells.begin() + std::min<size_t>(size_t(pos), r.cells.size()), CStyleRecord{});
    }
    endInsertColumns();
    return pos;
}

bool CListCtrlStyledModel::DeleteColumn(int col) {
    if (col < 0 || col >= int(m_columns.size())) return false;
    beginRemoveColumns(QModelIndex(), col, col);
    m_columns.erase(m_columns.begin() + col);
    for (Row& r : m_rows) {
        if (col < r.texts.size()) r.texts.removeAt(col);
        if (size_t(col) < r.cells.size()) r.cells.erase(r.cells.begin() + col);
    }
    endRemoveColumns();
    return true;
}

int CListCtrlStyledModel::InsertRow(int pos, const QString& text, std::optional<quintptr> data) {
    if (pos < 0) return -1;
    pos = std::min(pos, int(m_rows.size()));
    Row r;
    const int n = std::max<int>(1, int(m_columns.size()));
    r.texts.resize(n);
    r.texts[0] = text;
    r.cells.resize(size_t(n));
    if (data) {
        r.userData = *data;
        r.hasUserData = true;
    }
    beginInsertRows(QModelIndex(), pos, pos);
    m_rows.insert(m_rows.begin() + pos, std::move(r));
    endInsertRows();
    return pos;
}

bool CListCtrlStyledModel::RemoveRow(int row) {
    if (!RowAt(row)) return false;
    beginRemoveRows(QModelIndex(), row, row);
    m_rows.erase(m_rows.begin() + row);
    endRemoveRows();
    return true;
}

void CListCtrlStyledModel::RemoveAllRows() {
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

void CListCtrlStyledModel::Reorder(const std::vector<int>& order) {
    if (order.size() != m_rows.size()) return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> newPos(order.size());
    std::vector<Row> rows;
    rows.reserve(m_rows.size());
    for (size_t i = 0; i < order.size(); ++i) {
        newPos[size_t(order[i])] = int(i);
        rows.push_back(std::move(m_rows[size_t(order[i])]));
    }
    m_rows = std::move(rows);
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex& idx : from)
        to.append(index(newPos[size_t(idx.row())], idx.column()));
    changePersistentIndexList(from, to);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

CListCtrlStyledModel::Row* CListCtrlStyledModel::RowAt(int row) {
    return row >= 0 && row < int(m_rows.size()) ? &m_rows[size_t(row)] : nullptr;
}

const CListCtrlStyledModel::Row* CListCtrlStyledModel::RowAt(int row) const {
    return row >= 0 && row < int(m_rows.size()) ? &m_rows[size_t(row)] : nullptr;
}

const CListCtrlStyledModel::Column* CListCtrlStyledModel::ColumnAt(int col) const {
    return col >= 0 && col < int(m_columns.size()) ? &m_columns[size_t(col)] : nullptr;
}

CStyleRecord* CListCtrlStyledModel::Cell(int row, int col) {
    Row* r = RowAt(row);
    if (!r || col < 0 || col >= int(m_columns.size())) return nullptr;
    if (r->cells.size() < m_columns.size()) r->cells.resize(m_columns.size());
    return &r->cells[size_t(col)];
}

void CListCtrlStyledModel::RowChanged(int row) {
    if (!RowAt(row) || m_columns.empty()) return;
    emit dataChanged(index(row, 0), index(row, int(m_columns.size()) - 1));
}

void CListCtrlStyledModel::SetBaseFont(const QFont& font) {
    m_baseFont = font;
    if (!m_rows.empty() && !m_columns.empty())
        emit dataChanged(index(0, 0), index(int(m_rows.size()) - 1, int(m_columns.size()) - 1));
}

void CListCtrlStyledModel::SetColors(const CStyleColors& colors) {
    m_colors = colors;
    if (!m_rows.empty() && !m_columns.empty())
        emit dataChanged(index(0, 0), index(int(m_rows.size()) - 1, int(m_columns.size()) - 1));
}

CResolvedStyle CListCtrlStyledModel::Resolve(int row, int col, bool selected) const {
    const Row* r = RowAt(row);
    if (!r) return {};
    const CStyleRecord* cell = (col >= 0 && size_t(col) < r->cells.size()) ? &r->cells[size_t(col)] : nullptr;
    return ResolveCellStyle(cell, r->rowStyle.get(), selected, m_baseFont, m_colors);
}

// ---- delegate ----

void CListCtrlStyledDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    if (!(option->state & QStyle::State_Selected)) return;
    const auto* model = qobject_cast<const CListCtrlStyledModel*>(index.model());
    if (!model) return;
    // Selected rows: the highlight colours instead of the records' colours, the fonts kept.
    const CResolvedStyle s = model->Resolve(index.row(), index.column(), true);
    option->state &= ~QStyle::State_Selected;
    option->backgroundBrush = s.background;
    option->palette.setColor(QPalette::Text, s.text);
    option->palette.setColor(QPalette::HighlightedText, s.text);
}

QWidget* CListCtrlStyledDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                               const QModelIndex& index) const {
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    m_pLastEditor = editor;
    return editor;
}

// ---- view ----

CListCtrlStyled::CListCtrlStyled(QWidget* parent)
    : QTableView(parent), m_pModel(new CListCtrlStyledModel(this)) {
    const QPalette pal = palette();
    m_crHighlightText = pal.color(QPalette::Active, QPalette::HighlightedText);
    m_crHighlight = pal.color(QPalette::Active, QPalette::Highlight);
    setModel(m_pModel);
    setItemDelegate(new CListCtrlStyledDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setTabKeyNavigation(false);
    verticalHeader()->hide();
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsMovable(false);
    horizontalHeader()->setMinimumSectionSize(0);
    horizontalHeader()->setSortIndicatorShown(false);
    m_pModel->SetBaseFont(font());
    verticalHeader()->setDefaultSectionSize(QFontMetrics(font()).height() + 4);
    UpdateColors();
}

CListCtrlStyled::~CListCtrlStyled() = default;

void CListCtrlStyled::UpdateColors() {
    m_pModel->SetColors(CStyleColors{m_crText, m_crTextBk, m_crHighlightText, m_crHighlight});
}

void CListCtrlStyled::changeEvent(QEvent* event) {
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        m_pModel->SetBaseFont(font());
        verticalHeader()->setDefaultSectionSize(QFontMetrics(font()).height() + 4);
    }
}

int CListCtrlStyled::InsertColumn(int pos, const QString& title, int format, int width, int subItem) {
    const int col = m_pModel->InsertColumn(pos, title, format, subItem);
    if (col >= 0 && width != -1) horizontalHeader()->resizeSection(col, std::max(width, 0));
    return col;
}

bool CListCtrlStyled::DeleteColumn(int col) {
    return m_pModel->DeleteColumn(col);
}
int CListCtrlStyled::GetColumnCount() const {
    return m_pModel->columnCount();
}

int CListCtrlStyled::GetColumnWidth(int col) const {
    return col >= 0 && col < GetColumnCount() ? horizontalHeader()->sectionSize(col) : 0;
}

bool CListCtrlStyled::SetColumnWidth(int col, int width) {
    if (col < 0 || col >= GetColumnCount()) return false;
    horizontalHeader()->resizeSection(col, std::max(width, 0));
    return true;
}

int CListCtrlStyled::GetColumnFormat(int col) const {
    const auto* c = m_pModel->ColumnAt(col);
    return c ? c->format : LVCFMT_LEFT;
}

static int SortedPosition(const CListCtrlStyledModel* model, const QString& text) {
    int pos = 0;
    while (pos < model->rowCount() &&
           ListSortRules::CompareText(model->RowAt(pos)->texts.value(0), text) <= 0)
        ++pos;
    return pos;
}

int CListCtrlStyled::InsertItem(int row, const QString& text) {
    if (m_bSortAscending && row >= 0) row = SortedPosition(m_pModel, text);
    return m_pModel->InsertRow(row, text, std::nullopt);
}

int CListCtrlStyled::InsertItem(int row, const QString& text, quintptr data) {
    if (m_bSortAscending && row >= 0) row = SortedPosition(m_pModel, text);
    return m_pModel->InsertRow(row, text, data);
}

bool CListCtrlStyled::SetItemText(int row, int subItem, const QString& text) {
    auto* r = m_pModel->RowAt(row);
    if (!r || subItem < 0 || subItem >= GetColumnCount()) return false;
    if (r->texts.size() < GetColumnCount()) r->texts.resize(GetColumnCount());
    r->texts[subItem] = text;
    const QModelIndex idx = m_pModel->index(row, subItem);
    emit m_pModel->dataChanged(idx, idx);
    return true;
}

QString CListCtrlStyled::GetItemText(int row, int subItem) const {
    const auto* r = m_pModel->RowAt(row);
    return r ? r->texts.value(subItem) : QString();
}

int CListCtrlStyled::GetItemCount() const {
    return m_pModel->rowCount();
}

quintptr CListCtrlStyled::GetItemData(int row) const {
    const auto* r = m_pModel->RowAt(row);
    return r && r->hasUserData ? r->userData : 0;
}

bool CListCtrlStyled::SetItemData(int row, quintptr data) {
    auto* r = m_pModel->RowAt(row);
    if (!r) return false;
    r->userData = data;
    r->hasUserData = true;
    return true;
}

bool CListCtrlStyled::SetCellTextColor(int row, int subItem, const QColor& color, bool /*redraw*/) {
    CStyleRecord* c = m_pModel->Cell(row, subItem);
    if (!c) return false;
    c->m_crText = color;
    m_pModel->RowChanged(row);
    return true;
}

bool CListCtrlStyled::SetCellBkColor(int row, int subItem, const QColor& color, bool /*redraw*/) {
    CStyleRecord* c = m_pModel->Cell(row, subItem);
    if (!c) return false;
    c->m_crBk = color;
    m_pModel->RowChanged(row);
    return true;
}

bool CListCtrlStyled::SetCellStyle(int row, int subItem, quint32 style, bool /*redraw*/) {
    CStyleRecord* c = m_pModel->Cell(row, subItem);
    if (!c) return false;
    c->m_nStyle = style;
    m_pModel->RowChanged(row);
    return true;
}

static CStyleRecord* RowRecord(CListCtrlStyledModel* model, int row) {
    auto* r = model->RowAt(row);
    if (!r) return nullptr;
    if (!r->rowStyle) r->rowStyle = std::make_unique<CStyleRecord>();
    return r->rowStyle.get();
}

bool CListCtrlStyled::SetRowStyle(int row, quint32 style, bool /*redraw*/) {
    CStyleRecord* r = RowRecord(m_pModel, row);
    if (!r) return false;
    r->m_nStyle = style;
    m_pModel->RowChanged(row);
    return true;
}

bool CListCtrlStyled::SetRowBkColor(int row, const QColor& color, bool /*redraw*/) {
    CStyleRecord* r = RowRecord(m_pModel, row);
    if (!r) return false;
    r->m_crBk = color;
    m_pModel->RowChanged(row);
    return true;
}

bool CListCtrlStyled::SetRowTextColor(int row, const QColor& color, bool /*redraw*/) {
    CStyleRecord* r = RowRecord(m_pModel, row);
    if (!r) return false;
    r->m_crText = color;
    m_pModel->RowChanged(row);
    return true;
}

quint32 CListCtrlStyled::GetCellStyle(int row, int subItem) const {
    const auto* r = m_pModel->RowAt(row);
    return r && subItem >= 0 && size_t(subItem) < r->cells.size() ? r->cells[size_t(subItem)].m_nStyle : 0;
}

quint32 CListCtrlStyled::GetRowStyle(int row) const {
    const auto* r = m_pModel->RowAt(row);
    return r && r->rowStyle ? r->rowStyle->m_nStyle : 0;
}

bool CListCtrlStyled::DeleteItem(int row) {
    return m_pModel->RemoveRow(row);
}

bool CListCtrlStyled::DeleteAllItems() {
    m_pModel->RemoveAllRows();
    return true;
}

bool CListCtrlStyled::SortItems(PFNLVCOMPARE compare, quintptr param) {
    if (!compare) return false;
    return SortItems([compare, param](quintptr a, quintptr b) { return compare(a, b, param); });
}

bool CListCtrlStyled::SortItems(const std::function<int(quintptr, quintptr)>& compare) {
    if (!compare) return false;
    const int n = GetItemCount();
    // Take the data first, so an owner that changes the list while comparing cannot
    // make the sort read rows that are gone.
    std::vector<quintptr> data(size_t(n), 0);
    std::vector<int> order(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        data[size_t(i)] = GetItemData(i);
        order[size_t(i)] = i;
    }
    ListSortRules::StableMergeSort(order,
                                   [&](int a, int b) { return compare(data[size_t(a)], data[size_t(b)]); });
    if (GetItemCount() != n) return false;
    m_pModel->Reorder(order);
    return true;
}

void CListCtrlStyled::SetTextColor(const QColor& color) {
    m_crText = color;
    UpdateColors();
}
QColor CListCtrlStyled::GetTextColor() const {
    return m_crText.isValid() ? m_crText : palette().color(QPalette::Text);
}

void CListCtrlStyled::SetTextBkColor(const QColor& color) {
    m_crTextBk = color;
    UpdateColors();
}
QColor CListCtrlStyled::GetTextBkColor() const {
    return m_crTextBk.isValid() ? m_crTextBk : palette().color(QPalette::Base);
}

void CListCtrlStyled::SetGridLines(bool on) {
    setShowGrid(on);
}

void CListCtrlStyled::SetSingleSelection(bool on) {
    setSelectionMode(on ? QAbstractItemView::SingleSelection : QAbstractItemView::ExtendedSelection);
}

QList<int> CListCtrlStyled::GetSelectedRows() const {
    QList<int> rows;
    if (!selectionModel()) return rows;
    for (const QModelIndex& idx : selectionModel()->selectedRows())
        rows.append(idx.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

int CListCtrlStyled::GetFirstSelectedRow() const {
    const QList<int> rows = GetSelectedRows();
    return rows.isEmpty() ? -1 : rows.first();
}

bool CListCtrlStyled::IsRowSelected(int row) const {
    return ValidRow(row) && selectionModel() && selectionModel()->isRowSelected(row, QModelIndex());
}

void CListCtrlStyled::SelectRow(int row, bool select) {
    if (!ValidRow(row) || GetColumnCount() == 0) return;
    const QItemSelection sel(m_pModel->index(row, 0), m_pModel->index(row, GetColumnCount() - 1));
    selectionModel()->select(sel, select ? QItemSelectionModel::Select : QItemSelectionModel::Deselect);
}

int CListCtrlStyled::GetFocusedRow() const {
    const QModelIndex cur = currentIndex();
    return cur.isValid() ? cur.row() : -1;
}

void CListCtrlStyled::SetFocusedRow(int row) {
    if (!ValidRow(row) || GetColumnCount() == 0) return;
    selectionModel()->setCurrentIndex(m_pModel->index(row, 0), QItemSelectionModel::NoUpdate);
}

bool CListCtrlStyled::EnsureVisible(int row, bool partialOk) {
    if (!ValidRow(row) || GetColumnCount() == 0) return false;
    const int y = rowViewportPosition(row);
    const int h = rowHeight(row);
    const int viewH = viewport()->height();
    const bool visible = partialOk ? (y + h > 0 && y < viewH) : (y >= 0 && y + h <= viewH);
    if (!visible) {
        const int keepX = horizontalScrollBar()->value();
        scrollTo(m_pModel->index(row, 0), QAbstractItemView::EnsureVisible);
        horizontalScrollBar()->setValue(keepX);
    }
    return true;
}

QRect CListCtrlStyled::GetRowBounds(int row) const {
    if (!ValidRow(row)) return {};
    return QRect(-horizontalOffset(), rowViewportPosition(row), horizontalHeader()->length(), rowHeight(row));
}

CResolvedStyle CListCtrlStyled::GetCellLook(int row, int subItem) const {
    return m_pModel->Resolve(row, subItem, IsRowSelected(row));
}
