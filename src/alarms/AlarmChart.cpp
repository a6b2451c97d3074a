#include "alarms/AlarmChart.h"

#include "reports/ReportCharts.h"
#include "reports/StoredChart.h"
#include "store/AlarmStore.h"
#include "store/Connection.h"
#include "store/RecordSet.h"

#include <QBuffer>
#include <QImage>
#include <QSet>
#include <QTemporaryDir>

QByteArray eventChartPng(Connection& db, const ErrorLog& log, const QString& instrumentId,
                         const AppContext& context) {
    RecordSet sensor(db, QStringLiteral("Sensors"), QStringLiteral("InstrumentID = ?"),
                     QVariantList{instrumentId});
    if (sensor.recordCount() == 0 || !db.hasTable(instrumentId)) {
        return {};
    }
    sensor.moveFirst();
    const GraphInput input = storedChartInput(db, log, sensor, GraphVariant::Time);
    if (input.rows.size() < 2) {
        return {};
    }
    // The report's chart is drawn to a JPEG file; the message carries it as PNG.
    const QTemporaryDir folder;
    const QString jpeg = folder.filePath(QStringLiteral("chart.jpg"));
    drawReportChart(ChartPage::Kind::DispTime, input, context, jpeg);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!QImage(jpeg).save(&buffer, "PNG")) {
        throw DbError(ErrorCode::FileNotFound,
                      QStringLiteral("The chart of sensor %1 could not be made a PNG picture")
                          .arg(instrumentId));
    }
    return png;
}

void attachEventCharts(Connection& db, const ErrorLog& log, const AppContext& context) {
    if (!hasAlarmTables(db)) {
        return;
    }
    QSet<qint64> done;
    for (const OutboxMessage& message : pendingMessages(db, false)) {
        if (!message.eventId || !message.attachmentName.isEmpty() ||
            done.contains(*message.eventId) ||
            (message.kind != QLatin1String("amber") && message.kind != QLatin1String("red"))) {
            continue;
        }
        done.insert(*message.eventId);
        guarded(log, " G_AlarmChart", [&] {
            const QByteArray png = eventChartPng(db, log, message.instrumentId, context);
            if (!png.isEmpty()) {
                attachToEvent(db, *message.eventId,
                              QStringLiteral("Sensor %1.png").arg(message.instrumentId), png);
            }
        });
    }
}
