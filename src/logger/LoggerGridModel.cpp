#include "logger/LoggerGridModel.h"

#include "readings/DatasheetModel.h"

#include <QBrush>

namespace {
// The part of an unreadable line the grid shows.
constexpr qsizetype kShownUnreadable = 200;
} // namespace

LoggerGridModel::LoggerGridModel(QObject* parent) : QAbstractTableModel(parent) {}

LoggerGridModel::~LoggerGridModel() = default;

QStringList LoggerGridModel::headings() {
    QStringList headings = {"Reading Date & Time", "TROV ID", "Type ID", "SensorNo", "ChannelT"};
    for (int k = 1; k <= 10; ++k) {
        headings << QStringLiteral("Channel%1").arg(k);
    }
    headings << "Append";
    return headings;
}

void LoggerGridModel::fill(LoggerStage stage) {
    beginResetModel();
    reader_.reset();
    stage_ = std::move(stage);
    marks_ = stage_.marks;
    marks_.resize(stage_.rows);
    if (stage_.rows > 0) {
        reader_ = std::make_unique<LoggerRowReader>(stage_);
    }
    cachedRow_ = -1;
    cachedFields_.clear();
    endResetModel();
}

void LoggerGridModel::clear() {
    fill({});
}

bool LoggerGridModel::unreadable(int row) const {
    return row >= 0 && row < stage_.unreadable.size() && stage_.unreadable.testBit(row);
}

void LoggerGridModel::toggle(const QModelIndex& index) {
    if (!index.isValid() || index.column() != kAppendColumn || index.row() >= marks_.size() ||
        unreadable(index.row())) {
        return;
    }
    marks_.toggleBit(index.row());
    emit dataChanged(index, index, {DatasheetModel::MarkRole});
}

int LoggerGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(stage_.rows);
}

int LoggerGridModel::columnCount(const QModelIndex& parent) const {
    if (parent.isValid()) {
        return 0;
    }
    return stage_.rows == 0 ? 1 : kAppendColumn + 1;
}

const QStringList& LoggerGridModel::fieldsOf(int row) const {
    if (row != cachedRow_) {
        const QByteArray line = reader_->line(row);
        if (unreadable(row)) {
            cachedFields_ = {QString::fromUtf8(line.left(kShownUnreadable))};
        } else {
            cachedFields_ = loggerFields(line).value_or(QStringList());
        }
        cachedRow_ = row;
    }
    return cachedFields_;
}

QVariant LoggerGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= stage_.rows) {
        return {};
    }
    const int row = index.row();
    if (index.column() == kAppendColumn) {
        if (unreadable(row)) {
            switch (role) {
            case Qt::DisplayRole:
                return QStringLiteral("×");
            case Qt::ToolTipRole:
                return QStringLiteral("This line cannot be read and is not appended.");
            case Qt::TextAlignmentRole:
                return Qt::AlignCenter;
            case Qt::ForegroundRole:
                return QBrush(Qt::red);
            default:
                return {};
            }
        }
        return role == DatasheetModel::MarkRole ? QVariant(marks_.testBit(row)) : QVariant();
    }
    if (role == Qt::DisplayRole) {
        return fieldsOf(row).value(index.column());
    }
    return {};
}

QVariant LoggerGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return {};
    }
    if (stage_.rows == 0) {
        return section == 0 ? QVariant("No Readings") : QVariant();
    }
    return headings().value(section);
}

Qt::ItemFlags LoggerGridModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}
