#include "store/RecordSet.h"

#include "store/Connection.h"
#include "store/DbError.h"
#include "store/SqlFailure.h"

#include <QSet>
#include <QSqlQuery>
#include <QSqlRecord>
#include <iterator>

namespace {
const QStringList allowedOps = {"=", "<>", "<", "<=", ">", ">=", "LIKE"};

[[noreturn]] void noCurrent() {
    throw DbError(ErrorCode::NoCurrentRecord,
                  "Either BOF or EOF is True, or the current record has been deleted.");
}

// Null as the database takes it: no value, or a null text.
bool isNullValue(const QVariant& v) {
    if (!v.isValid() || v.isNull()) {
        return true;
    }
    return v.typeId() == QMetaType::QString && v.toString().isNull();
}

bool isNumber(const QVariant& v) {
    switch (v.typeId()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
        return true;
    default:
        return false;
    }
}

// Whether writing value would leave a column holding stored as it is. When in doubt (a
// number given for a text, say) the answer is no and the value is written.
bool storedAlready(const QVariant& stored, const QVariant& value) {
    if (isNullValue(stored) || isNullValue(value)) {
        return isNullValue(stored) && isNullValue(value);
    }
    if (isNumber(stored) && isNumber(value)) {
        if (stored.typeId() == QMetaType::Double || value.typeId() == QMetaType::Double) {
            return stored.toDouble() == value.toDouble();
        }
        return stored.toLongLong() == value.toLongLong();
    }
    if (stored.typeId() == QMetaType::QString && !isNumber(value)) {
        return stored.toString() == value.toString();
    }
    return false;
}
} // namespace

RecordSet::RecordSet(Connection& db, const QString& table, const QString& where,
                     const QVariantList& params, const QString& orderBy)
    : db_(&db), table_(table), where_(where), params_(params), orderBy_(orderBy) {
    if (!db.isOpen()) {
        throw DbError(ErrorCode::NotOpen, "Operation is not allowed when the object is closed.");
    }
    QSqlQuery info = runQuery(db, "SELECT * FROM " + quoteName(table_) + " LIMIT 0", {});
    const QSqlRecord rec = info.record();
    for (int i = 0; i < rec.count(); ++i) {
        // A server table holds its row id as a column; SQLite's is hidden from SELECT *.
        if (db.isServer() && rec.fieldName(i) == QLatin1String("rowid")) {
            continue;
        }
        columns_ << rec.fieldName(i);
        columnByLower_.insert(rec.fieldName(i).toLower(), rec.fieldName(i));
    }
    load();
}

QString RecordSet::rowsStatement(const QString& columns, QVariantList& params) const {
    QString sql = "SELECT " + columns + " FROM " + quoteName(table_);
    QStringList conditions;
    if (!where_.isEmpty()) {
        conditions << "(" + where_ + ")";
        params << params_;
    }
    for (const Criterion& c : filter_) {
        // SQLite's LIKE ignores the case of ASCII letters; the server's ILIKE does the same.
        const QString op =
            db_->isServer() && c.op.compare(QLatin1String("LIKE"), Qt::CaseInsensitive) == 0
                ? QStringLiteral("ILIKE")
                : c.op;
        conditions << quoteName(canonical(c.column)) + " " + op + " ?";
        params << c.value;
    }
    if (!conditions.isEmpty()) {
        sql += " WHERE " + conditions.join(" AND ");
    }
    return sql;
}

void RecordSet::load() {
    QVariantList params;
    QString sql = rowsStatement(QStringLiteral("rowid"), params);
    sql += orderBy_.isEmpty() ? QStringLiteral(" ORDER BY rowid") : " ORDER BY " + orderBy_;
    QSqlQuery query = runQuery(*db_, sql, params);
    ids_.clear();
    while (query.next()) {
        ids_.push_back(query.value(0).toLongLong());
    }
    pending_.clear();
    adding_ = false;
    currentDeleted_ = false;
    cachedId_ = 0;
    index_ = ids_.isEmpty() ? -1 : 0;
}

void RecordSet::close() {
    open_ = false;
    rowQuery_.reset();
    ids_.clear();
    index_ = -1;
    pending_.clear();
    cachedId_ = 0;
}

bool RecordSet::bof() const {
    return ids_.isEmpty() || index_ < 0;
}

bool RecordSet::eof() const {
    return ids_.isEmpty() || index_ >= ids_.size();
}

int RecordSet::recordCount() const {
    return ids_.size();
}

int RecordSet::absolutePosition() const {
    if (bof() || eof() || currentDeleted_) {
        return 0;
    }
    return index_ + 1;
}

void RecordSet::setAbsolutePosition(int position) {
    if (position < 1 || position > ids_.size()) {
        throw DbError(ErrorCode::InvalidArgument,
                      "Arguments are of the wrong type, are out of acceptable range, or are in "
                      "conflict with one another.");
    }
    flushPending();
    index_ = position - 1;
    currentDeleted_ = false;
}

void RecordSet::moveFirst() {
    flushPending();
    index_ = ids_.isEmpty() ? -1 : 0;
    currentDeleted_ = false;
}

void RecordSet::moveLast() {
    flushPending();
    index_ = ids_.size() - 1;
    currentDeleted_ = false;
}

void RecordSet::moveNext() {
    flushPending();
    // After a delete the following row already sits at the current index.
    if (currentDeleted_) {
        currentDeleted_ = false;
        return;
    }
    if (eof()) {
        noCurrent();
    }
    ++index_;
}

void RecordSet::movePrevious() {
    flushPending();
    if (bof()) {
        noCurrent();
    }
    --index_;
    currentDeleted_ = false;
}

qint64 RecordSet::bookmark() const {
    requireCurrent();
    return ids_[index_];
}

void RecordSet::setBookmark(qint64 bookmark) {
    const int at = ids_.indexOf(bookmark);
    if (at < 0) {
        throw DbError(ErrorCode::ItemNotFound, "Bookmark is not valid.");
    }
    flushPending();
    index_ = at;
    currentDeleted_ = false;
}

QSet<qint64> RecordSet::matchingIds(const QString& column, const QVariant& value) const {
    QSqlQuery query = runQuery(*db_,
                               "SELECT rowid FROM " + quoteName(table_) + " WHERE " +
                                   quoteName(canonical(column)) + " = ?",
                               {value});
    QSet<qint64> matches;
    while (query.next()) {
        matches.insert(query.value(0).toLongLong());
    }
    return matches;
}

bool RecordSet::find(const QString& column, const QVariant& value) {
    flushPending();
    const int start = index_ < 0 ? 0 : index_;
    currentDeleted_ = false;
    // One query gives the matching ids; the first of them at or after the start wins.
    const QSet<qint64> matches = matchingIds(column, value);
    for (int i = start; i < ids_.size(); ++i) {
        if (matches.contains(ids_[i])) {
            index_ = i;
            return true;
        }
    }
    index_ = ids_.size();
    return false;
}

qint64 RecordSet::lookup(const QString& column, const QVariant& value) const {
    const QSet<qint64> matches = matchingIds(column, value);
    for (qint64 id : ids_) {
        if (matches.contains(id)) {
            return id;
        }
    }
    return 0;
}

void RecordSet::setFilter(const QVector<Criterion>& criteria) {
    for (const Criterion& c : criteria) {
        if (!allowedOps.contains(c.op.toUpper())) {
            throw DbError(ErrorCode::InvalidArgument, "Invalid filter operator: " + c.op);
        }
        canonical(c.column);
    }
    flushPending();
    filter_ = criteria;
    load();
}

void RecordSet::removeFilter() {
    flushPending();
    filter_.clear();
    load();
}

QStringList RecordSet::columns() const {
    return columns_;
}

bool RecordSet::hasColumn(const QString& column) const {
    return columnByLower_.contains(column.toLower());
}

QString RecordSet::canonical(const QString& column) const {
    const auto it = columnByLower_.constFind(column.toLower());
    if (it == columnByLower_.constEnd()) {
        throw DbError(ErrorCode::ItemNotFound,
                      "Item cannot be found in the collection corresponding to the requested "
                      "name or ordinal.");
    }
    return *it;
}

void RecordSet::requireCurrent() const {
    if (!open_ || bof() || eof() || currentDeleted_) {
        noCurrent();
    }
}

void RecordSet::readCurrent() const {
    const qint64 id = ids_[index_];
    if (cachedId_ == id) {
        return;
    }
    // Prepared once for the set: browsing then costs one round trip a row on a server, where
    // a statement prepared afresh each time would be prepared, run and released every move.
    if (!rowQuery_) {
        rowQuery_ = std::make_unique<QSqlQuery>(
            prepareQuery(*db_, "SELECT * FROM " + quoteName(table_) + " WHERE rowid = ?"));
    }
    QSqlQuery& query = *rowQuery_;
    query.bindValue(0, id);
    runQuery(*db_, query);
    cache_.clear();
    if (query.next()) {
        const QSqlRecord rec = query.record();
        for (int i = 0; i < rec.count(); ++i) {
            cache_.insert(rec.fieldName(i), query.value(i));
        }
    }
    // Done with the row: an SQLite statement left unfinished would hold its read lock.
    query.finish();
    cachedId_ = id;
}

QVariant RecordSet::value(const QString& column) const {
    const QString col = canonical(column);
    if (adding_ || pending_.contains(col)) {
        return pending_.value(col);
    }
    requireCurrent();
    readCurrent();
    return cache_.value(col);
}

QString RecordSet::text(const QString& column) const {
    const QVariant v = value(column);
    return v.isNull() ? QString() : v.toString();
}

QStringList RecordSet::texts(const QString& column) const {
    if (!open_) {
        throw DbError(ErrorCode::NotOpen, "Operation is not allowed when the object is closed.");
    }
    QVariantList params;
    QSqlQuery query =
        runQuery(*db_, rowsStatement("rowid, " + quoteName(canonical(column)), params), params);
    QHash<qint64, QString> byId;
    byId.reserve(ids_.size());
    while (query.next()) {
        const QVariant v = query.value(1);
        byId.insert(query.value(0).toLongLong(), v.isNull() ? QString() : v.toString());
    }
    QStringList result;
    result.reserve(ids_.size());
    for (const qint64 id : ids_) {
        result << byId.value(id);
    }
    return result;
}

void RecordSet::setValue(const QString& column, const QVariant& value) {
    const QString col = canonical(column);
    if (!adding_) {
        requireCurrent();
    }
    pending_.insert(col, value);
}

void RecordSet::addNew() {
    flushPending();
    adding_ = true;
    pending_.clear();
}

void RecordSet::update() {
    if (adding_) {
        QStringList cols;
        QStringList marks;
        QVariantList values;
        for (auto it = pending_.constBegin(); it != pending_.constEnd(); ++it) {
            cols << quoteName(it.key());
            marks << "?";
            values << it.value();
        }
        QString sql = cols.isEmpty() ? "INSERT INTO " + quoteName(table_) + " DEFAULT VALUES"
                                     : "INSERT INTO " + quoteName(table_) + " (" + cols.join(", ") +
                                           ") VALUES (" + marks.join(", ") + ")";
        if (db_->isServer()) {
            sql += QLatin1String(" RETURNING rowid");
        }
        QSqlQuery query = runQuery(*db_, sql, values);
        const qint64 id = db_->isServer() && query.next() ? query.value(0).toLongLong()
                                                          : query.lastInsertId().toLongLong();
        pending_.clear();
        adding_ = false;
        ids_.push_back(id);
        index_ = ids_.size() - 1;
        currentDeleted_ = false;
        cachedId_ = 0;
        return;
    }
    requireCurrent();
    // Values the row already holds, as last read, are dropped without asking the database:
    // saving a row that was not changed touches nothing.
    if (cachedId_ == ids_[index_]) {
        for (auto it = pending_.begin(); it != pending_.end();) {
            const auto stored = cache_.constFind(it.key());
            it = stored != cache_.constEnd() && storedAlready(*stored, it.value())
                     ? pending_.erase(it)
                     : std::next(it);
        }
    }
    if (pending_.isEmpty()) {
        return;
    }
    // The rest is compared with the row as it is now, not as it was when last read. On a
    // server other users write too: a row changed since it was read is not overwritten.
    const bool shown = cachedId_ == ids_[index_];
    const QHash<QString, QVariant> read =
        shown && db_->isServer() ? cache_ : QHash<QString, QVariant>();
    cachedId_ = 0;
    readCurrent();
    if (!read.isEmpty()) {
        refuseChangedRow(read);
    }
    QStringList sets;
    QVariantList values;
    for (auto it = pending_.constBegin(); it != pending_.constEnd(); ++it) {
        if (!storedAlready(cache_.value(it.key()), it.value())) {
            sets << quoteName(it.key()) + " = ?";
            values << it.value();
        }
    }
    if (sets.isEmpty()) {
        pending_.clear();
        return;
    }
    values << ids_[index_];
    runQuery(*db_, "UPDATE " + quoteName(table_) + " SET " + sets.join(", ") + " WHERE rowid = ?",
             values);
    pending_.clear();
    cachedId_ = 0;
}

void RecordSet::refuseChangedRow(const QHash<QString, QVariant>& read) const {
    if (cache_.isEmpty()) {
        throw DbError(ErrorCode::RowDeleted,
                      QStringLiteral("Row %1 of %2 was deleted by someone else.")
                          .arg(ids_[index_])
                          .arg(table_),
                      DbErrorKind::Conflict);
    }
    for (auto it = read.constBegin(); it != read.constEnd(); ++it) {
        if (!storedAlready(cache_.value(it.key()), it.value())) {
            throw DbError(ErrorCode::RowChanged,
                          QStringLiteral("Row %1 of %2 was changed by someone else (%3).")
                              .arg(ids_[index_])
                              .arg(table_, it.key()),
                          DbErrorKind::Conflict);
        }
    }
}

void RecordSet::cancelUpdate() {
    pending_.clear();
    adding_ = false;
}

void RecordSet::flushPending() {
    if (adding_ || !pending_.isEmpty()) {
        if (adding_ || (!bof() && !eof() && !currentDeleted_)) {
            update();
        } else {
            pending_.clear();
        }
    }
}

void RecordSet::deleteCurrent() {
    requireCurrent();
    pending_.clear();
    runQuery(*db_, "DELETE FROM " + quoteName(table_) + " WHERE rowid = ?", {ids_[index_]});
    ids_.remove(index_);
    cachedId_ = 0;
    currentDeleted_ = true;
}

void RecordSet::requery() {
    flushPending();
    load();
}
