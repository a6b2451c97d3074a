#include "cli/CliSession.h"

#include "reports/StoredChart.h"
#include "store/AuditLog.h"
#include "store/Columns.h"
#include "store/DataFolder.h"
#include "store/SensorTypes.h"
#include "store/ServerLocation.h"
#include "store/SiteAccess.h"
#include "store/TriggerTables.h"
#include "triggers/TriggerEvents.h"
#include "triggers/TriggerLevels.h"
#include "ui/Prompter.h"

CliSession::CliSession(const QString& dataFolder, const QString& database, Prompter& prompter,
                       const Clock& clock)
    : dataFolder_(dataFolder), clock_(clock) {
    QString path = database;
    if (path.isEmpty()) {
        const DatabaseChoice choice = chooseDatabase(dataFolder);
        if (choice.emptyLocationLine) {
            prompter.message(kAppTitle,
                             "The alternate database file path location could not be found\r\n"
                             "The default path will be used\r\n"
                             "You can edit the location on the 'Utilities' tab");
        }
        path = choice.path;
    }
    try {
        db_.open(path);
        if (!db_.isOpen()) {
            throw DbError(ErrorCode::NotOpen,
                          QStringLiteral("%1 could not be opened as a database (another program "
                                         "may hold it locked, or it is not a database).")
                              .arg(maskedLocation(path)));
        }
        // As at start-up: the Configuration table must give its first row.
        RecordSet config(db_, QStringLiteral("Configuration"), QString(), QVariantList(),
                         col::SensorType);
        config.moveFirst();
        config.value(col::SensorType);
    } catch (const DbError&) {
        prompter.message(
            QStringLiteral("Database connection error"),
            QStringLiteral("ERROR: could not connect to database\r\nProgram must exit"),
            MsgIcon::Critical);
        throw;
    }
    setLoginRoleInUse(findLoginRole(db_));
    // The columns a newer version added to our own tables, as the window adds them at start-up.
    guarded(log(), " G_CreateTriggerTables", [&] { addMissingLevelColumns(db_); });
    guarded(log(), " G_AuditLog", [&] { recordChanges(db_, loginName()); });
}

std::unique_ptr<RecordSet> CliSession::sensor(const QString& instrumentId) {
    auto rs =
        std::make_unique<RecordSet>(db_, QStringLiteral("Sensors"),
                                    QStringLiteral("InstrumentID = ?"), QVariantList{instrumentId});
    if (rs->recordCount() == 0) {
        throw CliFailure(
            QStringLiteral("There is no sensor %1 in the database.").arg(instrumentId));
    }
    rs->moveFirst();
    if (!db_.tables().contains(instrumentId, Qt::CaseInsensitive)) {
        throw CliFailure(
            QStringLiteral("The readings table of sensor %1 is missing; opening the sensor's "
                           "readings in the window creates it again.")
                .arg(instrumentId));
    }
    return rs;
}

GraphInput storedChartInput(CliSession& session, const RecordSet& sensor, GraphVariant variant) {
    const QString type = sensor.text(col::SensorType);
    if (!lookupSensorType(type)) {
        throw CliFailure(QStringLiteral("unknown sensor type! (%1)").arg(type));
    }
    return storedChartInput(session.db(), session.log(), sensor, variant);
}
