#pragma once

#include "logger/LoggerReadings.h"

#include <QBitArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>

// The staged copy of the chosen file in the data folder.
inline const QString kLoggerStagingName = QStringLiteral("datafile.txt");

// Told how far long work has come (done of total, in the work's own units); gives false to
// stop the work.
using LoggerProgress = std::function<bool(qint64 done, qint64 total)>;

// A staged logger file in compact form: the rows are read back from the staged copy when
// needed, so memory stays a few bits per row whatever the size of the file.
struct LoggerStage {
    // Rows are found from the offset of every kBlockRows-th one.
    static constexpr qint64 kBlockRows = 64;

    QString path;                // the staged copy
    qint64 rows = 0;             // lines that hold something, in file order
    QVector<qint64> blockStarts; // file offset of rows 0, kBlockRows, 2 * kBlockRows, ...
    QBitArray marks;             // rows kept by default, a minimum interval apart
    QBitArray unreadable;        // rows that cannot be read as a reading
    qint64 unreadableCount = 0;
};

struct StageResult {
    enum class Status { Staged, NoFile, NotText, Cancelled };
    Status status = Status::NoFile;
    LoggerStage stage;
};

// Copies the file at path to "datafile.txt" in the data folder (replacing an earlier copy),
// reading it in the same single pass into a LoggerStage whose marks keep rows intervalHours
// apart: a row is kept when it is the first with a readable date, or when at least
// intervalHours hour boundaries lie between the last kept row and it (an earlier row has
// fewer than none). Dates are read by readLoggerMoment in the file's order of day and month:
// slashOrder, unless some of its dates read only in the other order and none only in
// slashOrder. Rows without a valid clock time or a readable date are not kept and do not count
// as the last kept row. A file
// with a NUL byte in its first 4 KB is not text and is not staged. A copy that fails raises
// DbError. progress counts bytes; when it gives false the staging stops as Cancelled and the
// partial copy is removed.
StageResult stageLoggerFile(const QString& dataFolder, const QString& path, int intervalHours,
                            DateOrder slashOrder, const LoggerProgress& progress = {});

// Reads rows of a stage back from its staged copy, keeping the last block it read.
class LoggerRowReader {
public:
    explicit LoggerRowReader(const LoggerStage& stage);

    // The row's line, without its line end.
    QByteArray line(qint64 row);

private:
    const LoggerStage& stage_;
    QFile file_;
    qint64 block_ = -1;
    QVector<QByteArray> lines_;
};

// Walks the rows of a stage in file order, reading the staged copy once. visit(row, line)
// gives false to stop the walk; false is then returned. A copy that cannot be read raises
// DbError.
bool walkStagedRows(const LoggerStage& stage,
                    const std::function<bool(qint64 row, QByteArrayView line)>& visit);
