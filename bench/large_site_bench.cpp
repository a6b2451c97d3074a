// Times the program on a large site, every figure beside its floor measured in the same run:
// the database's size, start-up (a bare QMainWindow), entering tabs 3, 4, 6 and 9 on the
// sensor with the most nodes, first and second time (one SELECT of what the tab reads), a
// chart tab and its batch after the zero reference changed (one SQL UPDATE computing the same
// columns), a backup (copying the file and waiting until it is on the disk) and the exit after a
// week of readings was deleted (the same exit with nothing deleted). Every reading of that sensor
// is ticked for the time charts, the most a chart can hold. Quick by default; `--sensors 200
// --years 5` is the full site, `--sensors 8 --years 10` a sensor of 87,600 readings.

#include "BenchSeams.h"
#include "app/BundledFiles.h"
#include "app/frmQuorvelle.h"
#include "charts/GraphBatch.h"
#include "sensors/IdentificationPage.h"
#include "store/Backup.h"
#include "store/Clock.h"
#include "store/Connection.h"
#include "store/Guard.h"
#include "store/NativeStatement.h"
#include "store/Schema.h"
#include "tools/LargeSite.h"
#include "ui/AppContext.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMainWindow>
#include <QProcess>
#include <QTabWidget>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <unistd.h>
#include <vector>

namespace {

const char kUsage[] =
    "usage: quorvelle_large_site_bench [--sensors N] [--years N] [--interval MINUTES] [--runs N]\n"
    "A site of N sensors (default 20) read every MINUTES (default 60) for N years (default 1);\n"
    "each figure is timed N runs (default 5) and printed as its minimum and median.\n";
const char* const kAppMode = "--quorvelle";
const char* const kBareMode = "--bare";
constexpr int kReadingsTab = 2;
constexpr int kDispTimeTab = 3;
constexpr int kLoadTimeTab = 5;
constexpr int kUtilitiesTab = 7;
constexpr int kSiteStatusTab = 8;

struct Figure {
    std::vector<double> ms;
    double min() const { return *std::min_element(ms.begin(), ms.end()); }
    double median() const {
        std::vector<double> sorted = ms;
        std::sort(sorted.begin(), sorted.end());
        return sorted[sorted.size() / 2];
    }
};

double elapsedMs(const QElapsedTimer& timer) {
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

double timeOnce(const std::function<void()>& body) {
    QElapsedTimer timer;
    timer.start();
    body();
    return elapsedMs(timer);
}

void row(const char* what, const Figure& f) {
    std::printf("  %-52s min %9.1f ms   median %9.1f ms\n", what, f.min(), f.median());
}

void pair(const char* what, const Figure& program, const char* floorWhat, const Figure& floor) {
    row(what, program);
    row(floorWhat, floor);
    std::printf("  %-52s min %9.2f x    median %9.2f x\n", "    program / floor",
                program.min() / floor.min(), program.median() / floor.median());
}

// Steps through every row of a query, reading its columns as numbers, as the floor of a
// reading of them.
void readAll(Connection& db, const QString& sql, int columns) {
    NativeStatement query(db, sql);
    double sum = 0;
    while (query.step()) {
        for (int c = 0; c < columns; ++c) {
            sum += query.numberAt(c).value_or(0.0);
        }
    }
    // Used, so that the reading is not left out.
    std::fprintf(stderr, "%s", sum == 0.123456 ? " " : "");
}

QString derivedColumns() {
    QStringList columns;
    for (int n = 1; n <= 10; ++n) {
        columns << QStringLiteral("zero%1").arg(n);
    }
    columns << QStringLiteral("NumTemp");
    for (int n = 1; n <= 8; ++n) {
        columns << QStringLiteral("Disp%1").arg(n);
    }
    for (int n = 1; n <= 5; ++n) {
        columns << QStringLiteral("Load%1").arg(n);
    }
    return columns.join(", ");
}

// One UPDATE computing what the load batch stores over the time selection, head at collar.
QString updateFloorSql(const QString& id, int nodes) {
    const auto change = [](int n) {
        return QStringLiteral("(CAST(Channel%1 AS REAL) - r.c%1)").arg(n);
    };
    QStringList sets;
    QStringList reference;
    for (int n = 1; n <= 10; ++n) {
        sets << QStringLiteral("zero%1 = CASE WHEN Channel%1 IS NULL OR Channel%1 = '' THEN NULL "
                               "ELSE %2 END")
                    .arg(n)
                    .arg(change(n));
        reference << QStringLiteral("Channel%1 AS c%1").arg(n);
    }
    sets << QStringLiteral("NumTemp = CAST(ChannelT AS REAL)");
    const auto disp = [&](int n) {
        return QStringLiteral("(%1 - %2)").arg(change(nodes), change(n));
    };
    for (int n = 1; n <= nodes; ++n) {
        sets << QStringLiteral("Disp%1 = %2").arg(n).arg(disp(n));
    }
    for (int i = 1; i < nodes && i <= 5; ++i) {
        sets << QStringLiteral("Load%1 = (%2 - %3) / 1.5 * 25").arg(i).arg(disp(i), disp(i + 1));
    }
    return "UPDATE " + quoteName(id) + " SET " + sets.join(", ") + " FROM (SELECT " +
           reference.join(", ") + " FROM " + quoteName(id) +
           " WHERE Plottemporal = 1 ORDER BY FullDate, rowid LIMIT 1) AS r WHERE Plottemporal = 1";
}

// The child of a start-up run: shows its window, says so, closes it and ends.
int runChild(const QString& mode, const QString& folder) {
    if (mode == QLatin1String(kBareMode)) {
        QMainWindow window;
        window.resize(1156, 736);
        window.show();
        QApplication::processEvents();
        std::printf("shown\n");
        std::fflush(stdout);
        return 0;
    }
    SilentPrompter prompter;
    NoDesktop desktop;
    SystemClock clock;
    prepareBundledFiles(folder);
    frmQuorvelle window(AppContext{folder, &prompter, &desktop, &clock});
    window.start();
    QApplication::processEvents();
    std::printf(window.identification->txtSensor->text().isEmpty() ? "nothing\n" : "shown\n");
    std::fflush(stdout);
    window.close();
    return 0;
}

double timeStart(const QString& mode, const QString& folder) {
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer timer;
    timer.start();
    child.start(QCoreApplication::applicationFilePath(), {mode, folder});
    while (!child.canReadLine() && child.waitForReadyRead(120000)) {
    }
    const double shown = elapsedMs(timer);
    child.waitForFinished(120000);
    if (child.readLine().trimmed() != "shown") {
        std::fprintf(stderr, "the %s start failed\n", qPrintable(mode));
    }
    return shown;
}

struct Window {
    SilentPrompter prompter;
    NoDesktop desktop;
    SystemClock clock;
    std::unique_ptr<frmQuorvelle> window;

    Window(const QString& folder, const QString& sensor) {
        window = std::make_unique<frmQuorvelle>(AppContext{folder, &prompter, &desktop, &clock});
        window->start();
        window->showSensor(sensor);
        QApplication::processEvents();
    }
    // Enters the tab from "8. Utilities", which loads nothing, up to its painting.
    double enter(int tab) {
        window->SSTab1->setCurrentIndex(kUtilitiesTab);
        QApplication::processEvents();
        return timeOnce([&] {
            window->SSTab1->setCurrentIndex(tab);
            window->SSTab1->currentWidget()->grab();
        });
    }
};

bool number(const QString& text, int low, int high, int& value) {
    bool ok = false;
    value = text.toInt(&ok);
    return ok && value >= low && value <= high;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && (qstrcmp(argv[1], kAppMode) == 0 || qstrcmp(argv[1], kBareMode) == 0)) {
        QApplication app(argc, argv);
        return runChild(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]));
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    LargeSiteOptions options;
    options.sensors = 20;
    options.years = 1;
    int runs = 5;
    const QStringList args = app.arguments().mid(1);
    for (qsizetype i = 0; i < args.size(); ++i) {
        int* target = args[i] == "--sensors"    ? &options.sensors
                      : args[i] == "--years"    ? &options.years
                      : args[i] == "--interval" ? &options.intervalMinutes
                      : args[i] == "--runs"     ? &runs
                                                : nullptr;
        if (target == nullptr || i + 1 >= args.size() || !number(args[i + 1], 1, 1440, *target)) {
            std::fprintf(stderr, "%s", kUsage);
            return 2;
        }
        ++i;
    }
    options.end = SystemClock().now();
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("data"));
    QElapsedTimer generation;
    generation.start();
    const LargeSiteFile site = writeLargeSite(folder, options);
    prepareBundledFiles(folder);
    const QString id = site.largestSensor;
    std::printf("Large site: %d sensors read every %d min for %d years; %d runs of each figure\n",
                options.sensors, options.intervalMinutes, options.years, runs);
    std::printf("  %-52s %9.1f MiB  (%lld readings, written in %.1f s)\n", "database size",
                static_cast<double>(QFileInfo(site.path).size()) / (1024.0 * 1024.0),
                static_cast<long long>(site.readings), generation.elapsed() / 1000.0);
    std::printf("  largest sensor %s: %d nodes, %lld readings\n", qPrintable(id), site.largestNodes,
                static_cast<long long>(site.largestReadings));

    // Start-up, in fresh processes taking turns, after one of each to warm the caches.
    timeStart(kAppMode, folder);
    timeStart(kBareMode, folder);
    Figure startApp, startBare;
    for (int r = 0; r < runs; ++r) {
        startApp.ms.push_back(timeStart(kAppMode, folder));
        startBare.ms.push_back(timeStart(kBareMode, folder));
    }
    pair("start-up to the first sensor shown", startApp, "bare QMainWindow shown (floor)",
         startBare);

    Connection db;
    db.open(site.path);
    const QString table = quoteName(id);
    db.execute("UPDATE " + table + " SET Plottemporal = 1");
    std::printf("  every reading of %s ticked for the time charts\n", qPrintable(id));
    {
        Window w(folder, id);
        struct Tab {
            int index;
            const char* first;
            const char* second;
            const char* floorWhat;
            QString floorSql;
            int columns;
        };
        const int allColumns =
            db.scalar("SELECT count(*) FROM pragma_table_info('" + id + "')").toInt();
        const QString derived = "SELECT " + derivedColumns() + " FROM " + table;
        const Tab tabs[] = {
            {kReadingsTab, "tab 3 Readings, first entry", "tab 3 Readings, again",
             "one SELECT of the newest reading (floor)",
             "SELECT * FROM " + table + " ORDER BY FullDate DESC, rowid DESC LIMIT 1", allColumns},
            {kDispTimeTab, "tab 4 Disp v Time, first entry", "tab 4 Disp v Time, again",
             "one SELECT of the derived columns drawn (floor)",
             derived + " WHERE Plottemporal = 1 ORDER BY FullDate, rowid", 24},
            {kLoadTimeTab, "tab 6 Load v Time, first entry", "tab 6 Load v Time, again",
             "one SELECT of the derived columns drawn (floor)",
             derived + " WHERE Plottemporal = 1 ORDER BY FullDate, rowid", 24},
            {kSiteStatusTab, "tab 9 Site Status, first entry", "tab 9 Site Status, again",
             "newest reading of every sensor (floor)", QString(), allColumns},
        };
        const QStringList sensors = db.tables();
        Figure tabFloor;
        for (const Tab& tab : tabs) {
            Figure first, again, floor;
            first.ms.push_back(w.enter(tab.index));
            for (int r = 0; r < runs; ++r) {
                again.ms.push_back(w.enter(tab.index));
                floor.ms.push_back(timeOnce([&] {
                    if (!tab.floorSql.isEmpty()) {
                        readAll(db, tab.floorSql, tab.columns);
                        return;
                    }
                    for (const QString& t : sensors) {
                        if (t.size() == 9 && t[0].isDigit()) {
                            readAll(db,
                                    "SELECT * FROM " + quoteName(t) +
                                        " ORDER BY FullDate DESC LIMIT 1",
                                    tab.columns);
                        }
                    }
                }));
            }
            row(tab.first, first);
            pair(tab.second, again, tab.floorWhat, floor);
            if (tab.index == kLoadTimeTab) {
                tabFloor = floor;
            }
        }

        // After the zero reference changed, the chart computes and stores every reading again.
        const QString firstTicked = "(SELECT rowid FROM " + table +
                                    " WHERE Plottemporal = 1 ORDER BY FullDate, rowid LIMIT 1)";
        const QString floorSql = updateFloorSql(id, site.largestNodes);
        Figure changed, batch, update;
        const ErrorLog log{folder, &w.clock};
        const BatchGeometry geometry{
            true,
            site.largestNodes,
            {"1.00", "2.50", "4.00", "5.50", "7.00", "8.50", "10.00", "11.50"},
            "25"};
        double shift = 0.0;
        const auto changeReference = [&] {
            shift = shift > 0 ? -0.01 : 0.01;
            db.execute("UPDATE " + table + " SET Channel1 = printf('%.2f', Channel1 + " +
                       QString::number(shift) + ") WHERE rowid = " + firstTicked);
        };
        for (int r = 0; r < runs; ++r) {
            changeReference();
            update.ms.push_back(timeOnce([&] {
                db.beginTransaction();
                db.execute(floorSql);
                db.rollback();
            }));
            changed.ms.push_back(w.enter(kLoadTimeTab));
            changeReference();
            batch.ms.push_back(
                timeOnce([&] { runGraphBatch(db, id, GraphVariant::Time, true, geometry, log); }));
        }
        // The batch of a second entry alone, nothing having changed.
        Figure unchanged;
        for (int r = 0; r < runs; ++r) {
            unchanged.ms.push_back(
                timeOnce([&] { runGraphBatch(db, id, GraphVariant::Time, true, geometry, log); }));
        }
        pair("its batch alone with nothing changed", unchanged,
             "one SELECT of the derived columns drawn (floor)", tabFloor);
        row("tab 6 Load v Time after the zero reference changed", changed);
        pair("its batch alone (GetTemporalLoadData)", batch,
             "one SQL UPDATE computing the same columns (floor)", update);
        w.window->close();
    }

    // A backup beside copying the file, taking turns at going first. Each starts with the
    // writes before it on disk, so that neither is held up by the other's gigabytes still
    // waiting to be written.
    Figure backup, copy;
    const QString copied = dir.filePath(QStringLiteral("copy.mdb"));
    for (int r = 0; r < runs; ++r) {
        const auto timeBackup = [&] {
            ::sync();
            backup.ms.push_back(timeOnce([&] {
                BackupDB(folder, QStringLiteral("QuorvelleVARLO_MM.mdb"), QDate(2026, 1, 1 + r));
            }));
        };
        const auto timeCopy = [&] {
            ::sync();
            copy.ms.push_back(timeOnce([&] {
                QFile::copy(site.path, copied);
                // On the disk, as the backup waits for its copy to be.
                for (const QString& path : {copied, dir.path()}) {
                    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
                    ::fsync(fd);
                    ::close(fd);
                }
            }));
        };
        QDir(folder + "/VARLO_MMbackup").removeRecursively();
        QFile::remove(copied);
        if (r % 2 == 0) {
            timeBackup();
            timeCopy();
        } else {
            timeCopy();
            timeBackup();
        }
    }
    QFile::remove(copied);
    QDir(folder + "/VARLO_MMbackup").removeRecursively();
    pair("Backup Database", backup, "copying the file to disk (floor)", copy);

    // The exit after a week of one sensor's readings was deleted, beside the same exit with
    // nothing deleted.
    Figure exit, plainExit;
    for (int r = 0; r < runs; ++r) {
        {
            Window w(folder, id);
            plainExit.ms.push_back(timeOnce([&] { w.window->close(); }));
        }
        Window w(folder, id);
        db.execute("DELETE FROM " + table + " WHERE rowid IN (SELECT rowid FROM " + table +
                   " ORDER BY FullDate LIMIT 168)");
        exit.ms.push_back(timeOnce([&] { w.window->close(); }));
    }
    pair("exit after a week of readings deleted", exit, "the exit with nothing deleted (floor)",
         plainExit);
    return 0;
}
