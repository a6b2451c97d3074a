#include "app/InstanceLock.h"

#include "ui/Prompter.h"

#include <QDir>
#include <QStandardPaths>

InstanceLock::InstanceLock(const QString& lockPath) : lock_(lockPath) {
    lock_.setStaleLockTime(0);
}

QString InstanceLock::defaultPath() {
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty()) {
        dir = QDir::tempPath();
    }
    return dir + "/quorvelle.lock";
}

bool InstanceLock::acquire(Prompter& prompter) {
    if (lock_.tryLock(0)) {
        return true;
    }
    prompter.message(kOmbrevaultTitle, "Quorvelle is already running\r\nCannot load program again",
                     MsgIcon::Exclamation, MsgButtons::Ok);
    return false;
}
