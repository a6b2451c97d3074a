#pragma once

#include <QList>
#include <QStringList>

struct AppContext;
struct CommandLineArgs;
class CliSession;

// The commands of the command line. Each prints its summary line on standard output and
// returns normally when it is done; a failure is raised (DbError or CliFailure).
void exportCommand(CliSession& session, const CommandLineArgs& args);
void reportCommand(CliSession& session, const CommandLineArgs& args, const AppContext& context);
void statusCommand(CliSession& session, const CommandLineArgs& args, const AppContext& context);
// Sets the sensor's temperature correction and prints what is now stored.
void correctionCommand(CliSession& session, const CommandLineArgs& args);
void importCommand(CliSession& session, const CommandLineArgs& args, const AppContext& context);
void revisionsCommand(CliSession& session, const CommandLineArgs& args);
void reviseCommand(CliSession& session, const CommandLineArgs& args, const AppContext& context);

// Columns padded to their widest text, two spaces apart, as a terminal shows them.
QStringList alignedLines(const QList<QStringList>& table);
// The alarm mail: `recipients list|add LIST ADDRESS|remove LIST ADDRESS`, `notify [--test]`
// and `digest`; after an import, the outbox is sent as notify sends it, its outcome told on
// standard error only.
void recipientsCommand(CliSession& session, const CommandLineArgs& args);
void notifyCommand(CliSession& session, const CommandLineArgs& args, const AppContext& context);
void digestCommand(CliSession& session, const AppContext& context);
void deliverAfterImport(CliSession& session, const AppContext& context);
