// Writes a sample register with years of readings into a data folder, for trying the
// program and for measuring it on realistic amounts of data.
#include "tools/SampleData.h"

#include "store/Clock.h"
#include "tools/ToolArgs.h"

#include <QCoreApplication>
#include <QTextStream>

namespace {
const char kUsage[] =
    "usage: quorvelle_sample_data <data-folder> [--years N] [--readings-per-day N]\n"
    "Creates QuorvelleVARLO_MM.mdb in <data-folder> holding sensors of every type with\n"
    "N years (default 3) of readings, N readings a day (default 4; two sensors hourly),\n"
    "trigger levels that show every state, and one sensor installed yesterday.\n"
    "An existing database is never overwritten.\n";

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList args = app.arguments().mid(1);

    QString folder;
    int years = 3;
    int perDay = 4;
    if (const std::optional<int> done =
            readToolArgs(args, kUsage, {{"--years", &years}, {"--readings-per-day", &perDay, 24}},
                         folder, out, err)) {
        return *done;
    }

    SampleOptions options;
    options.end = SystemClock().now();
    options.days = years * 365;
    options.readingsPerDay = perDay;
    options.newInstallation = true;
    return writingTool(err, [&] {
        const QString path = writeSampleDatabase(folder, options);
        out << "wrote " << path << "\n";
    });
}
