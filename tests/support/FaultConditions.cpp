#include "support/FaultConditions.h"

#include <QDir>
#include <QFile>
#include <QUuid>
#include <stdexcept>
#include <sys/mount.h>

std::optional<DbError> failureOf(const std::function<void()>& body) {
    try {
        body();
    } catch (const DbError& e) {
        return e;
    }
    return std::nullopt;
}

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

FullDisk::FullDisk(const QString& folder)
    : folder_(!folder.isEmpty()
                  ? folder
                  : QDir::temp().filePath("quorvelle-full-" +
                                          QUuid::createUuid().toString(QUuid::WithoutBraces))) {
    QDir().mkpath(folder_);
    mounted_ =
        ::mount("tmpfs", QFile::encodeName(folder_).constData(), "tmpfs", 0, "size=64k") == 0;
}

FullDisk::~FullDisk() {
    if (mounted_) {
        ::umount2(QFile::encodeName(folder_).constData(), MNT_DETACH);
    }
    QDir(folder_).removeRecursively();
}

void FullDisk::fill() {
    QFile filler(QDir(folder_).filePath("filler"));
    if (!filler.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        throw std::runtime_error("The full disk cannot be filled");
    }
    // Big pieces first, then single bytes for what is left of the last block.
    for (const qsizetype piece : {qsizetype{4096}, qsizetype{1}}) {
        const QByteArray bytes(piece, 'x');
        while (filler.write(bytes) == piece) {
        }
    }
}
