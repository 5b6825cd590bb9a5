#pragma once

#include "CellStyle.h"

#include <QAbstractTableModel>
#include <QPointer>
#include <QStringList>
#include <QStyledItemDelegate>
#include <QTableView>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

// Column formats of the report-view list.
constexpr int LVCFMT_LEFT = 0;
constexpr int LVCFMT_RIGHT = 1;
constexpr int LVCFMT_CENTER = 2;

// Owner compare function: the two rows' item data and the sort parameter.
using PFNLVCOMPARE = int (*)(quintptr, quintptr, quintptr);

// Rows, texts and style records of the styled list.
class CListCtrlStyledModel : public QAbstractTableModel {
    Q_OBJECT
public:
    struct Row {
        QStringList texts;               // one per column
        std::vector<CStyleRecord> cells; // one per column; cells[0] is the item's own record
        std::unique_ptr<CStyleRecord> rowStyle;
        quintptr userData = 0;
        bool hasUserData = false;
    };
    struct Column {
        QString title;
        int format = LVCFMT_LEFT;
        int subItem = -1;
    };

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    int InsertColumn(int pos, const QString& title, int format, int subItem);
    bool DeleteColumn(int col);
    int InsertRow(int pos, const QString& text, std::optional<quintptr> data);
    bool RemoveRow(int row);
    void RemoveAllRows();
    // order[i] is the old index of the row that goes to position i.
    void Reorder(const std::vector<int>& order);

    Row* RowAt(int row);
    const Row* RowAt(int row) const;
    const Column* ColumnAt(int col) const;
    CStyleRecord* Cell(int row, int col);
    void RowChanged(int row);

    void SetBaseFont(const QFont& font);
    const QFont& BaseFont() const { return m_baseFont; }
    void SetColors(const CStyleColors& colors);
    const CStyleColors& Colors() const { return m_colors; }
    CResolvedStyle Resolve(int row, int col, bool selected) const;
    Qt::Alignment ColumnAlignment(int col) const;

private:
    std::vector<Column> m_columns;
    std::vector<Row> m_rows;
    QFont m_baseFont;
    CStyleColors m_colors;
};

// Paints selected rows in the highlight colours while keeping each cell's own font.
class CListCtrlStyledDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    // The editor made by the last createEditor, while it exists.
    QWidget* LastEditor() const { return m_pLastEditor; }
    void ForgetLastEditor() { m_pLastEditor = nullptr; }

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    mutable QPointer<QWidget> m_pLastEditor;
};

// Report-view list whose rows and cells carry their own colours and font styles.
class CListCtrlStyled : public QTableView {
    Q_OBJECT
public:
    explicit CListCtrlStyled(QWidget* parent = nullptr);
    ~CListCtrlStyled() override;

    int InsertColumn(int pos, const QString& title, int format = LVCFMT_LEFT, int width = -1,
                     int subItem = -1);
    bool DeleteColumn(int col);
    int GetColumnCount() const;
    int GetColumnWidth(int col) const;
    bool SetColumnWidth(int col, int width);
    int GetColumnFormat(int col) const;

    int InsertItem(int row, const QString& text);
    int InsertItem(int row, const QString& text, quintptr data);
    bool SetItemText(int row, int subItem, const QString& text);
    QString GetItemText(int row, int subItem) const;
    int GetItemCount() const;
    quintptr GetItemData(int row) const;
    bool SetItemData(int row, quintptr data);

    bool SetCellTextColor(int row, int subItem, const QColor& color, bool redraw = true);
    bool SetCellBkColor(int row, int subItem, const QColor& color, bool redraw = true);
    bool SetCellStyle(int row, int subItem, quint32 style, bool redraw = true);
    bool SetRowStyle(int row, quint32 style, bool redraw = true);
    bool SetRowBkColor(int row, const QColor& color, bool redraw = true);
    bool SetRowTextColor(int row, const QColor& color, bool redraw = true);
    quint32 GetCellStyle(int row, int subItem) const;
    quint32 GetRowStyle(int row) const;

    bool DeleteItem(int row);
    bool DeleteAllItems();

    // Sorts the rows by the owner's comparison of their item data; equal rows keep their order.
    bool SortItems(PFNLVCOMPARE compare, quintptr param);
    bool SortItems(const std::function<int(quintptr, quintptr)>& compare);

    void SetTextColor(const QColor& color);
    QColor GetTextColor() const;
    void SetTextBkColor(const QColor& color);
    QColor GetTextBkColor() const;
    QColor GetHighlightTextColor() const { return m_crHighlightText; }
    QColor GetHighlightColor() const { return m_crHighlight; }

    void SetGridLines(bool on);
    void SetSingleSelection(bool on);
    // Rows inserted later are placed in ascending order of their first text.
    void SetSortAscending(bool on) { m_bSortAscending = on; }

    QList<int> GetSelectedRows() const;
    int GetFirstSelectedRow() const;
    bool IsRowSelected(int row) const;
    void SelectRow(int row, bool select = true);
    int GetFocusedRow() const;
    void SetFocusedRow(int row);
    bool EnsureVisible(int row, bool partialOk);
    // The row's rectangle across all columns, in viewport coordinates.
    QRect GetRowBounds(int row) const;

    // Colours and font of a cell as painted now.
    CResolvedStyle GetCellLook(int row, int subItem) const;
    CListCtrlStyledModel* StyledModel() const { return m_pModel; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void UpdateColors();
    bool ValidRow(int row) const { return row >= 0 && row < GetItemCount(); }

    CListCtrlStyledModel* m_pModel;
    QColor m_crHighlightText;
    QColor m_crHighlight;
    QColor m_crText;
    QColor m_crTextBk;
    bool m_bSortAscending = false;
};
