#include "cli/CliCommands.h"

#include "cli/CliPrompter.h"
#include "cli/CliSession.h"
#include "cli/CommandLineArgs.h"
#include "readings/DatasheetData.h"
#include "readings/RevisionSheet.h"
#include "reports/DocxWriter.h"
#include "reports/PdfWriter.h"
#include "reports/ReportCharts.h"
#include "reports/ReportLogo.h"
#include "reports/SensorReport.h"
#include "revisions/RevisionStore.h"
#include "store/Clock.h"
#include "store/Columns.h"
#include "ui/AppContext.h"
#include "ui/Prompter.h"

#include <QDir>
#include <QFileInfo>

void exportCommand(CliSession& session, const CommandLineArgs& args) {
    const std::unique_ptr<RecordSet> sensor = session.sensor(args.sensor);
    const QString id = sensor->text(col::InstrumentID);
    const int readings = writeDatasheetWorkbook(session.db(), id, datasheetTypeDigit(id), args.file,
                                                revisionSheets(session.db(), id));
    printOut(QStringLiteral("Exported %1 readings of sensor %2 to %3")
                 .arg(readings)
                 .arg(id, QDir::toNativeSeparators(args.file)));
}

void reportCommand(CliSession& session, const CommandLineArgs& args, const AppContext& context) {
    const std::unique_ptr<RecordSet> sensor = session.sensor(args.sensor);
    ReportSensor shown = reportSensorOf(*sensor);
    shown.revisions = revisionReportLines(readRevisions(session.db(), shown.instrumentId));
    // As in the window, a chart without two readings is left out with the chart tab's message.
    const auto drawable = [&](GraphVariant variant) {
        if (countGraphRows(session.db(), shown.instrumentId, variant) > 1) {
            return true;
        }
        context.prompter->message(kOmbrevaultTitle, twoReadingsMessage(variant),
                                  MsgIcon::Information);
        return false;
    };
    const ReportChoices choices{true, !args.noTimeChart && drawable(GraphVariant::Time),
                                !args.noLengthChart && drawable(GraphVariant::Length)};
    const QDir folder(session.dataFolder());
    ReportPictures pictures;
    pictures.logo = reportLogo(session.dataFolder());
    if (choices.temporal) {
        pictures.temporal = folder.filePath(QStringLiteral("Temporal.jpg"));
        drawReportChart(ChartPage::Kind::DispTime,
                        storedChartInput(session, *sensor, GraphVariant::Time), context,
                        pictures.temporal);
    }
    if (choices.spatial) {
        pictures.spatial = folder.filePath(QStringLiteral("Spatial.jpg"));
        drawReportChart(ChartPage::Kind::DispLength,
                        storedChartInput(session, *sensor, GraphVariant::Length), context,
                        pictures.spatial);
    }
    const QString date = reportDateText(context.clock->today());
    const QString out = QDir::toNativeSeparators(args.file);
    if (QFileInfo(args.file).suffix().compare(QLatin1String("pdf"), Qt::CaseInsensitive) == 0) {
        PdfWriter doc;
        buildSensorReport(doc, shown, choices, pictures, date);
        const int pages = doc.save(args.file);
        printOut(QStringLiteral("Wrote the report of sensor %1 to %2 (%3 pages)")
                     .arg(shown.instrumentId, out)
                     .arg(pages));
    } else {
        DocxWriter doc;
        buildSensorReport(doc, shown, choices, pictures, date);
        doc.save(args.file);
        printOut(
            QStringLiteral("Wrote the report of sensor %1 to %2").arg(shown.instrumentId, out));
    }
}
