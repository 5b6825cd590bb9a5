#include "CAboutDlg.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

QString VersionText(unsigned version, int build) {
    return QString::asprintf("%x.%2.2x.%d", (version >> 8) & 0xFF, version & 0xFF, build);
}

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle("About Recipe");
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    auto* icon = new QLabel(this);
    icon->setPixmap(QPixmap(":/icons/kestrel-recipe-64.png"));
    icon->setAccessibleName("Kestrel Recipe icon");
    top->addWidget(icon, 0, Qt::AlignTop);
    auto* texts = new QVBoxLayout;
    auto* name = new QLabel("<b>Kestrel Recipe</b>", this);
    auto* version = new QLabel(QString("Recipe Version %1").arg(VersionText()), this);
    version->setAccessibleName(version->text());
    auto* line = new QLabel("Recipe costing for the sales staff of the Kestrel 32 suite.", this);
    line->setWordWrap(true);
    texts->addWidget(name);
    texts->addWidget(version);
    texts->addWidget(line);
    texts->addStretch(1);
    top->addLayout(texts, 1);
    layout->addLayout(top);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setAccessibleName("OK");
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &CAboutDlg::accept);
    resize(380, sizeHint().height());
}

void ShowAboutBox(QWidget* parent) {
    CAboutDlg dlg(parent);
    dlg.exec();
}
