#pragma once

struct AppState;
struct AppContext;
struct ErrorLog;
class frmBatchDel;
class ReadingsPage;

// The "Delete/Batch" command: the current reading, the readings of a date range or all of
// them, as chosen in "SensorData Deletion".
class ReadingDeletion {
public:
    ReadingDeletion(AppState& state, const AppContext& context, ReadingsPage& page);

    // Opens the window without waiting; its choice is carried out when it closes.
    frmBatchDel* imgDeleteReading_Click();
    void apply(const frmBatchDel& choice);

private:
    // Shows the newest reading left, remembered for the tab, or the empty state.
    void showNewest();
    ErrorLog log() const;

    AppState& state_;
    const AppContext& context_;
    ReadingsPage& page_;
};
