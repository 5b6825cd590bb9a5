#include "CListPrintSetup.h"

#include "CFontCombo.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {
const int kSizes[] = {6, 8, 9, 10, 11, 12, 14, 16, 18, 20, 22};
constexpr int kMarginMax = 300;

// A small page with its margins drawn in, beside the margin boxes.
class CMarginPicture : public QWidget {
public:
    explicit CMarginPicture(CListPrintPage2* page) : QWidget(page), m_pPage(page) {
        setMinimumSize(120, 160);
        setAccessibleName(QStringLiteral("Page"));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const double pageW = 210, pageH = 297;
        const double scale = std::min((width() - 8) / pageW, (height() - 8) / pageH);
        const QRectF page((width() - pageW * scale) / 2, (height() - pageH * scale) / 2, pageW * scale,
                          pageH * scale);
        p.fillRect(page.translated(3, 3), QColor(120, 120, 120));
        p.fillRect(page, Qt::white);
        p.setPen(Qt::black);
        p.drawRect(page);
        auto mm = [&](QSpinBox* box) { return std::clamp(box->value(), 0, 300) * scale; };
        const QRectF inner = page.adjusted(mm(m_pPage->m_pLeft), mm(m_pPage->m_pTop), -mm(m_pPage->m_pRight),
                                           -mm(m_pPage->m_pBottom));
        if (inner.width() > 0 && inner.height() > 0) {
            p.setPen(QPen(QColor(0, 0, 160), 1, Qt::DashLine));
            p.drawRect(inner);
            p.setPen(QColor(150, 150, 150));
            for (double y = inner.top() + 6; y < inner.bottom() - 2; y += 5)
                p.drawLine(QPointF(inner.left() + 3, y), QPointF(inner.right() - 3, y));
        }
    }

private:
    CListPrintPage2* m_pPage;
};

QComboBox* MakeSizeBox(QWidget* parent, const QString& name) {
    auto* box = new QComboBox(parent);
    box->setEditable(true);
    for (int size : kSizes)
        box->addItem(QString::number(size));
    box->setAccessibleName(name);
    box->setMinimumContentsLength(3);
    return box;
}

void SelectFace(CFontCombo* combo, const QString& face) {
    if (combo->count() == 0) combo->Fill();
    int index = combo->findText(face, Qt::MatchFixedString);
    // A face this machine lacks selects the face the system puts in its place, if listed.
    if (index < 0) index = combo->findText(QFontInfo(QFont(face)).family(), Qt::MatchFixedString);
    combo->setCurrentIndex(index >= 0 ? index : (combo->count() > 0 ? 0 : -1));
}
} // namespace

CListPrintPage1::CListPrintPage1(QWidget* parent) : QWidget(parent) {
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        m_nPixelsPerInch = static_cast<int>(screen->logicalDotsPerInchY());
    m_pHeaderFace = new CFontCombo(this);
    m_pFooterFace = new CFontCombo(this);
    m_pContentFace = new CFontCombo(this);
    m_pHeaderFace->setAccessibleName(QStringLiteral("Header font"));
    m_pFooterFace->setAccessibleName(QStringLiteral("Footer font"));
    m_pContentFace->setAccessibleName(QStringLiteral("Content font"));
    m_pHeaderSize = MakeSizeBox(this, QStringLiteral("Header size"));
    m_pFooterSize = MakeSizeBox(this, QStringLiteral("Footer size"));
    m_pContentSize = MakeSizeBox(this, QStringLiteral("Content size"));
    m_pHeader = new QPlainTextEdit(this);
    m_pFooter = new QPlainTextEdit(this);
    m_pPageFormat = new QLineEdit(this);
    m_pHeader->setTabChangesFocus(true);
    m_pFooter->setTabChangesFocus(true);
    m_pHeader->setAccessibleName(QStringLiteral("Header:"));
    m_pFooter->setAccessibleName(QStringLiteral("Footer:"));
    m_pPageFormat->setAccessibleName(QStringLiteral("Page format:"));

    auto* grid = new QGridLayout(this);
    int row = 0;
    auto addGroup = [&](const QString& label, CFontCombo* face, QComboBox* size, QWidget* edit,
                        const QString& fontLabel) {
        auto* faceLabel = new QLabel(fontLabel, this);
        faceLabel->setBuddy(face);
        auto* sizeLabel = new QLabel(QStringLiteral("Size:"), this);
        sizeLabel->setBuddy(size);
        auto* fonts = new QHBoxLayout;
        fonts->addWidget(face, 1);
        fonts->addWidget(sizeLabel);
        fonts->addWidget(size);
        grid->addWidget(faceLabel, row, 0);
        grid->addLayout(fonts, row++, 1);
        auto* textLabel = new QLabel(label, this);
        textLabel->setBuddy(edit);
        grid->addWidget(textLabel, row, 0, Qt::AlignTop);
        grid->addWidget(edit, row++, 1);
    };
    addGroup(QStringLiteral("&Header:"), m_pHeaderFace, m_pHeaderSize, m_pHeader,
             QStringLiteral("Header &font:"));
    addGroup(QStringLiteral("F&ooter:"), m_pFooterFace, m_pFooterSize, m_pFooter,
             QStringLiteral("Footer fo&nt:"));
    addGroup(QStringLiteral("&Page format:"), m_pContentFace, m_pContentSize, m_pPageFormat,
             QStringLiteral("&Content font:"));
    grid->setColumnStretch(1, 1);

    const struct {
        CFontCombo* face;
        QComboBox* size;
        QWidget* edit;
    } groups[] = {{m_pHeaderFace, m_pHeaderSize, m_pHeader},
                  {m_pFooterFace, m_pFooterSize, m_pFooter},
                  {m_pContentFace, m_pContentSize, m_pPageFormat}};
    for (const auto& g : groups) {
        connect(g.face, &QComboBox::currentIndexChanged, this,
                [this, g] { UpdatePreview(g.face, g.size, g.edit); });
        connect(g.size, &QComboBox::currentTextChanged, this,
                [this, g] { UpdatePreview(g.face, g.size, g.edit); });
    }
}

int CListPrintPage1::SizeOf(const QString& text) {
    const QString t = text.trimmed();
    int i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == QLatin1Char('-') || t[i] == QLatin1Char('+'))) negative = t[i++] == '-';
    long long value = 0;
    for (; i < t.size() && t[i].isDigit() && value < 100000; ++i)
        value = value * 10 + t[i].digitValue();
    return static_cast<int>(negative ? -value : value);
}

void CListPrintPage1::UpdatePreview(CFontCombo* face, QComboBox* size, QWidget* edit) {
    QFont font;
    if (face->GetSelectedFontDesc(font) < 0) return;
    const int points = std::clamp(SizeOf(size->currentText()), 1, 200);
    font.setPixelSize(std::max(1, points * m_nPixelsPerInch / 72));
    edit->setFont(font);
}

void CListPrintPage1::Fill(const CListPrintSettings& s) {
    SelectFace(m_pHeaderFace, s.m_strHeaderFace);
    SelectFace(m_pFooterFace, s.m_strFooterFace);
    SelectFace(m_pContentFace, s.m_strContentFace);
    m_pHeaderSize->setCurrentText(QString::number(s.m_nHeaderSize));
    m_pFooterSize->setCurrentText(QString::number(s.m_nFooterSize));
    m_pContentSize->setCurrentText(QString::number(s.m_nContentSize));
    m_pHeader->setPlainText(s.m_strHeader);
    m_pFooter->setPlainText(s.m_strFooter);
    m_pPageFormat->setText(s.m_strPageFormat);
    UpdatePreview(m_pHeaderFace, m_pHeaderSize, m_pHeader);
    UpdatePreview(m_pFooterFace, m_pFooterSize, m_pFooter);
    UpdatePreview(m_pContentFace, m_pContentSize, m_pPageFormat);
}

void CListPrintPage1::Read(CListPrintSettings& s) const {
    s.m_strHeader = m_pHeader->toPlainText();
    s.m_strFooter = m_pFooter->toPlainText();
    s.m_strPageFormat = m_pPageFormat->text();
    s.m_strHeaderFace = m_pHeaderFace->currentText();
    s.m_strFooterFace = m_pFooterFace->currentText();
    s.m_strContentFace = m_pContentFace->currentText();
    s.m_nHeaderSize = SizeOf(m_pHeaderSize->currentText());
    s.m_nFooterSize = SizeOf(m_pFooterSize->currentText());
    s.m_nContentSize = SizeOf(m_pContentSize->currentText());
}

CListPrintPage2::CListPrintPage2(QWidget* parent) : QWidget(parent) {
    auto make = [this](const QString& name) {
        auto* box = new QSpinBox(this);
        // The boxes themselves take any number; the range is checked when the page is read.
        box->setRange(-99999, 99999);
        box->setSuffix(QStringLiteral(" mm"));
        box->setAccessibleName(name);
        return box;
    };
    m_pTop = make(QStringLiteral("Top:"));
    m_pBottom = make(QStringLiteral("Bottom:"));
    m_pLeft = make(QStringLiteral("Left:"));
    m_pRight = make(QStringLiteral("Right:"));
    m_pPicture = new CMarginPicture(this);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Top:"), m_pTop);
    form->addRow(QStringLiteral("&Bottom:"), m_pBottom);
    form->addRow(QStringLiteral("&Left:"), m_pLeft);
    form->addRow(QStringLiteral("&Right:"), m_pRight);
    auto* row = new QHBoxLayout(this);
    row->addLayout(form);
    row->addWidget(m_pPicture, 1);
    for (QSpinBox* box : {m_pTop, m_pBottom, m_pLeft, m_pRight})
        connect(box, &QSpinBox::valueChanged, m_pPicture, qOverload<>(&QWidget::update));
}

void CListPrintPage2::Fill(const CListPrintSettings& s) {
    m_pTop->setValue(s.m_nMarginTop);
    m_pBottom->setValue(s.m_nMarginBottom);
    m_pLeft->setValue(s.m_nMarginLeft);
    m_pRight->setValue(s.m_nMarginRight);
}

void CListPrintPage2::Read(CListPrintSettings& s) const {
    s.m_nMarginTop = m_pTop->value();
    s.m_nMarginBottom = m_pBottom->value();
    s.m_nMarginLeft = m_pLeft->value();
    s.m_nMarginRight = m_pRight->value();
}

QSpinBox* CListPrintPage2::Check(const QSizeF& pageMm, QString* message) const {
    for (QSpinBox* box : {m_pBottom, m_pRight, m_pLeft})
        if (box->value() < 0 || box->value() > kMarginMax) {
            *message = QString::fromLatin1(CListPrintSetup::kRangeMessage);
            return box;
        }
    if (pageMm.width() > 0 && m_pLeft->value() + m_pRight->value() >= pageMm.width()) {
        *message = QString::fromLatin1(CListPrintSetup::kNoRoomMessage);
        return m_pLeft;
    }
    if (pageMm.height() > 0 && m_pTop->value() + m_pBottom->value() >= pageMm.height()) {
        *message = QString::fromLatin1(CListPrintSetup::kNoRoomMessage);
        return m_pTop;
    }
    return nullptr;
}

CListPrintSetup::CListPrintSetup(const CListPrintSettings& settings, QPrinter* printer, QWidget* parent)
    : QDialog(parent), m_settings(settings), m_pPrinter(printer) {
    setWindowTitle(QStringLiteral("List print"));
    m_pTabs = new QTabWidget(this);
    m_pTabs->setAccessibleName(QStringLiteral("Setup pages"));
    m_pPage1 = new CListPrintPage1(m_pTabs);
    m_pPage2 = new CListPrintPage2(m_pTabs);
    m_pTabs->addTab(m_pPage1, QStringLiteral("Headers and Fonts"));
    m_pTabs->addTab(m_pPage2, QStringLiteral("Margins"));

    m_pPrint = new QPushButton(QStringLiteral("Print ..."), this);
    m_pCancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_pPrinterSetup = new QPushButton(QStringLiteral("Printer Setup .."), this);
    m_pPreview = new QPushButton(QStringLiteral("Pre&view ..."), this);
    m_pPrint->setDefault(true);
    for (QPushButton* b : {m_pPrint, m_pCancel, m_pPrinterSetup, m_pPreview})
        b->setAccessibleName(b->text().remove(QLatin1Char('&')));
    connect(m_pPrint, &QPushButton::clicked, this, &CListPrintSetup::accept);
    connect(m_pCancel, &QPushButton::clicked, this, &CListPrintSetup::reject);
    connect(m_pPrinterSetup, &QPushButton::clicked, this, &CListPrintSetup::OnPrinterSetup);
    connect(m_pPreview, &QPushButton::clicked, this, &CListPrintSetup::OnPreview);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_pPrint);
    buttons->addWidget(m_pCancel);
    buttons->addSpacing(12);
    buttons->addWidget(m_pPrinterSetup);
    buttons->addWidget(m_pPreview);
    buttons->addStretch();
    auto* all = new QHBoxLayout(this);
    all->addWidget(m_pTabs, 1);
    all->addLayout(buttons);

    m_pPage1->Fill(m_settings);
    m_pPage2->Fill(m_settings);
    resize(620, 420);
}

bool CListPrintSetup::ReadControls(CListPrintSettings& s) {
    m_pPage1->Read(s);
    QString message;
    const QSizeF page =
        m_pPrinter ? m_pPrinter->pageLayout().paintRect(QPageLayout::Millimeter).size() : QSizeF();
    if (QSpinBox* bad = m_pPage2->Check(page, &message)) {
        m_pTabs->setCurrentWidget(m_pPage2);
        QMessageBox::warning(this, windowTitle(), message);
        bad->setFocus();
        bad->selectAll();
        return false;
    }
    m_pPage2->Read(s);
    return true;
}

void CListPrintSetup::accept() {
    CListPrintSettings s = m_settings;
    if (!ReadControls(s)) return;
    m_settings = s;
    QDialog::accept();
}

void CListPrintSetup::OnPrinterSetup() {
    if (!m_pPrinter) return;
    QPageSetupDialog dlg(m_pPrinter, this);
    dlg.setWindowTitle(QStringLiteral("Printer Setup"));
    dlg.exec();
}

void CListPrintSetup::OnPreview() {
    CListPrintSettings s = m_settings;
    if (!ReadControls(s) || !m_preview) return;
    QPrinter printer(QPrinter::HighResolution);
    if (m_pPrinter) printer.setPageLayout(m_pPrinter->pageLayout());
    QPrintPreviewDialog dlg(&printer, this);
    dlg.setWindowTitle(QStringLiteral("Print Preview"));
    connect(&dlg, &QPrintPreviewDialog::paintRequested, this,
            [this, &s](QPrinter* target) { m_preview(target, s); });
    dlg.resize(800, 900);
    dlg.exec();
}
