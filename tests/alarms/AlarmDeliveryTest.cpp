#include "alarms/AlarmDelivery.h"
#include "alarms/MailMessage.h"
#include "alarms/ResponsePlan.h"
#include "store/AlarmStore.h"
#include "store/Connection.h"
#include "store/DbError.h"
#include "store/Schema.h"
#include "store/TriggerTables.h"
#include "support/ServerDatabase.h"
#include "support/SmtpSink.h"
#include "triggers/ResponsePlan.h"
#include "triggers/TriggerEvents.h"

#include <QScopeGuard>
#include <gtest/gtest.h>

namespace {

const QString kId = QStringLiteral("120531001"); // three nodes
const QDateTime kDetected(QDate(2026, 12, 8), QTime(9, 30));

// A register with one sensor whose levels are 10 mm (amber) and 20 mm (red), and alarm lists.
class AlarmDeliveryTest : public EngineDbTest {
protected:
    void prepare() override {
        createTriggerTables(db);
        ensureAlarmTables(db);
        db.execute("INSERT INTO Sensors (InstrumentID, SensorType, HeadLocation, Recess, "
                   "LengthofCable, NodeLocation1, NodeLocation2, NodeLocation3, Level, Location) "
                   "VALUES (?, '41', 0, 0.25, 7, 1, 3, 4.5, 'L4', ?)",
                   {kId, location});
        createReadingsTable(db, kId);
        TriggerLevels levels;
        levels.amberDisp = 10;
        levels.redDisp = 20;
        writeTriggerLevels(db, kId, levels);
    }

    QString add(int day, double node2) {
        const QDateTime at(QDate(2026, 11, day), QTime(8, 0));
        const QString key = kId + at.toString(" yyyy/MM/dd HH:mm:ss");
        db.execute("INSERT INTO \"120531001\" (DateTimeKey, FullDate, Channel1, Channel2, "
                   "Channel3, ChannelT, Plottemporal) VALUES (?, ?, '5.00', ?, '7.00', '18', 1)",
                   {key, at.toString("yyyy-MM-dd HH:mm:ss"), QString::number(20 + node2, 'f', 2)});
        return key;
    }

    // Readings that take the sensor to red, logged with their event and its messages in one
    // transaction, as an import does.
    void importToRed() {
        db.inTransaction([&] {
            add(1, 0);
            logTriggerEvent(db, kId, {add(2, 27.3)}, kDetected, "surveyor",
                            [&](const TriggerEvent& e) { queueEventMail(db, e, kDetected); });
        });
    }

    MailSettings settingsFor(const SmtpSink& sink) const {
        MailSettings settings;
        settings.server = sink.url();
        settings.from = "quorvelle@mine.example";
        return settings;
    }

    int outboxRows() { return db.scalar("SELECT count(*) FROM AlarmOutbox").toInt(); }
    QStringList states() {
        QStringList list;
        for (const OutboxMessage& m : allOutboxMessages(db)) {
            list << m.address + " " + m.state;
        }
        return list;
    }

    QString location = "North drive 12";
    FixedClock clock{kDetected};
};

#define START_OR_SKIP(sink)                                                                        \
    if (!(sink).start()) {                                                                         \
        GTEST_SKIP() << "no mail server for the test: " << (sink).reason().toStdString();          \
    }

} // namespace

INSTANTIATE_ON_BOTH_ENGINES(AlarmDeliveryTest);

TEST_P(AlarmDeliveryTest, ARedEventMailsEachRedAddressOnceAndKeepsEveryRow) {
    addRecipient(db, "red", "shift.boss@mine.example");
    addRecipient(db, "red", "geotech@mine.example");
    addRecipient(db, "amber", "amber.only@mine.example");
    SmtpSink sink;
    START_OR_SKIP(sink);

    importToRed();
    ASSERT_EQ(outboxRows(), 2);
    const DeliveryReport report = sendPending(db, settingsFor(sink), clock);
    EXPECT_EQ(report.sent, 2);
    EXPECT_EQ(report.pending, 0);
    EXPECT_FALSE(report.stopped);

    const QList<SmtpSink::Message> received = sink.messages();
    ASSERT_EQ(received.size(), 2);
    EXPECT_EQ(received[0].to, "shift.boss@mine.example");
    EXPECT_EQ(received[1].to, "geotech@mine.example");
    const ReadMail mail = readMail(received[0].data);
    EXPECT_EQ(mail.header("Subject"),
              "RED: Sensor 120531001 (L4, North drive 12) 27.3 mm at Node 2 (4.25 m)");
    EXPECT_EQ(mail.header("To"), "<shift.boss@mine.example>");
    EXPECT_TRUE(mail.text().contains("Detected: 2026/12/08 09:30:00 by surveyor"));
    EXPECT_TRUE(mail.text().contains("27.30 mm at Node 2 (4.25 m)")) << mail.text().toStdString();

    // Sent rows stay, each once; a second run sends nothing again.
    EXPECT_EQ(states(), QStringList({"shift.boss@mine.example sent", "geotech@mine.example sent"}));
    EXPECT_EQ(sendPending(db, settingsFor(sink), clock).sent, 0);
    EXPECT_EQ(sink.messages().size(), 2);
    EXPECT_THROW(db.execute("DELETE FROM AlarmOutbox"), DbError);
    EXPECT_EQ(outboxRows(), 2);
}

TEST_P(AlarmDeliveryTest, MessagesWaitForAServerThatIsDownOrClosesAndGoWhenItIsBack) {
    addRecipient(db, "red", "shift.boss@mine.example");
    SmtpSink dropping(SmtpSink::Options{{}, {}, {}, false, true, 0});
    START_OR_SKIP(dropping);
    const int port = dropping.port();
    importToRed();

    // A server that closes the connection in the middle of the message.
    DeliveryReport report = sendPending(db, settingsFor(dropping), clock);
    EXPECT_EQ(report.sent, 0);
    EXPECT_EQ(report.pending, 1);
    ASSERT_TRUE(report.stopped);
    EXPECT_TRUE(report.stopped->startsWith("The mail server could not be reached: "));
    dropping.stop();

    // No server at all.
    MailSettings settings = settingsFor(dropping);
    report = sendPending(db, settings, clock);
    EXPECT_EQ(report.pending, 1);
    EXPECT_EQ(states(), QStringList{"shift.boss@mine.example pending"});
    EXPECT_FALSE(allOutboxMessages(db).first().lastAnswer.isEmpty());

    // Back on the same port: the next run delivers it.
    SmtpSink back(SmtpSink::Options{{}, {}, {}, false, false, port});
    START_OR_SKIP(back);
    report = deliverAlarms(db, settings, clock);
    EXPECT_EQ(report.sent, 1);
    EXPECT_EQ(back.messages().size(), 1);
    const OutboxMessage row = allOutboxMessages(db).first();
    EXPECT_EQ(row.state, "sent");
    EXPECT_EQ(row.attempts, 3);
    EXPECT_TRUE(row.lastAnswer.startsWith("250")) << row.lastAnswer.toStdString();
}

TEST_P(AlarmDeliveryTest, AnAddressTheServerRefusesFailsAloneAndAWrongLoginKeepsAllWaiting) {
    addRecipient(db, "red", "first@mine.example");
    addRecipient(db, "red", "gone@mine.example");
    addRecipient(db, "red", "last@mine.example");
    SmtpSink sink(SmtpSink::Options{{"gone@mine.example"}, "alarms", "right", false, false, 0});
    START_OR_SKIP(sink);
    importToRed();

    MailSettings settings = settingsFor(sink);
    settings.user = "alarms";
    settings.password = "wrong";
    DeliveryReport report = sendPending(db, settings, clock);
    ASSERT_TRUE(report.stopped);
    EXPECT_TRUE(report.stopped->startsWith("The mail server refused the login: 535"))
        << report.stopped->toStdString();
    EXPECT_EQ(report.pending, 3);
    EXPECT_TRUE(sink.messages().isEmpty());

    settings.password = "right";
    report = sendPending(db, settings, clock);
    EXPECT_EQ(report.sent, 2);
    EXPECT_EQ(report.failed, 1);
    EXPECT_EQ(states(), QStringList({"first@mine.example sent", "gone@mine.example failed",
                                     "last@mine.example sent"}));
    EXPECT_TRUE(allOutboxMessages(db)[1].lastAnswer.startsWith("550"));
    // A refused address is not tried again.
    EXPECT_EQ(sendPending(db, settings, clock).failed, 0);
}

TEST_P(AlarmDeliveryTest, TextsOfTheRegisterNeverBecomeHeaders) {
    location = "North drive 12\r\nBcc: everyone@elsewhere.example\nX-Evil: 1";
    db.execute("UPDATE Sensors SET Location = ? WHERE InstrumentID = ?", {location, kId});
    addRecipient(db, "red", "shift.boss@mine.example");
    EXPECT_THROW(addRecipient(db, "red", "a@mine.example\r\nBcc: b@elsewhere.example"),
                 RecipientRefused);
    SmtpSink sink;
    START_OR_SKIP(sink);
    importToRed();
    ASSERT_EQ(sendPending(db, settingsFor(sink), clock).sent, 1);

    const QList<SmtpSink::Message> received = sink.messages();
    ASSERT_EQ(received.size(), 1);
    const ReadMail mail = readMail(received[0].data);
    for (const QString& line : mail.headers) {
        const QString name = line.section(':', 0, 0);
        EXPECT_TRUE(QStringList({"From", "To", "Subject", "Date", "Message-ID", "MIME-Version",
                                 "Content-Type", "Content-Transfer-Encoding"})
                        .contains(name))
            << line.toStdString();
    }
    EXPECT_EQ(mail.header("Subject"), "RED: Sensor 120531001 (L4, North drive 12  Bcc: "
                                      "everyone@elsewhere.example X-Evil: 1) 27.3 mm at Node 2 "
                                      "(4.25 m)");
}

TEST_P(AlarmDeliveryTest, AnUnacknowledgedEventIsEscalatedOnceAfterItsResponseTime) {
    addRecipient(db, "red", "shift.boss@mine.example");
    addRecipient(db, "escalation", "manager@mine.example");
    // The site default's red plan; amber has none.
    writeResponsePlan(
        db, kSiteDefaultKey, TriggerState::Red,
        ResponsePlan{"Barricade the drive.\nCall the geotechnical engineer.", "", 2.0});
    importToRed();
    EXPECT_TRUE(allOutboxMessages(db).first().body.contains(
        "Barricade the drive.\nCall the geotechnical engineer.\nAcknowledge within 2 hours"));

    EXPECT_EQ(queueEscalations(db, kDetected.addSecs(2 * 3600 - 1)), 0);
    EXPECT_EQ(queueEscalations(db, kDetected.addSecs(2 * 3600)), 1);
    EXPECT_EQ(queueEscalations(db, kDetected.addSecs(5 * 3600)), 0);
    const OutboxMessage escalation = allOutboxMessages(db).last();
    EXPECT_EQ(escalation.kind, "escalation");
    EXPECT_EQ(escalation.address, "manager@mine.example");
    EXPECT_TRUE(escalation.subject.startsWith("ESCALATION: RED: Sensor 120531001"));

    // An acknowledged event is not escalated.
    db.inTransaction([&] {
        logTriggerEvent(db, kId, {add(3, 5), add(4, 12)}, kDetected, "surveyor",
                        [&](const TriggerEvent& e) { queueEventMail(db, e, kDetected); });
    });
    acknowledgeEvents(db, {unacknowledgedEvents(db).first().id}, kDetected, "boss", "seen");
    EXPECT_EQ(queueEscalations(db, kDetected.addDays(2)), 0);
}

TEST_P(AlarmDeliveryTest, AnOverdueSensorIsToldOncePerSpell) {
    addRecipient(db, "overdue", "surveyor@mine.example");
    TriggerLevels levels = readTriggerLevels(db, kId);
    levels.readingInterval = 7;
    writeTriggerLevels(db, kId, levels);
    add(1, 0);
    add(2, 1);
    const QDateTime late(QDate(2026, 11, 20), QTime(8, 0));
    EXPECT_EQ(queueOverdue(db, late), 1);
    EXPECT_EQ(queueOverdue(db, late.addDays(3)), 0);
    EXPECT_TRUE(allOutboxMessages(db).last().subject.startsWith(
        "OVERDUE: Sensor 120531001 (L4, North drive 12) unread for 18.0 days"));
    // A new reading ends the spell; the next one is told again.
    add(21, 1.5);
    EXPECT_EQ(queueOverdue(db, QDateTime(QDate(2026, 11, 22), QTime(8, 0))), 0);
    EXPECT_EQ(queueOverdue(db, QDateTime(QDate(2026, 12, 1), QTime(8, 0))), 1);
}

TEST(AlarmAddressTest, WhatIsNotAnAddressIsRefusedWithTheReason) {
    for (const QString good :
         {"a@mine.example", "shift.boss+red@sub.mine-site.example", "o'neil@mine.example"}) {
        EXPECT_FALSE(addressProblem(good)) << good.toStdString();
    }
    const QList<std::pair<QString, QString>> bad{
        {"", "no address was given"},
        {"mine.example", "an address has exactly one @"},
        {"a@b@mine.example", "an address has exactly one @"},
        {"@mine.example", "nothing stands before the @"},
        {"a@localhost", "the part after the @ is not a domain such as mine.example"},
        {"a@mine..example", "the part after the @ is not a domain such as mine.example"},
        {"a@-mine.example", "the part after the @ is not a domain such as mine.example"},
        {"a b@mine.example", "an address holds no space, tab or line break"},
        {"a@mine.example\r\nBcc: x@y.example", "an address holds no space, tab or line break"},
        {"Boss <a@mine.example>", "an address holds no space, tab or line break"},
        {"a,b@mine.example", "an address holds no ,"},
    };
    for (const auto& [address, reason] : bad) {
        EXPECT_EQ(addressProblem(address).value_or("accepted"), reason) << address.toStdString();
    }
}

TEST(MailMessageTest, AnyFieldStaysOnItsOwnHeaderLine) {
    MailContent content;
    content.from = "quorvelle@mine.example";
    content.to = "boss@mine.example";
    content.subject = "AMBER: Zone\r\nBcc: x@elsewhere.example \u00e9tage 3";
    content.body = "Line one\r\n.\r\nFrom: not a header\n";
    content.date = QDateTime(QDate(2026, 12, 8), QTime(9, 30), Qt::OffsetFromUTC, 3600);
    content.messageId = "quorvelle.1";
    content.attachments << MailAttachment{"chart\r\nX-Evil: 1.png", "image/png", "PNGDATA"};
    const ReadMail mail = readMail(composeMail(content));

    EXPECT_EQ(mail.header("Date"), "Tue, 08 Dec 2026 09:30:00 +0100");
    EXPECT_EQ(mail.header("Message-ID"), "<quorvelle.1@mine.example>");
    EXPECT_TRUE(mail.header("Subject").startsWith("=?UTF-8?B?"));
    for (const QString& line : mail.headers) {
        EXPECT_FALSE(line.startsWith("Bcc") || line.startsWith("X-Evil")) << line.toStdString();
    }
    ASSERT_EQ(mail.parts.size(), 2);
    EXPECT_EQ(mail.text(), content.body);
    EXPECT_EQ(mail.parts[1].fileName, "chart  X-Evil: 1.png");
    EXPECT_EQ(mail.parts[1].data, "PNGDATA");
}
