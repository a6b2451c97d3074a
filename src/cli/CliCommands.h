#pragma once

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
