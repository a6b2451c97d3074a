#include "reports/ReportCommand.h"

#include "charts/ChartPage.h"
#include "charts/ChartTabs.h"
#include "charts/ChartWidget.h"
#include "charts/GraphData.h"
#include "readings/ReadingsPage.h"
#include "reports/DocxWriter.h"
#include "reports/SensorReport.h"
#include "reports/frmReport.h"
#include "sensors/SensorFields.h"
#include "store/Clock.h"
#include "store/Guard.h"
#include "store/RecordSet.h"
#include "ui/AppState.h"
#include "ui/Desktop.h"
#include "ui/Prompter.h"

#include <QCoreApplication>
#include <QDir>

namespace {
// The size the report's charts are drawn at, whatever the chart tabs look like.
constexpr QSize kChartPageSize(1150, 620);

const QString kNoWordProcessor =
    QStringLiteral("No word processor could be found to open the report. It was saved as:");
const QString kReportFailed = QStringLiteral("The report could not be made:");

// Lays out a widget that is never shown, as showing would: the chart sizes its plot area in
// posted layout requests, and the labels are fitted to that area.
void settle(QWidget& widget) {
    widget.grab();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
}

ReportSensor reportSensor(const RecordSet& rs) {
    ReportSensor s;
    s.instrumentId = rs.text("InstrumentID");
    s.family = rs.text("Family");
    s.model = rs.text("Model");
    s.installDate = shownDate(rs.value("InstallDate"));
    s.installBy = rs.text("InstallBy");
    s.level = rs.text("Level");
    s.location = rs.text("Location");
    s.purpose = rs.text("Purpose");
    s.notes = rs.text("Notes");
    return s;
}
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

QString ReportCommand::exportChart(int tab, const QString& fileName) {
    const GraphInput input = charts_.chartInput(tab);
    // A page of its own, never shown, so that the picture does not depend on the chart tab.
    ChartPage page(tab == 3 ? ChartPage::Kind::DispTime : ChartPage::Kind::DispLength, context_);
    page.setAttribute(Qt::WA_DontShowOnScreen);
    page.resize(kChartPageSize);
    settle(page);
    page.draw(input);
    settle(page);
    const QString path = QDir(state_.dataFolder).filePath(fileName);
    if (!page.chart()->exportJpeg(path)) {
        throw DbError(ErrorCode::FileNotFound,
                      QStringLiteral("The chart could not be saved as ") + path);
    }
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
        const ReportSensor sensor = reportSensor(*state_.rsSensors);
        // A chart without two readings is left out with the chart tab's own message.
        const ReportChoices choices{chooser_->ReportCover,
                                    chooser_->ReportTemporal && canDraw(GraphVariant::Time),
                                    chooser_->ReportSpatial && canDraw(GraphVariant::Length)};
        ReportPictures pictures;
        pictures.logo = QDir(state_.dataFolder).filePath(QStringLiteral("ovlogo.jpg"));
        if (choices.temporal) {
            pictures.temporal = exportChart(3, QStringLiteral("Temporal.jpg"));
        }
        if (choices.spatial) {
            pictures.spatial = exportChart(4, QStringLiteral("Spatial.jpg"));
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
