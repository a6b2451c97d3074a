#include "store/ConnectionOpener.h"

#include <QSqlDriver>
#include <QThread>
#include <utility>

ConnectionOpener::ConnectionOpener(const QString& path)
    : path_(path), connection_(std::make_unique<Connection>()) {
    QThread* owner = QThread::currentThread();
    thread_ = std::thread([this, owner] {
        try {
            connection_->open(path_);
        } catch (...) {
            failure_ = std::current_exception();
        }
        // The driver object answers to the thread that created it; it goes to the thread that
        // will run the statements. SQLite itself lets a connection change threads.
        if (connection_->db().isValid()) {
            connection_->db().driver()->moveToThread(owner);
        }
        finished_.store(true, std::memory_order_release);
    });
}

ConnectionOpener::~ConnectionOpener() {
    if (thread_.joinable()) {
        thread_.join();
    }
}

std::unique_ptr<Connection> ConnectionOpener::take() {
    if (thread_.joinable()) {
        thread_.join();
    }
    if (failure_) {
        std::rethrow_exception(std::exchange(failure_, nullptr));
    }
    return std::move(connection_);
}
