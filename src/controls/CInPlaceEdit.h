#pragma once

#include <QLineEdit>
#include <QPointer>

// Short-lived edit box over one list cell. Reports its end with EndLabelEdit and deletes itself.
class CInPlaceEdit : public QLineEdit {
    Q_OBJECT
public:
    // list: the list whose cell is edited (the box becomes a child of its viewport).
    CInPlaceEdit(int row, int column, const QString& initialText, QWidget* list);

    void SetInputFilter(int filter) { m_nInputFilter = filter; }
    int GetInputFilter() const { return m_nInputFilter; }
    int GetRow() const { return m_nRow; }
    int GetColumn() const { return m_nColumn; }
    bool IsCancelled() const { return m_bCancelled; }
    bool IsAdvance() const { return m_bAdvance; }

    // Takes the list's font, shows the initial text selected and takes the focus.
    void Start();
    // Hands the focus back to the list, which ends the edit (committing unless cancelled).
    void EndEdit();

signals:
    // text is the final text; cancelled when the user pressed Escape.
    void EndLabelEdit(int row, int column, const QString& text, bool cancelled);

protected:
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    void OnTextEdited(const QString& text);
    void Finish();
    void Widen();

    int m_nInputFilter = 0;
    QString m_strLastGood;
    int m_nLastSelStart = 0;
    int m_nLastSelEnd = 0;
    bool m_bRestoring = false;
    int m_nRow;
    int m_nColumn;
    QString m_strInitialText;
    bool m_bCancelled = false;
    bool m_bAdvance = false;
    bool m_bEnded = false;
    QPointer<QWidget> m_pList;
};
