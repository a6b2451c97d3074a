#include "logger/LoggerFile.h"

#include "store/DbError.h"

#include <QDir>
#include <QFile>

namespace {
// Splits one line into its fields; nullopt when its quotes are not well formed.
std::optional<QStringList> splitLine(const QString& line) {
    QStringList fields;
    qsizetype i = 0;
    const qsizetype n = line.size();
    while (true) {
        while (i < n && (line[i] == ' ' || line[i] == '\t')) {
            ++i;
        }
        QString field;
        if (i < n && line[i] == '"') {
            ++i;
            bool closed = false;
            while (i < n) {
                if (line[i] == '"') {
                    if (i + 1 < n && line[i + 1] == '"') {
                        field += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                field += line[i++];
            }
            if (!closed) {
                return std::nullopt;
            }
            while (i < n && (line[i] == ' ' || line[i] == '\t')) {
                ++i;
            }
            if (i < n && line[i] != ',') {
                return std::nullopt;
            }
        } else {
            const qsizetype comma = line.indexOf(',', i);
            const qsizetype end = comma < 0 ? n : comma;
            field = line.mid(i, end - i).trimmed();
            i = end;
        }
        if (fields.size() < kLoggerFields) {
            fields << field;
        }
        if (i >= n) {
            break;
        }
        ++i; // the comma
    }
    while (fields.size() < kLoggerFields) {
        fields << QString();
    }
    return fields;
}
} // namespace

LoggerFile parseLoggerText(const QByteArray& text) {
    LoggerFile file;
    const QStringList lines = QString::fromUtf8(text).split(QChar('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString line = lines[i];
        if (line.endsWith('\r')) {
            line.chop(1);
        }
        if (line.trimmed().isEmpty()) {
            continue;
        }
        std::optional<QStringList> fields = splitLine(line);
        if (!fields) {
            file.badLine = static_cast<int>(i) + 1;
            file.badText = line;
            return file;
        }
        file.rows << *fields;
    }
    return file;
}

std::optional<QVector<QStringList>> StageLoggerFile(const QString& dataFolder,
                                                    const QString& path) {
    if (!QFile::exists(path)) {
        return std::nullopt;
    }
    const QString staged = QDir(dataFolder).filePath(kLoggerStagingName);
    if (QFile::exists(staged) && !QFile::remove(staged)) {
        throw DbError(ErrorCode::FileNotFound, "Cannot replace " + staged);
    }
    if (!QFile::copy(path, staged)) {
        throw DbError(ErrorCode::FileNotFound, "Cannot copy " + path + " to " + staged);
    }
    QFile copy(staged);
    if (!copy.open(QIODevice::ReadOnly)) {
        throw DbError(ErrorCode::FileNotFound, "Cannot read " + staged);
    }
    LoggerFile file = parseLoggerText(copy.readAll());
    if (!file.ok()) {
        throw DbError(ErrorCode::InvalidArgument,
                      QStringLiteral("Line %1 of the logger file cannot be read: %2")
                          .arg(file.badLine)
                          .arg(file.badText));
    }
    return file.rows;
}
