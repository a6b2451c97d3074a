#pragma once

#include "store/NativeStatement.h"

#include <QString>
#include <optional>
#include <string_view>

class Connection;

// A query's rows read once, in its order, for work that takes them one at a time (an export
// of a whole table). On a file the rows come from the statement as it runs. On a site server
// they are fetched through a cursor a page at a time, so that only one page is held, not the
// whole result; the cursor lives in a transaction, which the pass begins when none is open
// and ends when it is done. Other statements may run on the connection between rows. Every
// failure raises DbError.
class RowPass {
public:
    RowPass(Connection& db, const QString& query);
    ~RowPass();
    RowPass(const RowPass&) = delete;
    RowPass& operator=(const RowPass&) = delete;

    // Moves to the next row: false when no row is left.
    bool step();
    qint64 int64At(int column) const { return rows_->int64At(column); }
    // Valid until the next step.
    std::string_view utf8At(int column) const { return rows_->utf8At(column); }

private:
    void close() noexcept;
    void rollbackQuietly() noexcept;

    Connection& db_;
    std::optional<NativeStatement> rows_;
    // The server's side: the cursor's name, whether the pass began the transaction, the rows
    // of the page being read, and whether the last page has been fetched.
    QString cursor_;
    bool ownTransaction_ = false;
    int inPage_ = 0;
    bool lastPage_ = false;
};
