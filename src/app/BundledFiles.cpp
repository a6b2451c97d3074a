#include "app/BundledFiles.h"

#include "links/Links.h"
#include "links/Manual.h"
#include "reports/ReportLogo.h"
#include "store/Clock.h"
#include "store/DataFolder.h"
#include "store/Guard.h"

#include <QCoreApplication>
#include <QFileInfo>

void prepareBundledFiles(const QString& dataFolder) {
    const SystemClock clock;
    ignoring(ErrorLog{dataFolder, &clock}, " prepareBundledFiles",
             [&] { prepareDataFolder(dataFolder); });
    reportLogo(dataFolder);
    // A manual older than the program was written by an earlier version: it is written anew.
    const QString manual = manualPath(dataFolder);
    const QFileInfo program(QCoreApplication::applicationFilePath());
    if (FolderExists(dataFolder) &&
        (!FileExists(manual) || QFileInfo(manual).lastModified() < program.lastModified())) {
        writeManual(manual);
    }
}
