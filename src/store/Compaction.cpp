#include "store/Compaction.h"

#include "store/Connection.h"
#include "store/DbError.h"
#include "store/NativeStatement.h"

#include <sqlite3.h>

namespace {
// Virtual machine steps between two progress calls.
constexpr int kProgressSteps = 1000;

int callProgress(void* context) {
    try {
        (*static_cast<const CompactionProgress*>(context))();
    } catch (...) {
        // A progress call never ends the compaction; SQLite cannot carry an exception.
    }
    return 0;
}

// Calls the progress while it lives, however the compaction ends.
class ProgressHandler {
public:
    ProgressHandler(sqlite3* handle, const CompactionProgress& progress) : handle_(handle) {
        if (handle_ != nullptr) {
            sqlite3_progress_handler(handle_, kProgressSteps, callProgress,
                                     const_cast<CompactionProgress*>(&progress));
        }
    }
    ~ProgressHandler() {
        if (handle_ != nullptr) {
            sqlite3_progress_handler(handle_, 0, nullptr, nullptr);
        }
    }
    ProgressHandler(const ProgressHandler&) = delete;
    ProgressHandler& operator=(const ProgressHandler&) = delete;

private:
    sqlite3* handle_;
};
} // namespace

bool compactDatabase(const QString& path, CompactionNeed need, const CompactionProgress& progress) {
    Connection db;
    db.open(path);
    if (!db.isOpen()) {
        throw DbError(26, "file is not a database", DbErrorKind::Damaged);
    }
    if (!needsCompacting(db, need)) {
        return false;
    }
    if (progress) {
        callProgress(const_cast<CompactionProgress*>(&progress));
    }
    const ProgressHandler handler(progress ? fileHandle(db) : nullptr, progress);
    db.execute(QStringLiteral("VACUUM"));
    return true;
}

bool hasFreePages(Connection& db) {
    return db.scalar(QStringLiteral("PRAGMA freelist_count")).toLongLong() > 0;
}

bool worthCompacting(Connection& db) {
    const qint64 freePages = db.scalar(QStringLiteral("PRAGMA freelist_count")).toLongLong();
    const qint64 pages = db.scalar(QStringLiteral("PRAGMA page_count")).toLongLong();
    return freePages > 0 && freePages * 10 >= pages;
}

bool needsCompacting(Connection& db, CompactionNeed need) {
    return need == CompactionNeed::RealShare ? worthCompacting(db) : hasFreePages(db);
}
