// "Copy To ...", "Export To ...", "Print" and "Conversion Chart" driven from the editor with clicks and
// keys through the real message boxes, customer picker hook and save-file dialog, on a database
// the test builds.
#include "CConvertionInfoDlg.h"
#include "CListPrintSetup.h"
#include "CMenuListCtrl.h"
#include "CMyListCtrl.h"
#include "CRecipe.h"
#include "CRecipeDlg.h"
#include "Costing.h"
#include "Display.h"
#include "ItemUnitDB.h"
#include "ModalDriver.h"
#include "Strings.h"
#include "btrieve/btrcall.h"
#include "editor_driver.h"
#include "fixtures.h"
#include "support.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCompleter>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QtTest>

#include <cstring>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>

namespace {

using kt::AddIngredient;
using kt::Click;
using kt::EditCell;
using kt::ScreenshotPath;

using Grid = CMenuListCtrl;

// Today's price of an item's unit changes after a recipe was saved.
void SetPrice(const std::string& item, const std::string& unit, float price) {
    CItemUnitDB units;
    QCOMPARE(units.OpenFile(), 0);
    CItemUnit record;
    QCOMPARE(units.FindUnit(record, kt::Pad(item, 12), kt::Pad(unit, 3)), 0);
    record.m_fPricing116 = price;
    QCOMPARE(units.UpdateRecord(record), 0);
}

// Types into a field and leaves it with Tab, as a user does.
void TypeInto(QLineEdit* field, const QString& text) {
    // A message box that closed may leave no window active: the user clicks back into it.
    field->window()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(field->window()));
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, text);
    QTest::keyClick(field, Qt::Key_Tab);
}

struct StoredRecipe {
    CMenuHdr header;
    std::vector<CMenuItem> lines;
};

// Every recipe of a customer as stored.
std::vector<StoredRecipe> RecipesOf(const std::string& customer) {
    std::vector<StoredRecipe> found;
    CMenuHdrDB headers;
    if (headers.OpenFile() != 0) return found;
    CMenuHdr header;
    std::vector<std::string> keys;
    for (int st = headers.FindFirstRecipe(header, customer);
         st == 0 && TrimRight(header.m_strCustomer) == TrimRight(customer);
         st = headers.FindNextRecipe(header))
        keys.push_back(TrimRight(header.m_strRecipeKey));
    for (const std::string& key : keys) {
        CRecipe recipe;
        if (recipe.Load(key) == 0) found.push_back({recipe.m_hdr, recipe.m_arrLines});
    }
    return found;
}

// Splits the export file into its lines (without CR LF) and each line into its fields.
std::vector<QStringList> ReadExport(const QString& path, QString* raw = nullptr) {
    std::ifstream in(QFile::encodeName(path).toStdString(), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    const QString text = QString::fromLatin1(s.str());
    if (raw) *raw = text;
    std::vector<QStringList> rows;
    for (const QString& line : text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts))
        rows.push_back(line.split(QLatin1Char('\t')));
    return rows;
}

using kt::Box;
using kt::Finished;
using kt::Play;
using kt::Played;
using kt::Step;
using kt::Window;

// The completion list of the name opens once the folder has been read; it would take the next
// key or click, so it is closed first, as a user does.
void Settle(QLineEdit* name) {
    QTest::qWait(200);
    if (QCompleter* c = name->completer(); c && c->popup()->isVisible())
        QTest::keyClick(c->popup(), Qt::Key_Escape);
}

struct SaveAsSeen {
    QStringList filters;
    QString initialName;
};

// The save-file dialog: the path typed over the proposed name, then Enter.
Step SaveAs(const QString& path, std::shared_ptr<SaveAsSeen> seen = nullptr) {
    return {[](QWidget* w) { return qobject_cast<QFileDialog*>(w) != nullptr; },
            [=](QWidget* w, Played&) {
                auto* dialog = qobject_cast<QFileDialog*>(w);
                auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                if (seen) {
                    seen->filters = dialog->nameFilters();
                    seen->initialName = name ? name->text() : QString();
                }
                if (!name) return dialog->reject();
                // As a user does: into the folder first when it is another one, then the name.
                // A completion list that opened late takes the Enter: then it is pressed again.
                const QFileInfo target(path);
                auto enter = [&](const QString& text, const std::function<bool()>& done) {
                    for (int attempt = 0; attempt < 3 && !done(); ++attempt) {
                        name->setFocus();
                        name->selectAll();
                        QTest::keyClicks(name, text);
                        Settle(name);
                        // The picture of the guide: the proposed name in the test's own folder.
                        const bool own = target.absolutePath().startsWith(QDir::tempPath());
                        if (own && text == kr::str::kExportDefaultName)
                            dialog->grab().save(ScreenshotPath(QStringLiteral("export_save_as")));
                        QTest::keyClick(name, Qt::Key_Return);
                        QTest::qWait(100);
                    }
                };
                QTest::qWait(300);
                enter(target.absolutePath(),
                      [&] { return QDir(target.absolutePath()) == QDir(dialog->directory()); });
                enter(target.fileName(), [&] { return !dialog->isVisible(); });
            }};
}

// A window of type T turned away with Escape (and counted among the steps met).
template <class T> Step Escape() {
    return {[](QWidget* w) { return qobject_cast<T*>(w) != nullptr; },
            [](QWidget* w, Played&) { QTest::keyClick(w, Qt::Key_Escape); }};
}

} // namespace

class CopyExportTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<kt::TempDir> m_dir;
    std::unique_ptr<CRecipeDlg> m_dlg;
    QString m_chosenCustomer;
    int m_pickerCalls = 0;
    QString m_ptnType0; // the flour line's portion type as the grid shows it

    CRecipeDlg* Open(const QString& customer) { return kt::OpenEditor(m_dlg, customer); }

    // Three lines: flour at today's price, beef with its cost overridden to 45, a custom spice
    // at 5. Sell price 10, category SOUPS. Not saved.
    void BuildRecipe(CRecipeDlg* dlg) {
        Grid* grid = dlg->Grid();
        AddIngredient(dlg, QStringLiteral("100200"));
        AddIngredient(dlg, QStringLiteral("500001"));
        EditCell(grid, 1, Grid::kColItemCost, QStringLiteral("45"));
        QCOMPARE(kt::Answered(QMessageBox::Yes, [&] { AddIngredient(dlg, QStringLiteral("MYSPICE")); }),
                 kr::str::kAddCustomItem);
        EditCell(grid, 2, Grid::kColItemCost, QStringLiteral("5"));
        EditCell(grid, 2, Grid::kColPtnPerItem, QStringLiteral("10"));
        QCOMPARE(grid->GetItemCount(), 3);

        TypeInto(kt::Named<QLineEdit>(dlg, QStringLiteral("Recipe Name")), QStringLiteral("CHILI"));
        TypeInto(kt::Named<QLineEdit>(dlg, QStringLiteral("Sell Price")), QStringLiteral("10"));
        auto* combo = kt::Named<QComboBox>(dlg, QStringLiteral("Recipe Category"));
        QVERIFY(combo);
        QVERIFY(QTest::qWaitForWindowActive(dlg));
        combo->setFocus();
        QTest::keyClicks(combo, QStringLiteral("soups"));
        QVERIFY(kt::Answered(QMessageBox::Yes, [&] { QTest::keyClick(combo, Qt::Key_Tab); }) !=
                kt::kNoMessageBox);
        QVERIFY(!dlg->Category().empty());
        m_ptnType0 = grid->GetCellText(0, Grid::kColPtnType);
        QVERIFY(dlg->IsModified());
    }

    // "Copy To ..." to the customer, answering the message boxes in order.
    std::shared_ptr<Played> CopyTo(CRecipeDlg* dlg, const QString& customer,
                                   const std::vector<QMessageBox::StandardButton>& answers) {
        m_chosenCustomer = customer;
        std::vector<Step> steps;
        for (QMessageBox::StandardButton b : answers)
            steps.push_back(Box(b));
        auto played = Play(std::move(steps));
        Click(dlg, kr::str::kCopyTo);
        return played;
    }

    // The command, with the steps for the windows it may open; what was met within a moment.
    std::shared_ptr<Played> PlayBriefly(CRecipeDlg* dlg, const QString& caption, std::vector<Step> steps) {
        auto run = Play(std::move(steps));
        Click(dlg, caption);
        QTest::qWait(50);
        run->stopped = true;
        return run;
    }

private slots:
    void initTestCase() {
        // The save-file dialog remembers the last folder in the user's settings: the test keeps
        // its own, starting afresh.
        QStandardPaths::setTestModeEnabled(true);
        QFile::remove(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                      QStringLiteral("/QtProject.conf"));
    }

    void init() {
        m_dir = std::make_unique<kt::TempDir>();
        kt::BuildEditorDatabase();
        m_pickerCalls = 0;
        SetSelectCustFunction([this](int, const char*, char* buffer, int, QWidget*) {
            ++m_pickerCalls;
            if (m_chosenCustomer.isEmpty()) return 0;
            std::strcpy(buffer, m_chosenCustomer.toLatin1().constData());
            return 1;
        });
    }

    void cleanup() {
        if (m_dlg) {
            m_dlg->hide();
            m_dlg.reset();
        }
        SetSelectCustFunction({});
        m_dir.reset();
    }

    void copiesToAnotherCustomerAndTwiceToTheSameThenShowsTheChart() {
        CRecipeDlg* dlg = Open(QStringLiteral("C1"));
        QVERIFY(dlg);
        BuildRecipe(dlg);
        const std::string category = dlg->Category();

        auto run = CopyTo(dlg, QStringLiteral("C2"),
                          {QMessageBox::Yes, QMessageBox::Ok, QMessageBox::Yes, QMessageBox::Ok});
        QVERIFY(Finished(run));
        QCOMPARE(run->texts, (QStringList{kr::str::kSaveBeforeCopy, kr::str::kRecipeSaved,
                                          QStringLiteral("Are you sure you want to copy recipe CHILI from "
                                                         "customer C1 to customer C2    ?"),
                                          kr::str::kRecipeSaved}));
        // The source was saved by the question and stays open as it was.
        const std::string source = dlg->RecipeKey();
        QCOMPARE(source.substr(0, 2), std::string("AA"));
        QCOMPARE(dlg->Customer(), std::string("C1"));
        QVERIFY(!dlg->IsModified());
        QCOMPARE(dlg->Grid()->GetItemCount(), 3);

        const std::vector<StoredRecipe> copies = RecipesOf("C2");
        QCOMPARE(copies.size(), size_t(1));
        const StoredRecipe& copy = copies[0];
        QCOMPARE(TrimRight(copy.header.m_strRecipeKey).substr(0, 2), std::string("AA"));
        QVERIFY(TrimRight(copy.header.m_strRecipeKey) != source);
        QCOMPARE(copy.header.m_strRecipeName, std::string("CHILI"));
        QCOMPARE(copy.header.m_dSellPrice, 10.0);
        QCOMPARE(TrimRight(copy.header.m_strCategoryKey), TrimRight(category)); // the source's category id
        // The cost rule: the flour at its default price is stored without cost; the override and
        // the custom cost are stored.
        QCOMPARE(copy.lines.size(), size_t(3));
        QCOMPARE(copy.lines[0].m_dItemCost, 0.0);
        QCOMPARE(copy.lines[1].m_dItemCost, 45.0);
        QCOMPARE(copy.lines[2].m_dItemCost, 5.0);
        dlg->grab().save(ScreenshotPath(QStringLiteral("recipe_after_copy")));

        // Two copies to the same customer straight after each other, most often within one
        // second: two more recipes of the same name, each under its own key.
        for (int i = 0; i < 2; ++i) {
            run = CopyTo(dlg, QStringLiteral("C1"), {QMessageBox::Yes, QMessageBox::Ok});
            QVERIFY(Finished(run));
            QCOMPARE(run->texts.value(1), kr::str::kRecipeSaved);
        }
        std::set<std::string> keys;
        for (const StoredRecipe& r : RecipesOf("C1")) {
            keys.insert(TrimRight(r.header.m_strRecipeKey));
            QCOMPARE(r.header.m_strRecipeName, std::string("CHILI"));
            QCOMPARE(r.lines.size(), size_t(3));
        }
        QCOMPARE(keys.size(), size_t(3));
        QCOMPARE(dlg->RecipeKey(), source);

        // The conversion chart opens from the editor and OK closes it.
        auto closed = kt::OnModal([&](QWidget* w) {
            auto* chart = qobject_cast<CConvertionInfoDlg*>(w);
            QVERIFY(chart);
            chart->grab().save(ScreenshotPath(QStringLiteral("conversion_chart_from_editor")));
            QTest::mouseClick(chart->m_pOK, Qt::LeftButton);
        });
        Click(dlg, kr::str::kConversionChart);
        QVERIFY(kt::WaitFor(closed));
        QVERIFY(dlg->isVisible());
    }

    void copyExportAndPrintSaveFirstGoNoFurtherOnNoOrAFailedSaveAndAFailedCopyLeavesNothing() {
        CRecipeDlg* dlg = Open(QStringLiteral("C1"));
        QVERIFY(dlg);
        BuildRecipe(dlg);
        // Any save-file dialog or print setup that should not open is turned away and counted.
        auto exportTo = [&](std::vector<Step> steps) { return PlayBriefly(dlg, kr::str::kExportTo, steps); };
        auto print = [&](std::vector<Step> steps) { return PlayBriefly(dlg, kr::str::kPrint, steps); };
        auto setup = Escape<CListPrintSetup>;

        // No to the save question: no picker, no dialog, no printout, the changes still unsaved.
        auto run = CopyTo(dlg, QStringLiteral("C2"), {QMessageBox::No});
        QCOMPARE(run->texts, QStringList{kr::str::kSaveBeforeCopy});
        run = exportTo({Box(QMessageBox::No), Escape<QFileDialog>()});
        QCOMPARE(run->done, size_t(1));
        run = print({Box(QMessageBox::No), setup()});
        QCOMPARE(run->texts, QStringList{kr::str::kSaveBeforePrint});
        QCOMPARE(run->done, size_t(1));
        QCOMPARE(m_pickerCalls, 0);
        QVERIFY(dlg->IsModified());

        // Yes, but the save fails (the line file takes one line per recipe): nothing goes on.
        kt::MakeLineFileOnePerRecipe();
        run = CopyTo(dlg, QStringLiteral("C2"), {QMessageBox::Yes, QMessageBox::Ok, QMessageBox::Yes});
        QTest::qWait(50);
        run->stopped = true;
        QCOMPARE(run->texts, (QStringList{kr::str::kSaveBeforeCopy, kr::str::kErrorSaving}));
        run = exportTo({Box(QMessageBox::Yes), Box(QMessageBox::Ok), Escape<QFileDialog>()});
        QCOMPARE(run->texts, (QStringList{kr::str::kSaveBeforeCopy, kr::str::kErrorSaving}));
        QCOMPARE(run->done, size_t(2));
        QCOMPARE(m_pickerCalls, 0);
        QVERIFY(dlg->IsModified());
        QVERIFY(RecipesOf("C1").empty());
        QVERIFY(RecipesOf("C2").empty());

        QCOMPARE(CMenuItemDB().Create("MENUITEM.DB"), 0);
        // Yes to printing's question saves, then the printout starts; unchanged, it asks nothing.
        run = print({Box(QMessageBox::Yes), Box(QMessageBox::Ok), setup()});
        QCOMPARE(run->texts, (QStringList{kr::str::kSaveBeforePrint, kr::str::kRecipeSaved}));
        QCOMPARE(run->done, size_t(3));
        QVERIFY(!dlg->IsModified());
        run = print({setup()});
        QCOMPARE(run->done, size_t(1));
        QVERIFY(run->texts.isEmpty());
        const CRecipePrintTexts texts = dlg->PrintTexts();
        QVERIFY(texts.m_strCustomer.contains(QStringLiteral("JOE'S DINER")));
        QCOMPARE(RecipeAmountsText(texts), QStringLiteral("$%1\n%2\n%3\n%4")
                                               .arg(QString::number(texts.m_dSellPrice, 'f', 2),
                                                    dlg->CostText(), dlg->ProfitText(), dlg->TotalFCText()));
        // The picker closed without a customer; No to the confirmation.
        run = CopyTo(dlg, QString(), {});
        run = CopyTo(dlg, QStringLiteral("C2"), {QMessageBox::No});
        QVERIFY(Finished(run));
        QCOMPARE(m_pickerCalls, 2);
        QVERIFY(RecipesOf("C2").empty());
        // The save-file dialog cancelled with Escape: no file, no message.
        run = exportTo({Escape<QFileDialog>(), Box(QMessageBox::Ok)});
        QCOMPARE(run->done, size_t(1));
        QVERIFY(!QFile::exists(QString::fromStdString(m_dir->file("Recipe.txt"))));

        // Another program replaced the line file by one that takes a single line per recipe key:
        // the copy's header and first line go in, its second line is refused, and nothing of the
        // copy is left behind.
        const std::string source = dlg->RecipeKey();
        kt::MakeLineFileOnePerRecipe();
        run = CopyTo(dlg, QStringLiteral("C2"), {QMessageBox::Yes, QMessageBox::Ok});
        QVERIFY(Finished(run));
        QCOMPARE(run->texts.value(1), kr::str::kErrorSaving);
        QVERIFY(RecipesOf("C2").empty());
        CMenuItemDB lines;
        QCOMPARE(lines.OpenFile(), 0);
        std::vector<uint8_t> record;
        QCOMPARE(lines.ReadBytes(btr::B_STEP_FIRST, record), int(btr::B_END_OF_FILE));
        QCOMPARE(dlg->RecipeKey(), source);
    }

    void exportAtTodaysPricesThenOverTheOldFileWithSellPriceZeroAndItsFailuresReported() {
        CRecipeDlg* dlg = Open(QStringLiteral("C1"));
        QVERIFY(dlg);
        BuildRecipe(dlg);
        QCOMPARE(kt::SaveRecipe(dlg), kr::str::kRecipeSaved);
        const QString key = QString::fromStdString(dlg->RecipeKey());
        SetPrice("100200", "BAG", 13.5f); // after the save: the export prices the flour anew

        const QString path = QString::fromStdString(m_dir->file("Recipe.txt"));
        auto seen = std::make_shared<SaveAsSeen>();
        auto run = Play({SaveAs(path, seen), Box(QMessageBox::Ok)});
        Click(dlg, kr::str::kExportTo); // unchanged: no question before the dialog
        QVERIFY(Finished(run));
        QCOMPARE(seen->initialName, kr::str::kExportDefaultName);
        QCOMPARE(seen->filters,
                 (QStringList{QStringLiteral("Text Files (*.txt)"), QStringLiteral("All Files (*.*)")}));
        QCOMPARE(run->texts, QStringList{QStringLiteral("Exported 3 recipe lines to %1.").arg(path)});
        QCOMPARE(QDir::currentPath(), QString::fromStdString(m_dir->path().string()));

        std::vector<QStringList> rows = ReadExport(path);
        QCOMPARE(rows.size(), size_t(4));
        QCOMPARE(rows[0].size(), 15);
        // Flour: stored without cost, so today's 13.50; 13.50 / 25 = 0.54 a portion, 5.40% of 10.
        QCOMPARE(rows[1],
                 (QStringList{"C1      ", "JOE'S DINER", key, "10.00", "100200", "BAG", "FLOUR ALL PURPOSE",
                              "MILLCO", "13.50", "25", "0.54", m_ptnType0, "1.00", "0.54", "5.40%"}));
        // Beef: the overridden cost, not today's 40.
        QCOMPARE(rows[2].mid(8), (QStringList{"45.00", "10", "4.50", "PC", "1.00", "4.50", "45.00%"}));
        QCOMPARE(rows[3].mid(4), (QStringList{"MYSPICE", "", "New Item", "", "5.00", "10", "0.50", "PC",
                                              "1.00", "0.50", "5.00%"}));

        // A sell price of 0, not yet saved: saved on the question, then the old file replaced
        // after its own question.
        TypeInto(kt::Named<QLineEdit>(dlg, QStringLiteral("Sell Price")), QStringLiteral("0"));
        run = Play({Box(QMessageBox::Yes), Box(QMessageBox::Ok), SaveAs(path), Box(QMessageBox::Yes),
                    Box(QMessageBox::Ok)});
        Click(dlg, kr::str::kExportTo);
        QVERIFY(Finished(run));
        QCOMPARE(run->texts.mid(0, 2), (QStringList{kr::str::kSaveBeforeCopy, kr::str::kRecipeSaved}));
        QVERIFY2(run->texts[2].contains(QStringLiteral("Recipe.txt")),
                 qPrintable(run->texts[2])); // overwrite?
        rows = ReadExport(path);
        QCOMPARE(rows.size(), size_t(4));
        for (size_t r = 1; r < rows.size(); ++r) {
            QCOMPARE(rows[r][3], QStringLiteral("0.00"));
            QCOMPARE(rows[r].size(), 15); // the FC% field is empty but its tab is there
            QCOMPARE(rows[r][14], QString());
        }

        // Failures are reported. A folder where no file can be made, whoever runs the test (only folders in
        // it, so the dialog lists it quickly).
        const QString unwritable = QStringLiteral("/sys/fs/Recipe.txt");
        run = Play({SaveAs(unwritable), Box(QMessageBox::Ok), Box(QMessageBox::Ok)});
        Click(dlg, kr::str::kExportTo);
        QVERIFY(Finished(run));
        QCOMPARE(run->texts, (QStringList{kr::str::kExportOpenFailed,
                                          QStringLiteral("Exported 0 recipe lines to %1.").arg(unwritable)}));

        // Another program holds the line file for itself: the export cannot read the recipe, and
        // the old file under the chosen name stays as it was.
        CMenuItemDB locker;
        QCOMPARE(locker.OpenFile("MENUITEM.DB", btr::kOpenExclusive), 0);
        const QString locked = QString::fromStdString(m_dir->file("locked.txt"));
        std::ofstream(locked.toStdString()) << "kept";
        QString detail;
        run = Play({SaveAs(locked), Box(QMessageBox::Yes),
                    Window<QMessageBox>([&](QMessageBox* box, Played& played) {
                        played.texts << box->text();
                        detail = box->informativeText();
                        Click(box, QMessageBox::Ok);
                    })});
        Click(dlg, kr::str::kExportTo);
        QVERIFY(Finished(run));
        // The suite's text with the status, and what the status means beneath it.
        QCOMPARE(run->texts.value(1),
                 QStringLiteral("Export to %1 failed with error code 85 after 0 records.").arg(locked));
        QCOMPARE(detail, QStringLiteral("Status 85 (file in use by another program)"));
        QString raw;
        ReadExport(locked, &raw);
        QCOMPARE(raw, QStringLiteral("kept"));
    }
};

QTEST_MAIN(CopyExportTest)
#include "test_copy_export.moc"
