#include "readings/MarkGrid.h"

#include "readings/MarkDelegate.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableView>

namespace {
QLabel* picture(const QString& name, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setPixmap(QPixmap(":/pictures/" + name + ".svg"));
    label->hide();
    return label;
}
} // namespace

MarkPictures makeMarkPictures(QWidget* parent) {
    return {picture("img_x_on", parent), picture("img_x_off", parent)};
}

QTableView* makeMarkGrid(QWidget* parent, QAbstractItemModel* model, const MarkPictures& marks) {
    auto* grid = new QTableView(parent);
    grid->setObjectName("MSFlexGrid1");
    grid->setModel(model);
    grid->setItemDelegate(new MarkDelegate(marks.on->pixmap(), marks.off->pixmap(), grid));
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    grid->setAlternatingRowColors(true);
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->verticalHeader()->setDefaultSectionSize(22);
    grid->horizontalHeader()->setHighlightSections(false);
    return grid;
}
