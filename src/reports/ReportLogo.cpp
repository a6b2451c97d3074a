#include "reports/ReportLogo.h"

#include "store/DataFolder.h"

#include <QImage>
#include <QPainter>

QString reportLogo(const QString& dataFolder) {
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
    return logo;
}
