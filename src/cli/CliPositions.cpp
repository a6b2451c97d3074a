#include "cli/CliCommands.h"
#include "cli/CliPrompter.h"
#include "cli/CliSession.h"
#include "cli/CommandLineArgs.h"
#include "site/PositionImport.h"

void positionsCommand(CliSession& session, const CommandLineArgs& args) {
    const PositionImportResult result = importPositions(session.db(), args.file);
    const QStringList lines = result.summary().split('\n');
    printOut(lines.first());
    if (!result.lines.refused.isEmpty()) {
        for (qsizetype i = 1; i < lines.size(); ++i) {
            printError(lines[i]);
        }
        throw CliFailure(QStringLiteral("%1 lines refused; the %2 lines taken were stored")
                             .arg(result.lines.refused.size())
                             .arg(result.lines.taken.size()));
    }
}
