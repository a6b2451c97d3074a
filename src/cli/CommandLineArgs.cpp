#include "cli/CommandLineArgs.h"

#include "sensors/SensorNumber.h"
#include "triggers/ResponsePlan.h"

#include <QHash>
#include <cmath>

namespace {
struct OptionRule {
    bool takesValue;
    QStringList commands; // empty: every command
};

const QHash<QString, OptionRule>& optionRules() {
    static const QHash<QString, OptionRule> rules{
        {QStringLiteral("database"), {true, {}}},
        {QStringLiteral("sensor"),
         {true,
          {QStringLiteral("import"), QStringLiteral("export"), QStringLiteral("report"),
           QStringLiteral("correction")}}},
        {QStringLiteral("interval"), {true, {QStringLiteral("import")}}},
        {QStringLiteral("date-order"), {true, {QStringLiteral("import")}}},
        {QStringLiteral("all"), {false, {QStringLiteral("import")}}},
        {QStringLiteral("no-time-chart"), {false, {QStringLiteral("report")}}},
        {QStringLiteral("no-length-chart"), {false, {QStringLiteral("report")}}},
        {QStringLiteral("site"), {false, {QStringLiteral("report")}}},
        {QStringLiteral("since"), {true, {QStringLiteral("report"), QStringLiteral("history")}}},
        {QStringLiteral("csv"),
         {false,
          {QStringLiteral("status"), QStringLiteral("events"), QStringLiteral("history"),
           QStringLiteral("flags")}}},
        {QStringLiteral("reading"), {true, {QStringLiteral("reject")}}},
        {QStringLiteral("reason"), {true, {QStringLiteral("reject")}}},
        {QStringLiteral("restore"), {false, {QStringLiteral("reject")}}},
        {QStringLiteral("from"), {true, {QStringLiteral("revise")}}},
        {QStringLiteral("kind"), {true, {QStringLiteral("revise")}}},
        {QStringLiteral("node"), {true, {QStringLiteral("revise")}}},
        {QStringLiteral("offset"), {true, {QStringLiteral("revise")}}},
        {QStringLiteral("note"), {true, {QStringLiteral("revise"), QStringLiteral("acknowledge")}}},
        {QStringLiteral("test"), {false, {QStringLiteral("notify")}}},
        {QStringLiteral("off"), {false, {QStringLiteral("correction")}}},
        {QStringLiteral("coefficients"), {true, {QStringLiteral("correction")}}},
        {QStringLiteral("free-length"), {true, {QStringLiteral("correction")}}},
        {QStringLiteral("expansion"), {true, {QStringLiteral("correction")}}},
        {QStringLiteral("level"), {true, {QStringLiteral("plan")}}},
        {QStringLiteral("actions"), {true, {QStringLiteral("plan"), QStringLiteral("close")}}},
        {QStringLiteral("who"), {true, {QStringLiteral("plan")}}},
        {QStringLiteral("hours"), {true, {QStringLiteral("plan")}}},
        {QStringLiteral("reentry"), {true, {QStringLiteral("close")}}},
        {QStringLiteral("open"), {false, {QStringLiteral("events")}}},
        {QStringLiteral("admin"), {true, {QStringLiteral("server")}}},
        {QStringLiteral("role"), {true, {QStringLiteral("users")}}},
        {QStringLiteral("yes"), {false, {QStringLiteral("restore")}}},
    };
    return rules;
}

const QStringList kCommands{
    QStringLiteral("import"),      QStringLiteral("export"),    QStringLiteral("report"),
    QStringLiteral("status"),      QStringLiteral("revisions"), QStringLiteral("revise"),
    QStringLiteral("recipients"),  QStringLiteral("notify"),    QStringLiteral("digest"),
    QStringLiteral("correction"),  QStringLiteral("plan"),      QStringLiteral("events"),
    QStringLiteral("acknowledge"), QStringLiteral("close"),     QStringLiteral("server"),
    QStringLiteral("users"),       QStringLiteral("compact"),   QStringLiteral("history"),
    QStringLiteral("positions"),   QStringLiteral("flags"),     QStringLiteral("reject"),
    QStringLiteral("backup"),      QStringLiteral("backups"),   QStringLiteral("restore")};

// "yyyy/MM/dd HH:mm:ss" read field by field, so that no time zone rule can refuse the moment.
QDateTime momentOf(const QString& text) {
    const QStringList parts = text.trimmed().split(' ', Qt::SkipEmptyParts);
    const QDate date =
        parts.size() == 2 ? QDate::fromString(parts[0], QStringLiteral("yyyy/MM/dd")) : QDate();
    const QTime time =
        parts.size() == 2 ? QTime::fromString(parts[1], QStringLiteral("HH:mm:ss")) : QTime();
    if (!date.isValid() || !time.isValid()) {
        throw UsageError(
            QStringLiteral("--from wants a date and time as \"YYYY/MM/DD HH:MM:SS\", not '%1'")
                .arg(text));
    }
    return QDateTime(date, time, Qt::UTC);
}

double offsetOf(const QString& text) {
    bool ok = false;
    const double mm = text.toDouble(&ok);
    if (!ok || !std::isfinite(mm)) {
        throw UsageError(QStringLiteral("--offset wants a number of mm, not '%1'").arg(text));
    }
    return mm;
}

int intervalOf(const QString& text) {
    bool ok = false;
    const int hours = text.toInt(&ok);
    if (!ok || hours < 0) {
        throw UsageError(
            QStringLiteral("--interval wants a whole number of hours, not '%1'").arg(text));
    }
    return hours;
}

DateOrder dateOrderOf(const QString& text) {
    if (text == QLatin1String("ymd")) {
        return DateOrder::YearMonthDay;
    }
    if (text == QLatin1String("dmy")) {
        return DateOrder::DayMonthYear;
    }
    if (text == QLatin1String("mdy")) {
        return DateOrder::MonthDayYear;
    }
    throw UsageError(QStringLiteral("--date-order wants ymd, dmy or mdy, not '%1'").arg(text));
}

void setOption(CommandLineArgs& args, const QString& name, const QString& value) {
    if (name == QLatin1String("database")) {
        args.database = value;
    } else if (name == QLatin1String("sensor")) {
        if (!isSensorNumber(value)) {
            throw UsageError(
                QStringLiteral("--sensor wants a sensor number of nine digits, not '%1'")
                    .arg(value));
        }
        args.sensor = value;
    } else if (name == QLatin1String("interval")) {
        args.intervalHours = intervalOf(value);
    } else if (name == QLatin1String("date-order")) {
        args.dateOrder = dateOrderOf(value);
    } else if (name == QLatin1String("all")) {
        args.all = true;
    } else if (name == QLatin1String("no-time-chart")) {
        args.noTimeChart = true;
    } else if (name == QLatin1String("no-length-chart")) {
        args.noLengthChart = true;
    } else if (name == QLatin1String("csv")) {
        args.csv = true;
    } else if (name == QLatin1String("site")) {
        args.site = true;
    } else if (name == QLatin1String("since")) {
        args.since = QDate::fromString(QString(value).replace('/', '-'), Qt::ISODate);
        if (!args.since.isValid()) {
            throw UsageError(
                QStringLiteral("--since wants a date as YYYY/MM/DD or YYYY-MM-DD, not '%1'")
                    .arg(value));
        }
    } else if (name == QLatin1String("reading")) {
        const QStringList parts = value.trimmed().split(' ', Qt::SkipEmptyParts);
        if (parts.size() != 2 ||
            !QDate::fromString(parts[0], QStringLiteral("yyyy/MM/dd")).isValid() ||
            !QTime::fromString(parts[1], QStringLiteral("HH:mm:ss")).isValid()) {
            throw UsageError(
                QStringLiteral(
                    "--reading wants a date and time as \"YYYY/MM/DD HH:MM:SS\", not '%1'")
                    .arg(value));
        }
        args.reading = parts.join(' ');
    } else if (name == QLatin1String("reason")) {
        args.reason = value;
    } else if (name == QLatin1String("restore")) {
        args.restore = true;
    } else if (name == QLatin1String("from")) {
        args.from = momentOf(value);
    } else if (name == QLatin1String("kind")) {
        if (!QStringList{"offset", "rezero", "nodelost"}.contains(value)) {
            throw UsageError(
                QStringLiteral("--kind wants offset, rezero or nodelost, not '%1'").arg(value));
        }
        args.kind = value;
    } else if (name == QLatin1String("node")) {
        bool ok = false;
        args.node = value.toInt(&ok);
        if (!ok || args.node < 1) {
            throw UsageError(
                QStringLiteral("--node wants a node number from 1, not '%1'").arg(value));
        }
    } else if (name == QLatin1String("offset")) {
        args.offsets << offsetOf(value);
    } else if (name == QLatin1String("note")) {
        args.note = value;
    } else if (name == QLatin1String("test")) {
        args.test = true;
    } else if (name == QLatin1String("off")) {
        args.correctionOff = true;
    } else if (name == QLatin1String("coefficients")) {
        args.coefficients = value;
    } else if (name == QLatin1String("free-length")) {
        args.freeLength = value;
    } else if (name == QLatin1String("expansion")) {
        args.expansion = value;
    } else if (name == QLatin1String("level")) {
        if (value != QLatin1String("amber") && value != QLatin1String("red")) {
            throw UsageError(QStringLiteral("--level wants amber or red, not '%1'").arg(value));
        }
        args.level = value;
    } else if (name == QLatin1String("actions")) {
        args.actions = value;
    } else if (name == QLatin1String("who")) {
        args.who = value;
    } else if (name == QLatin1String("hours")) {
        const ResponseHoursText hours = responseHoursOf(value);
        if (!hours.hours) {
            throw UsageError(
                QStringLiteral("--hours wants a number of hours from 0 to %1, not '%2'")
                    .arg(kMaxResponseHours)
                    .arg(value));
        }
        args.hours = hours.hours;
    } else if (name == QLatin1String("reentry")) {
        args.reentry = value;
    } else if (name == QLatin1String("open")) {
        args.openOnly = true;
    } else if (name == QLatin1String("admin")) {
        args.admin = value;
    } else if (name == QLatin1String("role")) {
        args.role = value;
    } else if (name == QLatin1String("yes")) {
        args.yes = true;
    }
}

// The commands of the event log and the response plan, which take at most one argument.
bool checkEventCommand(CommandLineArgs& args, const QStringList& files) {
    const QString& command = args.command;
    if (command == QLatin1String("plan")) {
        if (files.size() > 1) {
            throw UsageError(QStringLiteral("unexpected argument '%1'").arg(files.last()));
        }
        if (!files.isEmpty()) {
            if (!isSensorNumber(files.first())) {
                throw UsageError(
                    QStringLiteral("plan wants a sensor number of nine digits, not '%1'")
                        .arg(files.first()));
            }
            args.sensor = files.first();
        }
        if ((args.actions || args.who || args.hours) && args.level.isEmpty()) {
            throw UsageError(QStringLiteral("plan needs --level amber|red to set a plan"));
        }
        return true;
    }
    if (command == QLatin1String("events")) {
        if (!files.isEmpty()) {
            throw UsageError(QStringLiteral("unexpected argument '%1'").arg(files.first()));
        }
        return true;
    }
    if (command != QLatin1String("acknowledge") && command != QLatin1String("close")) {
        return false;
    }
    if (files.isEmpty()) {
        throw UsageError(command + QStringLiteral(" needs an event number"));
    }
    if (files.size() > 1) {
        throw UsageError(QStringLiteral("unexpected argument '%1'").arg(files.last()));
    }
    bool ok = false;
    args.eventId = files.first().toLongLong(&ok);
    if (!ok || args.eventId <= 0) {
        throw UsageError(
            QStringLiteral("%1 wants an event number, not '%2'").arg(command, files.first()));
    }
    if (command == QLatin1String("close") && !args.actions) {
        throw UsageError(QStringLiteral("close needs --actions TEXT"));
    }
    return true;
}

// server init --admin NAME, and users list|add NAME --role R|remove NAME|role NAME R.
bool checkAccessCommand(const CommandLineArgs& args, const QStringList& words) {
    if (args.command == QLatin1String("server")) {
        if (words != QStringList{QStringLiteral("init")} || args.admin.isEmpty()) {
            throw UsageError(QStringLiteral("server wants init --admin NAME"));
        }
        return true;
    }
    if (args.command != QLatin1String("users")) {
        return false;
    }
    const QString action = words.value(0);
    const bool fits = action == QLatin1String("list")     ? words.size() == 1
                      : action == QLatin1String("add")    ? words.size() == 2
                      : action == QLatin1String("remove") ? words.size() == 2
                      : action == QLatin1String("role")   ? words.size() == 3
                                                          : false;
    if (!fits) {
        throw UsageError(
            QStringLiteral("users wants list, add NAME --role R, remove NAME or role NAME R"));
    }
    if ((action == QLatin1String("add")) != !args.role.isEmpty()) {
        throw UsageError(action == QLatin1String("add")
                             ? QStringLiteral("users add needs --role viewer|engineer|admin")
                             : QStringLiteral("only users add takes --role"));
    }
    return true;
}

void requireOutput(const QString& command, const QString& file, const QStringList& suffixes) {
    for (const QString& suffix : suffixes) {
        if (file.endsWith(suffix, Qt::CaseInsensitive) && file.size() > suffix.size()) {
            return;
        }
    }
    throw UsageError(QStringLiteral("%1 writes a %2 file, not '%3'")
                         .arg(command, suffixes.join(QStringLiteral(" or ")), file));
}

// report --site [--since DATE] OUT.pdf, which is of the whole site and of no one sensor.
void checkSiteReport(const CommandLineArgs& args, const QStringList& files) {
    if (!args.site) {
        throw UsageError(QStringLiteral("--since goes with --site"));
    }
    if (!args.sensor.isEmpty() || args.noTimeChart || args.noLengthChart) {
        throw UsageError(
            QStringLiteral("report --site is of the whole site: no --sensor, --no-time-chart or "
                           "--no-length-chart"));
    }
    if (files.size() != 1) {
        throw UsageError(files.isEmpty()
                             ? QStringLiteral("report needs a file")
                             : QStringLiteral("unexpected argument '%1'").arg(files.last()));
    }
    requireOutput(args.command, files.first(), {QStringLiteral(".pdf")});
}

void check(CommandLineArgs& args, const QStringList& files) {
    if (args.command.isEmpty()) {
        throw UsageError(QStringLiteral("no command given"));
    }
    if (checkEventCommand(args, files)) {
        return;
    }
    if (args.command == QLatin1String("recipients")) {
        const QString action = files.value(0);
        if (action == QLatin1String("list") ? files.size() != 1
            : action == QLatin1String("add") || action == QLatin1String("remove")
                ? files.size() != 3
                : true) {
            throw UsageError(
                QStringLiteral("recipients wants list, add LIST ADDRESS or remove LIST ADDRESS"));
        }
        return;
    }
    if (checkAccessCommand(args, files)) {
        return;
    }
    if (args.command == QLatin1String("positions")) {
        if (files.size() != 2 || files.first() != QLatin1String("import")) {
            throw UsageError(QStringLiteral("positions wants import FILE"));
        }
        return;
    }
    if (args.command == QLatin1String("restore")) {
        if (files.size() != 1) {
            throw UsageError(files.isEmpty()
                                 ? QStringLiteral("restore needs the name of a backup")
                                 : QStringLiteral("unexpected argument '%1'").arg(files.last()));
        }
        if (!args.yes) {
            throw UsageError(QStringLiteral(
                "restore replaces the database with the backup; add --yes to go ahead"));
        }
        return;
    }
    if (args.command == QLatin1String("status") || args.command == QLatin1String("notify") ||
        args.command == QLatin1String("digest") || args.command == QLatin1String("compact") ||
        args.command == QLatin1String("backup") || args.command == QLatin1String("backups")) {
        if (!files.isEmpty()) {
            throw UsageError(QStringLiteral("unexpected argument '%1'").arg(files.first()));
        }
        return;
    }
    if (args.command == QLatin1String("revisions") || args.command == QLatin1String("revise") ||
        args.command == QLatin1String("history") || args.command == QLatin1String("flags") ||
        args.command == QLatin1String("reject")) {
        if (files.isEmpty()) {
            throw UsageError(args.command + QStringLiteral(" needs a sensor ID"));
        }
        if (files.size() > 1) {
            throw UsageError(QStringLiteral("unexpected argument '%1'").arg(files.last()));
        }
        if (!isSensorNumber(files.first())) {
            throw UsageError(QStringLiteral("%1 wants a sensor number of nine digits, not '%2'")
                                 .arg(args.command, files.first()));
        }
        if (args.command == QLatin1String("revise") && !args.from.isValid()) {
            throw UsageError(QStringLiteral("revise needs --from \"YYYY/MM/DD HH:MM:SS\""));
        }
        if (args.command == QLatin1String("revise") && args.kind.isEmpty()) {
            throw UsageError(QStringLiteral("revise needs --kind offset|rezero|nodelost"));
        }
        if (args.command == QLatin1String("reject") && args.reading.isEmpty()) {
            throw UsageError(QStringLiteral("reject needs --reading \"YYYY/MM/DD HH:MM:SS\""));
        }
        if (args.command == QLatin1String("reject") && args.reason.trimmed().isEmpty()) {
            throw UsageError(QStringLiteral("reject needs --reason TEXT"));
        }
        return;
    }
    if (args.command == QLatin1String("report") && (args.site || args.since.isValid())) {
        checkSiteReport(args, files);
        return;
    }
    if (args.sensor.isEmpty()) {
        throw UsageError(args.command + QStringLiteral(" needs --sensor ID"));
    }
    if (args.command == QLatin1String("correction")) {
        if (!files.isEmpty()) {
            throw UsageError(QStringLiteral("unexpected argument '%1'").arg(files.first()));
        }
        const int modes = (args.correctionOff ? 1 : 0) + (args.coefficients.isEmpty() ? 0 : 1) +
                          (args.freeLength.isEmpty() ? 0 : 1);
        if (modes != 1) {
            throw UsageError(QStringLiteral(
                "correction needs one of --off, --coefficients LIST, --free-length LIST"));
        }
        if (!args.expansion.isEmpty() && args.freeLength.isEmpty()) {
            throw UsageError(QStringLiteral("--expansion goes with --free-length"));
        }
        return;
    }
    if (files.isEmpty()) {
        throw UsageError(args.command + QStringLiteral(" needs a file"));
    }
    if (files.size() > 1) {
        throw UsageError(QStringLiteral("unexpected argument '%1'").arg(files.last()));
    }
    if (args.command == QLatin1String("export")) {
        requireOutput(args.command, args.file, {QStringLiteral(".xlsx")});
    } else if (args.command == QLatin1String("report")) {
        requireOutput(args.command, args.file, {QStringLiteral(".docx"), QStringLiteral(".pdf")});
    }
}
} // namespace

CommandLineArgs parseCommandLine(const QStringList& arguments) {
    CommandLineArgs args;
    for (const QString& a : arguments) {
        if (a == QLatin1String("--")) {
            break;
        }
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            args.help = true;
            return args;
        }
        if (a == QLatin1String("--version")) {
            args.version = true;
        }
    }
    if (args.version) {
        return args;
    }

    QStringList positional;
    QList<QString> options; // in the order given, checked against the command afterwards
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (optionsEnded || !a.startsWith('-') || a == QLatin1String("-")) {
            positional << a;
            continue;
        }
        if (a == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (!a.startsWith(QLatin1String("--"))) {
            throw UsageError(QStringLiteral("unknown option '%1'").arg(a));
        }
        const qsizetype equals = a.indexOf('=');
        const QString name = a.mid(2, equals < 0 ? -1 : equals - 2);
        const auto rule = optionRules().constFind(name);
        if (rule == optionRules().constEnd()) {
            throw UsageError(QStringLiteral("unknown option '--%1'").arg(name));
        }
        QString value;
        if (rule->takesValue) {
            if (equals >= 0) {
                value = a.mid(equals + 1);
            } else if (i + 1 < arguments.size()) {
                value = arguments[++i];
            } else {
                throw UsageError(QStringLiteral("option '--%1' needs a value").arg(name));
            }
            if (value.isEmpty()) {
                throw UsageError(QStringLiteral("option '--%1' needs a value").arg(name));
            }
        } else if (equals >= 0) {
            throw UsageError(QStringLiteral("option '--%1' takes no value").arg(name));
        }
        setOption(args, name, value);
        options << name;
    }

    if (!positional.isEmpty()) {
        args.command = positional.takeFirst();
        if (!kCommands.contains(args.command)) {
            throw UsageError(QStringLiteral("unknown command '%1'").arg(args.command));
        }
    }
    for (const QString& name : options) {
        const QStringList commands = optionRules().value(name).commands;
        if (!commands.isEmpty() && !args.command.isEmpty() && !commands.contains(args.command)) {
            throw UsageError(
                QStringLiteral("%1 does not take the option '--%2'").arg(args.command, name));
        }
    }
    if (!positional.isEmpty()) {
        args.file = positional.first();
    }
    if (args.command == QLatin1String("recipients") || args.command == QLatin1String("server") ||
        args.command == QLatin1String("users")) {
        args.words = positional;
        args.file.clear();
    }
    if (args.command == QLatin1String("positions")) {
        args.words = positional;
        args.file = positional.value(1);
    }
    check(args, positional);
    if (args.command == QLatin1String("revisions") || args.command == QLatin1String("revise") ||
        args.command == QLatin1String("history") || args.command == QLatin1String("flags") ||
        args.command == QLatin1String("reject")) {
        args.sensor = args.file;
        args.file.clear();
    }
    return args;
}

bool commandDraws(const CommandLineArgs& args) {
    return args.command == QLatin1String("report") || args.command == QLatin1String("import") ||
           (args.command == QLatin1String("notify") && !args.test) ||
           args.command == QLatin1String("digest");
}

QString usageText() {
    return QStringLiteral(
        "Usage: quorvelle                 open the window\n"
        "       quorvelle [--database PATH|URI] COMMAND [OPTIONS]\n"
        "\n"
        "Commands (no window is shown):\n"
        "  import --sensor ID FILE [--interval HOURS] [--date-order ymd|dmy|mdy] [--all]\n"
        "        append the logger file's readings to the sensor: those at least HOURS\n"
        "        apart (24 unless given), or every line with --all; readings already\n"
        "        stored are skipped. The file is expected to be named ID.txt. A trigger\n"
        "        event the readings raise is stored with them, or nothing is stored.\n"
        "        Readings dated later than now are stored and counted in a warning.\n"
        "  export --sensor ID OUT.xlsx\n"
        "        write the sensor's datasheet as a spreadsheet\n"
        "  report --sensor ID OUT.docx|OUT.pdf [--no-time-chart] [--no-length-chart]\n"
        "        write the sensor's report; a file already there is replaced only by a\n"
        "        report written whole (on a full disk it stays, and the exit status is 1)\n"
        "  report --site [--since YYYY/MM/DD] OUT.pdf\n"
        "        write the site report: the status table, the compare chart of the amber\n"
        "        and red sensors, the events detected since the date (every event without\n"
        "        it) with their responses, and the overdue sensors\n"
        "  status [--csv]\n"
        "        print every sensor's state against its trigger levels, as a table or CSV;\n"
        "        the event log's rules are put back first, with a warning when they cannot;\n"
        "        the exit status tells the highest state of a sensor in service: 0 none above\n"
        "        green, 3 amber, 4 red (1 and 2 keep their meaning below)\n"
        "  revisions ID\n"
        "        list the sensor's revisions, the superseded ones with the entry that\n"
        "        replaced them\n"
        "  revise ID --from \"YYYY/MM/DD HH:MM:SS\" --kind offset|rezero|nodelost\n"
        "         [--node N] [--offset MM ...] [--note TEXT]\n"
        "        add a revision from that reading on: offset (a repair or a new readout;\n"
        "        the displacement carries on across it, or moves by the --offset values,\n"
        "        one --offset per node, or one with --node), rezero (the displacement\n"
        "        starts again at 0), nodelost (node N is no longer drawn or judged).\n"
        "        A later revision on the same reading supersedes it; none is ever changed.\n"
        "  history ID [--since YYYY-MM-DD] [--csv]\n"
        "        list the changes of the sensor, its readings, trigger levels, events and\n"
        "        revisions as the audit trail recorded them: when, who, what, before and\n"
        "        after; only those made on or after the day with --since\n"
        "  flags ID [--csv]\n"
        "        list what the reading checks found in the sensor's readings (range,\n"
        "        spike, rate, flat, future, date, temperature) and which are rejected\n"
        "  reject ID --reading \"YYYY/MM/DD HH:MM:SS\" --reason TEXT [--restore]\n"
        "        reject the reading (kept, but left out of the charts, the report and the\n"
        "        trigger states), or restore it with --restore; who, when and why are kept\n"
        "  recipients list | add LIST ADDRESS | remove LIST ADDRESS\n"
        "        show or change the alarm mail lists kept in the register: amber, red,\n"
        "        overdue, escalation, digest; an address that is not one is refused\n"
        "  notify [--test]\n"
        "        write the escalations and overdue messages due, send every alarm\n"
        "        message still waiting and exit (exit status 1 when the mail server\n"
        "        could not be reached or refused the login); --test sends one message\n"
        "        to every address and prints what the server answered for each\n"
        "  digest\n"
        "        mail the digest list the site report as a PDF with a summary: sensors\n"
        "        by state, events since the last digest, overdue sensors, open responses\n"
        "  correction --sensor ID --off | --coefficients C1,C2,... |\n"
        "             --free-length L1,L2,... [--expansion A]\n"
        "        set the sensor's temperature correction: off, a coefficient per node in\n"
        "        mm/°C, or the strand's free length per node in m with its expansion per\n"
        "        °C (11.8e-6 unless given); node 1 first, a node left out is not corrected\n"
        "  plan [ID] [--level amber|red] [--actions TEXT] [--who TEXT] [--hours H]\n"
        "        show the response plan of the sensor ID, or of the site default without ID\n"
        "        (a sensor without its own plan follows the site default); with --actions,\n"
        "        --who or --hours, set them in the plan of that level, keeping the rest\n"
        "  events [--open] [--csv]\n"
        "        list the trigger events, oldest first, each with its step (Open,\n"
        "        Acknowledged, Closed); only those not closed with --open\n"
        "  acknowledge EVENT [--note TEXT]\n"
        "        add the acknowledgement (who, when, note) to the event numbered EVENT\n"
        "  close EVENT --actions TEXT [--reentry TEXT]\n"
        "        close an acknowledged event with the actions taken and the re-entry note;\n"
        "        an event not acknowledged, or already closed, is refused (exit status 1)\n"
        "  server init --admin NAME\n"
        "        prepare the site server of --database for a login per engineer: the roles\n"
        "        quorvelle_viewer, quorvelle_engineer and quorvelle_admin, the register's\n"
        "        tables and their privileges; NAME becomes an administrator. Run by the\n"
        "        database's owner (with CREATEROLE); running it again repairs what is missing\n"
        "  users list|add NAME --role viewer|engineer|admin|remove NAME|role NAME ROLE\n"
        "        list, add, remove the site server's logins or change a login's role (an\n"
        "        administrator's work); add reads the new password from the terminal\n"
        "        without showing it, or the first line of standard input (none when empty);\n"
        "        the last administrator cannot be removed or demoted\n"
        "  backup\n"
        "        copy the database into the data folder's backup folder as\n"
        "        VARLO_MMbackup_YYYY-MM-DD.mdb, replacing the copy made earlier the same\n"
        "        day: the data folder's database file, read as one transaction so that\n"
        "        another program's write is wholly in it or not at all, or the site\n"
        "        server's register\n"
        "  backups\n"
        "        list the backups in the backup folder, oldest first\n"
        "  restore NAME --yes\n"
        "        replace the database with the backup NAME, as backups lists it: the data\n"
        "        folder's database file (a backup that is not a whole database file is\n"
        "        refused), or the site server's register, whose event log keeps the\n"
        "        events logged since the backup; nothing is replaced without --yes\n"
        "  compact\n"
        "        compact the database file, reclaiming the room of deleted readings;\n"
        "        a site server is refused\n"
        "  positions import FILE\n"
        "        store the sensors' positions (m, mine grid) from a surveyor's file of\n"
        "        lines InstrumentID,Easting,Northing,Elevation (heading line optional,\n"
        "        elevation may be empty), in one transaction; a line with a bad number or\n"
        "        an unknown sensor is refused and listed, the others are stored, and the\n"
        "        exit status is 1 when any line was refused\n"
        "\n"
        "ID is a sensor number: nine digits (0-9), no sign or spaces.\n"
        "\n"
        "Options:\n"
        "  --database PATH|URI  the database to use instead of the data folder's: a file,\n"
        "                       or a site server as postgresql://user@host:5432/database,\n"
        "                       which may carry ?sslmode=, sslrootcert=, sslcert=, sslkey=,\n"
        "                       sslcrl=, connect_timeout= and application_name= and no\n"
        "                       other setting; its password belongs in ~/.pgpass or\n"
        "                       PGPASSWORD\n"
        "  -h, --help           show this text\n"
        "  --version            show the version\n"
        "\n"
        "The mail server is set in section [Mail] of ~/.config/Ombrevault/Quorvelle.conf:\n"
        "Server=smtp://host:587 (STARTTLS when offered) or smtps://host:465, From=,\n"
        "User=, Password= (or QUORVELLE_SMTP_PASSWORD) and CaFile= for a site's own\n"
        "certificate.\n"
        "\n"
        "Messages go to standard error; a question gets the answer that changes nothing.\n"
        "Exit status: 0 done, 1 failed, 2 wrong command line; status also gives 3 when a\n"
        "sensor is amber and 4 when one is red.");
}
