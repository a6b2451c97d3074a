#include "readings/SensorData.h"

#include "store/Columns.h"
#include "store/Guard.h"
#include "store/ReadingsTables.h"
#include "store/Schema.h"
#include "ui/AppContext.h"
#include "ui/AppState.h"
#include "ui/FailureMessages.h"
#include "ui/Prompter.h"

namespace {
ErrorLog logOf(const QString& dataFolder, const AppContext& context) {
    return ErrorLog{dataFolder, context.clock};
}
} // namespace

bool TableExists(Connection& db, const QString& tableName) {
    for (const QString& name : db.tables()) {
        if (!name.startsWith(QLatin1String("MSys")) &&
            name.compare(tableName, Qt::CaseInsensitive) == 0) {
            return true;
        }
    }
    return false;
}

void AddDataTable(AppState& state, const AppContext& context) {
    const auto inUse = [&](const DbError& e) { tellIfInUse(*context.prompter, e); };
    guarded(logOf(state.dataFolder, context), " Module1_AddDataTable", inUse, [&] {
        const QString number = sensorList(state).text(col::InstrumentID);
        if (TableExists(*state.db, number)) {
            context.prompter->message(kAppTitle, "Table " + number + " Already Exists");
            const MsgAnswer answer = context.prompter->message(
                "Ombrevault's QUORVELLE",
                "Table " + number + " already exists\r\nDo you want to overwrite this table?",
                MsgIcon::None, MsgButtons::YesNo);
            if (answer != MsgAnswer::Yes) {
                return;
            }
            dropReadingsTable(*state.db, number);
        }
        createReadingsTable(*state.db, number);
    });
}

void OpenSensorData(AppState& state, const AppContext& context) {
    const auto inUse = [&](const DbError& e) { tellIfInUse(*context.prompter, e); };
    guarded(logOf(state.dataFolder, context), " Module1_OpenSensorData", inUse, [&] {
        if (!state.hasCurrentSensor()) {
            context.prompter->message(
                kAppTitle, "Please add a sensor by clicking the 'Add New' button on the first tab"
                           "\r\nYou will also need to enter the length and anchor location data "
                           "in order to add readings");
            return;
        }
        // Readings of another sensor must not stay open in place of these should this fail.
        state.rsReadings.reset();
        const QString number = state.rsSensors->text(col::InstrumentID);
        if (!TableExists(*state.db, number)) {
            context.prompter->message(kAppTitle, "The data table for Sensor " + number +
                                                     " could not be found\r\n"
                                                     "A new table will be created");
            AddDataTable(state, context);
        }
        state.rsReadings = std::make_unique<RecordSet>(*state.db, number, QString(), QVariantList(),
                                                       "FullDate, rowid");
        if (state.rsReadings->recordCount() > 0) {
            state.rsReadings->moveFirst();
        }
    });
}
