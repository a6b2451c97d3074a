#include "store/Compaction.h"

#include "store/Connection.h"
#include "store/DbError.h"

void compactDatabase(const QString& path) {
    Connection db;
    db.open(path);
    if (!db.isOpen()) {
        throw DbError(26, "file is not a database", DbErrorKind::Damaged);
    }
    db.execute(QStringLiteral("VACUUM"));
}
