#pragma once

#include "ui/ClickableLabel.h"
#include "ui/TabPage.h"

#include <QVector>
#include <memory>

class QCheckBox;
class QHBoxLayout;
class QVBoxLayout;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimeEdit;
struct AppState;
struct AppContext;
class ReadingEntry;
class ReadingDeletion;
class ValueFilter;

// Tab "3. Readings": the current reading of the current sensor, the moves between readings,
// adding and deleting readings and the way into the datasheet.
class ReadingsPage : public TabPage {
    Q_OBJECT
public:
    ReadingsPage(AppState& state, const AppContext& context, QWidget* parent = nullptr);
    ~ReadingsPage() override;

    // Opens the current sensor's readings and shows the remembered reading, else the newest.
    QString enter() override;
    // Remembers the current reading, then stores what the page shows into it.
    void leave() override;

    // Shows the current reading of rsReadings (also after other windows change the readings).
    void fillreadings();
    // Reopens the current sensor's readings on the remembered reading, or the newest.
    void showReadingsAgain();
    // Stores the page into the current reading.
    void SaveReadings();
    // Sets txtRcount to the position of the current reading.
    void showPosition();

    ReadingEntry& entry() { return *entry_; }

    void imgDatasheet_Click();

    QLineEdit* txtSensor3;
    QLineEdit* txtReadingID;
    QDateEdit* dtpRdate;
    QTimeEdit* dtpRtime;
    // Node channel boxes txtChannel1..8, their node labels lbln1..10 and unit labels lblmm1..8.
    QVector<QLineEdit*> txtChannel;
    QVector<QLabel*> lbln;
    QVector<QLabel*> lblmm;
    QLineEdit* txtChannelT;
    QLabel* lblTemp;
    QLabel* lblTempCaption;
    QCheckBox* chkTemporal;
    QCheckBox* chkSpatial;
    QLineEdit* txtRcount;
    QLabel* lblError;
    QComboBox* cboTrovInt;

    ImageCommand first;
    ImageCommand previous;
    ImageCommand next;
    ImageCommand last;
    ImageCommand addNew;
    ImageCommand deleteBatch;
    ImageCommand datasheet;
    // The report command; the main window runs it.
    ImageCommand report;

    // The page's columns: the reading and plot options on the left, the node values in the
    // middle, the command frames on the right (each column ends in a stretch).
    QHBoxLayout* columns;
    QVBoxLayout* leftColumn;
    QVBoxLayout* rightColumn;
    // "Logger Data": imports a logger file for the current sensor; the main window runs it.
    ClickableLabel* imgAddTrovData;
    // "Revisions...": the current sensor's revision list; the main window runs it.
    QPushButton* cmdRevisions;

private:
    void buildReadingFrame();
    void buildNodeFrame();
    void buildCommandFrames();
    void connectCommands();
    // A paste refused by a value box is told to the user; channel 0 is the temperature.
    void tellRefusedPastes(ValueFilter* filter, int channel);

    AppState& state_;
    const AppContext& context_;
    std::unique_ptr<ReadingEntry> entry_;
    std::unique_ptr<ReadingDeletion> deletion_;
};
