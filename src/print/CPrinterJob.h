#pragma once

#include "PageLoop.h"

#include <QPointer>
#include <QRect>
#include <QString>

#include <memory>

class QPainter;
class QPrinter;
class QWidget;

// The state of one job as the hooks see it.
struct CPrintInfo {
    int m_nMinPage = 1;
    int m_nMaxPage = kOpenEndedPage;
    int m_nFromPage = 1;
    int m_nToPage = kOpenEndedPage;
    int m_nCurPage = 1;
    QRect m_rectDraw; // the device's drawable area, in device units
    bool m_bContinuePrinting = true;
    QPrinter* m_pPrinter = nullptr;
};

// One print job with its own page loop: prepare, begin, one call per page, end.
class CPrinterJob {
public:
    enum class EResult { NotStarted, Printed, Cancelled, Failed };

    CPrinterJob();
    virtual ~CPrinterJob();
    CPrinterJob(const CPrinterJob&) = delete;
    CPrinterJob& operator=(const CPrinterJob&) = delete;

    // Asks for the printer, then prints.
    virtual void Print();
    // Prints on the printer as it is set up (a PDF file, say), without asking anything.
    EResult PrintWithoutDialogs();

    virtual void OnPrint(QPainter* painter, CPrintInfo* info);
    virtual void OnEndPrinting(QPainter* painter, CPrintInfo* info);
    virtual void OnBeginPrinting(QPainter* painter, CPrintInfo* info);
    virtual bool OnPreparePrinting(CPrintInfo* info, bool skipDialog);

    bool DoPreparePrinting(CPrintInfo* info);

    QPrinter& Printer() { return *m_pPrinter; }
    EResult LastResult() const { return m_eResult; }
    void SetClock(const CPrintClock* clock) { m_pClock = clock; }
    // Whether the dialogs are skipped for this run (the setup dialog of a subclass too).
    bool NoDialogs() const { return m_bNoDialogs; }

    QWidget* m_pParent = nullptr; // parent of the progress dialog; its window is disabled meanwhile
    QString m_strTitle;

private:
    void Run();

    std::unique_ptr<QPrinter> m_pPrinter;
    const CPrintClock* m_pClock = nullptr;
    CSteadyClock m_clock;
    EResult m_eResult = EResult::NotStarted;
    bool m_bNoDialogs = false;
};
