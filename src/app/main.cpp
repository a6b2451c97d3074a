#include "app/AppContext.h"
#include "app/BundledFiles.h"
#include "app/InstanceLock.h"
#include "app/QtDesktop.h"
#include "app/QtPrompter.h"
#include "app/frmQuorvelle.h"
#include "store/Clock.h"
#include "store/DataFolder.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Quorvelle");
    QApplication::setOrganizationName("Ombrevault");

    QtPrompter prompter;
    InstanceLock instance;
    if (!instance.acquire(prompter)) {
        return 0;
    }

    QtDesktop desktop;
    SystemClock clock;
    const QString dataFolder = defaultDataFolder();
    prepareBundledFiles(dataFolder);

    frmQuorvelle window(AppContext{dataFolder, &prompter, &desktop, &clock});
    if (window.endRequested()) {
        return 1;
    }
    prompter.setParent(&window);
    QObject::connect(&window, &frmQuorvelle::programEndRequested, &app, [&app] { app.exit(1); });
    window.show();
    return app.exec();
}
