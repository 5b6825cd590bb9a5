#pragma once

#include "ListPrintLayout.h"

#include <QDialog>

#include <functional>

class CFontCombo;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPrinter;
class QPushButton;
class QSpinBox;
class QTabWidget;

// "Headers and Fonts": the texts and the three fonts, each text shown in its font.
class CListPrintPage1 : public QWidget {
    Q_OBJECT
public:
    explicit CListPrintPage1(QWidget* parent = nullptr);
    void Fill(const CListPrintSettings& s);
    void Read(CListPrintSettings& s) const;
    // Leading digits of a size box's text, as the size.
    static int SizeOf(const QString& text);

    CFontCombo* m_pHeaderFace;
    CFontCombo* m_pFooterFace;
    CFontCombo* m_pContentFace;
    QComboBox* m_pHeaderSize;
    QComboBox* m_pFooterSize;
    QComboBox* m_pContentSize;
    QPlainTextEdit* m_pHeader;
    QPlainTextEdit* m_pFooter;
    QLineEdit* m_pPageFormat;

private:
    void UpdatePreview(CFontCombo* face, QComboBox* size, QWidget* edit);
    int m_nPixelsPerInch = 96;
};

// "Margins": the four margins in millimetres, and a picture of the page.
class CListPrintPage2 : public QWidget {
    Q_OBJECT
public:
    explicit CListPrintPage2(QWidget* parent = nullptr);
    void Fill(const CListPrintSettings& s);
    void Read(CListPrintSettings& s) const;
    // The first margin out of range with its message, or null when all are fine.
    QSpinBox* Check(const QSizeF& pageMm, QString* message) const;

    QSpinBox* m_pTop;
    QSpinBox* m_pBottom;
    QSpinBox* m_pLeft;
    QSpinBox* m_pRight;
    QWidget* m_pPicture;
};

// The setup dialog of a list printout.
class CListPrintSetup : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kRangeMessage = "Please enter an integer between 0 and 300.";
    static constexpr const char* kNoRoomMessage =
        "The margins leave no room to print on the page. Please make them smaller.";

    CListPrintSetup(const CListPrintSettings& settings, QPrinter* printer, QWidget* parent = nullptr);
    const CListPrintSettings& Settings() const { return m_settings; }
    // Draws the pages for the preview with the settings as they stand in the dialog.
    std::function<void(QPrinter*, const CListPrintSettings&)> m_preview;

    QTabWidget* m_pTabs;
    CListPrintPage1* m_pPage1;
    CListPrintPage2* m_pPage2;
    QPushButton* m_pPrint;
    QPushButton* m_pCancel;
    QPushButton* m_pPrinterSetup;
    QPushButton* m_pPreview;

public slots:
    void accept() override;

private:
    void OnPrinterSetup();
    void OnPreview();
    // The settings as the controls show them; false (with the field focused) when a margin is refused.
    bool ReadControls(CListPrintSettings& s);

    CListPrintSettings m_settings;
    QPrinter* m_pPrinter;
};
