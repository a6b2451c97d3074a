#include "store/PageCache.h"

#include "store/Connection.h"
#include "store/DbError.h"

LargerPageCache::LargerPageCache(Connection& db, int kibibytes) : db_(db) {
    if (db.isServer()) {
        return;
    }
    const QVariant previous = db.scalar(QStringLiteral("PRAGMA cache_size"));
    // A negative size is in kibibytes, a positive one in pages.
    db.execute(QStringLiteral("PRAGMA cache_size = %1").arg(-static_cast<qint64>(kibibytes)));
    previous_ = previous;
}

LargerPageCache::~LargerPageCache() {
    if (previous_.isNull()) {
        return;
    }
    try {
        db_.execute(QStringLiteral("PRAGMA cache_size = %1").arg(previous_.toLongLong()));
        db_.execute(QStringLiteral("PRAGMA shrink_memory"));
    } catch (const DbError&) {
        // The cache only costs memory until the file is closed; the writes stand either way.
    }
}
