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
void siteReportCommand(CliSession& session, const CommandLineArgs& args, const AppContext& context);
// Gives the exit status: statusExitCode of the highest state of a sensor in service.
int statusCommand(CliSession& session, const CommandLineArgs& args, const AppContext& context);
// Sets the sensor's temperature correction and prints what is now stored.
void correctionCommand(CliSession& session, const CommandLineArgs& args);
void importCommand(CliSession& session, const CommandLineArgs& args, const AppContext& context);
void revisionsCommand(CliSession& session, const CommandLineArgs& args);
// `positions import FILE`: the sensors' positions from a surveyor's file; a refused line is a
// CliFailure after the lines taken were stored.
void positionsCommand(CliSession& session, const CommandLineArgs& args);
void reviseCommand(CliSession& session, const CommandLineArgs& args, const AppContext& context);
// The reading checks: the flags of a sensor's readings, and a rejection or restoration.
void flagsCommand(CliSession& session, const CommandLineArgs& args);
void rejectCommand(CliSession& session, const CommandLineArgs& args, const AppContext& context);
// After an import: every reading of the sensor checked again, a failure logged and
// told on standard error only.
void checkAfterImport(CliSession& session, const QString& instrumentId, const AppContext& context);

// Columns padded to their widest text, two spaces apart, as a terminal shows them.
QStringList alignedLines(const QList<QStringList>& table);
// Prints a table (its first row the headings) aligned, or as CSV.
void printTable(const QList<QStringList>& table, bool csv);
// The changes of a sensor as the audit trail recorded them, oldest first.
void historyCommand(CliSession& session, const CommandLineArgs& args);
// The alarm mail: `recipients list|add LIST ADDRESS|remove LIST ADDRESS`, `notify [--test]`
// and `digest`; after an import, the outbox is sent as notify sends it, its outcome told on
// standard error only.
void recipientsCommand(CliSession& session, const CommandLineArgs& args);
void notifyCommand(CliSession& session, const CommandLineArgs& args, const AppContext& context);
void digestCommand(CliSession& session, const AppContext& context);
// Compacts the database file in use; a site server is refused.
void compactCommand(CliSession& session);
// Backs up the database in use into the data folder's backup folder: the data folder's file
// (another file is refused) or the site server's register.
void backupCommand(CliSession& session, const AppContext& context);
// Prints the backups' names, one a line; none when no backup was made yet.
void backupsCommand(const QString& dataFolder);
// Restores the database file in use without opening it; false, doing nothing, when the database
// in use is a site server, which restoreServerCommand restores through its session.
bool restoreFileCommand(const CommandLineArgs& args, const QString& dataFolder);
void restoreServerCommand(CliSession& session, const CommandLineArgs& args);
void deliverAfterImport(CliSession& session, const AppContext& context);
// Shows, or sets and shows, a response plan.
void planCommand(CliSession& session, const CommandLineArgs& args);
void eventsCommand(CliSession& session, const CommandLineArgs& args);
// A refusal (no such event, not acknowledged, already done) is a CliFailure with the reason.
void acknowledgeCommand(CliSession& session, const CommandLineArgs& args,
                        const AppContext& context);
void closeCommand(CliSession& session, const CommandLineArgs& args, const AppContext& context);

// The site server's logins: `server init --admin NAME` on the connection it opens itself (the
// server may hold no register yet), and `users list|add|remove|role`.
void serverCommand(const CommandLineArgs& args, const QString& dataFolder);
void usersCommand(CliSession& session, const CommandLineArgs& args);

// The exit status of status: 0 when no sensor in service is above green, else these; distinct
// from a failure (1) and a wrong command line (2).
constexpr int kStatusAmber = 3;
constexpr int kStatusRed = 4;
int statusExitCode(TriggerState highest);
