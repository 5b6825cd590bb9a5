#include "CPrinterJob.h"

#include "CPrintStatus.h"
#include "PrintFormat.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressBar>
#include <QScreen>
#include <QWindow>

namespace {

// Disables the owner's window for the job and enables it again on every way out.
class CWindowDisabler {
public:
    explicit CWindowDisabler(QWidget* parent) : m_pWindow(parent ? parent->window() : nullptr) {
        if (m_pWindow) m_pWindow->setEnabled(false);
    }
    ~CWindowDisabler() { Enable(); }
    void Enable() {
        if (m_pWindow) m_pWindow->setEnabled(true);
    }

private:
    QPointer<QWidget> m_pWindow;
};

QString DestinationPhrase(const QPrinter& printer) {
    if (!printer.outputFileName().isEmpty()) return QFileInfo(printer.outputFileName()).absoluteFilePath();
    const QPrinterInfo info(printer);
    return info.location().isEmpty() ? QStringLiteral("the print queue") : info.location();
}

QString DeviceName(const QPrinter& printer) {
    if (printer.outputFormat() == QPrinter::PdfFormat) return QStringLiteral("PDF");
    return printer.printerName().isEmpty() ? QStringLiteral("the default printer") : printer.printerName();
}

class CJobSink : public CPageLoopSink {
public:
    CJobSink(CPrinterJob& job, QPainter& painter, CPrintInfo& info, CPrintStatus& status)
        : m_job(job), m_painter(painter), m_info(info), m_status(status) {}

    void ShowProgress(int done, int total, const QString& percent, const QString& pageLine) override {
        m_status.m_pProgress->setRange(0, std::max(total, 1));
        m_status.m_pProgress->setValue(std::min(done, std::max(total, 1)));
        m_status.m_pPercent->setText(percent);
        m_status.m_pPageLine->setText(pageLine);
        m_status.m_pProgress->repaint();
    }
    bool StartPage(int page) override {
        m_info.m_nCurPage = page;
        m_info.m_rectDraw = QRect(0, 0, m_info.m_pPrinter->width(), m_info.m_pPrinter->height());
        if (m_bStarted) return m_info.m_pPrinter->newPage();
        m_bStarted = true;
        return true;
    }
    void PrintPage(int) override {
        m_info.m_bContinuePrinting = true;
        m_painter.save();
        m_job.OnPrint(&m_painter, &m_info);
        m_painter.restore();
    }
    bool EndPage(int) override { return m_painter.isActive(); }
    bool Pump() override {
        // Lets the progress dialog's Cancel through between pages.
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        return !CPrintStatus::AbortFlag();
    }

private:
    CPrinterJob& m_job;
    QPainter& m_painter;
    CPrintInfo& m_info;
    CPrintStatus& m_status;
    bool m_bStarted = false;
};

} // namespace

CPrinterJob::CPrinterJob()
    : m_strTitle(QString::fromLatin1(PrintTexts::kDefaultTitle)),
      m_pPrinter(std::make_unique<QPrinter>(QPrinter::HighResolution)) {}

CPrinterJob::~CPrinterJob() = default;

void CPrinterJob::OnPrint(QPainter*, CPrintInfo*) {}
void CPrinterJob::OnEndPrinting(QPainter*, CPrintInfo*) {}
void CPrinterJob::OnBeginPrinting(QPainter*, CPrintInfo*) {}

bool CPrinterJob::OnPreparePrinting(CPrintInfo* info, bool skipDialog) {
    if (skipDialog) return true;
    return DoPreparePrinting(info);
}

bool CPrinterJob::DoPreparePrinting(CPrintInfo* info) {
    if (info->m_nMinPage > info->m_nMaxPage) info->m_nMaxPage = info->m_nMinPage;
    QPrinter& printer = *m_pPrinter;
    printer.setDocName(m_strTitle);
    printer.setPrintRange(QPrinter::AllPages);
    printer.setFromTo(info->m_nMinPage, info->m_nMaxPage);
    QPrintDialog dlg(&printer, m_pParent);
    dlg.setWindowTitle(QStringLiteral("Print"));
    dlg.setMinMax(info->m_nMinPage, info->m_nMaxPage);
    dlg.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintPageRange |
                   QAbstractPrintDialog::PrintShowPageSize);
    if (dlg.exec() != QDialog::Accepted || !printer.isValid()) return false;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        info->m_nFromPage = printer.fromPage();
        info->m_nToPage = printer.toPage();
    } else {
        info->m_nFromPage = info->m_nMinPage;
        info->m_nToPage = info->m_nMaxPage;
    }
    return true;
}

void CPrinterJob::Print() {
    m_bNoDialogs = false;
    Run();
}

CPrinterJob::EResult CPrinterJob::PrintWithoutDialogs() {
    m_bNoDialogs = true;
    Run();
    m_bNoDialogs = false;
    return m_eResult;
}

void CPrinterJob::Run() {
    m_eResult = EResult::NotStarted;
    CPrintInfo info;
    info.m_pPrinter = m_pPrinter.get();
    if (!OnPreparePrinting(&info, m_bNoDialogs)) return;
    if (m_bNoDialogs) {
        info.m_nFromPage = info.m_nMinPage;
        info.m_nToPage = std::max(info.m_nMaxPage, info.m_nMinPage);
    }
    QPrinter& printer = *m_pPrinter;
    printer.setDocName(m_strTitle);
    // Last page first is the reverse range.
    if (printer.pageOrder() == QPrinter::LastPageFirst) std::swap(info.m_nFromPage, info.m_nToPage);
    info.m_rectDraw = QRect(0, 0, printer.width(), printer.height());

    QPainter painter;
    OnBeginPrinting(&painter, &info);
    CWindowDisabler disabler(m_pParent);

    // Not a child of the disabled window, which would disable it too; it stays in front of it.
    auto status = std::make_unique<CPrintStatus>(nullptr);
    status->setWindowTitle(FillFormat(QString::fromLatin1(PrintTexts::kStatusTitle), {m_strTitle}));
    status->m_pPrinting->setText(
        FillFormat(status->PrintingFormat(), {m_strTitle, DeviceName(printer), DestinationPhrase(printer)}));
    if (m_pParent) {
        status->winId();
        if (QWindow* handle = status->windowHandle())
            handle->setTransientParent(m_pParent->window()->windowHandle());
        status->adjustSize();
        status->move(m_pParent->window()->geometry().center() - status->rect().center());
    }
    status->show();
    status->repaint();

    if (!painter.begin(&printer)) {
        disabler.Enable();
        OnEndPrinting(&painter, &info);
        status.reset();
        m_eResult = EResult::Failed;
        if (!m_bNoDialogs)
            QMessageBox::warning(m_pParent, QStringLiteral("Print"),
                                 QString::fromLatin1(PrintTexts::kFailedToStart));
        return;
    }

    const CPageRange range =
        CPageRange::Make(info.m_nFromPage, info.m_nToPage, info.m_nMinPage, info.m_nMaxPage);
    CJobSink sink(*this, painter, info, *status);
    const CPageLoopResult result =
        RunPageLoop(range, info.m_nMaxPage, status->PageLineFormat(), m_pClock ? *m_pClock : m_clock, sink);
    if (result.ok) {
        painter.end();
        m_eResult = EResult::Printed;
    } else {
        const bool aborted = printer.abort();
        painter.end();
        // A file cannot take the job back: what was written of the aborted document goes.
        if (!aborted && !printer.outputFileName().isEmpty()) QFile::remove(printer.outputFileName());
        m_eResult = CPrintStatus::AbortFlag() ? EResult::Cancelled : EResult::Failed;
    }
    disabler.Enable();
    OnEndPrinting(&painter, &info);
    status.reset();
}
