#include "app/HistoryCommand.h"

#include "sensors/frmHistory.h"
#include "store/Clock.h"
#include "store/Guard.h"
#include "ui/AppContext.h"
#include "ui/AppState.h"
#include "ui/Prompter.h"

void cmdHistory_Click(AppState& state, const AppContext& context, QWidget* parent,
                      const std::function<void(bool sensor)>& restored) {
    const ErrorLog log{state.dataFolder, context.clock};
    guarded(log, " cmdHistory_Click", [&] {
        if (!state.db || !state.db->isOpen()) {
            context.prompter->message(kOmbrevaultTitle, "There is no database open.",
                                      MsgIcon::Exclamation);
            return;
        }
        auto* form = new frmHistory(*state.db, state.currentInstrumentId(), context.clock->today(),
                                    *context.prompter, log, parent);
        form->setAttribute(Qt::WA_DeleteOnClose);
        QObject::connect(form, &frmHistory::restored, form, restored);
        form->open();
    });
}
