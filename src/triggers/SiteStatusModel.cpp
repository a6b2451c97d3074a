#include "triggers/SiteStatusModel.h"

#include "triggers/SiteMarkers.h"

#include <QColor>
#include <cmath>

namespace {

const QColor kOverdueColour(0xFF, 0xE0, 0x82);

QVariant numberKey(const std::optional<double>& value) {
    return value ? QVariant(*value) : QVariant(QString());
}

QVariant sortKey(const SiteStatusRow& row, int column) {
    switch (column) {
    case ColNodes:
        return double(row.sensor.setup.nodeCount);
    case ColDaysSince:
        return numberKey(row.daysSince);
    case ColMaxDisp:
        return numberKey(row.status.maxDisp ? std::optional<double>(std::abs(*row.status.maxDisp))
                                            : std::nullopt);
    case ColRate:
        return numberKey(row.status.rate);
    case ColState:
        return double(static_cast<int>(row.status.state));
    default:
        return {};
    }
}

} // namespace

SiteStatusModel::SiteStatusModel(QObject* parent)
    : QAbstractTableModel(parent), headings_(siteStatusHeadings()) {}

void SiteStatusModel::setRows(const QList<SiteStatusRow>& rows) {
    beginResetModel();
    rows_ = rows;
    cells_.clear();
    cells_.reserve(rows_.size());
    for (const SiteStatusRow& row : rows_) {
        cells_ << siteStatusCells(row);
    }
    endResetModel();
}

int SiteStatusModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int SiteStatusModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(headings_.size());
}

QVariant SiteStatusModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_.size() || index.column() >= headings_.size()) {
        return {};
    }
    const SiteStatusRow& row = rows_[index.row()];
    const int c = index.column();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return cells_[index.row()].value(c);
    case SortRole: {
        const QVariant key = sortKey(row, c);
        return key.isValid() ? key : QVariant(cells_[index.row()].value(c));
    }
    case ApartRole:
        return row.sensor.destroyed;
    case Qt::BackgroundRole:
        if (c == ColState) {
            return stateColour(row.status.state);
        }
        if ((c == ColOverdue || c == ColDaysSince) && row.overdue) {
            return kOverdueColour;
        }
        return {};
    case Qt::ForegroundRole:
        if (c == ColState) {
            return QColor(row.status.state == TriggerState::Red ? Qt::white : Qt::black);
        }
        return {};
    default:
        return {};
    }
}

QVariant SiteStatusModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole) {
        return headings_.value(section);
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags SiteStatusModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

bool SiteStatusSort::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    const bool mine = left.data(SiteStatusModel::ApartRole).toBool();
    if (mine != right.data(SiteStatusModel::ApartRole).toBool()) {
        return (sortOrder() == Qt::DescendingOrder) == mine;
    }
    const QVariant a = left.data(SiteStatusModel::SortRole);
    const QVariant b = right.data(SiteStatusModel::SortRole);
    if (a.typeId() == QMetaType::Double || b.typeId() == QMetaType::Double) {
        const double x = a.typeId() == QMetaType::Double ? a.toDouble() : -1e300;
        const double y = b.typeId() == QMetaType::Double ? b.toDouble() : -1e300;
        return x < y;
    }
    return QString::compare(a.toString(), b.toString(), Qt::CaseInsensitive) < 0;
}
