#include "store/AlarmStore.h"
#include "store/Connection.h"
#include "store/Schema.h"
#include "store/TriggerTables.h"
#include "support/SmtpSink.h"
#include "triggers/TriggerLevels.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString kSensor = QStringLiteral("120541001"); // three nodes

struct ProgramResult {
    int exitCode = -1;
    QString out;
    QString err;
};

// A home folder of its own with a register whose sensor has levels of 10 and 20 mm, a red
// list, and the program run on it as a process with [Mail] pointing at the test's server.
class AlarmCommandLineTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(home_.isValid());
        createDatabaseFile(dbPath());
        Connection c;
        c.open(dbPath());
        c.execute("INSERT INTO Sensors (InstrumentID, SensorType, DateID, TypeID, SensorNo, "
                  "InstallDate, Destroyed, HeadLocation, LengthofCable, Recess, kval, "
                  "NodeLocation1, NodeLocation2, NodeLocation3, Level, Location) VALUES (?, '41', "
                  "'1205', '41', '001', '2026/01/05', 'No', 1, 7, 0.25, 50, 1, 3, 6, 'L4', "
                  "'North drive 12')",
                  {kSensor});
        createReadingsTable(c, kSensor);
        reading(c, "2026-11-02 08:00:00", {"10", "11", "12"});
        reading(c, "2026-11-20 08:00:00", {"12.5", "14", "16.25"});
        createTriggerTables(c);
        TriggerLevels levels;
        levels.amberDisp = 10;
        levels.redDisp = 20;
        writeTriggerLevels(c, kSensor, levels);
    }

    static void reading(Connection& c, const QString& fullDate, const QStringList& channels) {
        const QString date = fullDate.left(10).replace('-', '/');
        c.execute(QStringLiteral("INSERT INTO \"%1\" (DateTimeKey, FullDate, ReadingDate, "
                                 "ReadingTime, ChannelT, Channel1, Channel2, Channel3, "
                                 "Plottemporal, PlotSpatial) VALUES (?, ?, ?, ?, '21.5', ?, ?, ?, "
                                 "1, 1)")
                      .arg(kSensor),
                  {kSensor + " " + date + " " + fullDate.mid(11), fullDate, date, fullDate.mid(11),
                   channels[0], channels[1], channels[2]});
    }

    QString dbPath() const { return home_.filePath("register.mdb"); }

    void setMailServer(const QString& url) const {
        QDir().mkpath(home_.filePath(".config/Ombrevault"));
        QFile conf(home_.filePath(".config/Ombrevault/Quorvelle.conf"));
        ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
        conf.write(("[Mail]\nServer=" + url + "\nFrom=quorvelle@mine.example\n").toUtf8());
    }

    ProgramResult run(QStringList arguments) const {
        arguments.prepend(dbPath());
        arguments.prepend("--database");
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", home_.path());
        env.insert("XDG_CONFIG_HOME", home_.filePath(".config"));
        env.remove("DISPLAY");
        env.remove("QT_QPA_PLATFORM");
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(QUORVELLE_PROGRAM), arguments);
        ProgramResult result;
        if (!process.waitForFinished(120000)) {
            process.kill();
            return result;
        }
        result.exitCode = process.exitCode();
        result.out = QString::fromUtf8(process.readAllStandardOutput());
        result.err = QString::fromUtf8(process.readAllStandardError());
        return result;
    }

    ProgramResult importToRed() const {
        const QString logger = home_.filePath(kSensor + ".txt");
        QFile f(logger);
        f.open(QIODevice::WriteOnly);
        f.write("2026/12/01 08:00:00,7,41,001,20.04,12.5,14,45\r\n");
        f.close();
        return run({"import", "--sensor", kSensor, logger});
    }

    static void expectRedMailWithChart(const SmtpSink::Message& message) {
        const ReadMail mail = readMail(message.data);
        EXPECT_TRUE(
            mail.header("Subject").startsWith("RED: Sensor 120541001 (L4, North drive 12) "))
            << mail.header("Subject").toStdString();
        ASSERT_EQ(mail.parts.size(), 2);
        EXPECT_TRUE(mail.parts[1].contentType.startsWith("image/png"));
        EXPECT_TRUE(mail.parts[1].data.startsWith("\x89PNG"));
    }

    QTemporaryDir home_;
};

#define START_OR_SKIP(sink)                                                                        \
    if (!(sink).start()) {                                                                         \
        GTEST_SKIP() << "no mail server for the test: " << (sink).reason().toStdString();          \
    }

} // namespace

TEST_F(AlarmCommandLineTest, RecipientsAreKeptInTheRegisterAndABadAddressIsRefused) {
    const ProgramResult bad = run({"recipients", "add", "red", "Boss <boss@mine.example>"});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_TRUE(bad.err.endsWith("quorvelle: Boss <boss@mine.example> is not an e-mail address: "
                                 "an address holds no space, tab or line break\n"))
        << bad.err.toStdString();
    EXPECT_EQ(run({"recipients", "add", "purple", "a@mine.example"}).exitCode, 1);
    EXPECT_EQ(run({"recipients", "add", "red"}).exitCode, 2);

    EXPECT_EQ(run({"recipients", "add", "red", "boss@mine.example"}).out,
              "Added boss@mine.example to the red list\n");
    run({"recipients", "add", "red", "geotech@mine.example"});
    run({"recipients", "add", "digest", "manager@mine.example"});
    EXPECT_EQ(run({"recipients", "remove", "digest", "manager@mine.example"}).exitCode, 0);
    EXPECT_EQ(run({"recipients", "list"}).out,
              "amber: (none)\nred: boss@mine.example, geotech@mine.example\noverdue: (none)\n"
              "escalation: (none)\ndigest: (none)\n");
}

TEST_F(AlarmCommandLineTest, AnImportToRedMailsEveryRedAddressWithTheChart) {
    SmtpSink sink;
    START_OR_SKIP(sink);
    setMailServer(sink.url());
    run({"recipients", "add", "red", "boss@mine.example"});
    run({"recipients", "add", "red", "geotech@mine.example"});

    const ProgramResult import = importToRed();
    EXPECT_EQ(import.exitCode, 0) << import.err.toStdString();
    EXPECT_TRUE(import.out.contains("1 chosen, 1 appended to " + kSensor));
    const QList<SmtpSink::Message> received = sink.messages();
    ASSERT_EQ(received.size(), 2) << import.err.toStdString();
    EXPECT_EQ(received[0].to, "boss@mine.example");
    EXPECT_EQ(received[1].to, "geotech@mine.example");
    expectRedMailWithChart(received[0]);
}

TEST_F(AlarmCommandLineTest, WithTheServerDownTheImportStandsAndNotifyDeliversLater) {
    SmtpSink probe;
    START_OR_SKIP(probe);
    const int port = probe.port();
    probe.stop();
    setMailServer(probe.url());
    run({"recipients", "add", "red", "boss@mine.example"});

    const ProgramResult import = importToRed();
    EXPECT_EQ(import.exitCode, 0);
    EXPECT_TRUE(import.out.contains("1 chosen, 1 appended to " + kSensor));
    EXPECT_TRUE(import.err.contains("quorvelle: alarm mail: 0 sent, 0 refused, 1 waiting (The mail "
                                    "server could not be reached: "))
        << import.err.toStdString();
    const ProgramResult down = run({"notify"});
    EXPECT_EQ(down.exitCode, 1);

    SmtpSink back(SmtpSink::Options{{}, {}, {}, false, false, port});
    START_OR_SKIP(back);
    const ProgramResult notify = run({"notify"});
    EXPECT_EQ(notify.exitCode, 0) << notify.err.toStdString();
    EXPECT_TRUE(notify.out.endsWith("Alarm mail: 1 sent, 0 refused, 0 waiting\n"))
        << notify.out.toStdString();
    ASSERT_EQ(back.messages().size(), 1);
    expectRedMailWithChart(back.messages().first());
    EXPECT_TRUE(run({"notify"}).out.endsWith("Alarm mail: 0 sent, 0 refused, 0 waiting\n"));
    EXPECT_EQ(back.messages().size(), 1);
}

TEST_F(AlarmCommandLineTest, TheDigestCarriesTheSiteReportAndTheTestMessageReachesEveryList) {
    SmtpSink sink(SmtpSink::Options{{}, {}, {}, true, false, 0});
    START_OR_SKIP(sink);
    setMailServer(sink.url());
    QFile conf(home_.filePath(".config/Ombrevault/Quorvelle.conf"));
    ASSERT_TRUE(conf.open(QIODevice::Append));
    conf.write(("CaFile=" + sink.certificate() + "\n").toUtf8());
    conf.close();
    run({"recipients", "add", "digest", "manager@mine.example"});
    run({"recipients", "add", "amber", "surveyor@mine.example"});
    importToRed();

    const ProgramResult test = run({"notify", "--test"});
    EXPECT_EQ(test.exitCode, 0);
    EXPECT_TRUE(test.out.contains("amber surveyor@mine.example: 250")) << test.out.toStdString();
    EXPECT_TRUE(test.out.contains("digest manager@mine.example: 250"));

    const ProgramResult digest = run({"digest"});
    EXPECT_EQ(digest.exitCode, 0) << digest.err.toStdString();
    const QList<SmtpSink::Message> received = sink.messages();
    ASSERT_EQ(received.size(), 3);
    const ReadMail mail = readMail(received[2].data);
    EXPECT_TRUE(mail.header("Subject").contains("1 red, 0 amber, 0 overdue, 1 new events"))
        << mail.header("Subject").toStdString();
    EXPECT_TRUE(mail.text().contains("  Red: 1\n"));
    EXPECT_TRUE(mail.text().contains("Sensor 120541001 reached RED"));
    // The red event waits for its acknowledgement, with no plan for it yet.
    const QString open = mail.text().mid(mail.text().indexOf("Open responses:\n"));
    EXPECT_TRUE(open.contains("reached RED")) << mail.text().toStdString();
    EXPECT_TRUE(open.contains("Open  (no response plan)")) << open.toStdString();
    ASSERT_EQ(mail.parts.size(), 2);
    EXPECT_EQ(mail.parts[1].fileName, "Site Report.pdf");
    EXPECT_TRUE(mail.parts[1].data.startsWith("%PDF"));
}
