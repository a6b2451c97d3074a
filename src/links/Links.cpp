#include "links/Links.h"

#include "links/Manual.h"
#include "store/DataFolder.h"
#include "ui/Desktop.h"
#include "ui/WaitCursor.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSettings>

QString websiteAddress() {
    const QSettings settings(QStringLiteral("Ombrevault"), QStringLiteral("Quorvelle"));
    const QString address = settings.value(QStringLiteral("WebsiteAddress")).toString().trimmed();
    return address.isEmpty() ? kDefaultWebsiteAddress : address;
}

QString manualPath(const QString& dataFolder) {
    return dataFolder + "/QuorvelleManual.pdf";
}

QString preparedManual(const QString& dataFolder) {
    const QString manual = manualPath(dataFolder);
    const QFileInfo program(QCoreApplication::applicationFilePath());
    if (FolderExists(dataFolder) &&
        (!FileExists(manual) || QFileInfo(manual).lastModified() < program.lastModified())) {
        // Laying the manual out takes seconds.
        const WaitCursor busy;
        writeManual(manual);
    }
    return manual;
}

void imgHelp_Click(Desktop& desktop, const QString& dataFolder) {
    desktop.open(preparedManual(dataFolder));
}

void imgInternet_Click(Desktop& desktop) {
    desktop.open(websiteAddress());
}
