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

const QString kFormat = QString::fromLatin1(PrintTexts::kPageLine);
} // namespace

class TestPageLoop : public QObject {
    Q_OBJECT

private slots:
    void pagesShowLinesPercentagesAndTheTimeLeft() {
        CFakeClock clock;
        CRecorder rec(clock);
        rec.msPerPage = 4000;
        const CPageLoopResult r = RunPageLoop(CPageRange::Make(1, 3, 1, 3), 3, kFormat, clock, rec);
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
        QVERIFY(RunPageLoop(CPageRange::Make(1, 2, 1, 2), 2, kFormat, clock, slow).ok);
        QCOMPARE(slow.lines.at(1), QStringLiteral("Page 2 of 2, 1 minuti, 30 secondi left to end .."));
        QCOMPARE(TimeLeftText(60, 3, QString()), QStringLiteral("60 secondi"));
        QCOMPARE(TimeLeftText(61, 3, QString()), QStringLiteral("1 minuti, 1 secondi"));

        // A single page leaves the time empty.
        CRecorder single(clock);
        QVERIFY(RunPageLoop(CPageRange::Make(1, 1, 1, 1), 1, kFormat, clock, single).ok);
        QCOMPARE(single.lines, QStringList{"Page 1 of 1,  left to end .."});
        QCOMPARE(single.percents, QStringList{"100 %"});
    }

    void cancelOrAPageThatCannotStartEndsTheJob() {
        CFakeClock clock;
        CRecorder cancelled(clock);
        cancelled.cancelAfter = 2;
        CPageLoopResult r = RunPageLoop(CPageRange::Make(1, 5, 1, 5), 5, kFormat, clock, cancelled);
        QVERIFY(!r.ok);
        QCOMPARE(r.pagesPrinted, 2); // the current page is finished
        QCOMPARE(cancelled.pages, (QList<int>{1, 2}));
        CRecorder failed(clock);
        failed.failStart = 2;
        r = RunPageLoop(CPageRange::Make(1, 4, 1, 4), 4, kFormat, clock, failed);
        QVERIFY(!r.ok);
        QCOMPARE(r.pagesPrinted, 1);
    }

    void rangesOpenEndedReversedOrOutsideTheDocument() {
        CFakeClock clock;
        CRecorder open(clock);
        const CPageRange range = CPageRange::Make(1, kOpenEndedPage, 1, kOpenEndedPage);
        QVERIFY(RunPageLoop(range, kOpenEndedPage, kFormat, clock, open).ok);
        QCOMPARE(open.pages, QList<int>{1}); // only the first page
        CRecorder reverse(clock);
        QVERIFY(RunPageLoop(CPageRange::Make(4, 2, 1, 5), 5, kFormat, clock, reverse).ok);
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
