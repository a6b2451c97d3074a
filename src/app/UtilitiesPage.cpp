#include "app/UtilitiesPage.h"

#include "sensors/SensorFilterPanel.h"
#include "triggers/TriggerLevelsBlock.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
// An image command with its caption beside it, on the given row of a group box's grid.
ImageCommand commandRow(QWidget* frame, QGridLayout& rows, int row, const QString& imageName,
                        const QString& captionName, const QString& caption,
                        const QString& picture) {
    ImageCommand command = makeImageCommand(frame, imageName, captionName, caption, picture);
    rows.addWidget(command.image, row, 0);
    rows.addWidget(command.caption, row, 1);
    return command;
}

QGridLayout* commandRows(QGroupBox* frame) {
    auto* rows = new QGridLayout(frame);
    rows->setColumnStretch(1, 1);
    rows->setHorizontalSpacing(10);
    return rows;
}
} // namespace

UtilitiesPage::UtilitiesPage(QWidget* parent) : TabPage(parent) {
    setObjectName("pageUtilities");

    databaseFrame = new QGroupBox("Database:", this);
    databaseFrame->setObjectName("fraDatabase");
    QGridLayout* databaseRows = commandRows(databaseFrame);
    changeLocation = commandRow(databaseFrame, *databaseRows, 0, "Image4", "Label58",
                                "Change Database Location", ":/icons/database.svg");
    backup = commandRow(databaseFrame, *databaseRows, 1, "imgBackup", "Label42", "Backup Database",
                        ":/icons/backup.svg");
    restore = commandRow(databaseFrame, *databaseRows, 2, "imgRestore", "Label27",
                         "Restore from Backup", ":/icons/restore.svg");
    copyToServer = commandRow(databaseFrame, *databaseRows, 3, "cmdCopyToServer", "lblCopyToServer",
                              "Copy Register to Server", ":/icons/server.svg");
    compact = commandRow(databaseFrame, *databaseRows, 4, "cmdCompact", "lblCompact",
                         "Compact Database", ":/icons/database.svg");
    auto* listCaption = new QLabel("Choose an mdb file to restore from:", databaseFrame);
    databaseRows->addWidget(listCaption, 5, 0, 1, 2);
    lstFiles = new QListWidget(databaseFrame);
    lstFiles->setObjectName("lstFiles");
    lstFiles->setMinimumHeight(80);
    databaseRows->addWidget(lstFiles, 6, 0, 1, 2);
    databaseRows->setRowStretch(6, 1);

    linksFrame = new QGroupBox("Help:", this);
    linksFrame->setObjectName("fraHelp");
    QGridLayout* linkRows = commandRows(linksFrame);
    manual = commandRow(linksFrame, *linkRows, 0, "imgHelp", "Label66", "View Quorvelle Manual",
                        ":/icons/help.svg");
    website = commandRow(linksFrame, *linkRows, 1, "imgInternet", "Label40",
                         "Visit the Ombrevault website", ":/icons/internet.svg");

    filterFrame = new QGroupBox("Filter Installed Sensors:", this);
    filterFrame->setObjectName("fraFilter");

    auto* countCaption = new QLabel("# of Instruments:", this);
    txtSCount = new QLineEdit(this);
    txtSCount->setObjectName("txtSCount");
    txtSCount->setReadOnly(true);
    txtSCount->setFixedWidth(80);
    cmdAlarmRecipients = new QPushButton("Alarm Recipients", this);
    cmdAlarmRecipients->setObjectName("cmdAlarmRecipients");
    cmdReadingChecks = new QPushButton("Reading Checks", this);
    cmdReadingChecks->setObjectName("cmdReadingChecks");
    siteLevels = new TriggerLevelsBlock("Site Default Trigger Levels:", "Site", 2, this);
    lblEventLogRules = new QLabel(this);
    lblEventLogRules->setObjectName("lblEventLogRules");
    lblEventLogRules->setWordWrap(true);
    lblEventLogRules->setStyleSheet("color: #b00000; font-weight: bold;");
    lblEventLogRules->hide();
    // Made last, the filter's boxes end the page's tab order.
    filterPanel = new SensorFilterPanel(filterFrame);
    auto* filterArea = new QVBoxLayout(filterFrame);
    filterArea->addWidget(filterPanel);

    // Two columns: database and help on the left; the filter, the count and the site levels
    // on the right.
    columns = new QHBoxLayout(this);
    columns->setContentsMargins(16, 8, 16, 8);
    columns->setSpacing(24);
    leftColumn = new QVBoxLayout;
    leftColumn->addWidget(databaseFrame, 1);
    leftColumn->addWidget(linksFrame);
    leftColumn->addWidget(lblEventLogRules);
    rightColumn = new QVBoxLayout;
    rightColumn->addWidget(filterFrame);
    auto* countRow = new QHBoxLayout;
    countRow->addWidget(countCaption);
    countRow->addWidget(txtSCount);
    countRow->addStretch(1);
    countRow->addWidget(cmdAlarmRecipients);
    countRow->addWidget(cmdReadingChecks);
    rightColumn->addLayout(countRow);
    levelsRow = new QHBoxLayout;
    levelsRow->addWidget(siteLevels);
    levelsRow->addStretch(1);
    rightColumn->addLayout(levelsRow);
    rightColumn->addStretch(1);
    columns->addLayout(leftColumn, 2);
    columns->addLayout(rightColumn, 3);
}

void UtilitiesPage::showEventLogWarning(const QString& text) {
    lblEventLogRules->setText(text);
    lblEventLogRules->setVisible(!text.isEmpty());
}

QString UtilitiesPage::enter() {
    if (listBackups) {
        listBackups();
    }
    siteLevels->load();
    return {};
}

void UtilitiesPage::leave() {
    siteLevels->commit();
}
