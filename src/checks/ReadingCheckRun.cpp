#include "checks/ReadingCheckRun.h"

#include "checks/ReadingFlagStore.h"
#include "store/Clock.h"
#include "store/Guard.h"
#include "ui/AppContext.h"
#include "ui/AppState.h"
#include "ui/Prompter.h"

bool checkReadingsOf(AppState& state, const AppContext& context, const QString& instrumentId) {
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
    return guarded(ErrorLog{state.dataFolder, context.clock}, " G_CheckReadings", told,
                   [&] { refreshReadingFlags(*state.db, instrumentId, context.clock->now()); });
}
