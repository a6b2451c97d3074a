#include "reports/SensorReport.h"
#include "DocxReader.h"
#include "reports/DocxWriter.h"
#include "store/DbError.h"
#include "support/TempDataFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <gtest/gtest.h>

namespace {

const QStringList kCover = {"",
                            "",
                            "REPORT FOR SENSOR 120521001",
                            "",
                            "   Report Date: 08/12/2026",
                            "   Sensor Number: 120521001",
                            "   Sensor Type: k1VARLO EX",
                            "   Date Installed: 2026/01/05",
                            "   Installed By: R. Tamsin",
                            "   Level: 1040 L",
                            "   Location: Drive 3 & <North>",
                            "   Purpose: Roof support",
                            "   Notes: "};

class SensorReportTest : public TempDataFolderTest {
protected:
    void SetUp() override {
        logo = picture("ovlogo.jpg", {300, 90}, Qt::darkBlue);
        temporal = picture("Temporal.jpg", {960, 600}, Qt::red);
        spatial = picture("Spatial.jpg", {800, 400}, Qt::green);
    }

    QString picture(const QString& name, const QSize& size, Qt::GlobalColor colour) {
        QImage image(size, QImage::Format_RGB32);
        image.fill(colour);
        const QString path = QDir(folder()).filePath(name);
        image.save(path, "JPG");
        return path;
    }

    static QByteArray bytes(const QString& path) {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }

    DocxReader report(const ReportChoices& choices) {
        ReportSensor sensor{"120521001",         "k1VARLO",      "EX",
                            "2026/01/05",        "R. Tamsin",    "1040 L",
                            "Drive 3 & <North>", "Roof support", "", {}};
        DocxWriter doc;
        buildSensorReport(doc, sensor, choices, {logo, temporal, spatial}, "08/12/2026");
        return DocxReader(doc.save(QDir(folder()).filePath("report.docx")));
    }

    QString logo;
    QString temporal;
    QString spatial;
};

TEST_F(SensorReportTest, CoverOnlyHoldsTheTitleAndNineLinesOnOnePage) {
    const DocxReader doc = report({true, false, false});

    EXPECT_EQ(doc.bodyTexts(), kCover);
    EXPECT_EQ(doc.pageCount(), 1);
    // Empty first paragraph bold; the title and the paragraph before it 16 points bold; the
    // information lines 12 points plain.
    EXPECT_TRUE(doc.body[2].runs[0].bold);
    EXPECT_EQ(doc.body[2].runs[0].halfPoints, 32);
    for (int i = 4; i < kCover.size(); ++i) {
        ASSERT_EQ(doc.body[i].runs.size(), 1) << i;
        EXPECT_FALSE(doc.body[i].runs[0].bold) << i;
        EXPECT_EQ(doc.body[i].runs[0].halfPoints, 24) << i;
    }
    ASSERT_EQ(doc.media.size(), 1);
}

TEST_F(SensorReportTest, HeaderCarriesTheLogoCentred) {
    const DocxReader doc = report({true, true, true});

    ASSERT_EQ(doc.header.size(), 1);
    EXPECT_TRUE(doc.header[0].centred);
    ASSERT_EQ(doc.header[0].pictures.size(), 1);
    EXPECT_EQ(doc.media.value(doc.header[0].pictures[0]), bytes(logo));
}

TEST_F(SensorReportTest, BothChartsFollowOnPagesOfTheirOwn) {
    const DocxReader doc = report({true, true, true});

    QStringList expected = kCover;
    expected << "<page>"
             << "Disp v Time"
             << "<picture>"
             << "   Notes:"
             << "<page>"
             << "Disp v Length"
             << "<picture>"
             << "   Notes:";
    EXPECT_EQ(doc.bodyTexts(), expected);
    EXPECT_EQ(doc.pageCount(), 3);
    const int time = static_cast<int>(kCover.size()) + 2;
    EXPECT_EQ(doc.media.value(doc.body[time].pictures.value(0)), bytes(temporal));
    EXPECT_EQ(doc.media.value(doc.body[time + 4].pictures.value(0)), bytes(spatial));
    EXPECT_FALSE(doc.body[time - 1].runs[0].bold);
    EXPECT_EQ(doc.body[time - 1].runs[0].halfPoints, 24);
}

TEST_F(SensorReportTest, ChartsLeftOutWhenNotChosen) {
    const DocxReader doc = report({true, false, true});

    EXPECT_EQ(doc.bodyTexts().mid(kCover.size()),
              (QStringList{"<page>", "Disp v Length", "<picture>", "   Notes:"}));
    EXPECT_EQ(doc.media.size(), 2);
}

TEST_F(SensorReportTest, WithoutTheCoverTheFirstChartOpensTheDocument) {
    const DocxReader doc = report({false, true, false});
    EXPECT_EQ(doc.bodyTexts(), (QStringList{"Disp v Time", "<picture>", "   Notes:"}));

    // Nothing chosen at all still gives the cover rather than an empty document.
    EXPECT_EQ(report({false, false, false}).bodyTexts(), kCover);
}

TEST_F(SensorReportTest, PicturesKeepTheirProportionsWithinTheTextWidth) {
    EXPECT_EQ(jpegPixelSize(temporal), QSize(960, 600));
    EXPECT_EQ(jpegPixelSize(QDir(folder()).filePath("none.jpg")), QSize());

    const QSizeF wide = pictureSizeInPoints({960, 600}, 451);
    EXPECT_DOUBLE_EQ(wide.width(), 451);
    EXPECT_DOUBLE_EQ(wide.height(), 451 * 600.0 / 960);
    EXPECT_EQ(pictureSizeInPoints({200, 100}, 451), QSizeF(150, 75));
}

TEST_F(SensorReportTest, AMissingPictureFailsWithoutLeavingADocument) {
    QFile::remove(logo);
    const QString path = QDir(folder()).filePath("report.docx");
    DocxWriter doc;
    buildSensorReport(doc, {}, {true, false, false}, {logo, {}, {}}, "08/12/2026");

    EXPECT_THROW(doc.save(path), DbError);
    EXPECT_FALSE(QFileInfo::exists(path));
}

TEST_F(SensorReportTest, EachReportGetsANewNameUnderReports) {
    const QString first = reportPath(folder(), "120521001", clock_);
    EXPECT_EQ(first, QDir(folder()).filePath("Reports/120521001 2026-12-08 09.30.00.docx"));
    QFile(first).open(QIODevice::WriteOnly);

    EXPECT_EQ(reportPath(folder(), "120521001", clock_),
              QDir(folder()).filePath("Reports/120521001 2026-12-08 09.30.00 (2).docx"));
}

} // namespace
