#include "triggers/TriggerCheck.h"

#include "store/Clock.h"
#include "store/DbError.h"
#include "store/Guard.h"
#include "triggers/TriggerEvents.h"
#include "ui/AppContext.h"
#include "ui/AppState.h"
#include "ui/Prompter.h"

void CheckTriggerLevels(AppState& state, const AppContext& context, const QString& instrumentId,
                        const QStringList& newKeys) {
    if (!state.db || !state.db->isOpen() || instrumentId.isEmpty() || newKeys.isEmpty()) {
        return;
    }
    try {
        const std::optional<TriggerEvent> event =
            detectTriggerEvent(*state.db, instrumentId, newKeys, context.clock->now(), loginName());
        if (event) {
            const TriggerLevels levels = appliedLevels(*state.db, instrumentId);
            context.prompter->message(kOmbrevaultTitle,
                                      triggerEventMessage(*event, *levels.rateWindow),
                                      MsgIcon::Exclamation);
        }
    } catch (const DbError& e) {
        ErrorLog{state.dataFolder, context.clock}.report(e,
                                                         QStringLiteral(" G_CheckTriggerLevels"));
        context.prompter->message(kOmbrevaultTitle,
                                  "The trigger levels of sensor " + instrumentId +
                                      " could not be checked:\r\n" + e.description(),
                                  MsgIcon::Exclamation);
    }
}
