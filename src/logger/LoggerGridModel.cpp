#include "logger/LoggerGridModel.h"

#include "readings/DatasheetModel.h"

LoggerGridModel::LoggerGridModel(QObject* parent) : QAbstractTableModel(parent) {}

QStringList LoggerGridModel::headings() {
    QStringList headings = {"Reading Date & Time", "TROV ID", "Type ID", "SensorNo", "ChannelT"};
    for (int k = 1; k <= 10; ++k) {
        headings << QStringLiteral("Channel%1").arg(k);
    }
    headings << "Append";
    return headings;
}

void LoggerGridModel::fill(QVector<QStringList> rows, QVector<bool> marks) {
    beginResetModel();
    rows_ = std::move(rows);
    marks_ = std::move(marks);
    marks_.resize(rows_.size());
    endResetModel();
}

void LoggerGridModel::clear() {
    fill({}, {});
}

void LoggerGridModel::toggle(const QModelIndex& index) {
    if (!index.isValid() || index.column() != kAppendColumn || index.row() >= marks_.size()) {
        return;
    }
    marks_[index.row()] = !marks_[index.row()];
    emit dataChanged(index, index, {DatasheetModel::MarkRole});
}

int LoggerGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int LoggerGridModel::columnCount(const QModelIndex& parent) const {
    if (parent.isValid()) {
        return 0;
    }
    return rows_.isEmpty() ? 1 : kAppendColumn + 1;
}

QVariant LoggerGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_.size()) {
        return {};
    }
    if (index.column() == kAppendColumn) {
        return role == DatasheetModel::MarkRole ? QVariant(marks_[index.row()]) : QVariant();
    }
    if (role == Qt::DisplayRole) {
        return rows_[index.row()].value(index.column());
    }
    return {};
}

QVariant LoggerGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return {};
    }
    if (rows_.isEmpty()) {
        return section == 0 ? QVariant("No Readings") : QVariant();
    }
    return headings().value(section);
}

Qt::ItemFlags LoggerGridModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}
