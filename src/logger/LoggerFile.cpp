#include "logger/LoggerFile.h"

#include "store/DbError.h"

#include <QDir>
#include <QFileInfo>
#include <optional>

namespace {
constexpr qint64 kChunk = 1 << 20;
constexpr qint64 kTextCheck = 4096;

// Cuts the rows of a file from the given offset on: lines that hold something.
LineCutter rowCutter(qint64 from, std::function<void(QByteArrayView, qint64, bool)> visit) {
    return LineCutter(
        [visit = std::move(visit)](QByteArrayView line, qint64 offset, bool overlong) {
            if (overlong || !isBlankLine(line)) {
                visit(line, offset, overlong);
            }
        },
        from);
}

void setGrowing(QBitArray& bits, qint64 at, bool value) {
    if (at >= bits.size()) {
        bits.resize(std::max<qint64>(4096, bits.size() * 2));
    }
    bits.setBit(at, value);
}

// The rows kept under one reading of the dates.
struct Keeping {
    std::optional<qint64> reference;
    QBitArray marks;

    void next(qint64 row, const std::optional<LoggerMoment>& at, int intervalHours) {
        bool keep = false;
        if (at) {
            const qint64 hour = at->hourNumber();
            if (!reference || hour - *reference >= intervalHours) {
                keep = true;
                reference = hour;
            }
        }
        setGrowing(marks, row, keep);
    }
};
} // namespace

StageResult stageLoggerFile(const QString& dataFolder, const QString& path, int intervalHours,
                            DateOrder slashOrder, const LoggerProgress& progress) {
    StageResult result;
    QFile source(path);
    if (!QFileInfo(path).isFile()) {
        return result;
    }
    if (!source.open(QIODevice::ReadOnly)) {
        throw DbError(ErrorCode::FileNotFound, "Cannot read " + path);
    }
    if (!looksLikeText(source.peek(kTextCheck))) {
        result.status = StageResult::Status::NotText;
        return result;
    }
    const QString stagedPath = QDir(dataFolder).filePath(kLoggerStagingName);
    QFile staged(stagedPath);
    if (!staged.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        throw DbError(ErrorCode::FileNotFound, "Cannot copy " + path + " to " + stagedPath);
    }

    LoggerStage& stage = result.stage;
    stage.path = stagedPath;
    const QByteArray noClockTime = kNoClockTime.toLatin1();
    // Both orders of day and month are followed; the file's order is known at its end.
    const DateOrder otherOrder = otherDayMonthOrder(slashOrder);
    Keeping inOrder;
    Keeping inOther;
    qint64 onlyInOrder = 0;
    qint64 onlyInOther = 0;
    LoggerLine split;
    const qsizetype orderMark = byteOrderMarkLength(source.peek(3));
    LineCutter rows = rowCutter(orderMark, [&](QByteArrayView line, qint64 offset, bool overlong) {
        if (stage.rows % LoggerStage::kBlockRows == 0) {
            stage.blockStarts << offset;
        }
        const bool readable = !overlong && splitLoggerLine(line, split);
        std::optional<LoggerMoment> at;
        std::optional<LoggerMoment> atOther;
        if (readable && split.fields[0] != noClockTime) {
            at = readLoggerMoment(split.fields[0], slashOrder, false);
            atOther = readLoggerMoment(split.fields[0], otherOrder, false);
            onlyInOrder += at && !atOther ? 1 : 0;
            onlyInOther += atOther && !at ? 1 : 0;
        }
        inOrder.next(stage.rows, at ? at : atOther, intervalHours);
        inOther.next(stage.rows, atOther ? atOther : at, intervalHours);
        setGrowing(stage.unreadable, stage.rows, !readable);
        stage.unreadableCount += readable ? 0 : 1;
        ++stage.rows;
    });

    const qint64 size = source.size();
    QByteArray chunk(kChunk, Qt::Uninitialized);
    qint64 offset = 0;
    while (true) {
        const qint64 got = source.read(chunk.data(), kChunk);
        if (got < 0) {
            throw DbError(ErrorCode::FileNotFound, "Cannot read " + path);
        }
        if (got == 0) {
            break;
        }
        if (staged.write(chunk.constData(), got) != got) {
            throw DbError(ErrorCode::FileNotFound, "Cannot copy " + path + " to " + stagedPath);
        }
        const QByteArrayView bytes(chunk.constData(), got);
        rows.feed(offset == 0 ? bytes.sliced(std::min<qint64>(orderMark, got)) : bytes);
        offset += got;
        if (progress && !progress(offset, size)) {
            result.status = StageResult::Status::Cancelled;
            result.stage = {};
            staged.remove();
            return result;
        }
    }
    rows.finish();
    if (!staged.flush()) {
        throw DbError(ErrorCode::FileNotFound, "Cannot copy " + path + " to " + stagedPath);
    }
    stage.marks = onlyInOther > 0 && onlyInOrder == 0 ? inOther.marks : inOrder.marks;
    stage.marks.resize(stage.rows);
    stage.unreadable.resize(stage.rows);
    result.status = StageResult::Status::Staged;
    return result;
}

LoggerRowReader::LoggerRowReader(const LoggerStage& stage) : stage_(stage), file_(stage.path) {}

QByteArray LoggerRowReader::line(qint64 row) {
    if (row < 0 || row >= stage_.rows) {
        return {};
    }
    const qint64 block = row / LoggerStage::kBlockRows;
    if (block != block_) {
        lines_.clear();
        block_ = -1;
        if (!file_.isOpen() && !file_.open(QIODevice::ReadOnly)) {
            return {};
        }
        if (!file_.seek(stage_.blockStarts[block])) {
            return {};
        }
        LineCutter cutter = rowCutter(0, [this](QByteArrayView text, qint64, bool) {
            if (lines_.size() < LoggerStage::kBlockRows) {
                lines_ << text.toByteArray();
            }
        });
        QByteArray chunk(64 * 1024, Qt::Uninitialized);
        while (lines_.size() < LoggerStage::kBlockRows) {
            const qint64 got = file_.read(chunk.data(), chunk.size());
            if (got <= 0) {
                cutter.finish();
                break;
            }
            cutter.feed(QByteArrayView(chunk.constData(), got));
        }
        block_ = block;
    }
    return lines_.value(row % LoggerStage::kBlockRows);
}

bool walkStagedRows(const LoggerStage& stage,
                    const std::function<bool(qint64 row, QByteArrayView line)>& visit) {
    if (stage.rows == 0) {
        return true;
    }
    QFile file(stage.path);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(stage.blockStarts[0])) {
        throw DbError(ErrorCode::FileNotFound, "Cannot read " + stage.path);
    }
    qint64 row = 0;
    bool going = true;
    LineCutter cutter = rowCutter(0, [&](QByteArrayView line, qint64, bool) {
        if (going && row < stage.rows) {
            going = visit(row++, line);
        }
    });
    QByteArray chunk(kChunk, Qt::Uninitialized);
    while (going && row < stage.rows) {
        const qint64 got = file.read(chunk.data(), kChunk);
        if (got < 0) {
            throw DbError(ErrorCode::FileNotFound, "Cannot read " + stage.path);
        }
        if (got == 0) {
            cutter.finish();
            break;
        }
        cutter.feed(QByteArrayView(chunk.constData(), got));
    }
    return going;
}
