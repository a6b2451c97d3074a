#pragma once

#include <QString>
#include <functional>

class Connection;

// When a compaction is worth its time.
enum class CompactionNeed {
    AnyFreePage, // asked for: any free page is reclaimed
    RealShare,   // at exit: only when the free pages are a real share of the file
};

// Called now and then while a compaction runs, so that a window can stay painted; it cannot
// stop the compaction.
using CompactionProgress = std::function<void()>;

// Compacts a database file in place (SQLite VACUUM): atomic, so there is no moment at which
// the file is missing. A file with nothing to reclaim under need is left as it is. Returns
// whether the file was compacted. A missing file or a failure raises DbError.
bool compactDatabase(const QString& path, CompactionNeed need = CompactionNeed::AnyFreePage,
                     const CompactionProgress& progress = {});

// True when the open database file has free pages, that is something to compact.
bool hasFreePages(Connection& db);

// True when the free pages of the open database file are at least a tenth of it: below that
// share a compaction costs the time of rewriting the whole file for little room.
bool worthCompacting(Connection& db);

// Whether the open database file needs compacting under need.
bool needsCompacting(Connection& db, CompactionNeed need);
