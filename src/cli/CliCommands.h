#pragma once

#include "triggers/TriggerState.h"
#include <QList>
#include <QStringList>

struct AppContext;
struct CommandLineArgs;
class CliSession;

// The commands of the command line. Each prints its summary line on standard output and
// returns normally when it is done; a failure is raised (DbError or CliFailure).
void exportCommand(CliSession& session, const CommandLineArgs& args);
void reportCommand(CliSession& session, const CommandLineArgs& args, const AppContext& context);
// Gives the exit status: statusExitCode of the highest state of a sensor in service.
int statusCommand(CliSession& session, const CommandLineArgs& args, const AppContext& context);
// Sets the sensor's temperature correction and prints what is now stored.
void correctionCommand(CliSession& session, const CommandLineArgs& args);
void importCommand(CliSession& session, const CommandLineArgs& args, const AppContext& context);
void revisionsCommand(CliSession& session, const CommandLineArgs& args);
void reviseCommand(CliSession& session, const CommandLineArgs& args, const AppContext& context);
// The reading checks: the flags of a sensor's readings, and a rejection or restoration.
void flagsCommand(CliSession& session, const CommandLineArgs& args);
void rejectCommand(CliSession& session, const CommandLineArgs& args, const AppContext& context);
// After an import or a rejection: the sensor's readings checked again, a failure logged and
// told on standard error only.
void checkAfterImport(CliSession& session, const QString& instrumentId, const AppContext& context);

// Columns padded to their widest text, two spaces apart, as a terminal shows them.
QStringList alignedLines(const QList<QStringList>& table);
// A table on standard output: aligned, or as CSV lines.
void printTable(const QList<QStringList>& table, bool csv);
// The alarm mail: `recipients list|add LIST ADDRESS|remove LIST ADDRESS`, `notify [--test]`
// and `digest`; after an import, the outbox is sent as notify sends it, its outcome told on
// standard error only.
void recipientsCommand(CliSession& session, const CommandLineArgs& args);
void notifyCommand(CliSession& session, const CommandLineArgs& args, const AppContext& context);
void digestCommand(CliSession& session, const AppContext& context);
void deliverAfterImport(CliSession& session, const AppContext& context);
// Shows, or sets and shows, a response plan.
void planCommand(CliSession& session, const CommandLineArgs& args);
void eventsCommand(CliSession& session, const CommandLineArgs& args);
// A refusal (no such event, not acknowledged, already done) is a CliFailure with the reason.
void acknowledgeCommand(CliSession& session, const CommandLineArgs& args,
                        const AppContext& context);
void closeCommand(CliSession& session, const CommandLineArgs& args, const AppContext& context);

// The exit status of status: 0 when no sensor in service is above green, else these; distinct
// from a failure (1) and a wrong command line (2).
constexpr int kStatusAmber = 3;
constexpr int kStatusRed = 4;
int statusExitCode(TriggerState highest);
