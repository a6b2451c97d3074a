#include "store/RowPass.h"

#include "store/Connection.h"
#include "store/DbError.h"

#include <QAtomicInt>

namespace {
QAtomicInt nextCursor{0};
// Enough rows that a round trip per page costs little; few enough that a page of a wide
// table stays well under a megabyte.
constexpr int kPageRows = 1000;
} // namespace

RowPass::RowPass(Connection& db, const QString& query) : db_(db) {
    if (!db.isServer()) {
        rows_.emplace(db, query);
        return;
    }
    cursor_ = QStringLiteral("quorvelle_pass_%1").arg(nextCursor.fetchAndAddRelaxed(1));
    if (!db.transactionIsOpen()) {
        db.beginTransaction();
        ownTransaction_ = true;
    }
    try {
        db.execute("DECLARE " + cursor_ + " NO SCROLL CURSOR FOR " + query);
        rows_.emplace(db, QStringLiteral("FETCH FORWARD %1 FROM %2").arg(kPageRows).arg(cursor_));
    } catch (...) {
        if (ownTransaction_) {
            rollbackQuietly();
        }
        cursor_.clear();
        throw;
    }
}

RowPass::~RowPass() {
    close();
}

void RowPass::close() noexcept {
    if (cursor_.isEmpty()) {
        return;
    }
    // A pass ended early leaves the rest of the rows unread; a failed transaction refuses
    // anything but its rollback, which its owner runs.
    try {
        rows_.reset();
        if (ownTransaction_) {
            db_.commit();
        } else {
            db_.execute("CLOSE " + cursor_);
        }
    } catch (const DbError&) {
        if (ownTransaction_) {
            rollbackQuietly();
        }
    }
    cursor_.clear();
}

void RowPass::rollbackQuietly() noexcept {
    try {
        db_.rollback();
    } catch (const DbError&) {
        // The transaction changed nothing; a lost connection says so at its next statement.
    }
}

bool RowPass::step() {
    if (cursor_.isEmpty()) {
        return rows_ && rows_->step();
    }
    for (;;) {
        if (rows_->step()) {
            ++inPage_;
            return true;
        }
        // A short page was the last; a full one may have rows after it.
        if (lastPage_ || inPage_ < kPageRows) {
            lastPage_ = true;
            return false;
        }
        rows_->reset();
        inPage_ = 0;
    }
}
