// Writes a large site, every sensor read at a fixed interval for years, for measuring the
// program on the amounts of data a mine gathers.
#include "store/Clock.h"
#include "tools/LargeSite.h"
#include "tools/ToolArgs.h"

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

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList args = app.arguments().mid(1);

    QString folder;
    LargeSiteOptions options;
    if (const std::optional<int> done =
            readToolArgs(args, kUsage,
                         {{"--sensors", &options.sensors, 999},
                          {"--years", &options.years, 50},
                          {"--interval", &options.intervalMinutes, 1440, 1440}},
                         folder, out, err)) {
        return *done;
    }
    options.end = SystemClock().now();
    QElapsedTimer timer;
    timer.start();
    return writingTool(err, [&] {
        const LargeSiteFile file = writeLargeSite(folder, options);
        out << "wrote " << file.path << ": " << file.readings << " readings, "
            << QFileInfo(file.path).size() / (1024 * 1024) << " MiB in " << timer.elapsed() / 1000.0
            << " s; largest sensor " << file.largestSensor << " (" << file.largestNodes
            << " nodes, " << file.largestReadings << " readings)\n";
    });
}
