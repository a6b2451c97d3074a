#include "cli/CliCommands.h"

#include "cli/CliPrompter.h"
#include "cli/CliSession.h"
#include "cli/CommandLineArgs.h"
#include "store/Clock.h"
#include "store/TriggerTables.h"
#include "triggers/SiteStatus.h"
#include "ui/AppContext.h"

#include <QList>

namespace {
// A CSV field, quoted when it holds a separator, a quote or a line break.
QString csvField(const QString& text) {
    if (!text.contains(',') && !text.contains('"') && !text.contains('\n') &&
        !text.contains('\r')) {
        return text;
    }
    return '"' + QString(text).replace('"', QStringLiteral("\"\"")) + '"';
}

QString csvLine(const QStringList& cells) {
    QStringList fields;
    for (const QString& cell : cells) {
        fields << csvField(cell);
    }
    return fields.join(',');
}

} // namespace

// Columns padded to their widest text, two spaces apart, as a terminal shows them.
QStringList alignedLines(const QList<QStringList>& table) {
    QList<qsizetype> widths;
    for (const QStringList& cells : table) {
        for (qsizetype c = 0; c < cells.size(); ++c) {
            if (c == widths.size()) {
                widths << 0;
            }
            widths[c] = std::max(widths[c], cells[c].size());
        }
    }
    QStringList lines;
    for (const QStringList& cells : table) {
        QString line;
        for (qsizetype c = 0; c < cells.size(); ++c) {
            line += c + 1 < cells.size() ? cells[c].leftJustified(widths[c] + 2) : cells[c];
        }
        lines << line.trimmed();
    }
    return lines;
}

void statusCommand(CliSession& session, const CommandLineArgs& args, const AppContext& context) {
    // As the window does on connecting: the trigger tables are made when the database has none.
    if (!hasTriggerTables(session.db())) {
        createTriggerTables(session.db());
    }
    // The event log's rules are put back where the login may; the status still prints when
    // they cannot be, with a warning beside it.
    const EventLogProtection protection = protectEventLog(session.db());
    if (!protection.isProtected()) {
        printError("Warning: the trigger event log is not protected: its rules are missing or "
                   "switched off and could not be put back (" +
                   failureReason(*protection.failure) + ").");
    }
    const QList<SiteStatusRow> rows = computeSiteStatus(session.db(), context.clock->now());
    QList<QStringList> table{siteStatusHeadings()};
    for (const SiteStatusRow& row : rows) {
        table << siteStatusCells(row);
    }
    if (args.csv) {
        for (const QStringList& cells : table) {
            printOut(csvLine(cells));
        }
        return;
    }
    for (const QString& line : alignedLines(table)) {
        printOut(line);
    }
}
