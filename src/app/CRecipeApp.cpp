#include "CRecipeApp.h"

#include "CEditorFrame.h"
#include "RecipeFiles.h"

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

std::unique_ptr<QDialog> CRecipeApp::CreateMainDialog(const QString& customerNumber) {
    return std::make_unique<CEditorFrame>(customerNumber);
}

bool CRecipeApp::InitInstance() {
    m_bStartupSucceeded = CGenApp::InitInstance();
    if (m_bStartupSucceeded) CheckFiles();
    // The editor runs whether or not start-up succeeded; only a quit already asked for stops it.
    if (IsQuitRequested()) return false;
    std::unique_ptr<QDialog> dialog = CreateMainDialog(m_strCommandLine);
    m_pMainDialog = dialog.get();
    // KESTREL_SCREENSHOT=<file>: the editor is drawn into the file once shown, then closed.
    QString shot = qEnvironmentVariable("KESTREL_SCREENSHOT");
    if (!shot.isEmpty()) {
        QDialog* shown = dialog.get();
        QTimer::singleShot(300, shown, [shown, shot] {
            shown->grab().save(shot);
            shown->reject();
        });
    }
    if (!IsQuitRequested()) dialog->exec();
    m_pMainDialog = nullptr;
    return false;
}
