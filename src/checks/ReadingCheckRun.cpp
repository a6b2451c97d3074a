#include "checks/ReadingCheckRun.h"

#include "checks/ReadingFlagStore.h"
#include "store/Clock.h"
#include "store/Guard.h"
#include "ui/AppContext.h"
#include "ui/AppState.h"
#include "ui/Prompter.h"

#include <optional>

namespace {

bool check(AppState& state, const AppContext& context, const QString& instrumentId,
           const std::optional<ChangedReadings>& changed) {
    if (!state.db || instrumentId.isEmpty()) {
        return false;
    }
    const auto told = [&](const DbError& e) {
        QString reason = e.description();
        if (reason.endsWith('.')) {
            reason.chop(1);
        }
        context.prompter->message(kOmbrevaultTitle,
                                  "The readings of " + instrumentId +
                                      " were stored, but they could not be checked: " + reason +
                                      ".",
                                  MsgIcon::Exclamation);
    };
    return guarded(ErrorLog{state.dataFolder, context.clock}, " G_CheckReadings", told, [&] {
        const QStringList written = state.keysToCheck.value(instrumentId);
        Connection& db = *state.db;
        const QDateTime now = context.clock->now();
        if ((!changed && written.isEmpty()) || (changed && changed->all)) {
            refreshReadingFlags(db, instrumentId, now);
        } else {
            QList<ReadingSpan> spans = spansOfKeys(db, instrumentId, written);
            if (changed) {
                spans += changed->spans;
                spans += spansOfKeys(db, instrumentId, changed->keys);
                spans += spansOfRows(db, instrumentId, changed->rowids);
            }
            refreshReadingFlagsNear(db, instrumentId, spans, now);
        }
        // Kept until they are checked: a failed check leaves them for the next one.
        state.keysToCheck.remove(instrumentId);
    });
}

} // namespace

bool checkReadingsOf(AppState& state, const AppContext& context, const QString& instrumentId) {
    return check(state, context, instrumentId, std::nullopt);
}

bool checkReadingsOf(AppState& state, const AppContext& context, const QString& instrumentId,
                     const ChangedReadings& changed) {
    return check(state, context, instrumentId, changed);
}
