#pragma once

#include "charts/GraphData.h"
#include "charts/GraphRows.h"
#include "store/Connection.h"
#include "store/Guard.h"
#include "store/RecordSet.h"

#include <QString>
#include <memory>
#include <stdexcept>

class Clock;
class Prompter;

// A failure the command line reports in words of its own; the command exits non-zero.
class CliFailure : public std::runtime_error {
public:
    explicit CliFailure(const QString& message) : std::runtime_error(message.toStdString()) {}
};

// The database a command works on, opened as the windows open it at start-up: the one named
// by --database, else the data folder's (or the one its location file names). Their messages
// go to the prompter.
class CliSession {
public:
    CliSession(const QString& dataFolder, const QString& database, Prompter& prompter,
               const Clock& clock);

    Connection& db() { return db_; }
    const QString& dataFolder() const { return dataFolder_; }
    ErrorLog log() const { return ErrorLog{dataFolder_, &clock_}; }

    // The sensor's row in the register, with its readings table; CliFailure when either is
    // missing.
    std::unique_ptr<RecordSet> sensor(const QString& instrumentId);

private:
    QString dataFolder_;
    const Clock& clock_;
    Connection db_;
};

// What a chart of the sensor draws, as the chart tab would draw it with this sensor on the
// record form and the scale selector untouched: the chart's batch is run (and stores its
// columns), then its selection is read.
GraphInput storedChartInput(CliSession& session, const RecordSet& sensor, GraphVariant variant);
