#include "cli/CommandLine.h"

#include "cli/CliCommands.h"
#include "cli/CliPrompter.h"
#include "cli/CliSession.h"
#include "cli/CommandLineArgs.h"
#include "store/Clock.h"
#include "store/DataFolder.h"
#include "store/Guard.h"
#include "ui/AppContext.h"
#include "ui/Desktop.h"

#include <QApplication>
#include <memory>

namespace {
constexpr int kDone = 0;
constexpr int kFailed = 1;
constexpr int kWrongCommandLine = 2;

// Nothing is opened for the user: the command line's files are where the command says.
class NoDesktop : public Desktop {
public:
    bool open(const QString&) override { return false; }
};

QString versionText() {
    return QStringLiteral("quorvelle %1.%2.%3")
        .arg(QUORVELLE_VERSION_MAJOR)
        .arg(QUORVELLE_VERSION_MINOR)
        .arg(QUORVELLE_VERSION_PATCH);
}

int runCommand(const CommandLineArgs& args) {
    CliPrompter prompter;
    NoDesktop desktop;
    SystemClock clock;
    const QString dataFolder = defaultDataFolder();
    const AppContext context{dataFolder, &prompter, &desktop, &clock};
    try {
        // As at the window's first start; a failure is logged and the command then reports
        // what it cannot open.
        ignoring(ErrorLog{dataFolder, &clock}, " prepareDataFolder",
                 [&] { prepareDataFolder(dataFolder); });
        if (args.command == QLatin1String("server")) {
            serverCommand(args, dataFolder);
            return kDone;
        }
        // Listing backups and restoring a file open no database: they are for a register
        // that may no longer open.
        if (args.command == QLatin1String("backups")) {
            backupsCommand(dataFolder);
            return kDone;
        }
        if (args.command == QLatin1String("restore") && restoreFileCommand(args, dataFolder)) {
            return kDone;
        }
        CliSession session(dataFolder, args.database, prompter, clock);
        if (args.command == QLatin1String("export")) {
            exportCommand(session, args);
        } else if (args.command == QLatin1String("report") && args.site) {
            siteReportCommand(session, args, context);
        } else if (args.command == QLatin1String("report")) {
            reportCommand(session, args, context);
        } else if (args.command == QLatin1String("status")) {
            return statusCommand(session, args, context);
        } else if (args.command == QLatin1String("plan")) {
            planCommand(session, args);
        } else if (args.command == QLatin1String("events")) {
            eventsCommand(session, args);
        } else if (args.command == QLatin1String("acknowledge")) {
            acknowledgeCommand(session, args, context);
        } else if (args.command == QLatin1String("close")) {
            closeCommand(session, args, context);
        } else if (args.command == QLatin1String("revisions")) {
            revisionsCommand(session, args);
        } else if (args.command == QLatin1String("history")) {
            historyCommand(session, args);
        } else if (args.command == QLatin1String("revise")) {
            reviseCommand(session, args, context);
        } else if (args.command == QLatin1String("recipients")) {
            recipientsCommand(session, args);
        } else if (args.command == QLatin1String("notify")) {
            notifyCommand(session, args, context);
        } else if (args.command == QLatin1String("digest")) {
            digestCommand(session, context);
        } else if (args.command == QLatin1String("users")) {
            usersCommand(session, args);
        } else if (args.command == QLatin1String("compact")) {
            compactCommand(session);
        } else if (args.command == QLatin1String("backup")) {
            backupCommand(session, context);
        } else if (args.command == QLatin1String("restore")) {
            restoreServerCommand(session, args);
        } else if (args.command == QLatin1String("positions")) {
            positionsCommand(session, args);
        } else if (args.command == QLatin1String("flags")) {
            flagsCommand(session, args);
        } else if (args.command == QLatin1String("reject")) {
            rejectCommand(session, args, context);
        } else if (args.command == QLatin1String("correction")) {
            correctionCommand(session, args);
        } else {
            importCommand(session, args, context);
        }
        return kDone;
    } catch (const CliFailure& failure) {
        printError(QStringLiteral("quorvelle: ") + QString::fromStdString(failure.what()));
    } catch (const DbError& error) {
        printError(
            QStringLiteral("quorvelle: Err #%1: %2").arg(error.number()).arg(error.description()));
    }
    return kFailed;
}
} // namespace

bool isCommandLine(int argc, char**) {
    return argc > 1;
}

int runCommandLine(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    CommandLineArgs args;
    try {
        args = parseCommandLine(arguments);
    } catch (const UsageError& error) {
        printError(QStringLiteral("quorvelle: ") + QString::fromStdString(error.what()));
        printError(usageText());
        return kWrongCommandLine;
    }
    if (args.help) {
        printOut(usageText());
        return kDone;
    }
    if (args.version) {
        printOut(versionText());
        return kDone;
    }
    // A command that draws uses the windows' chart code, which needs a QApplication; the
    // off-screen platform lets it run without a display. The others run with a QCoreApplication:
    // no platform, fonts or styles are loaded for them. Qt sees no arguments of ours.
    int qtArgc = 1;
    std::unique_ptr<QCoreApplication> app;
    if (commandDraws(args)) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QApplication>(qtArgc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(qtArgc, argv);
    }
    QCoreApplication::setApplicationName("Quorvelle");
    QCoreApplication::setOrganizationName("Ombrevault");
    return runCommand(args);
}
