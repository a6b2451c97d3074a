#include "app/BundledFiles.h"

#include "links/Links.h"
#include "links/Manual.h"
#include "store/Clock.h"
#include "store/DataFolder.h"
#include "store/Guard.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QImage>
#include <QPainter>

void prepareBundledFiles(const QString& dataFolder) {
    const SystemClock clock;
    ignoring(ErrorLog{dataFolder, &clock}, " prepareBundledFiles",
             [&] { prepareDataFolder(dataFolder); });
    const QString logo = dataFolder + "/ovlogo.jpg";
    if (FolderExists(dataFolder) && !FileExists(logo)) {
        QImage source(":/logo.svg");
        QImage flat(source.size(), QImage::Format_RGB32);
        flat.fill(Qt::white);
        QPainter painter(&flat);
        painter.drawImage(0, 0, source);
        painter.end();
        flat.save(logo, "JPG", 92);
    }
    // A manual older than the program was written by an earlier version: it is written anew.
    const QString manual = manualPath(dataFolder);
    const QFileInfo program(QCoreApplication::applicationFilePath());
    if (FolderExists(dataFolder) &&
        (!FileExists(manual) || QFileInfo(manual).lastModified() < program.lastModified())) {
        writeManual(manual);
    }
}
