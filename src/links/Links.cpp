#include "links/Links.h"

#include "links/Manual.h"
#include "store/DataFolder.h"
#include "ui/Desktop.h"

#include <QCoreApplication>
#include <QCursor>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSettings>

QString websiteAddress() {
    const QSettings settings(QStringLiteral("Ombrevault"), QStringLiteral("Quorvelle"));
    const QString address = settings.value(QStringLiteral("WebsiteAddress")).toString().trimmed();
    return address.isEmpty() ? kDefaultWebsiteAddress : address;
}

QString manualPath(const QString& dataFolder) {
    return dataFolder + "/QuorvelleManual.pdf";
}

namespace {
// Laying the manual out takes seconds: the pointer tells the user that something is under way.
struct WaitCursor {
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};
} // namespace

QString preparedManual(const QString& dataFolder) {
    const QString manual = manualPath(dataFolder);
    const QFileInfo program(QCoreApplication::applicationFilePath());
    if (FolderExists(dataFolder) &&
        (!FileExists(manual) || QFileInfo(manual).lastModified() < program.lastModified())) {
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
