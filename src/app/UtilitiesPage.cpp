#include "app/UtilitiesPage.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

UtilitiesPage::UtilitiesPage(QWidget* parent) : TabPage(parent) {
    setObjectName("pageUtilities");

    databaseFrame = new QGroupBox("Database:", this);
    databaseFrame->setObjectName("fraDatabase");
    databaseFrame->setGeometry(16, 16, 420, 330);
    changeLocation = makeImageCommand(databaseFrame, "Image4", "Label58",
                                      "Change Database Location", ":/icons/database.svg");
    changeLocation.image->move(16, 32);
    changeLocation.caption->setGeometry(62, 38, 300, 24);
    backup = makeImageCommand(databaseFrame, "imgBackup", "Label42", "Backup Database",
                              ":/icons/backup.svg");
    backup.image->move(16, 78);
    backup.caption->setGeometry(62, 84, 300, 24);
    restore = makeImageCommand(databaseFrame, "imgRestore", "Label27", "Restore from Backup",
                               ":/icons/restore.svg");
    restore.image->move(16, 124);
    restore.caption->setGeometry(62, 130, 300, 24);
    auto* listCaption = new QLabel("Choose an mdb file to restore from:", databaseFrame);
    listCaption->setGeometry(16, 168, 380, 22);
    lstFiles = new QListWidget(databaseFrame);
    lstFiles->setObjectName("lstFiles");
    lstFiles->setGeometry(16, 192, 388, 122);

    linksFrame = new QGroupBox("Help:", this);
    linksFrame->setObjectName("fraHelp");
    linksFrame->setGeometry(16, 362, 420, 130);
    manual = makeImageCommand(linksFrame, "imgHelp", "Label66", "View Quorvelle Manual",
                              ":/icons/help.svg");
    manual.image->move(16, 32);
    manual.caption->setGeometry(62, 38, 300, 24);
    website = makeImageCommand(linksFrame, "imgInternet", "Label40", "Visit the Ombrevault website",
                               ":/icons/internet.svg");
    website.image->move(16, 78);
    website.caption->setGeometry(62, 84, 300, 24);

    filterFrame = new QGroupBox("Filter Installed Sensors:", this);
    filterFrame->setObjectName("fraFilter");
    filterFrame->setGeometry(460, 16, 640, 420);

    auto* countCaption = new QLabel("# of Instruments:", this);
    countCaption->setGeometry(460, 452, 130, 24);
    txtSCount = new QLineEdit(this);
    txtSCount->setObjectName("txtSCount");
    txtSCount->setReadOnly(true);
    txtSCount->setGeometry(596, 450, 80, 26);
}
