#include "readings/DatasheetModel.h"

DatasheetModel::DatasheetModel(QObject* parent) : QAbstractTableModel(parent) {
    setNoReadings();
}

void DatasheetModel::setSheet(int typeDigit, QVector<DatasheetRow> rows) {
    beginResetModel();
    typeDigit_ = typeDigit;
    headings_ = datasheetHeadings(typeDigit);
    rows_ = std::move(rows);
    endResetModel();
}

void DatasheetModel::setNoReadings() {
    beginResetModel();
    typeDigit_ = 0;
    headings_ = QStringList{"No Readings"};
    rows_.clear();
    endResetModel();
}

int DatasheetModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int DatasheetModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(headings_.size());
}

bool DatasheetModel::isMarkColumn(int column) const {
    return typeDigit_ > 0 && column >= temporalColumn() && column < headings_.size();
}

QString DatasheetModel::text(const QModelIndex& index) const {
    if (!index.isValid() || index.row() >= rows_.size()) {
        return {};
    }
    const DatasheetRow& row = rows_[index.row()];
    if (isMarkColumn(index.column())) {
        return index.column() == temporalColumn() ? row.temporalText : row.spatialText;
    }
    return index.column() < row.cells.size() ? row.cells[index.column()] : QString();
}

void DatasheetModel::setText(const QModelIndex& index, const QString& text) {
    if (!index.isValid() || index.row() >= rows_.size()) {
        return;
    }
    DatasheetRow& row = rows_[index.row()];
    if (isMarkColumn(index.column())) {
        (index.column() == temporalColumn() ? row.temporalText : row.spatialText) = text;
    } else if (index.column() < row.cells.size()) {
        row.cells[index.column()] = text;
        row.changed = true;
    }
    emit dataChanged(index, index, {Qt::DisplayRole});
}

QVariant DatasheetModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_.size()) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return text(index);
    }
    if (role == MarkRole && isMarkColumn(index.column())) {
        const DatasheetRow& row = rows_[index.row()];
        return index.column() == temporalColumn() ? row.temporal : row.spatial;
    }
    return {};
}

QVariant DatasheetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < headings_.size()) {
        return headings_[section];
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

bool DatasheetModel::toggleMark(const QModelIndex& index) {
    if (!index.isValid() || index.row() >= rows_.size() || !isMarkColumn(index.column())) {
        return false;
    }
    DatasheetRow& row = rows_[index.row()];
    bool& mark = index.column() == temporalColumn() ? row.temporal : row.spatial;
    mark = !mark;
    row.changed = true;
    emit dataChanged(index, index, {MarkRole});
    return true;
}

void DatasheetModel::checkAllTemporal() {
    if (rows_.isEmpty() || typeDigit_ == 0) {
        return;
    }
    for (DatasheetRow& row : rows_) {
        row.changed = row.changed || !row.temporal;
        row.temporal = true;
    }
    emit dataChanged(index(0, temporalColumn()), index(rowCount() - 1, temporalColumn()),
                     {MarkRole});
}

QVector<QStringList> DatasheetModel::gridTexts() const {
    QVector<QStringList> grid;
    grid.reserve(rows_.size() + 1);
    grid << headings_;
    for (const DatasheetRow& row : rows_) {
        QStringList texts = row.cells;
        texts << QString() << QString();
        grid << texts;
    }
    return grid;
}
