#include "site/SiteTables.h"
#include "store/Connection.h"
#include "store/Schema.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class PositionsCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(home_.isValid());
        const QString data = home_.filePath("Documents/Ombrevault/Quorvelle");
        ASSERT_TRUE(QDir().mkpath(data));
        db_ = data + "/QuorvelleVARLO_MM.mdb";
        createDatabaseFile(db_);
        Connection c;
        c.open(db_);
        for (const QString id : {"120541001", "120541002"}) {
            c.execute("INSERT INTO Sensors (InstrumentID, SensorType, Destroyed) VALUES (?, '41', "
                      "'No')",
                      {id});
        }
    }

    struct Run {
        int exitCode = -1;
        QString out;
        QString err;
    };

    Run run(const QStringList& arguments) const {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", home_.path());
        env.insert("XDG_CONFIG_HOME", home_.filePath(".config"));
        env.remove("DISPLAY");
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(QUORVELLE_PROGRAM), arguments);
        Run result;
        if (process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit) {
            result.exitCode = process.exitCode();
            result.out = QString::fromUtf8(process.readAllStandardOutput());
            result.err = QString::fromUtf8(process.readAllStandardError());
        }
        return result;
    }

    QString writeFile(const QString& name, const QByteArray& bytes) const {
        QFile f(home_.filePath(name));
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return home_.filePath(name);
    }

    QHash<QString, SensorPosition> positions() const {
        Connection c;
        c.open(db_);
        return readPositions(c);
    }

    QTemporaryDir home_;
    QString db_;
};

} // namespace

TEST_F(PositionsCommandTest, ImportsTheSurveyorsFileAndTellsTheLinesRefused) {
    const Run good = run({"positions", "import",
                          writeFile("survey.csv", "InstrumentID,Easting,Northing,Elevation\n"
                                                  "120541001,15230.5,80112.25,-1040\n")});
    ASSERT_EQ(good.exitCode, 0) << good.err.toStdString();
    EXPECT_EQ(good.out.trimmed(), "survey.csv: 1 lines taken, 0 refused");
    ASSERT_EQ(positions().size(), 1);
    EXPECT_DOUBLE_EQ(positions()["120541001"].northing, 80112.25);

    const Run mixed = run({"positions", "import",
                           writeFile("mixed.csv", "120541002,1,2,3\n120541009,1,2,3\n"
                                                  "120541001,one,2,3\n")});
    EXPECT_EQ(mixed.exitCode, 1);
    EXPECT_EQ(mixed.out.trimmed(), "mixed.csv: 1 lines taken, 2 refused");
    EXPECT_TRUE(mixed.err.contains("line 2: sensor '120541009' is not in the register"))
        << mixed.err.toStdString();
    EXPECT_TRUE(mixed.err.contains("line 3: Easting 'one' is not a number"));
    EXPECT_TRUE(mixed.err.contains("2 lines refused; the 1 lines taken were stored"));
    EXPECT_EQ(positions().size(), 2);
    EXPECT_DOUBLE_EQ(positions()["120541001"].easting, 15230.5);

    EXPECT_EQ(run({"positions", "import"}).exitCode, 2);
    EXPECT_EQ(run({"positions", "export", "x.csv"}).exitCode, 2);
    const Run missing = run({"positions", "import", home_.filePath("none.csv")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.contains("The positions file")) << missing.err.toStdString();
    EXPECT_TRUE(run({"--help"}).out.contains("positions import FILE"));
}
