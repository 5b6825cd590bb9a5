// Start-up of the program on real folders under a temporary HOME, through the application object
// itself (one per process, so every case runs InitInstance again on it).
#include "AccessibleNames.h"
#include "CAboutDlg.h"
#include "CRecipeApp.h"
#include "CRecipeSelect.h"
#include "Display.h"
#include "MenuHdrDB.h"
#include "MenuItemDB.h"
#include "ModalDriver.h"
#include "Password.h"
#include "Profile.h"
#include "RecipeFiles.h"
#include "SuiteSettings.h"
#include "btrieve/files.h"
#include "dbtool.h"

#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const char* const kRecipeFiles[] = {"PTNSIZE.DB",      "ORDER.DB",   "ORDRITEM.DB",
                                    "MenuCategory.DB", "MENUHDR.DB", "MenuItem.DB"};

void WriteFile(const fs::path& path, const std::string& text) {
    std::ofstream out(path);
    out << text;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

class TestApp : public CRecipeApp {
public:
    using CRecipeApp::CRecipeApp;

    int m_nEditorRuns = 0;
    QString m_strEditorCustomer;
    fs::path m_editorDirectory;
    int m_nReloads = 0;
    QStringList m_problems;
    bool m_bDocumentsFail = false;
    // The editor stays open until the test closes it (or asks the program to quit).
    bool m_bKeepEditorOpen = false;

protected:
    std::unique_ptr<QDialog> CreateMainDialog(const QString& customerNumber) override {
        ++m_nEditorRuns;
        m_strEditorCustomer = customerNumber;
        m_editorDirectory = fs::current_path();
        auto dialog = std::make_unique<QDialog>();
        dialog->setWindowTitle("Recipe");
        if (!m_bKeepEditorOpen) QTimer::singleShot(0, dialog.get(), &QDialog::reject);
        return dialog;
    }
    void ReloadParameters() override {
        ++m_nReloads;
        CRecipeApp::ReloadParameters();
    }
    void ReportProblem(const QString& text) override { m_problems << text; }
    QString DocumentsFolder() const override {
        return m_bDocumentsFail ? QString() : CRecipeApp::DocumentsFolder();
    }
};

class StartupTest : public QObject {
    Q_OBJECT
public:
    StartupTest(TestApp& app, const QString& root) : m_app(app), m_root(root.toStdString()) {}

private:
    TestApp& m_app;
    fs::path m_root;
    fs::path Home() const { return m_root / "home"; }
    fs::path PerUser() const { return Home() / "Documents" / "Kestrel 32"; }
    fs::path Scratch() const { return m_root / "scratch"; }

    // Start-up with the customer number given on the command line.
    void RunStartup(const QString& customer = "100210") {
        m_app.SetCommandLine(customer);
        m_app.m_nEditorRuns = 0;
        m_app.m_nReloads = 0;
        m_app.m_problems.clear();
        m_app.InitInstance();
        QCOMPARE(m_app.m_nEditorRuns, 1); // the editor runs in every case, for that customer
        QCOMPARE(m_app.m_strEditorCustomer, customer);
    }

    void ExpectRecipeFiles(const fs::path& dir, bool present) {
        for (const char* name : kRecipeFiles)
            QVERIFY2(btr::RecordFileExists((dir / name).string()) == present, name);
    }

private slots:
    void init() {
        SuiteSettings().clear();
        SetSelectProfileFunction({});
        m_app.m_bDocumentsFail = false;
        m_app.m_bKeepEditorOpen = false;
        std::error_code ec;
        fs::remove_all(Home() / "Documents", ec);
        fs::remove_all(Home() / "Kestrel 32", ec);
        fs::remove_all(Scratch(), ec);
        fs::create_directories(Scratch());
        fs::current_path(Scratch());
    }

    void noStoredProfileShowsThePickerAndCancelSkipsEverythingButTheEditor() {
        bool shown = false;
        kt::OnModal([&](QWidget* w) {
            shown = w->windowTitle() == "Select Profile";
            QTest::keyClick(w->focusWidget(), Qt::Key_Escape);
        });
        RunStartup();
        QVERIFY(shown);
        QVERIFY(!m_app.GetStartupSucceeded());
        QCOMPARE(fs::current_path(), Scratch());
        ExpectRecipeFiles(Scratch(), false);
        QVERIFY(!fs::exists(Scratch() / "TEMP"));
        QCOMPARE(m_app.m_nReloads, 0);
    }

    void storedProfileWorksInTheDocumentsFolderOrElseInHome() {
        SetProfileLocation("Demo");
        QVERIFY(StoreProfile("Demo", (Scratch() / "elsewhere").string()));
        RunStartup();
        QVERIFY(m_app.GetStartupSucceeded());
        QCOMPARE(m_app.m_strProfileLocation, QString("Demo"));
        QCOMPARE(m_app.m_strDatabaseLocation, QString::fromStdString(PerUser().string()));
        for (const char* sub : {"DBTEXT", "TEMP", "CONFS"})
            QVERIFY2(fs::is_directory(PerUser() / sub), sub);
        QCOMPARE(m_app.m_editorDirectory, PerUser());
        ExpectRecipeFiles(PerUser(), true);
        QVERIFY(!fs::exists(Scratch() / "elsewhere"));
        QCOMPARE(m_app.m_nReloads, 0);
        QCOMPARE(QCoreApplication::organizationName(), QString("Corvane"));
        QCOMPARE(QCoreApplication::applicationName(), QString("Kestrel 32"));

        // No documents folder: the home folder instead.
        m_app.m_bDocumentsFail = true;
        RunStartup();
        QVERIFY(m_app.GetStartupSucceeded());
        QCOMPARE(m_app.m_editorDirectory, Home() / "Kestrel 32");
        ExpectRecipeFiles(Home() / "Kestrel 32", true);
    }

    void chosenProfileUsesItsDirectoryAndReloadsTheLibrariesWithoutACustomer() {
        fs::path db = Scratch() / "shop";
        QVERIFY(StoreProfile("Shop", db.string()));
        kt::OnModal([](QWidget* w) { QTest::keyClick(w->focusWidget(), Qt::Key_Return); });
        RunStartup(""); // no customer
        QVERIFY(m_app.GetStartupSucceeded());
        QCOMPARE(m_app.m_strProfileLocation, QString("Shop"));
        QCOMPARE(m_app.m_nReloads, 1);
        QCOMPARE(m_app.m_editorDirectory, db);
        ExpectRecipeFiles(db, true);
    }

    void profileWithoutDatabaseDirWorksWhereTheProgramStarted() {
        SetSelectProfileFunction([](int, char* buffer, QWidget*) {
            std::strcpy(buffer, "Nodir");
            return 0;
        });
        RunStartup();
        QVERIFY(m_app.GetStartupSucceeded());
        QCOMPARE(m_app.m_strDatabaseLocation, QString());
        QCOMPARE(m_app.m_editorDirectory, Scratch());
        QVERIFY(!fs::exists(Scratch() / "TEMP"));
        QCOMPARE(m_app.m_nReloads, 1);
        ExpectRecipeFiles(Scratch(), true);
    }

    void tempIsEmptiedWithoutFollowingLinksAndIsNeverALink() {
        SetProfileLocation("Demo");
        fs::path temp = PerUser() / "TEMP";
        fs::create_directories(temp / "a" / "b" / "c");
        WriteFile(temp / "a" / "b" / "c" / "deep.txt", "x");
        WriteFile(temp / "left.tmp", "x");
        fs::path outsideFile = Scratch() / "precious.txt";
        fs::path outsideDir = Scratch() / "precious";
        WriteFile(outsideFile, "keep me");
        fs::create_directories(outsideDir);
        WriteFile(outsideDir / "inside.txt", "keep me too");
        fs::create_symlink(outsideFile, temp / "link-to-file");
        fs::create_directory_symlink(outsideDir, temp / "a" / "link-to-dir");
        RunStartup();
        QVERIFY(fs::is_directory(temp));
        QVERIFY(fs::is_empty(temp));
        QCOMPARE(ReadFile(outsideFile), std::string("keep me"));
        QCOMPARE(ReadFile(outsideDir / "inside.txt"), std::string("keep me too"));

        // A TEMP that is itself a link becomes a real folder; what it pointed to stays.
        fs::remove(temp);
        fs::path target = Scratch() / "target";
        fs::create_directories(target);
        WriteFile(target / "keep.txt", "data");
        fs::create_directory_symlink(target, temp);
        RunStartup();
        QVERIFY(!fs::is_symlink(temp));
        QVERIFY(fs::is_directory(temp));
        QCOMPARE(ReadFile(target / "keep.txt"), std::string("data"));
    }

    void missingHeaderFileIsCreatedAndTheOthersKeepTheirRecords() {
        SetProfileLocation("Demo");
        RunStartup();
        {
            CMenuItemDB lines;
            QCOMPARE(lines.OpenFile(), 0);
            CMenuItem line;
            line.m_strRecipeKey = "AA1";
            QCOMPARE(lines.InsertRecord(line), 0);
        }
        QVERIFY(btr::RemoveRecordFile((PerUser() / "MENUHDR.DB").string().c_str(), nullptr, nullptr));
        RunStartup();
        CMenuHdrDB headers;
        QCOMPARE(headers.OpenFile(), 0);
        QCOMPARE(headers.GetRecordCount(), 0u);
        // Its second key is unique: a second header with the same recipe key is refused.
        CMenuHdr header;
        header.m_cRecordType = 'C';
        header.m_strCustomer = "100210";
        header.m_strRecipeKey = "AA2";
        QCOMPARE(headers.InsertRecipe(header), 0);
        QVERIFY(headers.InsertRecipe(header) != 0);
        CMenuItemDB lines;
        QCOMPARE(lines.OpenFile(), 0);
        QCOMPARE(lines.GetRecordCount(), 1u);
    }

    void threeWrongPasswordsSkipTheFileCheckButNotTheEditor() {
        SetProfileLocation("Demo");
        QVERIFY(SetPassword("open sesame"));
        int tries = 0;
        kt::OnModal([&](QWidget* w) {
            for (const char* guess : {"one", "two", "three"}) {
                QTest::keyClicks(w->focusWidget(), guess);
                QTest::keyClick(w->focusWidget(), Qt::Key_Return);
                ++tries;
            }
        });
        RunStartup();
        QCOMPARE(tries, 3);
        QVERIFY(!m_app.GetStartupSucceeded());
        ExpectRecipeFiles(PerUser(), false);
    }

    void databaseDirectoryThatIsAFileOrUnwritableIsReportedOnce() {
        fs::path file = Scratch() / "not-a-folder";
        WriteFile(file, "somebody's data");
        QVERIFY(StoreProfile("Odd", file.string()));
        kt::OnModal([](QWidget* w) { QTest::keyClick(w->focusWidget(), Qt::Key_Return); });
        RunStartup();
        QCOMPARE(m_app.m_problems.size(), 1);
        QVERIFY2(m_app.m_problems[0].contains(QString::fromStdString(file.string())),
                 qPrintable(m_app.m_problems[0]));
        QVERIFY(!m_app.GetStartupSucceeded());
        QCOMPARE(ReadFile(file), std::string("somebody's data"));
        QCOMPARE(m_app.m_editorDirectory, Scratch());
        ExpectRecipeFiles(Scratch(), false);

        if (::geteuid() == 0) { // root may write anywhere
            qInfo("the unwritable folder is not tried: running as root");
            return;
        }
        SuiteSettings().clear();
        fs::path db = Scratch() / "locked";
        fs::create_directories(db);
        fs::permissions(db, fs::perms::owner_read | fs::perms::owner_exec);
        QVERIFY(StoreProfile("Locked", db.string()));
        kt::OnModal([](QWidget* w) { QTest::keyClick(w->focusWidget(), Qt::Key_Return); });
        RunStartup();
        fs::permissions(db, fs::perms::owner_all);
        QCOMPARE(m_app.m_problems.size(), 1);
        QVERIFY(!m_app.GetStartupSucceeded());
    }

    void aboutBoxShowsTheVersionAndIsReachableFromTheEditor() {
        QCOMPARE(VersionText(), QString("4.04.4"));
        QCOMPARE(VersionText(0x0A1F, 12), QString("a.1f.12"));
        // The editor on the demo database, a new recipe for a demo customer with recipes.
        const fs::path demo = m_root / "about-demo";
        QVERIFY(kdb::BuildDemo(demo.string(), KR_DEMO_DATA));
        const fs::path before = fs::current_path();
        fs::current_path(demo);
        auto fresh = kt::OnModal([](QWidget* w) {
            if (auto* select = qobject_cast<CRecipeSelect*>(w))
                QTest::mouseClick(select->GetNewButton(), Qt::LeftButton);
        });
        std::unique_ptr<QDialog> editor = CRecipeApp::MakeEditor("100210");
        editor->show();
        QVERIFY(QTest::qWaitForWindowExposed(editor.get()));
        QTRY_VERIFY(*fresh);
        ExpectAccessibleNames(editor.get());
        QDir().mkpath(KR_SCREENSHOT_DIR);
        editor->grab().save(QString(KR_SCREENSHOT_DIR) + "/editor.png");
        bool seen = false;
        kt::OnModal([&](QWidget* w) {
            for (QLabel* label : w->findChildren<QLabel*>())
                seen |= label->text().contains("4.04.4");
            w->grab().save(QString(KR_SCREENSHOT_DIR) + "/about.png");
            QTest::keyClick(w->focusWidget() ? w->focusWidget() : w, Qt::Key_Escape);
        });
        // Keyboard only: the About entry's mnemonic.
        QTest::keyClick(editor.get(), Qt::Key_A, Qt::AltModifier);
        QTRY_VERIFY(seen);
        editor.reset();
        fs::current_path(before);
    }

    // Last: a quit leaves the application's event loops ended for the rest of the process.
    void terminationSignalClosesTheEditorCleanly() {
        SetProfileLocation("Demo");
        m_app.m_bKeepEditorOpen = true;
        QTimer::singleShot(100, [] { ::kill(::getpid(), SIGTERM); });
        RunStartup();
        QVERIFY(m_app.IsQuitRequested());
        QVERIFY(!m_app.GetMainDialog());
    }
};

int main(int argc, char** argv) {
    QTemporaryDir root;
    fs::create_directories(fs::path(root.path().toStdString()) / "home");
    qputenv("HOME", (root.path() + "/home").toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (root.path() + "/home/.config").toLocal8Bit());
    TestApp app(argc, argv);
    StartupTest test(app, root.path());
    // The program's own handler answers SIGTERM, not the test library's crash handler.
    QStringList args = app.arguments();
    args << "-nocrashhandler";
    return QTest::qExec(&test, args);
}

#include "test_startup.moc"
