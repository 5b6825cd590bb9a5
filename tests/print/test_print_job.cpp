// Print jobs on PDF files offscreen: the engine's paths, the drawn pages, the setup dialog and the
// recipe printout.
#include "AccessibleNames.h"
#include "CListCtrlPrint.h"
#include "CListPrintSetup.h"
#include "CMyListCtrl.h"
#include "CPrintStatus.h"
#include "CPrinterJob.h"
#include "ModalDriver.h"
#include "RecipePrint.h"

#include "CFontCombo.h"

#include <QAccessible>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

namespace {
QString Shots() {
    QDir().mkpath(QStringLiteral(KR_TEST_OUTPUT_DIR));
    return QStringLiteral(KR_TEST_OUTPUT_DIR);
}

CPrintStatus* FindStatus() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* s = qobject_cast<CPrintStatus*>(w); s && s->isVisible()) return s;
    return nullptr;
}

// Three pages; watches the window and the progress dialog from inside the pages.
class CWatchedJob : public CPrinterJob {
public:
    void OnBeginPrinting(QPainter*, CPrintInfo* info) override {
        info->m_nMaxPage = 3;
        info->m_nToPage = 3;
    }
    void OnPrint(QPainter* painter, CPrintInfo* info) override {
        pages << info->m_nCurPage;
        windowEnabled << (m_pParent && m_pParent->isEnabled());
        painter->drawText(QPoint(200, 200), QStringLiteral("page %1").arg(info->m_nCurPage));
        CPrintStatus* status = FindStatus();
        statusSeen = statusSeen || status;
        if (status && info->m_nCurPage == 1) {
            title = status->windowTitle();
            printing = status->m_pPrinting->text();
            cancelEnabled = status->m_pCancel->isEnabled() && status->m_pAnimation->IsPlaying();
            status->grab().save(Shots() + QStringLiteral("/print-status.png"));
            if (cancelOnFirst) QTest::mouseClick(status->m_pCancel, Qt::LeftButton);
        }
    }
    void OnEndPrinting(QPainter*, CPrintInfo*) override { ++ended; }

    QList<int> pages;
    QList<bool> windowEnabled;
    bool statusSeen = false, cancelEnabled = false, cancelOnFirst = false;
    QString title, printing;
    int ended = 0;
};

CMyListCtrl* MakeGrid(QWidget* parent, int rows) {
    auto* grid = new CMyListCtrl(parent);
    const std::tuple<const char*, int, int> columns[] = {
        {"Item #", LVCFMT_LEFT, 90},     {"Description", LVCFMT_LEFT, 220}, {"Unit", LVCFMT_CENTER, 50},
        {"Item Cost", LVCFMT_RIGHT, 80}, {"Portions", LVCFMT_RIGHT, 70},    {"Line Cost", LVCFMT_RIGHT, 80}};
    for (int c = 0; c < 6; ++c)
        grid->AddColumn(c, std::get<0>(columns[c]), std::get<1>(columns[c]), std::get<2>(columns[c]));
    const QStringList names = {"Clams, chopped, frozen", "Potatoes, red, diced",
                               "Onion, yellow, jumbo",   "Celery, hearts",
                               "Cream, heavy 40%",       "Bacon, applewood smoked, sliced"};
    for (int r = 0; r < rows; ++r)
        grid->AddRow({QStringLiteral("%1").arg(100200 + r * 7, 6, 10, QLatin1Char('0')),
                      names.at(r % names.size()), r % 3 ? QStringLiteral("CS") : QStringLiteral("LB"),
                      QString::number(10.5 + r, 'f', 2), QString::number(4 + r % 5),
                      QString::number(0.37 * (r + 1), 'f', 2)});
    return grid;
}

int PdfPages(const QString& path) {
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {path});
    if (!p.waitForFinished(20000)) return -1;
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    for (const QString& line : out.split(QLatin1Char('\n')))
        if (line.startsWith(QLatin1String("Pages:"))) return line.mid(6).trimmed().toInt();
    return -1;
}
} // namespace

class TestPrintJob : public QObject {
    Q_OBJECT

private slots:
    // The pages run with the window disabled while the progress dialog takes input. Cancelled after
    // the first page, or a document that cannot start: the job ends all the same, gives the window
    // back and leaves no document behind as if it were whole. An empty list or none prints nothing.
    void jobRunsItsPagesWithTheWindowDisabledAndEndsCleanlyWhenCancelledOrFailed() {
        using R = CPrinterJob::EResult;
        const std::pair<R, QList<int>> outcomes[] = {
            {R::Cancelled, {1}}, {R::Failed, {}}, {R::Printed, {1, 2, 3}}};
        for (const auto& [result, pages] : outcomes) {
            QTemporaryDir dir;
            QWidget main;
            main.resize(400, 300);
            main.show();
            CWatchedJob job;
            job.m_pParent = &main;
            job.m_strTitle = QStringLiteral("Chowder");
            job.cancelOnFirst = result == R::Cancelled;
            const QString pdf = result == R::Failed ? QStringLiteral("/nonexistent-folder/x/job.pdf")
                                                    : dir.filePath("job.pdf");
            job.Printer().setOutputFormat(QPrinter::PdfFormat);
            job.Printer().setOutputFileName(pdf);
            QCOMPARE(job.PrintWithoutDialogs(), result);
            QCOMPARE(job.pages, pages);
            QVERIFY(main.isEnabled());
            QCOMPARE(job.ended, 1);
            QVERIFY(!FindStatus());
            QCOMPARE(QFile::exists(pdf), result == R::Printed);
            QCOMPARE(job.windowEnabled, QList<bool>(pages.size(), false));
            QCOMPARE(job.statusSeen, !pages.isEmpty());
            if (result != R::Printed) continue;
            QVERIFY(job.cancelEnabled); // the progress dialog still takes input, its animation runs
            QCOMPARE(job.title, QStringLiteral("Stampa di Chowder in corso .."));
            QVERIFY(job.printing.startsWith(QStringLiteral("Printing Chowder on PDF on ")));
            QVERIFY(job.printing.endsWith(QStringLiteral("job.pdf  ..")));
            QCOMPARE(PdfPages(pdf), 3);
        }
        QWidget main;
        CListCtrlPrint job;
        job.m_pList = MakeGrid(&main, 0);
        QCOMPARE(job.PrintWithoutDialogs(), R::NotStarted);
        CListCtrlPrint noList;
        QCOMPARE(noList.PrintWithoutDialogs(), R::NotStarted);
    }

    void pagesClipLongTextsAndShadeByRowIndex() {
        QWidget main;
        CMyListCtrl* grid = MakeGrid(&main, 0);
        for (int r = 0; r < 80; ++r)
            grid->AddRow({r == 0 ? QString(60, QLatin1Char('W')) : QString::number(r), QString(), QString(),
                          QString(), QString(), QString()});
        QImage page(794, 1123, QImage::Format_RGB32); // A4 at 96 dots per inch
        page.setDotsPerMeterX(3780);
        page.setDotsPerMeterY(3780);
        CListPrintSettings s;
        s.m_strPageFormat = QStringLiteral("Page %d of %d");
        s.m_strHeader = QStringLiteral("000123 - Harbour Grill");
        CDeviceTextMeasure measure(&page, s);
        CListPrintLayout layout;
        layout.Begin(measure, s, CListCtrlPrint::ReadColumns(grid), grid->GetItemCount(), page.rect());
        QVERIFY(layout.PageCount() >= 2);
        CListPagePainter pages(layout, measure, measure);
        pages.m_cellText = [grid](int r, int c) { return grid->GetItemText(r, c); };

        auto render = [&](int p) {
            page.fill(Qt::white);
            QPainter painter(&page);
            pages.PrintPage(painter, page.rect(), p);
        };
        // Top of the first row: below the header block and the column headers.
        const int headerHeight = layout.Header(measure, layout.Printable(), 1, layout.PageCount()).height;
        const int firstRowTop = layout.Printable().top() + headerHeight + layout.LineHeight();
        auto cellInside = [&](int position, int column) {
            return layout.Cell(layout.Printable().left(), firstRowTop + position * layout.RowHeight(), column)
                .adjusted(3, 3, -3, -3);
        };
        auto countColour = [&](const QRect& r, auto pred) {
            int n = 0;
            for (int y = r.top(); y <= r.bottom(); ++y)
                for (int x = r.left(); x <= r.right(); ++x)
                    n += pred(QColor(page.pixel(x, y))) ? 1 : 0;
            return n;
        };
        auto dark = [](const QColor& c) { return c.lightness() < 160; };

        render(1);
        page.save(Shots() + QStringLiteral("/list-page-1.png"));
        // The long text fills its own cell and not a pixel of the next one.
        QVERIFY(countColour(cellInside(0, 0), dark) > 0);
        QCOMPARE(countColour(cellInside(0, 1), dark), 0);
        QCOMPARE(QColor(page.pixel(cellInside(1, 2).center())), QColor(228, 228, 228));
        QCOMPARE(QColor(page.pixel(cellInside(0, 2).center())), QColor(Qt::white));
        // Column headers are grey.
        const QRect head = layout.Cell(layout.Printable().left(), firstRowTop - layout.LineHeight(), 2);
        QCOMPARE(QColor(page.pixel(head.left() + 3, head.top() + 3)), QColor(192, 192, 192));

        // Page 2 starts with row RowsPerPage: shaded when that index is odd, whatever its position.
        render(2);
        const bool firstShaded = layout.RowsPerPage() % 2 == 1;
        const QColor shade(228, 228, 228), white(Qt::white);
        QCOMPARE(QColor(page.pixel(cellInside(0, 2).center())), firstShaded ? shade : white);
        QCOMPARE(QColor(page.pixel(cellInside(1, 2).center())), firstShaded ? white : shade);
    }

    // Texts typed on the first page are taken; margins out of range, or leaving no room between
    // them, are refused with a message until corrected.
    void setupDialogTakesTheEditedTextsAndRefusesBadMargins() {
        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        CListPrintSettings s;
        s.m_strHeader = QStringLiteral("Harbour Grill");
        CListPrintSetup dlg(s, &printer);
        ExpectAccessibleNames(&dlg);
        QStringList messages;
        auto type = [](QWidget* box, const QString& text) {
            box->setFocus();
            if (auto* spin = qobject_cast<QSpinBox*>(box)) spin->selectAll();
            QTest::keyClicks(box, text);
        };
        auto pressPrintExpectingMessage = [&] {
            kt::WhenModal<QWidget>(
                [&](QWidget* w) {
                    auto* box = qobject_cast<QMessageBox*>(w);
                    messages << (box ? box->text() : QString());
                    QTest::keyClick(w, Qt::Key_Return);
                },
                &dlg);
            QTest::mouseClick(dlg.m_pPrint, Qt::LeftButton);
        };
        kt::WhenModal<QWidget>([&](QWidget*) {
            dlg.grab().save(Shots() + QStringLiteral("/list-print-setup-1.png"));
            QTest::mouseClick(dlg.m_pPage1->m_pFooter->viewport(), Qt::LeftButton);
            QTest::keyClicks(dlg.m_pPage1->m_pFooter, QStringLiteral("Serve hot"));
            type(dlg.m_pPage1->m_pPageFormat, QStringLiteral("Page %d of %d"));
            QLineEdit* size = dlg.m_pPage1->m_pContentSize->lineEdit();
            size->selectAll();
            QTest::keyClicks(size, QStringLiteral("14pt"));

            QTest::mouseClick(dlg.m_pTabs->tabBar(), Qt::LeftButton, {},
                              dlg.m_pTabs->tabBar()->tabRect(1).center());
            type(dlg.m_pPage2->m_pLeft, QStringLiteral("301"));
            pressPrintExpectingMessage();
            type(dlg.m_pPage2->m_pLeft, QStringLiteral("150"));
            type(dlg.m_pPage2->m_pRight, QStringLiteral("150"));
            pressPrintExpectingMessage();
            type(dlg.m_pPage2->m_pLeft, QStringLiteral("20"));
            type(dlg.m_pPage2->m_pRight, QStringLiteral("15"));
            type(dlg.m_pPage2->m_pTop, QStringLiteral("-5"));
            dlg.grab().save(Shots() + QStringLiteral("/list-print-setup-2.png"));
            QTest::mouseClick(dlg.m_pPrint, Qt::LeftButton);
        });
        QCOMPARE(dlg.exec(), int(QDialog::Accepted));
        QCOMPARE(messages, (QStringList{QString::fromLatin1(CListPrintSetup::kRangeMessage),
                                        QString::fromLatin1(CListPrintSetup::kNoRoomMessage)}));
        const CListPrintSettings& now = dlg.Settings();
        QCOMPARE(now.m_strFooter, QStringLiteral("Serve hot"));
        QCOMPARE(now.m_strPageFormat, QStringLiteral("Page %d of %d"));
        QCOMPARE(now.m_strHeader, QStringLiteral("Harbour Grill"));
        QCOMPARE(now.m_nContentSize, 14);
        QVERIFY(!now.m_strContentFace.isEmpty());
        QCOMPARE(now.m_nMarginLeft, 20);
        QCOMPARE(now.m_nMarginRight, 15);
        QCOMPARE(now.m_nMarginTop, -5); // the top margin has no range
    }

    // Cancel in the setup keeps the job's settings and prints nothing; "Print ..." (the default
    // button) leads to the print dialog, which offers PDF, and on to the file.
    void dialogsLeadToAPdfFileAndCancelInSetupChangesNothing() {
        for (bool cancel : {true, false}) {
            QTemporaryDir dir;
            QWidget main;
            main.show();
            CListCtrlPrint job;
            job.m_pParent = &main;
            job.m_pList = MakeGrid(&main, 30);
            job.m_strTitle = QStringLiteral("Chowder");
            job.m_settings.m_strHeader = QStringLiteral("Harbour Grill");
            const QString pdf = dir.filePath("chosen.pdf");
            job.Printer().setOutputFormat(QPrinter::PdfFormat);
            job.Printer().setOutputFileName(pdf);
            QStringList printers;
            kt::WhenModal<QWidget>([&](QWidget* w) {
                auto* setup = qobject_cast<CListPrintSetup*>(w);
                QVERIFY(setup);
                if (cancel) {
                    setup->m_pPage1->m_pHeader->setFocus();
                    QTest::keyClicks(setup->m_pPage1->m_pHeader, QStringLiteral(" and Bar"));
                    QTest::mouseClick(setup->m_pCancel, Qt::LeftButton);
                    return;
                }
                kt::WhenModal<QWidget>(
                    [&](QWidget* d) {
                        for (QComboBox* combo : d->findChildren<QComboBox*>())
                            for (int i = 0; i < combo->count(); ++i)
                                printers << combo->itemText(i);
                        d->grab().save(Shots() + QStringLiteral("/print-dialog.png"));
                        QTest::keyClick(d, Qt::Key_Return);
                    },
                    setup);
                QTest::keyClick(setup, Qt::Key_Return);
            });
            job.Print();
            QCOMPARE(job.LastResult(),
                     cancel ? CPrinterJob::EResult::NotStarted : CPrinterJob::EResult::Printed);
            QCOMPARE(job.m_settings.m_strHeader, QStringLiteral("Harbour Grill"));
            QVERIFY(main.isEnabled());
            QCOMPARE(QFile::exists(pdf), !cancel);
            if (cancel) continue;
            QVERIFY(printers.filter(QStringLiteral("PDF")).size() > 0);
            QVERIFY(PdfPages(pdf) >= 1);
        }
    }

    void previewAndPrinterSetupOpenFromTheSetup() {
        QWidget main;
        CMyListCtrl* grid = MakeGrid(&main, 12);
        QPrinter printer;
        CListPrintSettings s;
        s.m_strHeader2 = QStringLiteral("Clam Chowder");
        CListPrintSetup dlg(s, &printer);
        QString seenName;
        dlg.m_preview = [&](QPrinter* target, const CListPrintSettings& now) {
            seenName = now.m_strHeader2;
            CListCtrlPrint::RenderAll(target, now, CListCtrlPrint::ReadColumns(grid), grid->GetItemCount(),
                                      [grid](int r, int c) { return grid->GetItemText(r, c); });
        };
        bool previewShown = false, pageSetupShown = false;
        kt::WhenModal<QWidget>([&](QWidget*) {
            dlg.m_pPage1->m_pPageFormat->setFocus();
            QTest::keyClicks(dlg.m_pPage1->m_pPageFormat, QStringLiteral("Page %d of %d"));
            kt::WhenModal<QWidget>(
                [&](QWidget* w) {
                    previewShown = qobject_cast<QPrintPreviewDialog*>(w) != nullptr;
                    QTest::qWait(200);
                    w->grab().save(Shots() + QStringLiteral("/print-preview.png"));
                    QTest::keyClick(w, Qt::Key_Escape);
                },
                &dlg);
            QTest::mouseClick(dlg.m_pPreview, Qt::LeftButton);
            kt::WhenModal<QWidget>(
                [&](QWidget* w) {
                    pageSetupShown = w->windowTitle() == QStringLiteral("Printer Setup");
                    QTest::keyClick(w, Qt::Key_Escape);
                },
                &dlg);
            QTest::mouseClick(dlg.m_pPrinterSetup, Qt::LeftButton);
            QTest::mouseClick(dlg.m_pCancel, Qt::LeftButton);
        });
        QCOMPARE(dlg.exec(), int(QDialog::Rejected));
        QVERIFY(previewShown);
        QVERIFY(pageSetupShown);
        QCOMPARE(seenName, QStringLiteral("Clam Chowder"));
    }

    void recipePrintsToPdf() {
        QWidget main;
        CMyListCtrl* grid = MakeGrid(&main, 60);
        CRecipePrintTexts t;
        t.m_strCustomer = QStringLiteral("000123 - Harbour Grill\n12 Quay Street\nPortsmouth, NH 03801");
        t.m_strRecipeName = QStringLiteral("New England Clam Chowder");
        t.m_dSellPrice = 12.5;
        t.m_strCost = QStringLiteral("3.20");
        t.m_strProfit = QStringLiteral("9.30");
        t.m_strTotalFC = QStringLiteral("25.60");
        t.m_strNotes =
            QStringLiteral("Simmer the potatoes in the clam juice until tender; add the cream last and "
                           "never let the chowder boil.\nServe with oyster crackers.");
        QCOMPARE(RecipeAmountsText(t), QStringLiteral("$12.50\n3.20\n9.30\n25.60"));

        const QString pdf = Shots() + QStringLiteral("/recipe.pdf");
        QFile::remove(pdf);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setPageSize(QPageSize(QPageSize::Letter));
        const int pages = PrintRecipeTo(grid, t, printer);
        QCOMPARE(pages, 2);
        QCOMPARE(PdfPages(pdf), 2);
        QProcess ppm;
        ppm.start(QStringLiteral("pdftoppm"),
                  {"-png", "-r", "70", pdf, Shots() + QStringLiteral("/recipe-page")});
        QVERIFY(ppm.waitForFinished(30000));
        QCOMPARE(ppm.exitCode(), 0);

        // No sell price: the food cost line is empty.
        t.m_dSellPrice = 0;
        t.m_strTotalFC.clear();
        QCOMPARE(RecipeAmountsText(t), QStringLiteral("$0.00\n3.20\n9.30\n"));
    }
};

QTEST_MAIN(TestPrintJob)
#include "test_print_job.moc"
