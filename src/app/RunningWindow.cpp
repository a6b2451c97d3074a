#include "app/RunningWindow.h"

#include "app/InstanceLock.h"

#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QWidget>

namespace {
const QByteArray kRaise = QByteArrayLiteral("raise\n");
// A running copy answers at once; a longer wait would only delay the refused start.
constexpr int kConnectMs = 1000;
} // namespace

RaiseListener::RaiseListener(const QString& name, QObject* parent)
    : QObject(parent), name_(name), server_(new QLocalServer(this)) {
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &RaiseListener::takeConnection);
}

bool RaiseListener::listen() {
    // Only the copy that holds the instance lock listens, so a socket file found here is stale.
    QLocalServer::removeServer(name_);
    return server_->listen(name_);
}

QString RaiseListener::defaultName() {
    return QFileInfo(InstanceLock::defaultPath()).absolutePath() + "/quorvelle.raise";
}

void RaiseListener::takeConnection() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (socket->readAll().contains(kRaise.trimmed())) {
                emit raiseRequested();
            }
        });
    }
}

bool askRunningCopyToRaise(const QString& name) {
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(kConnectMs)) {
        return false;
    }
    socket.write(kRaise);
    const bool sent = socket.waitForBytesWritten(kConnectMs);
    socket.disconnectFromServer();
    return sent;
}

void bringForward(QWidget& window) {
    if (window.isMinimized()) {
        window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
    }
    window.show();
    window.raise();
    window.activateWindow();
}
