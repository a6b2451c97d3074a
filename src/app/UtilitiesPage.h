#pragma once

#include "ui/ClickableLabel.h"
#include "ui/TabPage.h"

#include <functional>

class QLabel;
class QPushButton;
class QLineEdit;
class QGroupBox;
class QHBoxLayout;
class QVBoxLayout;
class QListWidget;
class SensorFilterPanel;
class TriggerLevelsBlock;

// Tab "8. Utilities": database location, backups, copying the register to a site server, the
// sensor filter, the links and the site default trigger levels.
class UtilitiesPage : public TabPage {
    Q_OBJECT
public:
    explicit UtilitiesPage(QWidget* parent = nullptr);

    // Lists the backups and reads the site default trigger levels.
    QString enter() override;
    // Stores the site default trigger levels typed.
    void leave() override;

    // Fills lstFiles with the backups in the data folder; set by the backup commands.
    std::function<void()> listBackups;

    ImageCommand changeLocation; // Image4
    ImageCommand backup;         // imgBackup
    ImageCommand restore;        // imgRestore
    ImageCommand copyToServer;   // cmdCopyToServer
    ImageCommand compact;        // cmdCompact
    QListWidget* lstFiles;
    ImageCommand manual;  // imgHelp
    ImageCommand website; // imgInternet
    QGroupBox* databaseFrame;
    QGroupBox* linksFrame;
    QGroupBox* filterFrame;
    SensorFilterPanel* filterPanel;
    QLineEdit* txtSCount;
    // Opens frmAlarmRecipients: who the alarm mail goes to, and this computer's mail server.
    QPushButton* cmdAlarmRecipients;
    // Opens frmReadingChecks: the site's thresholds of the reading checks.
    QPushButton* cmdReadingChecks;
    TriggerLevelsBlock* siteLevels;
    // Says that the trigger event log is unprotected; hidden while it is protected.
    QLabel* lblEventLogRules;

    // The page's two columns, and the row that holds the site levels (room beside them).
    QHBoxLayout* columns;
    QVBoxLayout* leftColumn;
    QVBoxLayout* rightColumn;
    QHBoxLayout* levelsRow;

    // Shows the text in lblEventLogRules, or hides it when the text is empty.
    void showEventLogWarning(const QString& text);
};
