#pragma once

#include <QString>
#include <functional>

// True when the program was started with arguments: it then works as a command line, without
// a window.
bool isCommandLine(int argc, char** argv);

// Runs the command line and returns the exit status: 0 done, 1 failed, 2 wrong command line
// (the usage then goes to standard error). prepareDataFolder makes the data folder ready as
// the first start of the windows does (folder, database, logo) before a command runs.
int runCommandLine(int argc, char** argv,
                   const std::function<void(const QString& dataFolder)>& prepareDataFolder);
