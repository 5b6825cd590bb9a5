#include "CComboBoxAuto.h"

#include "ComboCompletion.h"

#include <QKeyEvent>
#include <QLineEdit>

CComboBoxAuto::CComboBoxAuto(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setCompleter(nullptr); // completion is ours: the first entry from the top, in its own case
    installEventFilter(this);
    lineEdit()->installEventFilter(this);
    connect(lineEdit(), &QLineEdit::textEdited, this, &CComboBoxAuto::OnEditUpdate);
}

bool CComboBoxAuto::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        m_bAutoComplete = key != Qt::Key_Delete && key != Qt::Key_Backspace;
    }
    return QComboBox::eventFilter(watched, event);
}

void CComboBoxAuto::OnEditUpdate(const QString& text) {
    if (!m_bAutoComplete) return;
    QLineEdit* edit = lineEdit();
    int start = edit->cursorPosition();
    int end = start;
    if (edit->hasSelectedText()) {
        start = edit->selectionStart();
        end = edit->selectionEnd();
    }
    QStringList entries;
    entries.reserve(count());
    for (int i = 0; i < count(); ++i)
        entries.append(itemText(i));

    const ComboCompletion::Result r = ComboCompletion::Complete(entries, text, start, end);
    if (r.index >= 0) setCurrentIndex(r.index);
    if (edit->text() != r.text) edit->setText(r.text);
    if (r.selEnd > r.selStart)
        edit->setSelection(r.selStart, r.selEnd - r.selStart);
    else
        edit->setCursorPosition(r.selStart);
}
