#include "app/BundledFiles.h"
#include "app/EndSignals.h"
#include "app/InstanceLock.h"
#include "app/RunningWindow.h"
#include "app/ServerCommands.h"
#include "app/frmQuorvelle.h"
#include "cli/CommandLine.h"
#include "store/Clock.h"
#include "store/DataFolder.h"
#include "ui/AppContext.h"
#include "ui/DbusNotifier.h"
#include "ui/QtDesktop.h"
#include "ui/QtKeyring.h"
#include "ui/QtPrompter.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char** argv) {
    if (isCommandLine(argc, argv)) {
        return runCommandLine(argc, argv);
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName("Quorvelle");
    QApplication::setOrganizationName("Ombrevault");
    // Ties the windows to the menu entry and its icon, once the package has installed them.
    QGuiApplication::setDesktopFileName("com.ombrevault.Quorvelle");
    QApplication::setWindowIcon(QIcon::fromTheme("com.ombrevault.Quorvelle"));

    QtPrompter prompter;
    InstanceLock instance;
    if (!instance.acquire(prompter)) {
        askRunningCopyToRaise();
        return 0;
    }

    QtDesktop desktop;
    SystemClock clock;
    DbusNotifier notifier;
    QtKeyring keyring;
    const QString dataFolder = defaultDataFolder();
    prepareBundledFiles(dataFolder);

    frmQuorvelle window(AppContext{dataFolder, &prompter, &desktop, &clock, &notifier});
    prompter.setParent(&window);
    window.servers->setKeyring(&keyring);
    RaiseListener raiseListener;
    QObject::connect(&raiseListener, &RaiseListener::raiseRequested, &window,
                     [&window] { bringForward(window); });
    raiseListener.listen();
    // The window is on screen before start-up runs, so its messages have a window behind them.
    window.start();
    if (window.endRequested()) {
        return 1;
    }
    QObject::connect(&window, &frmQuorvelle::programEndRequested, &app, [&app] { app.exit(1); });
    return runUntilEnded(window);
}
