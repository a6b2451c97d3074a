#include "links/Links.h"

#include "ui/Desktop.h"

QString manualPath(const QString& dataFolder) {
    return dataFolder + "/QuorvelleManual.pdf";
}

void imgHelp_Click(Desktop& desktop, const QString& dataFolder) {
    desktop.open(manualPath(dataFolder));
}

void imgInternet_Click(Desktop& desktop) {
    desktop.open(kWebsiteAddress);
}
