#pragma once

#include "store/Columns.h"
#include "store/Connection.h"
#include "store/DbError.h"
#include "store/Prefs.h"
#include "store/RecordSet.h"
#include "store/SensorListMark.h"
#include "store/SensorTypes.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

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
    // The Sensors table as it was when rsSensors was last read in full; none when unknown.
    std::optional<SensorListMark> listedSensors;
    // Bookmark of the reading current when the Readings tab was last left; 0 for none.
    qint64 savedReadingMark = 0;

    // Run inside the transaction that writes readings of a sensor (typed by hand or appended
    // from a logger file), on the connection that writes them, with their keys, before it
    // commits: the main window logs the trigger event they raise there and queues its mail,
    // so that readings, event and mail are stored together or not at all. A failure is raised
    // and rolls the readings back. Gives the message that tells the event, which the caller
    // shows once the transaction committed. It touches nothing of the window: a logger append
    // runs it off the window's thread, on a connection of its own.
    std::function<std::optional<QString>(Connection& db, const QString& instrumentId,
                                         const QStringList& keys)>
        onReadingsWritten;
    std::optional<QString> readingsWritten(Connection& writing, const QString& instrumentId,
                                           const QStringList& keys) const {
        return onReadingsWritten ? onReadingsWritten(writing, instrumentId, keys) : std::nullopt;
    }
    // Run on the window's thread once that transaction committed, with what onReadingsWritten
    // gave: the main window sends the outbox and reads the event log again.
    std::function<void(const std::optional<QString>& told)> onReadingsCommitted;
    void readingsCommitted(const QString& instrumentId, const QStringList& keys,
                           const std::optional<QString>& told) {
        keysToCheck[instrumentId] += keys;
        if (onReadingsCommitted) {
            onReadingsCommitted(told);
        }
    }
    // Keys of the readings committed since their sensor's readings were last checked: the
    // check after a hand reading or a logger append judges their neighbourhood only.
    QHash<QString, QStringList> keysToCheck;

    // Shows how the last command ended (what it stored, or that it stored nothing) where the
    // window keeps it; the main window sets it.
    std::function<void(const QString& text)> onResult;
    void tellResult(const QString& text) const {
        if (onResult) {
            onResult(text);
        }
    }

    int nodeCount() const { return sensorType.nodeCount; }
    bool hasCurrentSensor() const {
        return rsSensors && rsSensors->isOpen() && !rsSensors->bof() && !rsSensors->eof();
    }
    QString currentInstrumentId() const {
        return hasCurrentSensor() ? rsSensors->text(col::InstrumentID) : QString();
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
