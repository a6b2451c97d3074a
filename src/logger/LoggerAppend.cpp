#include "logger/LoggerAppend.h"

#include "store/AuditLog.h"
#include "store/BulkInsert.h"
#include "store/Columns.h"
#include "store/Connection.h"
#include "store/DbError.h"
#include "store/Schema.h"

#include <QDir>
#include <QFile>
#include <QStringList>

namespace {
constexpr qint64 kProgressRows = 4096;

QStringList insertColumns() {
    QStringList columns = {col::DateTimeKey, col::ReadingDate, col::ReadingTime, col::FullDate,
                           col::ChannelT,    col::IsDirty,     col::PlotSpatial, col::Plottemporal};
    for (int k = 1; k <= kChannelColumns; ++k) {
        columns << QStringLiteral("Channel%1").arg(k);
    }
    return columns;
}

// Stores the reading; the values follow insertColumns' order.
void insertReading(BulkInsert& insert, const LoggerReading& reading) {
    for (const std::string* text : {&reading.key, &reading.readingDate, &reading.readingTime,
                                    &reading.fullDate, &reading.channelT}) {
        insert.text(*text);
    }
    insert.integer(1);
    insert.integer(0);
    insert.integer(1);
    for (int k = 0; k < kChannelColumns; ++k) {
        if (k < reading.channelCount) {
            insert.text(reading.channels[static_cast<size_t>(k)]);
        } else {
            insert.null();
        }
    }
    insert.endRow();
}
} // namespace

LoggerAppendResult appendLoggerRows(Connection& db, const QString& table, const LoggerStage& stage,
                                    const QBitArray& marks, const LoggerAppendOptions& options) {
    LoggerAppendResult result;
    result.passedOver = static_cast<int>(stage.unreadableCount);
    const QByteArray instrumentId = options.instrumentId.toUtf8();
    DuplicatePolicy duplicates = options.duplicates;
    int appended = 0;
    int futureDated = 0;
    AddedReadings added;
    bool cancelled = false;
    db.beginTransaction();
    try {
        StoredKeys existing(db, table, col::DateTimeKey);
        BulkInsert insert(db, table, insertColumns());
        LoggerLine line;
        LoggerReading reading;
        walkStagedRows(stage, [&](qint64 row, QByteArrayView text) {
            if (options.progress && row % kProgressRows == 0 &&
                !options.progress(row, stage.rows)) {
                cancelled = true;
                return false;
            }
            if (row >= marks.size() || !marks.testBit(row) || stage.unreadable.testBit(row)) {
                return true;
            }
            std::optional<LoggerMoment> at;
            if (splitLoggerLine(text, line)) {
                at = appendMoment(line.fields[0], options.order, options.desktopOrder);
            }
            if (!at || !fillLoggerReading(reading, instrumentId, line, *at, options.channelCount)) {
                ++result.passedOver;
                return true;
            }
            if (existing.contains(reading.key, insert)) {
                ++result.duplicates;
                if (duplicates == DuplicatePolicy::Ask && options.askDuplicate &&
                    options.askDuplicate(QString::fromStdString(reading.key)) ==
                        DuplicateAnswer::SkipAll) {
                    duplicates = DuplicatePolicy::SkipAll;
                }
                return true;
            }
            insertReading(insert, reading);
            existing.add(reading.key);
            added.add(reading.key);
            ++appended;
            if (options.now && *at > *options.now) {
                ++futureDated;
            }
            return true;
        });
        if (!cancelled && options.progress) {
            cancelled = !options.progress(stage.rows, stage.rows);
        }
        if (cancelled) {
            result.status = LoggerAppendResult::Status::Cancelled;
            insert.cancel();
            db.rollback();
            return result;
        }
        insert.finish();
        if (options.beforeCommit && !added.isEmpty()) {
            result.levelReached = options.beforeCommit(db, added);
        }
        db.commit();
    } catch (const DbError& error) {
        try {
            db.rollback();
        } catch (const DbError&) {
            // A failed commit may already have ended the transaction.
        }
        result.status = LoggerAppendResult::Status::Failed;
        result.levelReached.reset();
        result.errorNumber = error.number();
        result.error = error.description();
        return result;
    } catch (...) {
        // Whatever else beforeCommit raises must not leave the transaction open.
        try {
            db.rollback();
        } catch (const DbError&) {
            // The failure that led here is the one passed on.
        }
        throw;
    }
    result.appended = appended;
    result.futureDated = futureDated;
    return result;
}

LoggerAppendResult appendLoggerRowsAt(const QString& location, const QString& who,
                                      const QString& table, const LoggerStage& stage,
                                      const QBitArray& marks, const LoggerAppendOptions& options) {
    Connection db;
    try {
        db.open(location);
        recordChanges(db, who);
    } catch (const DbError& error) {
        LoggerAppendResult result;
        result.status = LoggerAppendResult::Status::Failed;
        result.errorNumber = error.number();
        result.error = error.description();
        return result;
    }
    return appendLoggerRows(db, table, stage, marks, options);
}

QString futureDatedText(int count) {
    return count == 1 ? QStringLiteral("1 reading is dated in the future.")
                      : QStringLiteral("%1 readings are dated in the future.").arg(count);
}

bool moveLoggerFileToBackup(const QString& baseFolder, const QString& instrumentId,
                            const QDate& today) {
    const QDir base(baseFolder);
    const QString source = base.filePath("QV" + instrumentId + ".txt");
    if (!QFile::exists(source)) {
        return false;
    }
    if (!base.exists("backup") && !base.mkdir("backup")) {
        throw DbError(ErrorCode::FileNotFound, "Cannot create " + base.filePath("backup"));
    }
    const QString target =
        base.filePath("backup/QV" + instrumentId + "_" + today.toString("yyyy-MM-dd") + ".txt");
    if (QFile::exists(target)) {
        QFile::remove(target);
    }
    if (!QFile::copy(source, target)) {
        throw DbError(ErrorCode::FileNotFound, "Cannot copy " + source + " to " + target);
    }
    QFile::remove(source);
    return true;
}
