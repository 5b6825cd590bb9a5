#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

// A sheet of paper running through a printer, drawn in a loop.
class CPrintAnimation : public QWidget {
    Q_OBJECT
public:
    explicit CPrintAnimation(QWidget* parent = nullptr);
    void Play();
    void Stop();
    bool IsPlaying() const;
    int Frame() const { return m_nFrame; }
    static constexpr int kFrames = 16;

protected:
    void paintEvent(QPaintEvent* e) override;
    QSize sizeHint() const override { return QSize(96, 56); }

private:
    QTimer* m_pTimer;
    int m_nFrame = 0;
};

// The modeless progress dialog of a print job; Cancel sets the process-wide abort flag.
class CPrintStatus : public QDialog {
    Q_OBJECT
public:
    explicit CPrintStatus(QWidget* parent);

    static bool AbortFlag() { return s_bAbort; }
    static void ClearAbort() { s_bAbort = false; }

    // The texts as they are in the dialog before the job fills them.
    QString PrintingFormat() const { return m_strPrintingFormat; }
    QString PageLineFormat() const { return m_strPageFormat; }

    QLabel* m_pPrinting;
    QLabel* m_pPageLine;
    QLabel* m_pPercent;
    QProgressBar* m_pProgress;
    CPrintAnimation* m_pAnimation;
    QPushButton* m_pCancel;

public slots:
    void reject() override;

private:
    QString m_strPrintingFormat;
    QString m_strPageFormat;
    static bool s_bAbort;
};
