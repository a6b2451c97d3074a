#pragma once

#include "store/Connection.h"

#include <QString>
#include <atomic>
#include <exception>
#include <memory>
#include <thread>

class QThread;

// Opens a database file on a thread of its own. Opening reads the file's whole schema, which
// takes a while for a register of many sensors (two indexed tables each); the caller goes on
// with other work meanwhile and then takes the connection over.
class ConnectionOpener {
public:
    // Starts opening path; the connection will belong to the calling thread.
    explicit ConnectionOpener(const QString& path);
    // Waits for the open; a connection never taken is closed.
    ~ConnectionOpener();
    ConnectionOpener(const ConnectionOpener&) = delete;
    ConnectionOpener& operator=(const ConnectionOpener&) = delete;

    QString path() const { return path_; }
    // True once the open has ended, opened or failed: take() will not wait.
    bool finished() const { return finished_.load(std::memory_order_acquire); }
    // Waits for the open and returns the connection, as Connection::open leaves it (possibly
    // not open), or raises the DbError that opening raised. Once only.
    std::unique_ptr<Connection> take();

private:
    QString path_;
    std::unique_ptr<Connection> connection_;
    std::exception_ptr failure_;
    std::atomic<bool> finished_{false};
    std::thread thread_;
};
