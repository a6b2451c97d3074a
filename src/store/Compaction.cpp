#include "store/Compaction.h"

#include "store/Connection.h"
#include "store/DbError.h"

void compactDatabase(const QString& path) {
    Connection db;
    db.open(path);
    if (!db.isOpen()) {
        throw DbError(26, "file is not a database", DbErrorKind::Damaged);
    }
    // Without free pages there is nothing to reclaim; the file stays untouched.
    if (!hasFreePages(db)) {
        return;
    }
    db.execute(QStringLiteral("VACUUM"));
}

bool hasFreePages(Connection& db) {
    return db.scalar(QStringLiteral("PRAGMA freelist_count")).toLongLong() > 0;
}
