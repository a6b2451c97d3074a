#include "app/UtilitiesPage.h"

#include "sensors/SensorFilterPanel.h"
#include "triggers/TriggerLevelsBlock.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

namespace {
// An image command with its caption beside it, on the given row of a group box.
ImageCommand commandRow(QWidget* frame, int row, const QString& imageName,
                        const QString& captionName, const QString& caption,
                        const QString& picture) {
    ImageCommand command = makeImageCommand(frame, imageName, captionName, caption, picture);
    const int top = 32 + row * 46;
    command.image->move(16, top);
    command.caption->setGeometry(62, top + 6, 300, 24);
    return command;
}
} // namespace

UtilitiesPage::UtilitiesPage(QWidget* parent) : TabPage(parent) {
    setObjectName("pageUtilities");

    databaseFrame = new QGroupBox("Database:", this);
    databaseFrame->setObjectName("fraDatabase");
    databaseFrame->setGeometry(16, 16, 420, 376);
    changeLocation = commandRow(databaseFrame, 0, "Image4", "Label58", "Change Database Location",
                                ":/icons/database.svg");
    backup = commandRow(databaseFrame, 1, "imgBackup", "Label42", "Backup Database",
                        ":/icons/backup.svg");
    restore = commandRow(databaseFrame, 2, "imgRestore", "Label27", "Restore from Backup",
                         ":/icons/restore.svg");
    copyToServer = commandRow(databaseFrame, 3, "cmdCopyToServer", "lblCopyToServer",
                              "Copy Register to Server", ":/icons/server.svg");
    auto* listCaption = new QLabel("Choose an mdb file to restore from:", databaseFrame);
    listCaption->setGeometry(16, 214, 380, 22);
    lstFiles = new QListWidget(databaseFrame);
    lstFiles->setObjectName("lstFiles");
    lstFiles->setGeometry(16, 238, 388, 122);

    linksFrame = new QGroupBox("Help:", this);
    linksFrame->setObjectName("fraHelp");
    linksFrame->setGeometry(16, 408, 420, 130);
    manual = commandRow(linksFrame, 0, "imgHelp", "Label66", "View Quorvelle Manual",
                        ":/icons/help.svg");
    website = commandRow(linksFrame, 1, "imgInternet", "Label40", "Visit the Ombrevault website",
                         ":/icons/internet.svg");

    filterFrame = new QGroupBox("Filter Installed Sensors:", this);
    filterFrame->setObjectName("fraFilter");
    filterFrame->setGeometry(460, 16, 640, 420);

    auto* countCaption = new QLabel("# of Instruments:", this);
    countCaption->setGeometry(460, 452, 130, 24);
    txtSCount = new QLineEdit(this);
    txtSCount->setObjectName("txtSCount");
    txtSCount->setReadOnly(true);
    txtSCount->setGeometry(596, 450, 80, 26);
    siteLevels = new TriggerLevelsBlock("Site Default Trigger Levels:", "Site", 2, this);
    siteLevels->setGeometry(460, 490, 640, 194);
    lblEventLogRules = new QLabel(this);
    lblEventLogRules->setObjectName("lblEventLogRules");
    lblEventLogRules->setGeometry(16, 548, 420, 96);
    lblEventLogRules->setWordWrap(true);
    lblEventLogRules->setStyleSheet("color: #b00000; font-weight: bold;");
    lblEventLogRules->hide();
    // Made last, the filter's boxes end the page's tab order.
    filterPanel = new SensorFilterPanel(filterFrame);
}

void UtilitiesPage::showEventLogWarning(const QString& text) {
    lblEventLogRules->setText(text);
    lblEventLogRules->setVisible(!text.isEmpty());
}
