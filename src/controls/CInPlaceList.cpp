#include "CInPlaceList.h"

#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QTimer>

static QWidget* ClientOf(QWidget* list) {
    auto* area = qobject_cast<QAbstractScrollArea*>(list);
    return area ? area->viewport() : list;
}

CInPlaceList::CInPlaceList(int row, int column, const QStringList& choices, int selected, QWidget* list)
    : QComboBox(ClientOf(list)), m_nRow(row), m_nColumn(column), m_arrChoices(choices), m_nSel(selected),
      m_pList(list) {
    setObjectName(QStringLiteral("1001010"));
    setEditable(false);
    setMaxVisibleItems(5); // with the selection field, six rows tall
}

void CInPlaceList::SetDroppedWidth(int width) {
    m_nDroppedWidth = width;
    view()->setMinimumWidth(width);
}

void CInPlaceList::Start() {
    if (m_pList) setFont(m_pList->font());
    addItems(m_arrChoices);
    setCurrentIndex(m_nSel >= 0 && m_nSel < count() ? m_nSel : -1);
    show();
    setFocus(Qt::OtherFocusReason);
}

bool CInPlaceList::event(QEvent* e) {
    if (e->type() == QEvent::ShortcutOverride) {
        auto* k = static_cast<QKeyEvent*>(e);
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter || k->key() == Qt::Key_Escape) {
            e->accept();
            return true;
        }
    }
    return QComboBox::event(e);
}

void CInPlaceList::keyPressEvent(QKeyEvent* e) {
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
        QComboBox::keyPressEvent(e);
    }
}

void CInPlaceList::hidePopup() {
    QComboBox::hidePopup();
    // The drop-down closed (also after a pick): end the edit. The combo stores a picked entry
    // only after closing its list, so end on the next turn of the event loop.
    QTimer::singleShot(0, this, [this] { EndEdit(); });
}

void CInPlaceList::EndEdit() {
    if (m_pList) m_pList->setFocus(Qt::OtherFocusReason);
    Finish();
}

void CInPlaceList::focusOutEvent(QFocusEvent* e) {
    QComboBox::focusOutEvent(e);
    if (e->reason() == Qt::PopupFocusReason) return; // its own drop-down
    if (view() && view()->isVisible()) return;
    Finish();
}

void CInPlaceList::Finish() {
    if (m_bEnded) return;
    m_bEnded = true;
    hide();
    emit EndLabelEdit(m_nRow, m_nColumn, currentText(), m_bCancelled);
    deleteLater();
}
