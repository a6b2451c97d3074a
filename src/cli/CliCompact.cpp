#include "cli/CliCommands.h"
#include "cli/CliPrompter.h"
#include "cli/CliSession.h"
#include "store/Compaction.h"

#include <QFileInfo>

namespace {
QString sizeText(qint64 bytes) {
    return QStringLiteral("%1 MB").arg(static_cast<double>(bytes) / (1024.0 * 1024.0), 0, 'f', 1);
}
} // namespace

void compactCommand(CliSession& session) {
    if (session.db().isServer()) {
        throw CliFailure(QStringLiteral(
            "compact works on a database file; the site server keeps its own storage"));
    }
    const QString path = session.db().location();
    const QString name = QFileInfo(path).fileName();
    const qint64 before = QFileInfo(path).size();
    session.db().close();
    if (compactDatabase(path, CompactionNeed::AnyFreePage)) {
        printOut(QStringLiteral("%1 compacted from %2 to %3.")
                     .arg(name, sizeText(before), sizeText(QFileInfo(path).size())));
    } else {
        printOut(QStringLiteral("%1 has no free space to reclaim.").arg(name));
    }
}
