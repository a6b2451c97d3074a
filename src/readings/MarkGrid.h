#pragma once

class QAbstractItemModel;
class QLabel;
class QTableView;
class QWidget;

// The two mark pictures of a grid, kept as hidden labels named img_x_on and img_x_off.
struct MarkPictures {
    QLabel* on;
    QLabel* off;
};
MarkPictures makeMarkPictures(QWidget* parent);

// A read-only grid named MSFlexGrid1 over model, one cell selected at a time, whose mark
// cells show the two pictures.
QTableView* makeMarkGrid(QWidget* parent, QAbstractItemModel* model, const MarkPictures& marks);
