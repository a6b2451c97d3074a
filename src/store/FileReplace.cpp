#include "store/FileReplace.h"

#include "store/DbError.h"

#include <QFile>
#include <QFileInfo>
#include <fcntl.h>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace {
// Waits until the file, or a folder's list of names, is on the disk; gives the system's error
// text, empty once it is there.
QString flushToDisk(const QString& path, int flags) {
    const int fd = ::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC);
    if (fd < 0) {
        return qt_error_string(errno);
    }
    const int flushed = ::fsync(fd) == 0 ? 0 : errno;
    const int closed = ::close(fd) == 0 ? 0 : errno;
    return flushed != 0 || closed != 0 ? qt_error_string(flushed != 0 ? flushed : closed)
                                       : QString();
}
} // namespace

void replaceWithFinished(const QString& finished, const QString& target) {
    if (const QString failure = flushToDisk(finished, O_RDONLY); !failure.isEmpty()) {
        QFile::remove(finished);
        throw DbError(ErrorCode::FileNotFound,
                      "Could not write " + target + " to the disk: " + failure);
    }
    std::error_code error;
    std::filesystem::rename(finished.toStdString(), target.toStdString(), error);
    if (error) {
        QFile::remove(finished);
        throw DbError(ErrorCode::FileNotFound, "Could not replace " + target + ": " +
                                                   QString::fromStdString(error.message()));
    }
    const QString failure = flushToDisk(QFileInfo(target).absolutePath(), O_RDONLY | O_DIRECTORY);
    if (!failure.isEmpty()) {
        throw DbError(ErrorCode::FileNotFound,
                      "Could not write the folder of " + target + " to the disk: " + failure);
    }
}
