#include "ui/ColumnFit.h"

#include <algorithm>

#include <QEvent>
#include <QHeaderView>
#include <QObject>
#include <QTableView>

namespace {

constexpr int kNarrowest = 60;

void fit(QTableView* table, int flexible) {
    QHeaderView* header = table->horizontalHeader();
    header->setStretchLastSection(false);
    table->resizeColumnsToContents();
    int total = 0;
    for (int c = 0; c < header->count(); ++c) {
        total += header->isSectionHidden(c) ? 0 : header->sectionSize(c);
    }
    const int room = table->viewport()->width();
    const int excess = total - room;
    if (excess > 0 && flexible < header->count()) {
        header->resizeSection(flexible,
                              std::max(kNarrowest, header->sectionSize(flexible) - excess));
    }
    header->setStretchLastSection(true);
}

class Refit : public QObject {
public:
    Refit(QTableView* table, int flexible) : QObject(table), table_(table), flexible_(flexible) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == table_->viewport() && event->type() == QEvent::Resize) {
            fit(table_, flexible_);
        }
        return false;
    }

private:
    QTableView* table_;
    int flexible_;
};

} // namespace

void fitColumnsToView(QTableView* table, int flexibleColumn) {
    table->setWordWrap(false);
    table->setTextElideMode(Qt::ElideRight);
    if (!table->findChild<Refit*>(QString(), Qt::FindDirectChildrenOnly)) {
        table->viewport()->installEventFilter(new Refit(table, flexibleColumn));
    }
    fit(table, flexibleColumn);
}
