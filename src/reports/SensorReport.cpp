#include "reports/SensorReport.h"

#include "reports/DocxWriter.h"
#include "sensors/SensorFields.h"
#include "store/Clock.h"
#include "store/Columns.h"
#include "store/DbError.h"
#include "store/RecordSet.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>

namespace {
// Text width of the page: A4 less two margins of one inch, in points.
constexpr double kTextWidth = 451;
// The logo is kept small enough to leave the page to the text.
constexpr double kLogoMaxWidth = 200;
constexpr int kTitleSize = 16;
constexpr int kTextSize = 12;

void addChart(ReportDocument& doc, const QString& caption, const QString& picture, bool newPage) {
    if (newPage) {
        doc.addPageBreak();
    }
    doc.addParagraph(caption, kTextSize, false);
    doc.addPicture(picture, pictureSizeInPoints(jpegPixelSize(picture), kTextWidth));
    doc.addParagraph(QStringLiteral("   Notes:"), kTextSize, false);
}
void addRevisions(ReportDocument& doc, const QStringList& revisions) {
    if (revisions.isEmpty()) {
        return;
    }
    doc.addParagraph(QString(), kTextSize, false);
    doc.addParagraph(QStringLiteral("   Revisions:"), kTextSize, true);
    for (const QString& line : revisions) {
        doc.addParagraph(QStringLiteral("   ") + line, kTextSize, false);
    }
}
} // namespace

ReportSensor reportSensorOf(const RecordSet& rs) {
    ReportSensor s;
    s.instrumentId = rs.text(col::InstrumentID);
    s.family = rs.text(col::Family);
    s.model = rs.text(col::Model);
    s.installDate = shownDate(rs.value(col::InstallDate));
    s.installBy = rs.text(col::InstallBy);
    s.level = rs.text(col::Level);
    s.location = rs.text(col::Location);
    s.purpose = rs.text(col::Purpose);
    s.notes = rs.text(col::Notes);
    return s;
}

void buildSensorReport(ReportDocument& doc, const ReportSensor& sensor,
                       const ReportChoices& choices, const ReportPictures& pictures,
                       const QString& reportDate) {
    doc.setHeaderPicture(pictures.logo,
                         pictureSizeInPoints(jpegPixelSize(pictures.logo), kLogoMaxWidth));
    const bool cover = choices.cover || (!choices.temporal && !choices.spatial);
    if (cover) {
        doc.addParagraph(QString(), kTextSize, true);
        doc.addParagraph(QString(), kTitleSize, true);
        doc.addParagraph(QStringLiteral("REPORT FOR SENSOR ") + sensor.instrumentId, kTitleSize,
                         true);
        doc.addParagraph(QString(), kTextSize, false);
        const QString lines[] = {QStringLiteral("   Report Date: ") + reportDate,
                                 QStringLiteral("   Sensor Number: ") + sensor.instrumentId,
                                 QStringLiteral("   Sensor Type: ") + sensor.family +
                                     QStringLiteral(" ") + sensor.model,
                                 QStringLiteral("   Date Installed: ") + sensor.installDate,
                                 QStringLiteral("   Installed By: ") + sensor.installBy,
                                 QStringLiteral("   Level: ") + sensor.level,
                                 QStringLiteral("   Location: ") + sensor.location,
                                 QStringLiteral("   Purpose: ") + sensor.purpose,
                                 QStringLiteral("   Notes: ") + sensor.notes};
        for (const QString& line : lines) {
            doc.addParagraph(line, kTextSize, false);
        }
        if (!choices.temporal) {
            addRevisions(doc, sensor.revisions);
        }
    }
    bool pageInUse = cover;
    if (choices.temporal) {
        addChart(doc, QStringLiteral("Disp v Time"), pictures.temporal, pageInUse);
        addRevisions(doc, sensor.revisions);
        pageInUse = true;
    }
    if (choices.spatial) {
        addChart(doc, QStringLiteral("Disp v Length"), pictures.spatial, pageInUse);
    }
}

QString reportDateText(const QDate& today) {
    return QLocale::system().toString(today, QLocale::ShortFormat);
}

QString reportPath(const QString& dataFolder, const QString& instrumentId, const Clock& clock) {
    const QString folder = QDir(dataFolder).filePath(QStringLiteral("Reports"));
    if (!QDir().mkpath(folder)) {
        throw DbError(ErrorCode::FileNotFound, QStringLiteral("Path not found: ") + folder);
    }
    QString name = instrumentId.trimmed();
    static const QRegularExpression unsafe(QStringLiteral("[/\\\\:*?\"<>|\\x00-\\x1f]"));
    name.replace(unsafe, QStringLiteral("_"));
    const QString base =
        name + QStringLiteral(" ") + clock.now().toString(QStringLiteral("yyyy-MM-dd HH.mm.ss"));
    QString candidate = QDir(folder).filePath(base + QStringLiteral(".docx"));
    for (int n = 2; QFileInfo::exists(candidate); ++n) {
        candidate = QDir(folder).filePath(QStringLiteral("%1 (%2).docx").arg(base).arg(n));
    }
    return candidate;
}
