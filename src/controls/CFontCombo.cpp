#include "CFontCombo.h"

#include <QAbstractItemView>
#include <QFontDatabase>
#include <QPainter>
#include <QStylePainter>
#include <QTimer>

CFontCombo::CFontCombo(QWidget* parent) : QComboBox(parent) {
    setEditable(false);
    setItemDelegate(new CFontComboDelegate(this));
    // A combo that nobody fills directly fills itself once it exists.
    QTimer::singleShot(0, this, [this] {
        if (count() == 0) Fill();
    });
}

bool CFontCombo::Qualifies(bool scalable, bool symbol, bool privateFamily) {
    return scalable && !symbol && !privateFamily;
}

bool CFontCombo::Qualifies(const QString& family) {
    return Qualifies(QFontDatabase::isSmoothlyScalable(family),
                     QFontDatabase::writingSystems(family).contains(QFontDatabase::Symbol),
                     QFontDatabase::isPrivateFamily(family));
}

QFont CFontCombo::EntryFont(const QString& family) {
    QFont f(family);
    f.setPointSize(9);
    return f;
}

void CFontCombo::Fill() {
    clear();
    for (const QString& family : QFontDatabase::families()) {
        if (!Qualifies(family)) continue;
        addItem(family, QVariant::fromValue(QFont(family)));
    }
    setCurrentIndex(-1);
}

int CFontCombo::GetSelectedFontDesc(QFont& desc) const {
    const int index = currentIndex();
    if (index < 0) return -1;
    desc = itemData(index).value<QFont>();
    return index;
}

void CFontCombo::paintEvent(QPaintEvent*) {
    // The selection field shows the chosen face as well.
    QStylePainter painter(this);
    QStyleOptionComboBox opt;
    initStyleOption(&opt);
    painter.drawComplexControl(QStyle::CC_ComboBox, opt);
    if (currentIndex() >= 0) painter.setFont(EntryFont(currentText()));
    painter.drawControl(QStyle::CE_ComboBoxLabel, opt);
}

void CFontComboDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    const bool selected = option.state & QStyle::State_Selected;
    const QPalette& pal = option.palette;
    painter->save();
    painter->fillRect(option.rect, pal.color(selected ? QPalette::Highlight : QPalette::Base));
    if (index.isValid()) {
        const QString family = index.data(Qt::DisplayRole).toString();
        painter->setPen(pal.color(selected ? QPalette::HighlightedText : QPalette::Text));
        painter->setFont(CFontCombo::EntryFont(family));
        painter->drawText(option.rect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, family);
    }
    painter->restore();
}

QSize CFontComboDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    return QSize(QStyledItemDelegate::sizeHint(option, index).width(), CFontCombo::kItemHeight);
}
