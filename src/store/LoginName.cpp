#include "store/LoginName.h"

#include <QtGlobal>

QString loginName() {
    for (const char* name : {"USER", "LOGNAME"}) {
        const QString user = qEnvironmentVariable(name);
        if (!user.isEmpty()) {
            return user;
        }
    }
    return QStringLiteral("unknown");
}
