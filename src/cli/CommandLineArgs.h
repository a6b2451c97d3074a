#pragma once

#include "logger/LoggerReadings.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>
#include <stdexcept>

// What a command line asks for.
struct CommandLineArgs {
    // "import", "export", "report", "status", "revisions", "revise", "recipients", "notify",
    // "digest", "correction", "plan", "events", "acknowledge", "close", "server", "users",
    // "compact", "history", "positions", "flags", "reject", "backup", "backups" or "restore";
    // empty with --help or --version
    QString command;
    QString database;
    QString sensor;
    QString file; // the file to import, or the file to write
    int intervalHours = 24;
    DateOrder dateOrder = DateOrder::YearMonthDay;
    bool all = false;
    bool noTimeChart = false;
    bool noLengthChart = false;
    bool csv = false;
    // report --site: the site report, with the events detected on or after since; history:
    // the changes made on or after since (invalid: every event or change).
    bool site = false;
    QDate since;
    // revise: the reading it starts at (wall-clock time), its kind ("offset", "rezero",
    // "nodelost"), the node (0 for all), the typed offsets in mm and the note.
    QDateTime from;
    QString kind;
    int node = 0;
    QList<double> offsets;
    // revise, acknowledge: the note.
    QString note;
    bool test = false; // notify --test
    QStringList words; // recipients: list, or add|remove LIST ADDRESS; server and users: theirs
    // correction: exactly one of --off, --coefficients LIST, --free-length LIST
    bool correctionOff = false;
    QString coefficients;
    QString freeLength;
    QString expansion;
    // plan: the level shown or set, and what is set (absent: kept as stored).
    QString level; // "amber", "red" or empty for both
    std::optional<QString> actions;
    std::optional<QString> who;
    std::optional<double> hours;
    // acknowledge and close: the event, its note, the actions taken and the re-entry note.
    qint64 eventId = 0;
    QString reentry;
    // server init: the administrator login; users add: the role of the new login.
    QString admin;
    QString role;
    // reject: the reading ("YYYY/MM/DD HH:MM:SS"), why, and whether it is restored instead.
    QString reading;
    QString reason;
    bool restore = false;
    // restore: the replacement of the database is confirmed.
    bool yes = false;
    // events: only those not closed.
    bool openOnly = false;
    bool help = false;
    bool version = false;
};

// A command line that cannot be run as written; what() says what is wrong.
class UsageError : public std::runtime_error {
public:
    explicit UsageError(const QString& problem) : std::runtime_error(problem.toStdString()) {}
};

// Reads the arguments that follow the program's name. Options take their value as the next
// argument or after "="; they may stand before or after the command, and "--" ends them.
// --help and --version win over everything else. Raises UsageError for an unknown command
// or option, an option the command does not take, a missing or extra argument, or a value
// out of its range.
CommandLineArgs parseCommandLine(const QStringList& arguments);

// True for the commands that draw: the reports draw their charts (and a sensor's report its
// logo) with the windows' chart code, and an import, a notify that is no test and a digest
// may draw the chart an event's alarm message carries. The others only read and write data.
bool commandDraws(const CommandLineArgs& args);

// The usage text of --help.
QString usageText();
