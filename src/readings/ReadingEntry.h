#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <QTime>
#include <optional>

struct AppState;
struct AppContext;
struct ErrorLog;
class RecordSet;
class DbError;
class ReadingsPage;

// The reading on the Readings tab: showing it, storing it, re-keying it when its date or
// time changes, adding a new one and moving between readings.
class ReadingEntry {
public:
    ReadingEntry(AppState& state, const AppContext& context, ReadingsPage& page);

    void fillreadings();
    // Stores the page into the current reading when something on it changed since the
    // reading was shown.
    void SaveReadings();
    // True when a reading other than the one at exceptPosition (1-based; 0 for none) has
    // this key.
    bool DupID(const QString& key, int exceptPosition);
    // Re-keys the current reading to the pickers' date and time, unless another reading has
    // that moment.
    void CheckDateTime();
    void CheckFutureDate();
    void showPosition();

    // The pickers' change, leave and validate notifications.
    void dtpRdate_Change();
    void dtpRtime_Change();

    void imgAddReading_Click();
    void imgFirst_Click();
    void imgPrevData_Click();
    void imgNextData_Click();
    void imgLast_Click();

    // Position of the reading being re-keyed, set each time CheckDateTime runs.
    int CurrentReadingPos = 0;

private:
    // What the page shows of a reading.
    struct PageValues {
        QDate date;
        QTime time;
        QString temperature;
        QStringList channels;
        bool temporal = false;
        bool spatial = false;
        bool operator==(const PageValues&) const = default;
    };

    enum class Move { First, Previous, Next, Last };
    PageValues pageValues() const;
    // Stores the edits of the current row and logs the trigger event they raise, in one
    // transaction, then checks the sensor's readings about it and about storedAt, where it
    // stood before (empty for a new reading); gives the message that tells the event.
    std::optional<QString> storeWithEvent(RecordSet& rs, const QString& storedAt);
    // Tells the event logged, once its transaction committed.
    void tellLevelReached(const std::optional<QString>& reached);
    // Drops the refused values of written and tells the user the reading was not saved.
    void lostReading(RecordSet* written, const DbError& error);
    void move(const QString& tag, Move move);
    RecordSet& readings() const;
    bool hasRows() const;
    void clearReading();
    void setPickers(const QDate& date, const QTime& time);
    // Writes the page's date, time, values and marks into the current row (not yet stored).
    void writePage(RecordSet& rs);
    // Puts back, and tells the user of, each value box whose text changed since the reading
    // was shown and is no reading a chart could draw (readingValueProblem), so that it is not
    // stored. A value as it was shown is never judged: it is the reading's own.
    void keepDrawableValues();
    // Hands a date or time still being typed to the pickers' change handling.
    void commitPickers();
    ErrorLog log() const;

    AppState& state_;
    const AppContext& context_;
    ReadingsPage& page_;
    // Set while the program itself puts values into the pickers, or a re-key is running:
    // the pickers' notifications are then not the user's doing.
    bool quiet_ = false;
    bool checking_ = false;
    // The page as fillreadings left it; empty when that did not finish.
    std::optional<PageValues> shown_;
};
