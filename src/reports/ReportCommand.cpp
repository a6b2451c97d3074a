#include "reports/ReportCommand.h"

#include "charts/ChartTabs.h"
#include "charts/GraphData.h"
#include "readings/ReadingsPage.h"
#include "reports/DocxWriter.h"
#include "reports/ReportCharts.h"
#include "reports/SensorReport.h"
#include "reports/frmReport.h"
#include "revisions/RevisionStore.h"
#include "store/Clock.h"
#include "store/Guard.h"
#include "store/RecordSet.h"
#include "ui/AppState.h"
#include "ui/Desktop.h"
#include "ui/Prompter.h"

#include <QDir>

namespace {
const QString kNoWordProcessor =
    QStringLiteral("No word processor could be found to open the report. It was saved as:");
const QString kReportFailed = QStringLiteral("The report could not be made:");
} // namespace

ReportCommand::ReportCommand(AppState& state, const AppContext& context, ChartTabs& charts,
                             ReadingsPage& readings, QWidget* window)
    : QObject(window), state_(state), context_(context), charts_(charts), readings_(readings),
      chooser_(new frmReport(window)) {
    connect(chooser_, &QDialog::finished, this, [this] {
        if (chooser_->ReportAccepted) {
            makeReport();
        }
    });
}

frmReport* ReportCommand::imgReport_Click() {
    chooser_->open();
    return chooser_;
}

QString ReportCommand::exportChart(ChartPage::Kind kind, const QString& fileName) {
    const QString path = QDir(state_.dataFolder).filePath(fileName);
    drawReportChart(kind, charts_.chartInput(kind), context_, path);
    return path;
}

bool ReportCommand::canDraw(GraphVariant variant) {
    if (countGraphRows(*state_.db, state_.currentInstrumentId(), variant) > 1) {
        return true;
    }
    context_.prompter->message(kOmbrevaultTitle, twoReadingsMessage(variant), MsgIcon::Information);
    return false;
}

QString ReportCommand::makeReport() {
    if (!state_.hasCurrentSensor()) {
        return {};
    }
    // The charts are drawn from the database: the reading on screen is stored first.
    readings_.SaveReadings();
    QString path;
    try {
        ReportSensor sensor = reportSensorOf(*state_.rsSensors);
        sensor.revisions = revisionReportLines(readRevisions(*state_.db, sensor.instrumentId));
        // A chart without two readings is left out with the chart tab's own message.
        const ReportChoices choices{chooser_->ReportCover,
                                    chooser_->ReportTemporal && canDraw(GraphVariant::Time),
                                    chooser_->ReportSpatial && canDraw(GraphVariant::Length)};
        ReportPictures pictures;
        pictures.logo = QDir(state_.dataFolder).filePath(QStringLiteral("ovlogo.jpg"));
        if (choices.temporal) {
            pictures.temporal =
                exportChart(ChartPage::Kind::DispTime, QStringLiteral("Temporal.jpg"));
        }
        if (choices.spatial) {
            pictures.spatial =
                exportChart(ChartPage::Kind::DispLength, QStringLiteral("Spatial.jpg"));
        }
        DocxWriter doc;
        buildSensorReport(doc, sensor, choices, pictures, reportDateText(context_.clock->today()));
        path = doc.save(reportPath(state_.dataFolder, sensor.instrumentId, *context_.clock));
    } catch (const DbError& error) {
        ErrorLog{state_.dataFolder, context_.clock}.report(error, " imgReport_Click");
        context_.prompter->message(kOmbrevaultTitle, kReportFailed + "\r\n" + error.description(),
                                   MsgIcon::Exclamation);
        return {};
    }
    if (!context_.desktop->open(path)) {
        context_.prompter->message(kOmbrevaultTitle,
                                   kNoWordProcessor + "\r\n" + QDir::toNativeSeparators(path),
                                   MsgIcon::Exclamation);
    }
    return path;
}
