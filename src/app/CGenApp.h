// The suite's application base: settings key and profile, the database directory and its
// working folders, the libraries' parameter reloads and the password check.
#pragma once

#include <QApplication>
#include <QString>

class QSocketNotifier;

class CGenApp : public QApplication {
    Q_OBJECT
public:
    CGenApp(int& argc, char** argv);
    ~CGenApp() override;

    // The base start-up; true when it succeeded (profile chosen, password passed).
    virtual bool InitInstance();

    // Hooks the suite's libraries may ask; the program itself only asks AlwaysSelectProfile.
    virtual bool SuiteQuery1() = 0;
    virtual bool SuiteQuery2() = 0;
    virtual bool SuiteQuery3() = 0;
    virtual void SuiteNotify(int code, int value, void* data) = 0;
    virtual bool SuiteQuery4() { return false; }
    virtual bool AlwaysSelectProfile() { return false; }

    QString m_strDatabaseLocation;
    QString m_strProfileLocation;
    QString m_strHelpFile;

    // A clean quit was asked for (SIGTERM, SIGINT or SIGHUP): open dialogs are closed and no
    // further window is opened.
    bool IsQuitRequested() const { return m_bQuitRequested; }
    void RequestQuit();

protected:
    // The user's documents folder; empty when it cannot be found.
    virtual QString DocumentsFolder() const;
    // ReloadSystemParameters, ReloadDisplayParameters, ReloadReportParameters and
    // ReloadCommissionParameters, in that order.
    virtual void ReloadParameters();
    // Tells the user about a problem start-up cannot fix.
    virtual void ReportProblem(const QString& text);

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void PrepareDatabaseFolder(const QString& path);
    void WatchQuitSignals();

    QSocketNotifier* m_pQuitNotifier = nullptr;
    bool m_bQuitRequested = false;
};
