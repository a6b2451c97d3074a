#include "app/BundledFiles.h"

#include "reports/ReportLogo.h"
#include "store/Clock.h"
#include "store/DataFolder.h"
#include "store/Guard.h"

void prepareBundledFiles(const QString& dataFolder) {
    const SystemClock clock;
    ignoring(ErrorLog{dataFolder, &clock}, " prepareBundledFiles",
             [&] { prepareDataFolder(dataFolder); });
    reportLogo(dataFolder);
}
