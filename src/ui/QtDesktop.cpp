#include "ui/QtDesktop.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

bool QtDesktop::open(const QString& fileOrUrl) {
    const QUrl url = QFileInfo::exists(fileOrUrl) ? QUrl::fromLocalFile(fileOrUrl)
                                                  : QUrl::fromUserInput(fileOrUrl);
    return QDesktopServices::openUrl(url);
}
