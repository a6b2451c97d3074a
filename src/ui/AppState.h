#pragma once

#include "store/Connection.h"
#include "store/DbError.h"
#include "store/Prefs.h"
#include "store/RecordSet.h"
#include "store/SensorTypes.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

// The state the main window owns for the whole run: the connection, the record sets kept
// open on it and the values of the current sensor. Pages reach it by reference.
struct AppState {
    QString dataFolder;
    QString dbPath;
    std::unique_ptr<Connection> db;
    std::unique_ptr<RecordSet> rsConfig;
    std::unique_ptr<RecordSet> rsPrefs;
    std::unique_ptr<RecordSet> rsSensors;
    std::unique_ptr<RecordSet> rsReadings;
    Prefs prefs;
    // Values of the current sensor type; nodeCount is the number of node channels.
    SensorTypeInfo sensorType;
    bool firstload = false;
    // Bookmark of the reading current when the Readings tab was last left; 0 for none.
    qint64 savedReadingMark = 0;

    // Run once readings of a sensor are stored (typed by hand or appended from a logger
    // file), with their keys; the main window checks the trigger levels there.
    std::function<void(const QString& instrumentId, const QStringList& keys)> onReadingsCommitted;
    void readingsCommitted(const QString& instrumentId, const QStringList& keys) const {
        if (onReadingsCommitted) {
            onReadingsCommitted(instrumentId, keys);
        }
    }

    int nodeCount() const { return sensorType.nodeCount; }
    bool hasCurrentSensor() const {
        return rsSensors && rsSensors->isOpen() && !rsSensors->bof() && !rsSensors->eof();
    }
    QString currentInstrumentId() const {
        return hasCurrentSensor() ? rsSensors->text("InstrumentID") : QString();
    }
};

// The register's record set. Without a database (a start-up that could not connect) there is
// none: that fails as a closed record set does, through the caller's error path.
inline RecordSet& sensorList(AppState& state) {
    if (!state.rsSensors) {
        throw DbError(ErrorCode::NotOpen, "Operation is not allowed when the object is closed.");
    }
    return *state.rsSensors;
}
