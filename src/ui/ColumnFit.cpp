#include "ui/ColumnFit.h"

#include <QHeaderView>
#include <QTableView>

void fitColumnsToView(QTableView* table, int flexibleColumn) {
    table->setWordWrap(false);
    table->setTextElideMode(Qt::ElideRight);
    QHeaderView* header = table->horizontalHeader();
    header->setStretchLastSection(false);
    header->setMinimumSectionSize(48);
    for (int c = 0; c < header->count(); ++c) {
        header->setSectionResizeMode(c, c == flexibleColumn ? QHeaderView::Stretch
                                                            : QHeaderView::ResizeToContents);
    }
}
