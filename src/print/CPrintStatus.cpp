#include "CPrintStatus.h"

#include "PrintFormat.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

bool CPrintStatus::s_bAbort = false;

CPrintAnimation::CPrintAnimation(QWidget* parent) : QWidget(parent), m_pTimer(new QTimer(this)) {
    m_pTimer->setInterval(90);
    connect(m_pTimer, &QTimer::timeout, this, [this] {
        m_nFrame = (m_nFrame + 1) % kFrames;
        update();
    });
    setMinimumSize(sizeHint());
    setAccessibleName(QStringLiteral("Printing"));
}

void CPrintAnimation::Play() {
    m_pTimer->start();
}
void CPrintAnimation::Stop() {
    m_pTimer->stop();
}
bool CPrintAnimation::IsPlaying() const {
    return m_pTimer->isActive();
}

void CPrintAnimation::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF area = QRectF(rect()).adjusted(4, 4, -4, -4);
    const qreal w = area.width();
    const qreal h = area.height();
    // The sheet slides from the printer's top slot to its front tray.
    const qreal t = static_cast<qreal>(m_nFrame) / kFrames;
    const QRectF sheet(area.left() + w * 0.3, area.top() + h * (0.05 + 0.55 * t), w * 0.4, h * 0.35);
    const QRectF body(area.left() + w * 0.1, area.top() + h * 0.3, w * 0.8, h * 0.45);
    p.setPen(QPen(palette().color(QPalette::WindowText), 1));
    p.setBrush(QColor(110, 120, 135));
    p.drawRoundedRect(body, 4, 4);
    p.setBrush(Qt::white);
    p.drawRect(sheet);
    for (int line = 1; line <= 3; ++line) {
        const qreal y = sheet.top() + sheet.height() * line / 4.5;
        p.drawLine(QPointF(sheet.left() + 4, y), QPointF(sheet.right() - 4, y));
    }
    p.setBrush(QColor(80, 88, 100));
    p.drawRect(QRectF(area.left() + w * 0.05, area.top() + h * 0.72, w * 0.9, h * 0.2));
    p.setBrush(m_nFrame % 4 < 2 ? QColor(60, 200, 60) : QColor(30, 90, 30));
    p.drawEllipse(QRectF(body.right() - 12, body.top() + 6, 6, 6));
}

CPrintStatus::CPrintStatus(QWidget* parent)
    : QDialog(parent), m_strPrintingFormat(QString::fromLatin1(PrintTexts::kPrinting)),
      m_strPageFormat(QString::fromLatin1(PrintTexts::kPageLine)) {
    s_bAbort = false;
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose, false);
    m_pAnimation = new CPrintAnimation(this);
    m_pPrinting = new QLabel(m_strPrintingFormat, this);
    m_pPrinting->setWordWrap(true);
    m_pPageLine = new QLabel(m_strPageFormat, this);
    m_pProgress = new QProgressBar(this);
    m_pProgress->setTextVisible(false);
    m_pProgress->setAccessibleName(QStringLiteral("Pages printed"));
    m_pPercent = new QLabel(QString::fromLatin1(PrintTexts::kPercentInitial), this);
    m_pPercent->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_pPercent->setMinimumWidth(m_pPercent->fontMetrics().horizontalAdvance(QStringLiteral("100 %")) + 8);
    m_pCancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_pCancel->setAccessibleName(QStringLiteral("Cancel"));
    m_pCancel->setDefault(true);
    connect(m_pCancel, &QPushButton::clicked, this, &CPrintStatus::reject);

    auto* top = new QHBoxLayout;
    top->addWidget(m_pAnimation, 0, Qt::AlignTop);
    auto* texts = new QVBoxLayout;
    texts->addWidget(m_pPrinting);
    texts->addWidget(m_pPageLine);
    top->addLayout(texts, 1);
    auto* bar = new QHBoxLayout;
    bar->addWidget(m_pProgress, 1);
    bar->addWidget(m_pPercent);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_pCancel);
    buttons->addStretch();
    auto* all = new QVBoxLayout(this);
    all->addLayout(top);
    all->addLayout(bar);
    all->addLayout(buttons);
    setMinimumWidth(420);
    m_pAnimation->Play();
}

void CPrintStatus::reject() {
    s_bAbort = true;
    m_pAnimation->Stop();
    QDialog::reject();
}
