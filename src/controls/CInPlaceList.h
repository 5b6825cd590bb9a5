#pragma once

#include <QComboBox>
#include <QPointer>
#include <QStringList>

// Short-lived drop-down list of choices over one list cell. Picking an entry ends the edit at
// once; Escape cancels. Reports its end with EndLabelEdit and deletes itself.
class CInPlaceList : public QComboBox {
    Q_OBJECT
public:
    CInPlaceList(int row, int column, const QStringList& choices, int selected, QWidget* list);

    int GetRow() const { return m_nRow; }
    int GetColumn() const { return m_nColumn; }
    bool IsCancelled() const { return m_bCancelled; }
    int GetDroppedWidth() const { return m_nDroppedWidth; }
    void SetDroppedWidth(int width);

    // Takes the list's font, fills the choices, selects the given one and takes the focus.
    void Start();

    void hidePopup() override;
    // Hands the focus back to the list, which ends the edit (committing unless cancelled).
    void EndEdit();

signals:
    void EndLabelEdit(int row, int column, const QString& text, bool cancelled);

protected:
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    void Finish();

    int m_nRow;
    int m_nColumn;
    QStringList m_arrChoices;
    int m_nSel;
    bool m_bCancelled = false;
    bool m_bEnded = false;
    int m_nDroppedWidth = 0;
    QPointer<QWidget> m_pList;
};
