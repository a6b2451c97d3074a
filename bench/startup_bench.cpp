// Times start-up to the first sensor shown, on a register of 1,000 sensors, beside a bare
// QMainWindow shown, and the exit after it, beside the bare window's. Each start is a fresh
// process of this program, timed from its launch until it reports the window shown, then
// until it has ended; the kinds take turns. A third kind, for information, is the least a
// window showing that sensor does: one label, the register opened on a thread meanwhile (its
// schema read), then the first sensor's number read and shown. Takes no arguments.

#include "BenchSeams.h"
#include "app/BundledFiles.h"
#include "app/frmQuorvelle.h"
#include "sensors/IdentificationPage.h"
#include "store/Clock.h"
#include "store/Connection.h"
#include "store/ConnectionOpener.h"
#include "store/DataFolder.h"
#include "store/Schema.h"
#include "ui/AppContext.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int kSensors = 1000;
constexpr int kRepeats = 15;
const char* const kAppMode = "--quorvelle";
const char* const kBareMode = "--bare";
const char* const kLabelMode = "--label";

// 1,000 sensors of every type with their (empty) readings tables.
void writeRegister(const QString& folder) {
    const QString path = defaultDatabasePath(folder);
    createDatabaseFile(path);
    Connection db;
    db.open(path);
    const QStringList types = {"21", "31", "41", "51", "61", "71", "81", "91"};
    db.beginTransaction();
    for (int i = 0; i < kSensors; ++i) {
        const QString dateId = QStringLiteral("%1").arg(1101 + i / 100);
        const QString type = types[i % types.size()];
        const QString serial = QStringLiteral("%1").arg(i % 100 + 1, 3, 10, QLatin1Char('0'));
        const QString id = dateId + type + serial;
        db.execute("INSERT INTO Sensors (InstrumentID, SensorType, DateID, TypeID, SensorNo, "
                   "Family, LengthofCable, Level, Location, HeadLocation, Recess, Plate, kval, "
                   "NodeLocation1) VALUES (?, ?, ?, ?, ?, 'VARLO', 7.5, ?, ?, 1, 0.25, 0, 50, 1.5)",
                   {id, type, dateId, type, serial, QStringLiteral("L%1").arg(i % 12),
                    QStringLiteral("Drive %1").arg(i % 40)});
        createReadingsTable(db, id);
    }
    db.commit();
}

// Says on standard output that the window is shown with its sensor, then closes it.
int tellShown(QMainWindow& window, const QString& sensor) {
    if (sensor.isEmpty()) {
        std::fprintf(stderr, "no sensor shown\n");
        return 1;
    }
    std::printf("shown\n");
    std::fflush(stdout);
    window.close();
    return 0;
}

// The child: shows its window, says so on standard output, then closes it and ends.
int runChild(const QString& mode, const QString& folder) {
    if (mode == QLatin1String(kBareMode)) {
        QMainWindow window;
        window.resize(1156, 736);
        window.show();
        QApplication::processEvents();
        std::printf("shown\n");
        std::fflush(stdout);
        window.close();
        return 0;
    }
    if (mode == QLatin1String(kLabelMode)) {
        ConnectionOpener opening(defaultDatabasePath(folder));
        QMainWindow window;
        auto* label = new QLabel(QStringLiteral("Sensor:"), &window);
        window.setCentralWidget(label);
        window.resize(1156, 736);
        window.show();
        QApplication::processEvents();
        const std::unique_ptr<Connection> db = opening.take();
        label->setText(
            db->scalar("SELECT InstrumentID FROM Sensors ORDER BY InstrumentID DESC LIMIT 1")
                .toString());
        QApplication::processEvents();
        return tellShown(window, label->text());
    }
    SilentPrompter prompter;
    NoDesktop desktop;
    SystemClock clock;
    prepareBundledFiles(folder);
    frmQuorvelle window(AppContext{folder, &prompter, &desktop, &clock});
    window.start();
    QApplication::processEvents();
    return tellShown(window, window.identification->txtSensor->text());
}

struct Run {
    double shown = 0;
    double ended = 0;
};

Run timeChild(const QString& mode, const QString& folder) {
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer timer;
    timer.start();
    child.start(QCoreApplication::applicationFilePath(), {mode, folder});
    Run run;
    while (!child.canReadLine() && child.waitForReadyRead(60000)) {
    }
    run.shown = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    child.waitForFinished(60000);
    run.ended = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    if (child.readLine().trimmed() != "shown" || child.exitCode() != 0) {
        std::fprintf(stderr, "the %s start failed\n", qPrintable(mode));
    }
    return run;
}

void print(const char* what, std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    std::printf("  %-46s best %8.1f ms   median %8.1f ms\n", what, ms.front(), ms[ms.size() / 2]);
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3) {
        QApplication app(argc, argv);
        return runChild(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]));
    }
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    writeRegister(dir.path());
    // One start of each to fill the data folder and the file caches.
    timeChild(kAppMode, dir.path());
    timeChild(kBareMode, dir.path());
    timeChild(kLabelMode, dir.path());
    std::vector<double> appShown, appExit, bareShown, bareExit, labelShown;
    for (int r = 0; r < kRepeats; ++r) {
        const Run app = timeChild(kAppMode, dir.path());
        const Run bare = timeChild(kBareMode, dir.path());
        labelShown.push_back(timeChild(kLabelMode, dir.path()).shown);
        appShown.push_back(app.shown);
        appExit.push_back(app.ended - app.shown);
        bareShown.push_back(bare.shown);
        bareExit.push_back(bare.ended - bare.shown);
    }
    std::sort(appShown.begin(), appShown.end());
    std::sort(bareShown.begin(), bareShown.end());
    std::sort(labelShown.begin(), labelShown.end());
    std::printf("Start-up with %d sensors, from launch to the first sensor shown; %d runs each\n",
                kSensors, kRepeats);
    print("Quorvelle", appShown);
    print("bare QMainWindow shown (floor)", bareShown);
    std::printf("  %-46s best %8.2f x    median %8.2f x    (target: within 1.5 x)\n",
                "Quorvelle / floor", appShown.front() / bareShown.front(),
                appShown[kRepeats / 2] / bareShown[kRepeats / 2]);
    print("one label, register opened, sensor shown", labelShown);
    std::printf("  %-46s best %8.2f x    median %8.2f x    (for information)\n",
                "Quorvelle / one label and register", appShown.front() / labelShown.front(),
                appShown[kRepeats / 2] / labelShown[kRepeats / 2]);
    std::printf("Exit, from the window shown to the process ended\n");
    print("Quorvelle (saves, closes, compacts when needed)", appExit);
    print("bare QMainWindow (floor)", bareExit);
    return 0;
}
