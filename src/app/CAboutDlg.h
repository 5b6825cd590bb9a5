// The About box: the program's name and version.
#pragma once

#include <QDialog>

// "4.04.4": the version word's high byte in hexadecimal, its low byte as two hexadecimal digits,
// then the build number.
QString VersionText(unsigned version = 0x0404, int build = 4);

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

// Shows the About box modally over parent.
void ShowAboutBox(QWidget* parent);
