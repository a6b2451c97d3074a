#include "readings/ReadingEntry.h"

#include "checks/ReadingCheckRun.h"
#include "readings/ReadingKeys.h"
#include "readings/ReadingStore.h"
#include "readings/ReadingValue.h"
#include "readings/ReadingsPage.h"
#include "store/Clock.h"
#include "store/Columns.h"
#include "store/Guard.h"
#include "ui/AppContext.h"
#include "ui/AppState.h"
#include "ui/FailureMessages.h"
#include "ui/Prompter.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QScopedValueRollback>
#include <QTimeEdit>

namespace {
const QString kDuplicateTitle = QStringLiteral("Duplicate Reading");
const QString kNoReadings = QStringLiteral("0 Readings - Click the Add button to add a reading");

bool ticked(const QVariant& flag) {
    return flag.isNull() || flag.toLongLong() != 0;
}

QDate storedDate(const RecordSet& rs) {
    const QDate date = readingDateOf(rs.text(col::ReadingDate));
    return date.isValid() ? date : readingDateOf(rs.text(col::FullDate));
}

QTime storedTime(const RecordSet& rs) {
    const QTime time = readingTimeOf(rs.text(col::ReadingTime));
    return time.isValid() ? time : readingTimeOf(rs.text(col::FullDate).mid(11));
}
} // namespace

ReadingEntry::ReadingEntry(AppState& state, const AppContext& context, ReadingsPage& page)
    : state_(state), context_(context), page_(page) {}

ErrorLog ReadingEntry::log() const {
    return ErrorLog{state_.dataFolder, context_.clock};
}

RecordSet& ReadingEntry::readings() const {
    if (!state_.rsReadings || !state_.rsReadings->isOpen()) {
        throw DbError(ErrorCode::NotOpen, "Operation is not allowed when the object is closed.");
    }
    return *state_.rsReadings;
}

bool ReadingEntry::hasRows() const {
    return state_.rsReadings && state_.rsReadings->isOpen() && state_.rsReadings->recordCount() > 0;
}

void ReadingEntry::setPickers(const QDate& date, const QTime& time) {
    const QScopedValueRollback<bool> quiet(quiet_, true);
    page_.dtpRdate->setDate(date);
    page_.dtpRtime->setTime(time);
}

void ReadingEntry::clearReading() {
    page_.txtReadingID->clear();
    setPickers(context_.clock->today(), QTime(12, 0, 0));
    page_.txtChannelT->clear();
    for (QLineEdit* box : page_.txtChannel) {
        box->clear();
    }
}

void ReadingEntry::showPosition() {
    const RecordSet* rs = state_.rsReadings.get();
    const bool open = rs && rs->isOpen();
    page_.txtRcount->setText(QStringLiteral("%1 of %2")
                                 .arg(open ? rs->absolutePosition() : 0)
                                 .arg(open ? rs->recordCount() : 0));
}

ReadingEntry::PageValues ReadingEntry::pageValues() const {
    PageValues v;
    v.date = page_.dtpRdate->date();
    v.time = page_.dtpRtime->time();
    v.temperature = page_.txtChannelT->text();
    for (const QLineEdit* box : page_.txtChannel) {
        v.channels << box->text();
    }
    v.temporal = page_.chkTemporal->isChecked();
    v.spatial = page_.chkSpatial->isChecked();
    return v;
}

void ReadingEntry::fillreadings() {
    shown_.reset();
    guarded(log(), " Module1_fillreadings", [&] {
        if (!hasRows()) {
            clearReading();
            page_.lblError->setText(kNoReadings);
            page_.lblError->show();
            return;
        }
        const RecordSet& rs = *state_.rsReadings;
        if (rs.absolutePosition() == 0) {
            clearReading();
            context_.prompter->message("Cannot Move", "No readings found", MsgIcon::Exclamation);
            return;
        }
        page_.lblError->hide();
        page_.txtReadingID->setText(rs.text(col::DateTimeKey));
        setPickers(storedDate(rs), storedTime(rs));
        page_.txtChannelT->setText(rs.text(col::ChannelT));
        for (int n = 1; n <= page_.txtChannel.size(); ++n) {
            page_.txtChannel[n - 1]->setText(rs.text(QStringLiteral("Channel%1").arg(n)));
        }
        page_.chkTemporal->setChecked(ticked(rs.value(col::Plottemporal)));
        page_.chkSpatial->setChecked(ticked(rs.value(col::PlotSpatial)));
        showPosition();
        CheckFutureDate();
        shown_ = pageValues();
    });
}

void ReadingEntry::writePage(RecordSet& rs) {
    const QDate date = page_.dtpRdate->date();
    const QTime time = page_.dtpRtime->time();
    rs.setValue(col::DateTimeKey, readingKey(state_.currentInstrumentId(), date, time));
    rs.setValue(col::FullDate, fullDateText(date, time));
    rs.setValue(col::ReadingDate, readingDateText(date));
    rs.setValue(col::ReadingTime, readingTimeText(time));
    rs.setValue(col::ChannelT, storedText(page_.txtChannelT->text()));
    for (int n = 1; n <= page_.txtChannel.size(); ++n) {
        rs.setValue(QStringLiteral("Channel%1").arg(n),
                    storedText(channelText(page_.txtChannel[n - 1]->text())));
    }
    rs.setValue(col::Plottemporal, page_.chkTemporal->isChecked() ? 1 : 0);
    rs.setValue(col::PlotSpatial, page_.chkSpatial->isChecked() ? 1 : 0);
}

void ReadingEntry::keepDrawableValues() {
    QStringList refusals;
    const auto judge = [&](QLineEdit* box, int channel, const QString& shownText) {
        const QString text = box->text();
        if (text == shownText) {
            return;
        }
        const QString problem = readingValueProblem(text);
        if (problem.isEmpty()) {
            return;
        }
        refusals << refusedValueText(valueBoxName(channel), text, valueBoxUnit(channel), problem) +
                        "; it was not stored.";
        box->setText(shownText);
    };
    judge(page_.txtChannelT, 0, shown_ ? shown_->temperature : QString());
    for (int n = 1; n <= page_.txtChannel.size(); ++n) {
        judge(page_.txtChannel[n - 1], n, shown_ ? shown_->channels.value(n - 1) : QString());
    }
    if (!refusals.isEmpty()) {
        context_.prompter->message(kAppTitle, refusals.join("\r\n"), MsgIcon::Exclamation);
    }
}

void ReadingEntry::commitPickers() {
    if (quiet_ || checking_) {
        return;
    }
    page_.dtpRdate->interpretText();
    page_.dtpRtime->interpretText();
}

void ReadingEntry::SaveReadings() {
    RecordSet* written = nullptr;
    const auto lost = [&](const DbError& e) { lostReading(written, e); };
    guarded(log(), " G_SaveReadings", lost, [&] {
        commitPickers();
        if (!hasRows() || state_.rsReadings->absolutePosition() == 0) {
            return;
        }
        keepDrawableValues();
        if (shown_ && *shown_ == pageValues()) {
            return;
        }
        RecordSet& rs = *state_.rsReadings;
        written = &rs;
        // A reading given another date leaves neighbours behind at its old place.
        const QString storedAt = rs.text("FullDate");
        writePage(rs);
        const std::optional<QString> reached = storeWithEvent(rs, storedAt);
        shown_ = pageValues();
        state_.tellResult("The reading " + page_.txtReadingID->text() + " was saved.");
        tellLevelReached(reached);
    });
}

std::optional<QString> ReadingEntry::storeWithEvent(RecordSet& rs, const QString& storedAt) {
    std::optional<QString> reached;
    const QString instrumentId = state_.currentInstrumentId();
    QStringList keys;
    state_.db->inTransaction([&] {
        rs.update();
        keys = {rs.text(col::DateTimeKey)};
        reached = state_.readingsWritten(*state_.db, instrumentId, keys);
    });
    state_.readingsCommitted(instrumentId, keys, reached);
    ChangedReadings changed;
    if (!storedAt.isEmpty() && storedAt != rs.text("FullDate")) {
        changed.spans.append({storedAt, storedAt, true});
    }
    checkReadingsOf(state_, context_, instrumentId, changed);
    return reached;
}

void ReadingEntry::tellLevelReached(const std::optional<QString>& reached) {
    if (reached) {
        context_.prompter->message(kOmbrevaultTitle, *reached, MsgIcon::Exclamation);
    }
}

void ReadingEntry::lostReading(RecordSet* written, const DbError& error) {
    if (written == nullptr) {
        return;
    }
    // The refused values must not stay pending and be retried by every later move.
    written->cancelUpdate();
    tellNotSaved(*context_.prompter, "The reading " + page_.txtReadingID->text(), error);
    state_.tellResult("The reading " + page_.txtReadingID->text() + " was not saved.");
}

bool ReadingEntry::DupID(const QString& key, int exceptPosition) {
    bool duplicate = false;
    guarded(log(), " G_DupID", [&] {
        RecordSet& rs = readings();
        if (rs.recordCount() == 0) {
            return;
        }
        qint64 except = 0;
        if (exceptPosition > 0 && exceptPosition <= rs.recordCount()) {
            const qint64 here = rs.absolutePosition() > 0 ? rs.bookmark() : 0;
            rs.setAbsolutePosition(exceptPosition);
            except = rs.bookmark();
            if (here != 0) {
                rs.setBookmark(here);
            }
        }
        for (const qint64 id : readingsWithKey(*state_.db, rs.table(), key)) {
            duplicate = duplicate || id != except;
        }
    });
    return duplicate;
}

void ReadingEntry::CheckDateTime() {
    if (quiet_ || checking_) {
        return;
    }
    const QScopedValueRollback<bool> checking(checking_, true);
    // A failure ends the re-key with a log entry and no message.
    try {
        RecordSet& rs = readings();
        CurrentReadingPos = rs.absolutePosition();
        if (CurrentReadingPos == 0) {
            return;
        }
        const QDate date = page_.dtpRdate->date();
        const QTime time = page_.dtpRtime->time();
        const QString key = readingKey(state_.currentInstrumentId(), date, time);
        if (key == rs.text(col::DateTimeKey)) {
            return;
        }
        if (DupID(key, CurrentReadingPos)) {
            context_.prompter->message(kDuplicateTitle, "There is already a reading on " +
                                                            readingDateText(date) + " at " +
                                                            readingTimeText(time));
            rs.setAbsolutePosition(CurrentReadingPos);
            setPickers(storedDate(rs), storedTime(rs));
            page_.dtpRdate->setFocus();
            return;
        }
        rs.setAbsolutePosition(CurrentReadingPos);
        const qint64 mark = rs.bookmark();
        // The values typed so far go with the new key; showing the reading again below
        // would otherwise replace them with the stored ones.
        keepDrawableValues();
        std::optional<QString> reached;
        try {
            const QString storedAt = rs.text("FullDate");
            writePage(rs);
            reached = storeWithEvent(rs, storedAt);
        } catch (const DbError& e) {
            lostReading(&rs, e);
            return;
        }
        tellLevelReached(reached);
        rs.requery();
        try {
            rs.setBookmark(mark);
        } catch (const DbError& e) {
            log().report(e, " CheckDateTime");
            context_.prompter->message(kAppTitle,
                                       "The new date and time of the reading were saved, but the "
                                       "reading could not be shown again: " +
                                           e.description(),
                                       MsgIcon::Exclamation);
            return;
        }
        fillreadings();
    } catch (const DbError& e) {
        log().report(e, " CheckDateTime");
    }
}

void ReadingEntry::CheckFutureDate() {
    if (page_.dtpRdate->date() > context_.clock->today()) {
        page_.lblError->setText("Warning: Reading Date is in the future");
        page_.lblError->show();
    } else {
        page_.lblError->hide();
    }
}

void ReadingEntry::dtpRdate_Change() {
    if (quiet_ || checking_) {
        return;
    }
    CheckFutureDate();
    CheckDateTime();
}

void ReadingEntry::dtpRtime_Change() {
    CheckDateTime();
}

void ReadingEntry::imgAddReading_Click() {
    RecordSet* adding = nullptr;
    QString key;
    const auto lost = [&](const DbError& e) {
        if (adding == nullptr) {
            return;
        }
        adding->cancelUpdate();
        // Another user stored a reading at the same moment since the check above: a site
        // server keeps its keys unique and refuses this one.
        bool stored = false;
        if (e.kind() == DbErrorKind::Constraint) {
            ignoring(log(), " imgAddReading_Click", [&] {
                stored = !readingsWithKey(*state_.db, adding->table(), key).isEmpty();
            });
        }
        if (stored) {
            context_.prompter->message(kDuplicateTitle,
                                       "There is already a reading with that date and time");
            return;
        }
        tellNotSaved(*context_.prompter, "The new reading", e);
    };
    guarded(log(), " imgAddReading_Click", lost, [&] {
        RecordSet& rs = readings();
        if (rs.recordCount() > 0) {
            SaveReadings();
        }
        const QDateTime clock = context_.clock->now();
        const QDate date = clock.date();
        const QTime time(clock.time().hour(), clock.time().minute(), clock.time().second());
        key = readingKey(state_.currentInstrumentId(), date, time);
        // The new reading is compared with every stored one: none of them is being edited.
        if (DupID(key, 0)) {
            context_.prompter->message(kDuplicateTitle,
                                       "There is already a reading with that date and time");
            page_.dtpRdate->setFocus();
            return;
        }
        adding = &rs;
        rs.addNew();
        rs.setValue(col::DateTimeKey, key);
        rs.setValue(col::FullDate, fullDateText(date, time));
        rs.setValue(col::ReadingDate, readingDateText(date));
        rs.setValue(col::ReadingTime, readingTimeText(time));
        rs.setValue(col::IsDirty, 1);
        rs.setValue(col::Plottemporal, 1);
        rs.setValue(col::PlotSpatial, 0);
        rs.update();
        adding = nullptr;
        rs.requery();
        rs.moveLast();
        showPosition();
        fillreadings();
    });
}

void ReadingEntry::move(const QString& tag, Move move) {
    guarded(log(), tag, [&] {
        if (!hasRows()) {
            return;
        }
        SaveReadings();
        RecordSet& rs = *state_.rsReadings;
        const int position = rs.absolutePosition();
        const int count = rs.recordCount();
        const bool atStart = position == 1 || (move == Move::Previous && rs.bof());
        const bool atEnd = position == count || (move == Move::Next && rs.eof());
        if ((move == Move::First || move == Move::Previous) && atStart) {
            context_.prompter->message(kAppTitle, "Start of readings");
            return;
        }
        if ((move == Move::Next || move == Move::Last) && atEnd) {
            context_.prompter->message(kAppTitle, "End of readings");
            return;
        }
        switch (move) {
        case Move::First:
            rs.moveFirst();
            break;
        case Move::Previous:
            rs.movePrevious();
            break;
        case Move::Next:
            rs.moveNext();
            break;
        case Move::Last:
            rs.moveLast();
            break;
        }
        fillreadings();
        showPosition();
    });
}

void ReadingEntry::imgFirst_Click() {
    move(" imgFirst_Click", Move::First);
}

void ReadingEntry::imgPrevData_Click() {
    move(" imgPrevData_Click", Move::Previous);
}

void ReadingEntry::imgNextData_Click() {
    move(" imgNextData_Click", Move::Next);
}

void ReadingEntry::imgLast_Click() {
    move(" imgLast_Click", Move::Last);
}
