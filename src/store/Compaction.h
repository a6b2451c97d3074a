#pragma once

#include <QString>

class Connection;

// Compacts a database file in place (SQLite VACUUM): atomic, so there is no moment at which
// the file is missing. A file without free pages has nothing to reclaim and is left as it is.
// A missing file or a failure raises DbError.
void compactDatabase(const QString& path);

// True when the open database file has free pages, that is something to compact.
bool hasFreePages(Connection& db);
