#include "triggers/OpenEventsModel.h"

#include "triggers/SiteMarkers.h"

#include <QColor>

namespace {

const QStringList kHeadings{"Detected", "Sensor",        "State",        "Step",    "Value",
                            "Level",    "Response Plan", "Acknowledged", "Reading", "Detected By"};

QString unitOf(const TriggerEvent& e) {
    return e.measure == Measure::Rate ? QStringLiteral(" mm/day") : QStringLiteral(" mm");
}

QString eventValue(const TriggerEvent& e) {
    QString text = QString::number(e.value, 'f', 2) + unitOf(e);
    if (e.node > 0) {
        text += QStringLiteral(" at Node %1").arg(e.node);
        if (!e.anchor.isEmpty()) {
            text += QStringLiteral(" (%1 m)").arg(e.anchor);
        }
    }
    return text;
}

QStringList eventCells(const EventRecord& record, const QString& plan) {
    const TriggerEvent& e = record.event;
    return {shownEventTime(e.detectedAt),
            e.instrumentId,
            stateText(e.state).toUpper(),
            stageText(record.stage()),
            eventValue(e),
            QString::number(e.level, 'g', 6) + unitOf(e),
            plan,
            e.ackAt.isEmpty() ? QString() : shownEventTime(e.ackAt) + " by " + e.ackBy,
            e.readingKey.mid(e.instrumentId.size()).trimmed(),
            e.detectedBy};
}

} // namespace

OpenEventsModel::OpenEventsModel(QObject* parent) : QAbstractTableModel(parent) {}

void OpenEventsModel::setEvents(const QList<EventRecord>& events, const QList<QString>& plans) {
    beginResetModel();
    events_ = events;
    plans_ = plans;
    plans_.resize(events_.size());
    cells_.clear();
    cells_.reserve(events_.size());
    for (int r = 0; r < events_.size(); ++r) {
        cells_ << eventCells(events_[r], plans_[r]);
    }
    endResetModel();
}

int OpenEventsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(events_.size());
}

int OpenEventsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(kHeadings.size());
}

QVariant OpenEventsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= events_.size()) {
        return {};
    }
    switch (role) {
    case Qt::DisplayRole:
        return cells_[index.row()].value(index.column());
    case EventIdRole:
        return events_[index.row()].event.id;
    case Qt::BackgroundRole:
        return index.column() == StateColumn
                   ? QVariant(stateColour(events_[index.row()].event.state))
                   : QVariant();
    default:
        return {};
    }
}

QVariant OpenEventsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole) {
        return kHeadings.value(section);
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags OpenEventsModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}
