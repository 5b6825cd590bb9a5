#include "CGenApp.h"

#include "Display.h"
#include "Pricing.h"
#include "Profile.h"
#include "Reloads.h"
#include "StartupFolders.h"
#include "SuiteSettings.h"

#include <QDialog>
#include <QDir>
#include <QMessageBox>
#include <QSocketNotifier>
#include <QStandardPaths>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

constexpr int kMaxPath = 260;
int g_quitSockets[2] = {-1, -1};

void OnQuitSignal(int) {
    char byte = 1;
    // Only an async-signal-safe write here; the application reads it in its event loop.
    [[maybe_unused]] ssize_t written = ::write(g_quitSockets[0], &byte, 1);
}

fs::path ToPath(const QString& text) {
    return fs::path(text.toStdString());
}

} // namespace

CGenApp::CGenApp(int& argc, char** argv) : QApplication(argc, argv) {
    setOrganizationName(kSuiteOrganization);
    setApplicationName(kSuiteApplication);
    installEventFilter(this);
    WatchQuitSignals();
}

CGenApp::~CGenApp() {
    if (m_pQuitNotifier) {
        // The notifier goes before the socket it watches.
        delete m_pQuitNotifier;
        m_pQuitNotifier = nullptr;
        std::signal(SIGTERM, SIG_DFL);
        std::signal(SIGINT, SIG_DFL);
        std::signal(SIGHUP, SIG_DFL);
        ::close(g_quitSockets[0]);
        ::close(g_quitSockets[1]);
        g_quitSockets[0] = g_quitSockets[1] = -1;
    }
}

void CGenApp::WatchQuitSignals() {
    if (g_quitSockets[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM, 0, g_quitSockets) != 0) return;
    m_pQuitNotifier = new QSocketNotifier(g_quitSockets[1], QSocketNotifier::Read, this);
    connect(m_pQuitNotifier, &QSocketNotifier::activated, this, [this] {
        char byte;
        [[maybe_unused]] ssize_t got = ::read(g_quitSockets[1], &byte, 1);
        RequestQuit();
    });
    struct sigaction action = {};
    action.sa_handler = OnQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
}

void CGenApp::RequestQuit() {
    m_bQuitRequested = true;
    // Every open dialog ends as cancelled, innermost first, so each modal loop returns.
    while (QWidget* modal = activeModalWidget()) {
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
        if (activeModalWidget() == modal) break;
    }
    for (QWidget* widget : topLevelWidgets())
        if (auto* dialog = qobject_cast<QDialog*>(widget); dialog && dialog->isVisible()) dialog->reject();
    quit();
}

bool CGenApp::eventFilter(QObject* watched, QEvent* event) {
    // Events the toolkit does not consume are offered to the pricing library.
    if (QApplication::eventFilter(watched, event)) return true;
    return FilterDllMsg(event) != 0;
}

QString CGenApp::DocumentsFolder() const {
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

void CGenApp::ReloadParameters() {
    ReloadSystemParameters();
    ReloadDisplayParameters();
    ReloadReportParameters();
    ReloadCommissionParameters();
}

void CGenApp::ReportProblem(const QString& text) {
    QMessageBox::warning(nullptr, "Recipe", text);
}

bool CGenApp::InitInstance() {
    setOrganizationName(kSuiteOrganization);
    setApplicationName(kSuiteApplication);
    m_strHelpFile = "Generic.hlp";

    m_strProfileLocation = QString::fromStdString(ProfileLocation());
    m_strDatabaseLocation = QString::fromStdString(ProfileDatabaseLocation());

    QString path;
    if (!m_strProfileLocation.isEmpty() && !AlwaysSelectProfile()) {
        // Per user: the documents folder, or the home folder when there is none.
        QString base = DocumentsFolder();
        if (base.isEmpty()) base = QDir::homePath();
        path = QDir(base).filePath(kSuiteApplication);
        std::error_code ec;
        // The documents folder itself may not exist yet on a fresh account.
        fs::create_directories(ToPath(path), ec);
        m_strDatabaseLocation = path;
    } else {
        char buffer[kMaxPath] = {};
        if (SelectProfile(AlwaysSelectProfile() ? 1 : 0, buffer, nullptr) < 0) return false;
        buffer[kMaxPath - 1] = '\0';
        m_strProfileLocation = QString::fromLocal8Bit(buffer);
        m_strDatabaseLocation =
            SuiteSettings().value(m_strProfileLocation + "Directories/DatabaseDir", QString()).toString();
        path = m_strDatabaseLocation.left(kMaxPath - 1);
        if (!path.isEmpty()) startup::EnsureFolder(ToPath(path));
        ReloadParameters();
    }

    std::error_code ec;
    if (!path.isEmpty() && fs::exists(ToPath(path), ec)) {
        std::string problem = startup::DatabaseFolderProblem(ToPath(path));
        if (!problem.empty()) {
            ReportProblem(QString("The database folder %1 cannot be used: %2.")
                              .arg(QDir::toNativeSeparators(path), QString::fromStdString(problem)));
            return false;
        }
        PrepareDatabaseFolder(path);
    }
    return ValidatePassword() != 0;
}

void CGenApp::PrepareDatabaseFolder(const QString& path) {
    fs::path folder = ToPath(path);
    startup::EnsureFolder(folder / "DBTEXT");
    startup::PrepareTemp(folder / "TEMP");
    startup::EnsureFolder(folder / "CONFS");
    // Record files are opened by bare name from here on.
    std::error_code ec;
    fs::current_path(folder, ec);
}
