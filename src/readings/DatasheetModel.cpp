#include "readings/DatasheetModel.h"

#include "store/DbError.h"

#include <QApplication>
#include <QColor>
#include <QFont>
#include <QPalette>
#include <algorithm>

DatasheetModel::DatasheetModel(QObject* parent) : QAbstractTableModel(parent) {
    setNoReadings();
}

void DatasheetModel::setSheet(int typeDigit, QVector<DatasheetRow> rows, CellLoader loader) {
    beginResetModel();
    currentHeading_ = -1;
    typeDigit_ = typeDigit;
    headings_ = datasheetHeadings(typeDigit);
    rows_ = std::move(rows);
    loader_ = std::move(loader);
    endResetModel();
}

void DatasheetModel::load(int row) const {
    if (rows_[row].loaded || !loader_) {
        return;
    }
    const int first = row - row % BlockRows;
    loader_(rows_, first, BlockRows);
}

void DatasheetModel::setNoReadings() {
    beginResetModel();
    currentHeading_ = -1;
    typeDigit_ = 0;
    headings_ = QStringList{kNoReadings};
    rows_.clear();
    loader_ = {};
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
    if (isMarkColumn(index.column())) {
        const DatasheetRow& row = rows_[index.row()];
        return index.column() == temporalColumn() ? row.temporalText : row.spatialText;
    }
    load(index.row());
    const DatasheetRow& row = rows_[index.row()];
    return index.column() < row.cells.size() ? row.cells[index.column()] : QString();
}

void DatasheetModel::setText(const QModelIndex& index, const QString& text) {
    if (!index.isValid() || index.row() >= rows_.size()) {
        return;
    }
    if (!isMarkColumn(index.column())) {
        load(index.row());
    }
    DatasheetRow& row = rows_[index.row()];
    if (isMarkColumn(index.column())) {
        (index.column() == temporalColumn() ? row.temporalText : row.spatialText) = text;
    } else if (index.column() < row.cells.size()) {
        row.cells[index.column()] = text;
        row.changed = true;
        row.edited = true;
    }
    emit dataChanged(index, index, {Qt::DisplayRole});
}

QVariant DatasheetModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_.size()) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        try {
            return text(index);
        } catch (const DbError&) {
            // A row that cannot be read shows empty; it is read again when next drawn.
            return {};
        }
    }
    if (role == MarkRole && isMarkColumn(index.column())) {
        const DatasheetRow& row = rows_[index.row()];
        return index.column() == temporalColumn() ? row.temporal : row.spatial;
    }
    if (role == Qt::BackgroundRole || role == Qt::ForegroundRole || role == Qt::ToolTipRole) {
        return checkData(index, role);
    }
    return {};
}

void DatasheetModel::setChecks(QHash<QString, QList<ReadingFlag>> flags,
                               QHash<QString, QString> rejected) {
    flags_ = std::move(flags);
    rejected_ = std::move(rejected);
    if (!rows_.isEmpty()) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1),
                         {Qt::BackgroundRole, Qt::ForegroundRole, Qt::ToolTipRole});
    }
}

QString DatasheetModel::keyAt(int row) const {
    try {
        return text(index(row, 0));
    } catch (const DbError&) {
        return {};
    }
}

bool DatasheetModel::marks(const ReadingFlag& flag, int column) const {
    constexpr int channelT = 3;
    switch (flag.check) {
    case CheckKind::FutureDate:
    case CheckKind::ImpossibleDate:
        return column < channelT;
    case CheckKind::NoTemperature:
        return column == channelT;
    default:
        return column == channelT + flag.channel;
    }
}

QVariant DatasheetModel::checkData(const QModelIndex& index, int role) const {
    if (typeDigit_ == 0 || (flags_.isEmpty() && rejected_.isEmpty())) {
        return {};
    }
    const QString key = keyAt(index.row());
    const auto rejected = rejected_.constFind(key);
    const QList<ReadingFlag> flags = flags_.value(key);
    if (rejected == rejected_.cend() && flags.isEmpty()) {
        return {};
    }
    if (role == Qt::ToolTipRole) {
        QStringList lines;
        if (rejected != rejected_.cend()) {
            lines << *rejected;
        }
        if (!flags.isEmpty()) {
            lines << flagsText(flags);
        }
        return lines.join('\n');
    }
    if (role == Qt::ForegroundRole) {
        return rejected != rejected_.cend() ? QVariant(QColor(110, 110, 110)) : QVariant();
    }
    if (std::any_of(flags.begin(), flags.end(),
                    [&](const ReadingFlag& flag) { return marks(flag, index.column()); })) {
        return QColor(255, 214, 140);
    }
    return rejected != rejected_.cend() ? QVariant(QColor(222, 222, 222)) : QVariant();
}

QVariant DatasheetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < headings_.size()) {
        return headings_[section];
    }
    if (orientation == Qt::Horizontal && section == currentHeading_) {
        if (role == Qt::BackgroundRole) {
            return QApplication::palette().brush(QPalette::Highlight);
        }
        if (role == Qt::ForegroundRole) {
            return QApplication::palette().brush(QPalette::HighlightedText);
        }
        if (role == Qt::FontRole) {
            QFont bold = QApplication::font();
            bold.setBold(true);
            return bold;
        }
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
    if (loader_) {
        loader_(rows_, 0, static_cast<int>(rows_.size()));
    }
    return datasheetGridTexts(typeDigit_, rows_);
}

void DatasheetModel::setCurrentHeading(int column) {
    if (column == currentHeading_) {
        return;
    }
    const int before = currentHeading_;
    currentHeading_ = column;
    for (int section : {before, column}) {
        if (section >= 0) {
            emit headerDataChanged(Qt::Horizontal, section, section);
        }
    }
}
