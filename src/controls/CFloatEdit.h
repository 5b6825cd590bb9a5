#pragma once

#include "CFloatEditText.h"

#include <QLineEdit>

// Single-line edit of one signed decimal number, kept grouped and at a fixed number of
// decimals while the user types. Keys it does not understand are ignored.
class CFloatEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit CFloatEdit(QWidget* parent = nullptr);

    double GetValue() const { return m_model.GetValue(); }
    void SetValue(double value);
    void SetDecimals(int decimals);
    int GetDecimals() const { return m_model.Decimals(); }
    void SetGrouping(bool grouping);

    const CFloatEditText& Model() const { return m_model; }

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    void Pull();
    void Push();

    CFloatEditText m_model;
};
