#include "ui/DbusNotifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QStringList>
#include <QVariantMap>

void DbusNotifier::notify(const QString& summary, const QString& body) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    // A trigger event waits for a person: critical urgency keeps it on screen until dismissed.
    const QVariantMap hints{
        {QStringLiteral("urgency"), QVariant::fromValue(uchar(2))},
        {QStringLiteral("desktop-entry"), QStringLiteral("com.ombrevault.Quorvelle")}};
    call << QStringLiteral("Quorvelle") << uint(0) << QStringLiteral("dialog-warning") << summary
         << body << QStringList() << hints << int(-1);
    bus.send(call);
}
