#include "readings/MarkDelegate.h"

#include "readings/DatasheetModel.h"

#include <QPainter>

MarkDelegate::MarkDelegate(const QPixmap& on, const QPixmap& off, QObject* parent)
    : QStyledItemDelegate(parent), on_(on), off_(off) {}

void MarkDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const {
    QStyledItemDelegate::paint(painter, option, index);
    const QVariant mark = index.data(DatasheetModel::MarkRole);
    if (!mark.isValid()) {
        return;
    }
    const QPixmap& picture = mark.toBool() ? on_ : off_;
    const QSize size = picture.deviceIndependentSize().toSize();
    const QRect cell = option.rect;
    painter->drawPixmap(cell.x() + (cell.width() - size.width()) / 2,
                        cell.y() + (cell.height() - size.height()) / 2, picture);
}
