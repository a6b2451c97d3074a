// Writes a large site, every sensor read at a fixed interval for years, for measuring the
// program on the amounts of data a mine gathers.
#include "store/Clock.h"
#include "store/DbError.h"
#include "tools/LargeSite.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTextStream>

namespace {
const char kUsage[] =
    "usage: quorvelle_large_site <data-folder> [--sensors N] [--years N] [--interval MINUTES]\n"
    "Creates QuorvelleVARLO_MM.mdb in <data-folder> holding N sensors (default 200) of every\n"
    "type in turn, each read every MINUTES (default 60, a divisor of 1440) for N years\n"
    "(default 5) up to now: 8.76 million readings by default. An existing database is never\n"
    "overwritten.\n";

bool wholeNumber(const QString& text, int low, int high, int& value) {
    bool ok = false;
    value = text.toInt(&ok);
    return ok && value >= low && value <= high;
}
} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList args = app.arguments().mid(1);

    QString folder;
    LargeSiteOptions options;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            out << kUsage;
            return 0;
        }
        if (arg == "--sensors" || arg == "--years" || arg == "--interval") {
            const bool sensors = arg == "--sensors";
            const bool years = arg == "--years";
            int& target = sensors ? options.sensors
                          : years ? options.years
                                  : options.intervalMinutes;
            const int high = sensors ? 999 : years ? 50 : 1440;
            if (i + 1 >= args.size() || !wholeNumber(args[i + 1], 1, high, target) ||
                (arg == "--interval" && 1440 % target != 0)) {
                err << arg << " needs a whole number from 1 to " << high
                    << (arg == "--interval" ? " that divides 1440" : "") << "\n"
                    << kUsage;
                return 2;
            }
            ++i;
        } else if (folder.isEmpty() && !arg.startsWith('-')) {
            folder = arg;
        } else {
            err << "unexpected argument: " << arg << "\n" << kUsage;
            return 2;
        }
    }
    if (folder.isEmpty()) {
        err << kUsage;
        return 2;
    }
    options.end = SystemClock().now();
    QElapsedTimer timer;
    timer.start();
    try {
        const LargeSiteFile file = writeLargeSite(folder, options);
        out << "wrote " << file.path << ": " << file.readings << " readings, "
            << QFileInfo(file.path).size() / (1024 * 1024) << " MiB in " << timer.elapsed() / 1000.0
            << " s; largest sensor " << file.largestSensor << " (" << file.largestNodes
            << " nodes, " << file.largestReadings << " readings)\n";
    } catch (const DbError& e) {
        err << "Err #" << e.number() << ": " << e.description() << "\n";
        return 1;
    }
    return 0;
}
