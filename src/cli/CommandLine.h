#pragma once

// True when the program was started with arguments: it then works as a command line, without
// a window.
bool isCommandLine(int argc, char** argv);

// Runs the command line and returns the exit status: 0 done, 1 failed, 2 wrong command line
// (the usage then goes to standard error). The data folder and its default database are
// created when missing before a command runs, as at the window's first start.
int runCommandLine(int argc, char** argv);
