#include "logger/LoggerGridModel.h"

#include "readings/DatasheetModel.h"

#include <QBrush>
#include <QColor>

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
    checked_.clear();
    endResetModel();
}

void LoggerGridModel::setLineCheck(LineCheck check) {
    check_ = std::move(check);
    checked_.clear();
    if (stage_.rows > 0) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, kAppendColumn - 1),
                         {Qt::BackgroundRole, Qt::ToolTipRole});
    }
}

QList<ReadingFlag> LoggerGridModel::lineFlags(int row) const {
    if (!check_ || row < 0 || row >= stage_.rows || unreadable(row)) {
        return {};
    }
    const auto found = checked_.constFind(row);
    if (found != checked_.cend()) {
        return *found;
    }
    return checked_.insert(row, check_(fieldsOf(row))).value();
}

QVariant LoggerGridModel::checkData(int row, int column, int role) const {
    const QList<ReadingFlag> flags = lineFlags(row);
    if (flags.isEmpty()) {
        return {};
    }
    if (role == Qt::ToolTipRole) {
        return flagsText(flags);
    }
    for (const ReadingFlag& flag : flags) {
        if (flag.check == CheckKind::ImpossibleDate) {
            return column == 0 ? QVariant(QBrush(QColor(255, 150, 150))) : QVariant();
        }
        const bool marked = flag.check == CheckKind::FutureDate ? column == 0
                            : flag.channel == 0                 ? column == kFirstChannelColumn - 1
                                                : column == kFirstChannelColumn + flag.channel - 1;
        if (marked) {
            return QBrush(QColor(255, 214, 140));
        }
    }
    return {};
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
    if (role == Qt::BackgroundRole || role == Qt::ToolTipRole) {
        return checkData(row, index.column(), role);
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
