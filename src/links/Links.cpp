#include "links/Links.h"

#include "ui/Desktop.h"

#include <QSettings>

QString websiteAddress() {
    const QSettings settings(QStringLiteral("Ombrevault"), QStringLiteral("Quorvelle"));
    const QString address = settings.value(QStringLiteral("WebsiteAddress")).toString().trimmed();
    return address.isEmpty() ? kDefaultWebsiteAddress : address;
}

QString manualPath(const QString& dataFolder) {
    return dataFolder + "/QuorvelleManual.pdf";
}

void imgHelp_Click(Desktop& desktop, const QString& dataFolder) {
    desktop.open(manualPath(dataFolder));
}

void imgInternet_Click(Desktop& desktop) {
    desktop.open(websiteAddress());
}
