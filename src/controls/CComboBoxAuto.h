#pragma once

#include <QComboBox>

// Drop-down combo with an edit field that completes the typed text with the first entry that
// begins with it (ignoring case), the completed part selected. After Delete or Backspace
// nothing is completed, so a removed completion stays removed.
class CComboBoxAuto : public QComboBox {
    Q_OBJECT
public:
    explicit CComboBoxAuto(QWidget* parent = nullptr);

    bool m_bAutoComplete = true;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnEditUpdate(const QString& text);
};
