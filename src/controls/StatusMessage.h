// Messages about a record manager status. The message's own text stays as the suite words it;
// what the status means is told beneath it, so that a user can say what happened.
#pragma once

#include <QMessageBox>
#include <QString>

// "Status 18 (disk full)"; the number alone for a status without a meaning of its own.
QString StatusDetail(int status);

// The text with the status's detail on a line of its own, for labels; the text alone for 0.
QString WithStatusDetail(const QString& text, int status);

// A modal message box with the text and, as its informative text, the detail; returns the
// button chosen.
QMessageBox::StandardButton ShowDetailedMessage(QWidget* parent, QMessageBox::Icon icon,
                                                const QString& caption, const QString& text,
                                                const QString& detail,
                                                QMessageBox::StandardButtons buttons = QMessageBox::Ok);

// The same with the detail of a record manager status.
QMessageBox::StandardButton ShowStatusMessage(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                                              const QString& text, int status,
                                              QMessageBox::StandardButtons buttons = QMessageBox::Ok);
