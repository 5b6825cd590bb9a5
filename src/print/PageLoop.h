#pragma once

#include <QString>

#include <cstdint>

// A maximum page that leaves the page count open: only the first page is printed.
inline constexpr int kOpenEndedPage = 0xFFFF;

// The pages a job runs through: from, stepping by step, until end (not printed).
struct CPageRange {
    int from = 1;
    int to = 1;
    int step = 1;
    int end = 2;
    int total = 1;

    // From- and to-page as the print dialog gave them, each clamped to min..max.
    static CPageRange Make(int fromPage, int toPage, int minPage, int maxPage);
};

// Milliseconds since some fixed start; tests substitute their own.
class CPrintClock {
public:
    virtual ~CPrintClock() = default;
    virtual std::uint32_t TickCount() const = 0;
};

class CSteadyClock : public CPrintClock {
public:
    std::uint32_t TickCount() const override;
};

// The estimate of the page line: empty before anything is known on a one-page job.
QString TimeLeftText(std::uint32_t seconds, int total, const QString& previous);
QString PercentText(int pagesDone, int total);

// What the loop does to the device and the progress dialog.
class CPageLoopSink {
public:
    virtual ~CPageLoopSink() = default;
    virtual void ShowProgress(int pagesDone, int total, const QString& percent, const QString& pageLine) = 0;
    virtual bool StartPage(int page) = 0; // false: the page could not be started
    virtual void PrintPage(int page) = 0;
    virtual bool EndPage(int page) = 0;
    virtual bool Pump() = 0; // lets messages through; false once the user cancelled
};

struct CPageLoopResult {
    bool ok = true; // false: a page failed or the user cancelled; the document is aborted
    int pagesPrinted = 0;
};

// Runs the pages of a range, with the page line filled from pageLineFormat.
CPageLoopResult RunPageLoop(const CPageRange& range, int maxPage, const QString& pageLineFormat,
                            const CPrintClock& clock, CPageLoopSink& sink);
