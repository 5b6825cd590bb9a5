#include "CRecipeApp.h"

#include "CAboutDlg.h"
#include "CMyListCtrl.h"
#include "CRecipeDlg.h"
#include "CRecipeSelect.h"
#include "RecipeFiles.h"

#include <QEventLoop>
#include <QIcon>
#include <QTimer>

CRecipeApp::CRecipeApp(int& argc, char** argv) : CGenApp(argc, argv) {
    setDesktopFileName("kestrel-recipe");
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QString(":/icons/kestrel-recipe-%1.png").arg(size));
    setWindowIcon(icon);
    QStringList args = arguments();
    args.removeFirst();
    m_strCommandLine = args.join(' ').trimmed();
}

int CRecipeApp::CheckFiles() {
    return CheckRecipeFiles();
}

std::unique_ptr<QDialog> CRecipeApp::MakeEditor(const QString& customerNumber) {
    auto editor = std::make_unique<CRecipeDlg>(customerNumber);
    CRecipeDlg* shown = editor.get();
    QObject::connect(shown, &CRecipeDlg::aboutRequested, shown, [shown] { ShowAboutBox(shown); });
    return editor;
}

std::unique_ptr<QDialog> CRecipeApp::CreateMainDialog(const QString& customerNumber) {
    return MakeEditor(customerNumber);
}

bool CRecipeApp::InitInstance() {
    m_bStartupSucceeded = CGenApp::InitInstance();
    if (m_bStartupSucceeded) CheckFiles();
    // The editor runs whether or not start-up succeeded; only a quit already asked for stops it.
    if (IsQuitRequested()) return false;
    std::unique_ptr<QDialog> dialog = CreateMainDialog(m_strCommandLine);
    m_pMainDialog = dialog.get();
    // KESTREL_SCREENSHOT=<file>: the editor is drawn into the file once shown, then closed. A
    // recipe selection in front of it opens its first recipe, so the picture shows real work.
    QString shot = qEnvironmentVariable("KESTREL_SCREENSHOT");
    if (!shot.isEmpty()) {
        QDialog* shown = dialog.get();
        auto* timer = new QTimer(shown);
        timer->setInterval(300);
        QObject::connect(timer, &QTimer::timeout, shown, [shown, shot, timer] {
            if (auto* select = qobject_cast<CRecipeSelect*>(activeModalWidget())) {
                select->GetList()->selectRow(0);
                select->accept();
                return;
            }
            if (activeModalWidget() != shown) return;
            timer->stop();
            shown->grab().save(shot);
            shown->reject();
        });
        timer->start();
    }
    // Modal like exec(), but a quit asked for while the editor was still being shown (its recipe
    // selection comes up then) must not leave a loop waiting on a window already closed.
    dialog->setModal(true);
    dialog->show();
    if (!IsQuitRequested() && dialog->isVisible()) {
        QEventLoop loop;
        QObject::connect(dialog.get(), &QDialog::finished, &loop, &QEventLoop::quit);
        loop.exec(QEventLoop::DialogExec);
    }
    m_pMainDialog = nullptr;
    return false;
}
