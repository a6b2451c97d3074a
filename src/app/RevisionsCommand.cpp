#include "app/RevisionsCommand.h"

#include "readings/ReadingsPage.h"
#include "revisions/frmRevisions.h"
#include "store/Columns.h"
#include "store/Guard.h"
#include "store/RecordSet.h"
#include "triggers/TriggerEvents.h"
#include "ui/AppContext.h"
#include "ui/AppState.h"
#include "ui/Prompter.h"

namespace {
// The reading on the page as wall-clock time; invalid when there is none.
QDateTime currentReading(AppState& state) {
    RecordSet* rs = state.rsReadings.get();
    if (!rs || !rs->isOpen() || rs->bof() || rs->eof()) {
        return {};
    }
    const QDateTime at =
        QDateTime::fromString(rs->text(col::FullDate), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    return at.isValid() ? QDateTime(at.date(), at.time(), Qt::UTC) : QDateTime();
}
} // namespace

void cmdRevisions_Click(AppState& state, const AppContext& context, ReadingsPage& page) {
    guarded(ErrorLog{state.dataFolder, context.clock}, " cmdRevisions_Click", [&] {
        if (!state.db || !state.hasCurrentSensor()) {
            context.prompter->message(kOmbrevaultTitle, "There is no current sensor.",
                                      MsgIcon::Exclamation);
            return;
        }
        page.SaveReadings();
        auto* form = new frmRevisions(*state.db, state.currentInstrumentId(),
                                      state.sensorType.nodeCount, currentReading(state),
                                      *context.prompter, *context.clock, loginName(), &page);
        form->setAttribute(Qt::WA_DeleteOnClose);
        form->open();
    });
}
