#include "charts/ChartTab.h"

#include "readings/SensorData.h"
#include "store/Guard.h"
#include "ui/AppState.h"
#include "ui/FailureMessages.h"
#include "ui/Prompter.h"
#include "ui/WaitCursor.h"

#include <optional>

namespace {
const char* pageName(ChartPage::Kind kind) {
    switch (kind) {
    case ChartPage::Kind::DispTime:
        return "pageDispTime";
    case ChartPage::Kind::DispLength:
        return "pageDispLength";
    case ChartPage::Kind::LoadTime:
        return "pageLoadTime";
    case ChartPage::Kind::LoadLength:
        break;
    }
    return "pageLoadLength";
}
} // namespace

ChartTab::ChartTab(ChartPage::Kind kind, AppState& state, const AppContext& context,
                   QWidget* parent)
    : TabPage(parent), kind_(kind), state_(state), context_(context) {
    setObjectName(QLatin1String(pageName(kind)));
}

GraphVariant ChartTab::variant() const {
    return kind_ == ChartPage::Kind::DispTime || kind_ == ChartPage::Kind::LoadTime
               ? GraphVariant::Time
               : GraphVariant::Length;
}

bool ChartTab::showsLoads() const {
    return kind_ == ChartPage::Kind::LoadTime || kind_ == ChartPage::Kind::LoadLength;
}

QString ChartTab::countRows(int& rows) {
    const ErrorLog log{state_.dataFolder, context_.clock};
    QString instrumentId;
    std::optional<DbError> failure;
    try {
        if (state_.db && state_.hasCurrentSensor()) {
            instrumentId = state_.currentInstrumentId();
            rows = countGraphRows(*state_.db, instrumentId, variant());
        }
    } catch (const DbError& e) {
        failure = e;
    }
    if (!failure) {
        return {};
    }
    log.report(*failure, " Module1_OpenGraphData");
    // Only a table found missing in the schema is created anew; any other failure (a busy
    // or damaged file) changes nothing and is told as it is.
    bool missing = false;
    guarded(log, " Module1_TableExists", [&] {
        missing =
            failure->kind() == DbErrorKind::MissingObject && !TableExists(*state_.db, instrumentId);
    });
    if (!missing) {
        return failure->kind() == DbErrorKind::Busy
                   ? kDatabaseInUse
                   : "The readings could not be read: " + failureReason(*failure) + ".";
    }
    context_.prompter->message(kAppTitle, "The data table for Sensor " + instrumentId +
                                              " could not be found\r\nA new table will be "
                                              "created");
    AddDataTable(state_, context_);
    return {};
}

QString ChartTab::enter() {
    if (steps_.prepare) {
        guarded(ErrorLog{state_.dataFolder, context_.clock}, " G_PrepareChart", steps_.prepare);
    }
    int rows = 0;
    if (QString refusal = countRows(rows); !refusal.isEmpty()) {
        return refusal;
    }
    if (rows < 2) {
        return twoReadingsMessage(variant());
    }
    // The first chart of years of readings computes and stores every one of them, which takes
    // about a second.
    const WaitCursor busy;
    // Each step guards its own work; a failure it lets through ends only that step, unless it
    // is a database failure that leaves nothing to draw.
    for (const auto& step : {steps_.batch, steps_.show, steps_.draw}) {
        if (!step) {
            continue;
        }
        try {
            step();
        } catch (const DbError& e) {
            return "The chart could not be drawn: " + failureReason(e) + ".";
        } catch (const std::exception&) {
            // Skipped: the next step goes on.
        }
    }
    return {};
}
