#pragma once

#include <QPixmap>
#include <QStyledItemDelegate>

// Draws a datasheet mark as its picture centred in the cell, over the cell's usual look.
class MarkDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    MarkDelegate(const QPixmap& on, const QPixmap& off, QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    QPixmap on_;
    QPixmap off_;
};
