#include "CFloatEdit.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QMouseEvent>

CFloatEdit::CFloatEdit(QWidget* parent) : QLineEdit(parent) {
    const QLocale locale = QLocale::system();
    const auto sep = CFloatEditText::SeparatorsFrom(locale.decimalPoint(), locale.groupSeparator());
    m_model.SetSeparators(sep.decimal, sep.thousands);
    setAcceptDrops(false);
    setDragEnabled(false);
    setAttribute(Qt::WA_InputMethodEnabled, false);
}

void CFloatEdit::SetValue(double value) {
    m_model.SetValue(value);
    Push();
}

void CFloatEdit::SetDecimals(int decimals) {
    m_model.SetDecimals(decimals);
    Push();
}

void CFloatEdit::SetGrouping(bool grouping) {
    m_model.SetGrouping(grouping);
    m_model.SetValue(m_model.GetValue());
    Push();
}

void CFloatEdit::Pull() {
    if (hasSelectedText())
        m_model.SetState(text(), selectionStart(), selectionEnd());
    else
        m_model.SetState(text(), cursorPosition(), cursorPosition());
}

void CFloatEdit::Push() {
    if (text() != m_model.Text()) setText(m_model.Text());
    setCursorPosition(m_model.SelStart());
}

void CFloatEdit::keyPressEvent(QKeyEvent* e) {
    switch (e->key()) {
    case Qt::Key_Delete:
        Pull();
        m_model.OnDelete();
        Push();
        return;
    case Qt::Key_Insert:
        return; // insert/overwrite mode never changes
    case Qt::Key_Backspace:
        Pull();
        m_model.OnChar(CFloatEditText::kBackspace);
        Push();
        return;
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
        QLineEdit::keyPressEvent(e); // moving the caret and selecting
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        e->ignore(); // the dialog's
        return;
    default:
        break;
    }
    const QString t = e->text();
    if (t.size() == 1 && !(e->modifiers() & (Qt::ControlModifier | Qt::MetaModifier))) {
        Pull();
        if (m_model.OnChar(t.at(0))) Push();
    }
    // Every other key is dropped.
}

void CFloatEdit::contextMenuEvent(QContextMenuEvent* e) {
    e->accept();
}

void CFloatEdit::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) {
        e->accept(); // no context menu, no pasting of the selection
        return;
    }
    QLineEdit::mousePressEvent(e);
}

void CFloatEdit::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) {
        e->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(e);
}
