#include "store/RegisterIdentity.h"

#include "store/Connection.h"

#include <QUrl>

namespace {
// The host and port as the connection was made: from the address, else libpq's defaults.
QString serverAddress(const QString& uri) {
    const QUrl url(uri);
    const QString host = url.host().isEmpty()
                             ? qEnvironmentVariable("PGHOST", QStringLiteral("localhost"))
                             : url.host();
    const int envPort = qEnvironmentVariableIntValue("PGPORT");
    return QStringLiteral("%1:%2").arg(host).arg(url.port(envPort > 0 ? envPort : 5432));
}
} // namespace

RegisterIdentity registerIdentity(Connection& db, const QString& location) {
    if (!db.isServer()) {
        return {location, std::nullopt};
    }
    const QString database = db.scalar(QStringLiteral("SELECT current_database()")).toString();
    const QString user = db.scalar(QStringLiteral("SELECT current_user")).toString();
    // A session over a local socket has no row here, and is not encrypted.
    const bool encrypted =
        db.scalar(QStringLiteral("SELECT ssl FROM pg_stat_ssl WHERE pid = pg_backend_pid()"))
            .toBool();
    return {QStringLiteral("%1 on %2 as %3").arg(database, serverAddress(location), user),
            encrypted};
}
