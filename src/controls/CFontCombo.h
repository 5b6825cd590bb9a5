#pragma once

#include <QComboBox>
#include <QFont>
#include <QStyledItemDelegate>

// Drop-down list of the installed outline fonts, symbol fonts left out, each entry drawn in
// its own face at 9 points.
class CFontCombo : public QComboBox {
    Q_OBJECT
public:
    // Fills itself once the event loop runs; Fill may also be called directly.
    explicit CFontCombo(QWidget* parent = nullptr);

    void Fill();
    // Copies the selected entry's font description and returns its index; -1 (and nothing
    // copied) when nothing is selected.
    int GetSelectedFontDesc(QFont& desc) const;

    // Whether a face qualifies: scalable outlines, not a symbol font, not a system-private face.
    static bool Qualifies(bool scalable, bool symbol, bool privateFamily);
    static bool Qualifies(const QString& family);
    // The face drawn at 9 points.
    static QFont EntryFont(const QString& family);
    static constexpr int kItemHeight = 14;

protected:
    void paintEvent(QPaintEvent* e) override;
};

class CFontComboDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};
