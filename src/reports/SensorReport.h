#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

class Clock;
class RecordSet;
class ReportDocument;

// The sensor's record as the report prints it; a field without a value is empty.
struct ReportSensor {
    QString instrumentId;
    QString family;
    QString model;
    QString installDate;
    QString installBy;
    QString level;
    QString location;
    QString purpose;
    QString notes;
    // One line per revision of the sensor, oldest entry first; none without revisions.
    QStringList revisions;
};

// The current row of a Sensors record set as the report prints it.
ReportSensor reportSensorOf(const RecordSet& sensors);

// What the chooser asks for.
struct ReportChoices {
    bool cover = true;
    bool temporal = true;
    bool spatial = true;
};

// The pictures of the report: the logo of the page header and the two charts; a chart is
// printed only when chosen.
struct ReportPictures {
    QString logo;
    QString temporal;
    QString spatial;
};

// The report of a sensor: the logo heading every page, the title and the information lines,
// then each chosen chart on a page of its own with its caption and a place for notes. Without
// the cover the document starts with the first chosen chart; with nothing chosen at all the
// cover is printed, so that the report is never empty. reportDate is printed as given. The
// sensor's revisions are listed under the displacement-time chart, whose dashed lines they
// explain, or on the cover without that chart.
void buildSensorReport(ReportDocument& doc, const ReportSensor& sensor,
                       const ReportChoices& choices, const ReportPictures& pictures,
                       const QString& reportDate);

// Today's date in the desktop's short date form.
QString reportDateText(const QDate& today);

// "<dataFolder>/Reports/<instrumentId> yyyy-MM-dd HH.mm.ss.docx" at the clock's time, with
// " (2)", " (3)"... appended when that name is taken. The folder is created; DbError when it
// cannot be.
QString reportPath(const QString& dataFolder, const QString& instrumentId, const Clock& clock);
