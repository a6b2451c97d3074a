#include "support/FaultConditions.h"

#include <QFile>
#include <stdexcept>

ExclusiveHolder::ExclusiveHolder(const QString& path) {
    db_.open(path);
    db_.execute("BEGIN EXCLUSIVE");
    held_ = true;
}

ExclusiveHolder::~ExclusiveHolder() {
    release();
}

void ExclusiveHolder::release() {
    if (held_) {
        db_.execute("ROLLBACK");
        held_ = false;
    }
}

EventLogHolder::EventLogHolder(const QString& location) {
    db_.open(location);
    if (db_.isServer()) {
        db_.execute("BEGIN");
        db_.execute("LOCK TABLE triggerevents IN ACCESS EXCLUSIVE MODE");
    } else {
        db_.execute("BEGIN IMMEDIATE");
    }
    held_ = true;
}

EventLogHolder::~EventLogHolder() {
    release();
}

void EventLogHolder::release() {
    if (held_) {
        db_.execute("ROLLBACK");
        held_ = false;
    }
}

void damageTablePage(const QString& path, const QString& table) {
    qint64 pageSize = 0;
    qint64 rootPage = 0;
    {
        Connection db;
        db.open(path);
        pageSize = db.scalar("PRAGMA page_size").toLongLong();
        rootPage = db.scalar("SELECT rootpage FROM sqlite_master WHERE type = 'table' AND name = ?",
                             {table})
                       .toLongLong();
    }
    QFile file(path);
    if (rootPage < 2 || !file.open(QIODevice::ReadWrite) || !file.seek((rootPage - 1) * pageSize) ||
        file.write(QByteArray(static_cast<int>(pageSize), '\xEE')) != pageSize) {
        throw std::runtime_error("could not damage the table page");
    }
}
