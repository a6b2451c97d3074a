#include "ui/PdfFile.h"

#include "store/DbError.h"

#include <QDir>
#include <QPdfWriter>
#include <QSaveFile>

void writePdfFile(const QString& path, const QString& what,
                  const std::function<void(QPdfWriter&)>& paint) {
    const auto notWritten = [&](const QString& reason) {
        throw DbError(ErrorCode::FileNotFound,
                      what + ' ' + QDir::toNativeSeparators(path) + " was not written: " + reason);
    };
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        notWritten(file.errorString());
    }
    {
        // The writer puts its last bytes out when its painting ends, before the file is judged.
        QPdfWriter writer(&file);
        writer.setCreator(QStringLiteral("Quorvelle"));
        paint(writer);
    }
    if (!file.flush() || file.error() != QFileDevice::NoError) {
        notWritten(file.errorString());
    }
    if (file.size() == 0) {
        notWritten(QStringLiteral("nothing was written to it"));
    }
    if (!file.commit()) {
        notWritten(file.errorString());
    }
}
