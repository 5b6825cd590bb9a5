#include "PageLoop.h"

#include "PrintFormat.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>

CPageRange CPageRange::Make(int fromPage, int toPage, int minPage, int maxPage) {
    if (minPage > maxPage) maxPage = minPage;
    CPageRange r;
    r.from = std::clamp(fromPage, minPage, maxPage);
    r.to = std::clamp(toPage, minPage, maxPage);
    r.step = r.to >= r.from ? 1 : -1;
    r.end = r.to == kOpenEndedPage ? kOpenEndedPage : r.to + r.step;
    r.total = std::abs(std::abs(r.end) - std::abs(r.from));
    return r;
}

std::uint32_t CSteadyClock::TickCount() const {
    using namespace std::chrono;
    return static_cast<std::uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

QString TimeLeftText(std::uint32_t seconds, int total, const QString& previous) {
    if (seconds > 60)
        return FillFormat(QString::fromLatin1(PrintTexts::kMinutesSeconds),
                          {QString::number(seconds / 60), QString::number(seconds % 60)});
    if (total > 1)
        return seconds > 0 ? FillFormat(QString::fromLatin1(PrintTexts::kSeconds), {QString::number(seconds)})
                           : QString::fromLatin1(PrintTexts::kUnknownTime);
    return previous;
}

QString PercentText(int pagesDone, int total) {
    const int percent = total > 0 ? 100 * pagesDone / total : 100;
    return FillFormat(QString::fromLatin1(PrintTexts::kPercent), {QString::number(percent)});
}

CPageLoopResult RunPageLoop(const CPageRange& range, int maxPage, const QString& pageLineFormat,
                            const CPrintClock& clock, CPageLoopSink& sink) {
    CPageLoopResult result;
    const std::uint32_t start = clock.TickCount();
    std::uint32_t msPerPage = 0;
    int done = 0;
    QString timeLeft;
    for (int page = range.from; page != range.end; page += range.step) {
        ++done;
        const QString percent = PercentText(done, range.total);
        if (maxPage == kOpenEndedPage && page != 1) break;
        const auto pagesLeft = static_cast<std::uint32_t>(std::max(range.total - done + 1, 0));
        timeLeft = TimeLeftText(pagesLeft * msPerPage / 1000, range.total, timeLeft);
        sink.ShowProgress(
            done, range.total, percent,
            FillFormat(pageLineFormat, {QString::number(done), QString::number(range.total), timeLeft}));
        if (!sink.StartPage(page)) {
            result.ok = false;
            break;
        }
        sink.PrintPage(page);
        ++result.pagesPrinted;
        if (!sink.EndPage(page) || !sink.Pump()) {
            result.ok = false;
            break;
        }
        msPerPage = (clock.TickCount() - start) / static_cast<std::uint32_t>(done);
    }
    return result;
}
