// The job's page loop with a fake clock and a recording device.
#include "PageLoop.h"
#include "PrintFormat.h"

#include <QtTest>

namespace {
class CFakeClock : public CPrintClock {
public:
    std::uint32_t TickCount() const override { return now; }
    std::uint32_t now = 5000;
};

// Records what the dialog would show; each page takes msPerPage on the fake clock.
class CRecorder : public CPageLoopSink {
public:
    explicit CRecorder(CFakeClock& clock) : m_clock(clock) {}
    void ShowProgress(int, int, const QString& percent, const QString& pageLine) override {
        percents << percent;
        lines << pageLine;
    }
    bool StartPage(int page) override {
        pages << page;
        return page != failStart;
    }
    void PrintPage(int) override { m_clock.now += msPerPage; }
    bool EndPage(int) override { return true; }
    bool Pump() override { return pages.size() != cancelAfter; }

    QStringList percents, lines;
    QList<int> pages;
    std::uint32_t msPerPage = 1000;
    int cancelAfter = -1;
    int failStart = -1;

private:
    CFakeClock& m_clock;
};

// Runs the pages from..to of a document of `total` pages (the dialog's range too) on a recorder.
CPageLoopResult Run(CRecorder& rec, CFakeClock& clock, int from, int to, int total) {
    return RunPageLoop(CPageRange::Make(from, to, 1, total), total,
                       QString::fromLatin1(PrintTexts::kPageLine), clock, rec);
}
} // namespace

class TestPageLoop : public QObject {
    Q_OBJECT

private slots:
    void pagesShowLinesPercentagesAndTheTimeLeft() {
        CFakeClock clock;
        CRecorder rec(clock);
        rec.msPerPage = 4000;
        const CPageLoopResult r = Run(rec, clock, 1, 3, 3);
        QVERIFY(r.ok);
        QCOMPARE(r.pagesPrinted, 3);
        QCOMPARE(rec.pages, (QList<int>{1, 2, 3}));
        QCOMPARE(rec.percents, (QStringList{"33 %", "66 %", "100 %"}));
        // Nothing is known on the first page; then 4 s a page for the pages left, the current one too.
        QCOMPARE(rec.lines,
                 (QStringList{"Page 1 of 3, ?? left to end ..", "Page 2 of 3, 8 secondi left to end ..",
                              "Page 3 of 3, 4 secondi left to end .."}));

        // Slow pages: minutes and seconds; exactly 60 seconds is still counted in seconds.
        CRecorder slow(clock);
        slow.msPerPage = 90000;
        QVERIFY(Run(slow, clock, 1, 2, 2).ok);
        QCOMPARE(slow.lines.at(1), QStringLiteral("Page 2 of 2, 1 minuti, 30 secondi left to end .."));
        QCOMPARE(TimeLeftText(60, 3, QString()), QStringLiteral("60 secondi"));
        QCOMPARE(TimeLeftText(61, 3, QString()), QStringLiteral("1 minuti, 1 secondi"));

        // A single page leaves the time empty.
        CRecorder single(clock);
        QVERIFY(Run(single, clock, 1, 1, 1).ok);
        QCOMPARE(single.lines, QStringList{"Page 1 of 1,  left to end .."});
        QCOMPARE(single.percents, QStringList{"100 %"});
    }

    // Cancel finishes the current page; a page that cannot start ends the job there. An open-ended
    // range prints the first page only, a reversed one runs backwards, one outside is clamped.
    void jobEndsOnCancelOrFailureAndRangesAreMadeSafe() {
        CFakeClock clock;
        CRecorder cancelled(clock), failed(clock), open(clock), reverse(clock);
        cancelled.cancelAfter = 2;
        CPageLoopResult r = Run(cancelled, clock, 1, 5, 5);
        QVERIFY(!r.ok);
        QCOMPARE(r.pagesPrinted, 2);
        QCOMPARE(cancelled.pages, (QList<int>{1, 2}));
        failed.failStart = 2;
        r = Run(failed, clock, 1, 4, 4);
        QVERIFY(!r.ok);
        QCOMPARE(r.pagesPrinted, 1);

        QVERIFY(Run(open, clock, 1, kOpenEndedPage, kOpenEndedPage).ok);
        QCOMPARE(open.pages, QList<int>{1});
        QVERIFY(Run(reverse, clock, 4, 2, 5).ok);
        QCOMPARE(reverse.pages, (QList<int>{4, 3, 2}));
        QCOMPARE(reverse.lines.at(0), QStringLiteral("Page 1 of 3, ?? left to end .."));
        const CPageRange clamped = CPageRange::Make(0, 9, 1, 3);
        QCOMPARE(clamped.from, 1);
        QCOMPARE(clamped.to, 3);
        QCOMPARE(clamped.total, 3);
    }
};

QTEST_GUILESS_MAIN(TestPageLoop)
#include "test_page_loop.moc"
