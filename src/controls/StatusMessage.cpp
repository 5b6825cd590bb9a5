#include "StatusMessage.h"

#include "btrieve/status_text.h"

#include <QLabel>

QString StatusDetail(int status) {
    return QStringLiteral("Status %1").arg(QString::fromStdString(btr::StatusText(status)));
}

QString WithStatusDetail(const QString& text, int status) {
    return status == 0 ? text : text + QLatin1Char('\n') + StatusDetail(status);
}

QMessageBox::StandardButton ShowDetailedMessage(QWidget* parent, QMessageBox::Icon icon,
                                                const QString& caption, const QString& text,
                                                const QString& detail, QMessageBox::StandardButtons buttons) {
    QMessageBox box(icon, caption, text, buttons, parent);
    box.setInformativeText(detail);
    // A short suite text would otherwise squeeze the detail into a narrow column.
    if (auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel")))
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance(detail.left(60)) + 8);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

QMessageBox::StandardButton ShowStatusMessage(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                                              const QString& text, int status,
                                              QMessageBox::StandardButtons buttons) {
    return ShowDetailedMessage(parent, icon, caption, text, status == 0 ? QString() : StatusDetail(status),
                               buttons);
}
