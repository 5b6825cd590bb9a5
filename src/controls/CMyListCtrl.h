#pragma once

#include "CColumnStatus.h"
#include "CListCtrlStyled.h"

#include <QPointer>

#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

class CInPlaceEdit;
class CInPlaceList;
class QLineEdit;

// What an in-place edit ended with; no text when the user cancelled it.
struct CEndLabelEdit {
    int row = -1;
    int column = -1;
    std::optional<QString> text;
    bool IsCancelled() const { return !text.has_value(); }
};

// The list of every list in the system: stored cell texts, header-click sorting and per-column
// in-place editors.
class CMyListCtrl : public CListCtrlStyled {
    Q_OBJECT
public:
    static constexpr int kInPlaceEditorId = 1001010;

    explicit CMyListCtrl(QWidget* parent = nullptr);
    ~CMyListCtrl() override;

    int AddColumn(int pos, const QString& title, int format, int width, int subItem = -1);
    // One text per column (missing ones count as empty); returns the row index or -1.
    int AddRow(const QStringList& texts);
    bool SetCellText(int row, int column, const QString& text);
    QString GetCellText(int row, int column) const;
    bool DeleteRow(int row);
    bool DeleteAllRows();
    bool SetRowData(int row, quintptr value);
    quintptr GetRowData(int row) const;

    void SetColumnEditKind(int column, int kind);
    void SetColumnChoices(int column, const QStringList& choices);
    const CColumnStatus* GetColumnStatus(int column) const;

    void SortByColumn(int column, bool ascending);
    int GetSortColumn() const { return m_nSortColumn; }
    bool GetSortAscending() const { return m_bSortAscending; }

    // In-place editing is allowed at all (the list's "edit labels" style).
    void SetEditLabels(bool on) { m_bEditLabels = on; }
    bool GetEditLabels() const { return m_bEditLabels; }

    // The list's own label editing of column 0.
    bool EditLabel(int row);
    // The label editor while it is open (also during OnEndLabelEdit of column 0).
    QLineEdit* GetEditControl() const;
    // The open in-place editor of the other columns, if any.
    QWidget* GetInPlaceEditor() const { return m_pInPlace; }

    // Row and column under a viewport point; row -1 when none.
    std::pair<int, int> HitTest(const QPoint& pt) const;

    CInPlaceEdit* EditSubLabel(int row, int column, int kind);
    CInPlaceList* ShowInPlaceList(int row, int column, const QStringList& choices, int selected);

    void EditNextCell();
    // End of an in-place edit: stores the text unless cancelled, then moves on after Tab.
    virtual void OnEndLabelEdit(const CEndLabelEdit& info);

    // The owner sets it: a header click sorts by that column.
    bool m_bSortOnHeaderClick = false;

protected:
    // The owner compare function of the sort: the rows' texts in the sort column.
    int CompareRows(quintptr a, quintptr b) const;

    bool event(QEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;
    void commitData(QWidget* editor) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

    int m_nEditRow = -1;
    int m_nEditCol = -1;

private:
    struct RowRecord {
        QStringList texts;
        quintptr data = 0;
    };

    void OnColumnClick(int column);
    void OnInPlaceEnd(int row, int column, const QString& text, bool cancelled);
    RowRecord* Record(int row) const;
    CColumnStatus* Entry(int column) const;
    CColumnStatus* EnsureEntry(int column);
    QWidget* OpenRegisteredEditor(int row, int column);
    bool PrepareCell(int row, int column, int minWidth, QRect* bounds, int* offset);
    void CloseInPlace();

    int m_nColumnCount = 0;
    std::vector<std::unique_ptr<CColumnStatus>> m_arrColumns;
    std::unordered_map<quintptr, std::unique_ptr<RowRecord>> m_records; // keyed by item data
    int m_nSortColumn = -1;
    bool m_bSortAscending = true;
    bool m_bEditLabels = false;

    QPointer<QWidget> m_pInPlace;
    QPointer<QLineEdit> m_pLabelEditor;
    int m_nLabelRow = -1;
    bool m_bLabelCommitted = false;
    QString m_strLabelText;
};
