#include "cli/CliCommands.h"

#include "cli/CliPrompter.h"
#include "cli/CliSession.h"
#include "cli/CommandLineArgs.h"
#include "store/Clock.h"
#include "triggers/PlanReportPages.h"
#include "triggers/SiteReport.h"
#include "ui/AppContext.h"

#include <QDir>

void siteReportCommand(CliSession& session, const CommandLineArgs& args,
                       const AppContext& context) {
    const int pages = writeSiteReport(session.db(), context.clock->now(), args.since, args.file,
                                      planReportPages());
    printOut(QStringLiteral("Wrote the site report to %1 (%2 pages)")
                 .arg(QDir::toNativeSeparators(args.file))
                 .arg(pages));
}
