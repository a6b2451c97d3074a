// Writes a sample register with years of readings into a data folder, for trying the
// program and for measuring it on realistic amounts of data.
#include "tools/SampleData.h"

#include "store/Clock.h"
#include "store/DbError.h"

#include <QCoreApplication>
#include <QTextStream>

namespace {
const char kUsage[] =
    "usage: quorvelle_sample_data <data-folder> [--years N] [--readings-per-day N]\n"
    "Creates QuorvelleVARLO_MM.mdb in <data-folder> holding sensors of every type with\n"
    "N years (default 3) of readings, N readings a day (default 4; two sensors hourly),\n"
    "trigger levels that show every state, and one sensor installed yesterday.\n"
    "An existing database is never overwritten.\n";

bool positiveInt(const QString& text, int& value) {
    bool ok = false;
    value = text.toInt(&ok);
    return ok && value > 0;
}
} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList args = app.arguments().mid(1);

    QString folder;
    int years = 3;
    int perDay = 4;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            out << kUsage;
            return 0;
        }
        if (arg == "--years" || arg == "--readings-per-day") {
            int& target = arg == "--years" ? years : perDay;
            if (i + 1 >= args.size() || !positiveInt(args[i + 1], target) ||
                (arg == "--readings-per-day" && target > 24)) {
                err << arg << " needs a whole number" << (arg == "--years" ? "" : " from 1 to 24")
                    << "\n"
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

    SampleOptions options;
    options.end = SystemClock().now();
    options.days = years * 365;
    options.readingsPerDay = perDay;
    options.newInstallation = true;
    try {
        const QString path = writeSampleDatabase(folder, options);
        out << "wrote " << path << "\n";
    } catch (const DbError& e) {
        err << "Err #" << e.number() << ": " << e.description() << "\n";
        return 1;
    }
    return 0;
}
