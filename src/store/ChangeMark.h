#pragma once

#include <QtGlobal>
#include <optional>

class Connection;

// Where a database file stands as far as its content goes: the same mark taken twice means
// that nothing was written to it in between, by this connection or by any other, so that
// whatever was read or computed from it at the first mark still holds. Taking one reads no
// table.
struct ChangeMark {
    qint64 opening = 0;       // the opened handle, never the same for two openings of a run
    qint64 changes = 0;       // rows this connection inserted, updated or deleted since it opened
    qint64 dataVersion = 0;   // moves when another connection commits
    qint64 schemaVersion = 0; // moves when a table, an index or a trigger changes

    friend bool operator==(const ChangeMark& a, const ChangeMark& b) {
        return a.opening == b.opening && a.changes == b.changes && a.dataVersion == b.dataVersion &&
               a.schemaVersion == b.schemaVersion;
    }
    friend bool operator!=(const ChangeMark& a, const ChangeMark& b) { return !(a == b); }
};

// The mark of an open database file; none on a site server, whose other clients' writes
// nothing here sees, and none inside a transaction, which a rollback could undo without
// moving the mark. A pragma that cannot be read gives none as well: then every caller reads
// the tables as if something had changed.
std::optional<ChangeMark> changeMark(Connection& db);
