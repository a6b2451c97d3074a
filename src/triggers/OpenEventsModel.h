#pragma once

#include "triggers/EventLife.h"

#include <QAbstractTableModel>

// The events of "9. Site Status" not yet closed, one row each in the order given: when it was
// detected, the sensor, the state (on its colour), the step, the value and the level crossed,
// the response plan that applies, the acknowledgement, the reading and what detected it.
class OpenEventsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // The event's number, on every cell of its row.
    static constexpr int EventIdRole = Qt::UserRole + 1;
    // The column of the state, drawn on its colour.
    static constexpr int StateColumn = 2;

    explicit OpenEventsModel(QObject* parent = nullptr);

    // The events with the plan text that applies to each (empty for none).
    void setEvents(const QList<EventRecord>& events, const QList<QString>& plans);
    const QList<EventRecord>& events() const { return events_; }
    const QString& plan(int row) const { return plans_[row]; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    QList<EventRecord> events_;
    QList<QString> plans_;
    QList<QStringList> cells_;
};
