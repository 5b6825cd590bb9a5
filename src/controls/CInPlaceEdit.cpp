#include "CInPlaceEdit.h"

#include "InPlaceFilter.h"

#include <QAbstractScrollArea>
#include <QFocusEvent>
#include <QKeyEvent>

#include <algorithm>

static QWidget* ClientOf(QWidget* list) {
    auto* area = qobject_cast<QAbstractScrollArea*>(list);
    return area ? area->viewport() : list;
}

CInPlaceEdit::CInPlaceEdit(int row, int column, const QString& initialText, QWidget* list)
    : QLineEdit(ClientOf(list)), m_nRow(row), m_nColumn(column), m_strInitialText(initialText),
      m_pList(list) {
    setObjectName(QStringLiteral("1001010"));
    setFrame(false);
    setStyleSheet(QStringLiteral("QLineEdit { border: 1px solid palette(window-text); padding: 0px; }"));
    setContextMenuPolicy(Qt::DefaultContextMenu);
    connect(this, &QLineEdit::textEdited, this, &CInPlaceEdit::OnTextEdited);
}

void CInPlaceEdit::Start() {
    if (m_pList) setFont(m_pList->font());
    setText(m_strInitialText);
    m_strLastGood = m_strInitialText;
    show();
    setFocus(Qt::OtherFocusReason);
    selectAll();
    m_nLastSelStart = 0;
    m_nLastSelEnd = int(text().size());
}

bool CInPlaceEdit::event(QEvent* e) {
    if (e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        if ((k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) &&
            !(k->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            m_bAdvance = true;
            EndEdit();
            return true;
        }
    } else if (e->type() == QEvent::ShortcutOverride) {
        // Keep Enter, Escape, Delete and Control keys away from the dialog around the list.
        auto* k = static_cast<QKeyEvent*>(e);
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter || k->key() == Qt::Key_Escape ||
            k->key() == Qt::Key_Delete || (k->modifiers() & Qt::ControlModifier)) {
            e->accept();
            return true;
        }
    }
    return QLineEdit::event(e);
}

void CInPlaceEdit::keyPressEvent(QKeyEvent* e) {
    switch (e->key()) {
    case Qt::Key_Escape:
        m_bCancelled = true;
        EndEdit();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        EndEdit();
        return;
    default:
        break;
    }
    const bool hadSelection = hasSelectedText();
    m_nLastSelStart = hadSelection ? selectionStart() : cursorPosition();
    m_nLastSelEnd = hadSelection ? selectionEnd() : cursorPosition();
    QLineEdit::keyPressEvent(e);
    if (!m_bEnded) Widen();
}

void CInPlaceEdit::OnTextEdited(const QString& text) {
    if (m_bRestoring) return;
    if (InPlaceFilter::IsAcceptable(m_nInputFilter, text)) {
        m_strLastGood = text;
        return;
    }
    // Refused: the text and selection from before the keystroke come back.
    m_bRestoring = true;
    setText(m_strLastGood);
    const int n = int(m_strLastGood.size());
    const int start = std::clamp(m_nLastSelStart, 0, n);
    const int end = std::clamp(m_nLastSelEnd, 0, n);
    if (end > start)
        setSelection(start, end - start);
    else
        setCursorPosition(start);
    m_bRestoring = false;
}

void CInPlaceEdit::Widen() {
    QWidget* client = parentWidget();
    const int needed = fontMetrics().horizontalAdvance(text()) + 5;
    if (needed <= width()) return;
    int right = x() + needed;
    if (client) right = std::min(right, client->width());
    if (right > x()) setGeometry(x(), y(), right - x(), height());
}

void CInPlaceEdit::EndEdit() {
    // Handing the focus to the list ends the edit; without an active window no focus
    // change arrives, so end it here as well.
    if (m_pList) m_pList->setFocus(Qt::OtherFocusReason);
    Finish();
}

void CInPlaceEdit::focusOutEvent(QFocusEvent* e) {
    QLineEdit::focusOutEvent(e);
    if (e->reason() == Qt::PopupFocusReason) return; // its own context menu
    Finish();
}

void CInPlaceEdit::Finish() {
    if (m_bEnded) return;
    m_bEnded = true;
    hide();
    emit EndLabelEdit(m_nRow, m_nColumn, text(), m_bCancelled);
    deleteLater();
}
