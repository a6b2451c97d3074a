#pragma once

#include <QHash>
#include <QSet>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <memory>

class Connection;

// One comparison of a filter: column, operator ("=", "<>", "<", "<=", ">", ">=", "LIKE")
// and a value that is always bound, never pasted into the statement.
struct Criterion {
    QString column;
    QString op;
    QVariant value;
};

// A keyset cursor over one table. Opening runs the query for the row ids in the statement's
// order and keeps only those ids; values of the current row are read on demand by id.
// Edits are buffered on the current row and written through by update(); moving off a row
// with pending edits writes them first. Column names are matched without regard to case.
class RecordSet {
public:
    // Rows of `table` that satisfy `where` (SQL text with ? placeholders for `params`),
    // in `orderBy` order (empty: row id order).
    RecordSet(Connection& db, const QString& table, const QString& where = {},
              const QVariantList& params = {}, const QString& orderBy = {});

    QString table() const { return table_; }
    bool isOpen() const { return open_; }
    void close();

    bool bof() const;
    bool eof() const;
    int recordCount() const;
    // 1-based position of the current row; 0 when before the first or after the last row.
    int absolutePosition() const;
    // Moves to the 1-based row; out of range raises InvalidArgument.
    void setAbsolutePosition(int position);

    void moveFirst();
    void moveLast();
    void moveNext();
    void movePrevious();

    // The SQLite row id of the current row; it stays valid across requery().
    qint64 bookmark() const;
    // Moves to the row with that bookmark; a row no longer in the set raises ItemNotFound.
    void setBookmark(qint64 bookmark);

    // Searches forward from the current row (inclusive) for the first row whose column
    // equals the value. When nothing matches the set is left after its last row.
    bool find(const QString& column, const QVariant& value);
    // Looks for a row without moving; returns its bookmark or 0.
    qint64 lookup(const QString& column, const QVariant& value) const;

    // Narrows the rows to those that also meet every criterion; the set moves to its
    // first row. removeFilter() restores the full set.
    void setFilter(const QVector<Criterion>& criteria);
    void removeFilter();
    bool filtered() const { return !filter_.isEmpty(); }

    QStringList columns() const;
    bool hasColumn(const QString& column) const;
    QVariant value(const QString& column) const;
    QString text(const QString& column) const; // value as text, null giving ""
    // text(column) of every row, in the set's order, read in one query.
    QStringList texts(const QString& column) const;
    void setValue(const QString& column, const QVariant& value);

    // Starts a new row; update() inserts it and makes it current.
    void addNew();
    // Stores the edits of the current row. Values equal to what the row holds are not
    // written, so storing a row that nothing changed writes nothing. On a site server a row
    // that another user changed or deleted since its values were read is not written: that
    // raises a Conflict DbError (RowChanged or RowDeleted) and the row reads as now stored.
    void update();
    void cancelUpdate();
    // Deletes the current row at once. The position stays where the row was: the next
    // moveNext() lands on the row after it.
    void deleteCurrent();

    // Re-runs the query; the set moves to its first row.
    void requery();

private:
    // The statement of the set's rows: its table, condition and filter; params receives
    // the values to bind.
    QString rowsStatement(const QString& columns, QVariantList& params) const;
    void load();
    void requireCurrent() const;
    QString canonical(const QString& column) const;
    void readCurrent() const;
    void flushPending();
    // Raises Conflict when the row as now stored (cache_) differs from the values read.
    void refuseChangedRow(const QHash<QString, QVariant>& read) const;
    QSet<qint64> matchingIds(const QString& column, const QVariant& value) const;

    Connection* db_;
    QString table_;
    QString where_;
    QVariantList params_;
    QString orderBy_;
    QVector<Criterion> filter_;
    bool open_ = true;

    QStringList columns_;
    QHash<QString, QString> columnByLower_;
    QVector<qint64> ids_;
    int index_ = -1; // -1: before first; ids_.size(): after last
    bool currentDeleted_ = false;

    mutable qint64 cachedId_ = 0;
    mutable QHash<QString, QVariant> cache_;
    mutable std::unique_ptr<QSqlQuery> rowQuery_;
    QHash<QString, QVariant> pending_;
    bool adding_ = false;
};
