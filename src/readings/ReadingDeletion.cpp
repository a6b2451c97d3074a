#include "readings/ReadingDeletion.h"

#include "checks/ReadingCheckRun.h"
#include "readings/ReadingStore.h"
#include "readings/ReadingsPage.h"
#include "readings/frmBatchDel.h"
#include "store/Clock.h"
#include "store/Guard.h"
#include "ui/AppContext.h"
#include "ui/AppState.h"
#include "ui/FailureMessages.h"
#include "ui/Prompter.h"

#include <QLineEdit>
#include <QLocale>

ReadingDeletion::ReadingDeletion(AppState& state, const AppContext& context, ReadingsPage& page)
    : state_(state), context_(context), page_(page) {}

ErrorLog ReadingDeletion::log() const {
    return ErrorLog{state_.dataFolder, context_.clock};
}

frmBatchDel* ReadingDeletion::imgDeleteReading_Click() {
    // A range deletion ends on another reading: what is on screen is stored first.
    page_.SaveReadings();
    auto* window = new frmBatchDel(context_.clock->today(), &page_);
    QObject::connect(window, &QDialog::finished, &page_, [this, window] {
        apply(*window);
        window->deleteLater();
    });
    window->open();
    return window;
}

void ReadingDeletion::apply(const frmBatchDel& choice) {
    const auto lost = [&](const DbError& e) {
        tellNotSaved(*context_.prompter, "The deletion of readings", e);
    };
    guarded(log(), " imgDeleteReading_Click", lost, [&] {
        if (!choice.SingleDelete && !choice.BatchDelete && !choice.DeleteAll) {
            return;
        }
        if (!state_.rsReadings || !state_.rsReadings->isOpen()) {
            throw DbError(ErrorCode::NotOpen,
                          "Operation is not allowed when the object is closed.");
        }
        RecordSet& rs = *state_.rsReadings;
        const QString instrumentId = rs.table();
        // The neighbours of what went are checked again, and what is gone keeps no flag.
        if (choice.SingleDelete) {
            const QString storedAt = rs.text("FullDate");
            rs.deleteCurrent();
            checkReadingsOf(state_, context_, instrumentId,
                            ChangedReadings{{}, {}, {{storedAt, storedAt, true}}});
            rs.requery();
            showNewest();
        }
        if (choice.BatchDelete) {
            const int deleted = deleteReadingsBetween(*state_.db, rs.table(),
                                                      choice.DeleteStartDate, choice.DeleteEndDate);
            // The days are the readings' own dates, which need not be their place.
            checkReadingsOf(state_, context_, instrumentId, ChangedReadings{{}, {}, {}, true});
            rs.requery();
            showNewest();
            const QLocale locale = QLocale::system();
            context_.prompter->message(
                kAppTitle, QString::number(deleted) + " readings were deleted from " +
                               locale.toString(choice.DeleteStartDate, QLocale::ShortFormat) +
                               " and " +
                               locale.toString(choice.DeleteEndDate, QLocale::ShortFormat));
        }
        if (choice.DeleteAll) {
            deleteAllReadings(*state_.db, rs.table());
            checkReadingsOf(state_, context_, instrumentId, ChangedReadings{{}, {}, {}, true});
            rs.requery();
            showNewest();
        }
    });
}

void ReadingDeletion::showNewest() {
    RecordSet& rs = *state_.rsReadings;
    if (rs.recordCount() == 0) {
        page_.fillreadings();
        page_.txtRcount->setText("0 of 0");
        state_.savedReadingMark = 0;
        return;
    }
    rs.moveLast();
    page_.fillreadings();
    page_.showPosition();
    state_.savedReadingMark = rs.bookmark();
}
