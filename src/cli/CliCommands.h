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
void importCommand(CliSession& session, const CommandLineArgs& args, const AppContext& context);
void revisionsCommand(CliSession& session, const CommandLineArgs& args);
void reviseCommand(CliSession& session, const CommandLineArgs& args, const AppContext& context);

// Columns padded to their widest text, two spaces apart, as a terminal shows them.
QStringList alignedLines(const QList<QStringList>& table);
