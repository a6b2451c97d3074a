#include "store/AlarmStore.h"

#include "store/AuditLog.h"
#include "store/Connection.h"
#include "store/SqlFailure.h"

#include <QRegularExpression>
#include <QSqlQuery>

namespace {
const QString kStamp = QStringLiteral("yyyy-MM-dd HH:mm:ss");
// A claim older than this was left by a run that ended before it could record the answer.
constexpr int kClaimSeconds = 600;

const QString kColumns = QStringLiteral(
    "MessageID, EventID, InstrumentID, Kind, Address, Subject, Body, AttachmentName, State, "
    "Attempts, LastAnswer, CreatedAt, SentAt, SpellKey");

QStringList fileStatements() {
    return {
        QStringLiteral("CREATE TABLE IF NOT EXISTS AlarmRecipients (RecipientID INTEGER PRIMARY "
                       "KEY AUTOINCREMENT, ListName TEXT NOT NULL, Address TEXT NOT NULL, "
                       "UNIQUE (ListName, Address))"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS AlarmOutbox (MessageID INTEGER PRIMARY KEY "
                       "AUTOINCREMENT, EventID INTEGER, InstrumentID TEXT, Kind TEXT NOT NULL, "
                       "Address TEXT NOT NULL, Subject TEXT NOT NULL, Body TEXT NOT NULL, "
                       "AttachmentName TEXT, Attachment BLOB, State TEXT NOT NULL, Attempts "
                       "INTEGER NOT NULL DEFAULT 0, LastAnswer TEXT, CreatedAt TEXT NOT NULL, "
                       "LastTryAt TEXT, SentAt TEXT, ClaimedAt TEXT, SpellKey TEXT)"),
        QStringLiteral("CREATE TRIGGER IF NOT EXISTS AlarmOutbox_NoDelete BEFORE DELETE ON "
                       "AlarmOutbox BEGIN SELECT RAISE(ABORT, 'alarm messages are never "
                       "deleted'); END")};
}

QStringList serverStatements() {
    return {
        QStringLiteral("CREATE TABLE IF NOT EXISTS AlarmRecipients (RecipientID bigint GENERATED "
                       "ALWAYS AS IDENTITY PRIMARY KEY, ListName text NOT NULL, Address text NOT "
                       "NULL, UNIQUE (ListName, Address))"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS AlarmOutbox (MessageID bigint GENERATED ALWAYS "
                       "AS IDENTITY PRIMARY KEY, EventID bigint, InstrumentID text, Kind text NOT "
                       "NULL, Address text NOT NULL, Subject text NOT NULL, Body text NOT NULL, "
                       "AttachmentName text, Attachment bytea, State text NOT NULL, Attempts "
                       "integer NOT NULL DEFAULT 0, LastAnswer text, CreatedAt text NOT NULL, "
                       "LastTryAt text, SentAt text, ClaimedAt text, SpellKey text)"),
        QStringLiteral("CREATE OR REPLACE FUNCTION alarmoutbox_nodelete() RETURNS trigger "
                       "LANGUAGE plpgsql AS $$BEGIN RAISE EXCEPTION 'alarm messages are never "
                       "deleted'; END$$"),
        QStringLiteral("CREATE OR REPLACE TRIGGER AlarmOutbox_NoDelete BEFORE DELETE ON "
                       "AlarmOutbox FOR EACH ROW EXECUTE FUNCTION alarmoutbox_nodelete()")};
}

QList<OutboxMessage> messagesOf(QSqlQuery& query, bool withAttachments) {
    QList<OutboxMessage> messages;
    while (query.next()) {
        OutboxMessage m;
        m.id = query.value(0).toLongLong();
        if (!query.value(1).isNull()) {
            m.eventId = query.value(1).toLongLong();
        }
        m.instrumentId = query.value(2).toString();
        m.kind = query.value(3).toString();
        m.address = query.value(4).toString();
        m.subject = query.value(5).toString();
        m.body = query.value(6).toString();
        m.attachmentName = query.value(7).toString();
        m.state = query.value(8).toString();
        m.attempts = query.value(9).toInt();
        m.lastAnswer = query.value(10).toString();
        m.createdAt = query.value(11).toString();
        m.sentAt = query.value(12).toString();
        m.spellKey = query.value(13).toString();
        if (withAttachments) {
            m.attachment = query.value(14).toByteArray();
        }
        messages << m;
    }
    return messages;
}

QVariant nullable(const QString& text) {
    return text.isEmpty() ? QVariant(QMetaType::fromType<QString>()) : QVariant(text);
}
} // namespace

void createAlarmTables(Connection& db) {
    for (const QString& sql : db.isServer() ? serverStatements() : fileStatements()) {
        db.execute(sql);
    }
    auditNewTables(db, {QStringLiteral("AlarmRecipients")});
}

bool hasAlarmTables(Connection& db) {
    return db.hasTable(QStringLiteral("AlarmRecipients")) &&
           db.hasTable(QStringLiteral("AlarmOutbox"));
}

void ensureAlarmTables(Connection& db) {
    if (!hasAlarmTables(db)) {
        createAlarmTables(db);
    }
}

const QStringList& alarmLists() {
    static const QStringList lists{QStringLiteral("amber"), QStringLiteral("red"),
                                   QStringLiteral("overdue"), QStringLiteral("escalation"),
                                   QStringLiteral("digest")};
    return lists;
}

std::optional<QString> addressProblem(const QString& address) {
    if (address.isEmpty()) {
        return QStringLiteral("no address was given");
    }
    for (const QChar c : address) {
        if (c.unicode() < 0x21 || c.unicode() == 0x7f) {
            return QStringLiteral("an address holds no space, tab or line break");
        }
        if (QStringLiteral("<>,;\"()[]\\").contains(c)) {
            return QStringLiteral("an address holds no %1").arg(c);
        }
    }
    if (address.count('@') != 1) {
        return QStringLiteral("an address has exactly one @");
    }
    const QString local = address.section('@', 0, 0);
    const QString domain = address.section('@', 1, 1);
    if (local.isEmpty()) {
        return QStringLiteral("nothing stands before the @");
    }
    static const QRegularExpression label(
        QStringLiteral("^[A-Za-z0-9\\x{80}-\\x{10FFFF}]([A-Za-z0-9\\x{80}-\\x{10FFFF}-]*"
                       "[A-Za-z0-9\\x{80}-\\x{10FFFF}])?$"));
    const QStringList labels = domain.split('.');
    if (domain.isEmpty() || labels.size() < 2) {
        return QStringLiteral("the part after the @ is not a domain such as mine.example");
    }
    for (const QString& part : labels) {
        if (!label.match(part).hasMatch()) {
            return QStringLiteral("the part after the @ is not a domain such as mine.example");
        }
    }
    if (address.size() > 254) {
        return QStringLiteral("an address is at most 254 characters long");
    }
    return std::nullopt;
}

std::optional<QString> listProblem(const QString& list) {
    if (alarmLists().contains(list)) {
        return std::nullopt;
    }
    return QStringLiteral("there is no list '%1'; the lists are %2")
        .arg(list, alarmLists().join(QStringLiteral(", ")));
}

QStringList recipientsOf(Connection& db, const QString& list) {
    QSqlQuery query =
        runQuery(db,
                 QStringLiteral(
                     "SELECT Address FROM AlarmRecipients WHERE ListName = ? ORDER BY RecipientID"),
                 {list});
    QStringList addresses;
    while (query.next()) {
        addresses << query.value(0).toString();
    }
    return addresses;
}

bool addRecipient(Connection& db, const QString& list, const QString& address) {
    if (const auto problem = listProblem(list)) {
        throw RecipientRefused(*problem);
    }
    if (const auto problem = addressProblem(address)) {
        throw RecipientRefused(
            QStringLiteral("%1 is not an e-mail address: %2").arg(address.simplified(), *problem));
    }
    bool added = false;
    db.inTransaction([&] {
        ensureAlarmTables(db);
        if (recipientsOf(db, list).contains(address, Qt::CaseInsensitive)) {
            return;
        }
        db.execute(QStringLiteral("INSERT INTO AlarmRecipients (ListName, Address) VALUES (?, ?)"),
                   {list, address});
        added = true;
    });
    return added;
}

bool removeRecipient(Connection& db, const QString& list, const QString& address) {
    QSqlQuery query = runQuery(
        db, QStringLiteral("DELETE FROM AlarmRecipients WHERE ListName = ? AND Address = ?"),
        {list, address});
    return query.numRowsAffected() > 0;
}

int queueMail(Connection& db, const AlarmMail& mail, const QStringList& addresses,
              const QDateTime& now) {
    for (const QString& address : addresses) {
        db.execute(
            QStringLiteral("INSERT INTO AlarmOutbox (EventID, InstrumentID, Kind, "
                           "Address, Subject, Body, AttachmentName, Attachment, State, "
                           "Attempts, CreatedAt, SpellKey) VALUES (?, ?, ?, ?, ?, ?, ?, "
                           "?, 'pending', 0, ?, ?)"),
            {mail.eventId ? QVariant(*mail.eventId) : QVariant(QMetaType::fromType<qint64>()),
             nullable(mail.instrumentId), mail.kind, address, mail.subject, mail.body,
             nullable(mail.attachmentName),
             mail.attachment.isEmpty() ? QVariant(QMetaType::fromType<QByteArray>())
                                       : QVariant(mail.attachment),
             now.toString(kStamp), nullable(mail.spellKey)});
    }
    return static_cast<int>(addresses.size());
}

QList<OutboxMessage> pendingMessages(Connection& db, bool withAttachments) {
    QSqlQuery query = runQuery(db,
                               "SELECT " + kColumns + (withAttachments ? ", Attachment" : "") +
                                   " FROM AlarmOutbox WHERE State = 'pending' ORDER BY MessageID",
                               {});
    return messagesOf(query, withAttachments);
}

QList<OutboxMessage> allOutboxMessages(Connection& db) {
    QSqlQuery query =
        runQuery(db, "SELECT " + kColumns + " FROM AlarmOutbox ORDER BY MessageID", {});
    return messagesOf(query, false);
}

QList<OutboxMessage> unsentMessages(Connection& db) {
    QSqlQuery query = runQuery(
        db, "SELECT " + kColumns + " FROM AlarmOutbox WHERE State <> 'sent' ORDER BY MessageID",
        {});
    return messagesOf(query, false);
}

void attachToEvent(Connection& db, qint64 eventId, const QString& name, const QByteArray& data) {
    db.execute(QStringLiteral("UPDATE AlarmOutbox SET AttachmentName = ?, Attachment = ? WHERE "
                              "EventID = ? AND State = 'pending' AND Attachment IS NULL AND Kind "
                              "IN ('amber', 'red')"),
               {name, data, eventId});
}

bool eventHasMail(Connection& db, qint64 eventId, const QString& kind) {
    return db.scalar(
                 QStringLiteral("SELECT count(*) FROM AlarmOutbox WHERE EventID = ? AND Kind = ?"),
                 {eventId, kind})
               .toInt() > 0;
}

bool spellHasMail(Connection& db, const QString& spellKey) {
    return db.scalar(QStringLiteral("SELECT count(*) FROM AlarmOutbox WHERE SpellKey = ?"),
                     {spellKey})
               .toInt() > 0;
}

QString lastDigestAt(Connection& db) {
    return db.scalar(QStringLiteral("SELECT max(CreatedAt) FROM AlarmOutbox WHERE Kind = 'digest'"))
        .toString();
}

bool claimMessage(Connection& db, qint64 id, const QDateTime& now) {
    QSqlQuery query = runQuery(
        db,
        QStringLiteral("UPDATE AlarmOutbox SET ClaimedAt = ?, LastTryAt = ?, Attempts = Attempts "
                       "+ 1 WHERE MessageID = ? AND State = 'pending' AND (ClaimedAt IS NULL OR "
                       "ClaimedAt < ?)"),
        {now.toString(kStamp), now.toString(kStamp), id,
         now.addSecs(-kClaimSeconds).toString(kStamp)});
    return query.numRowsAffected() == 1;
}

void recordAttempt(Connection& db, qint64 id, const QString& state, const QString& answer,
                   const QDateTime& now) {
    db.execute(QStringLiteral("UPDATE AlarmOutbox SET State = ?, LastAnswer = ?, ClaimedAt = "
                              "NULL, SentAt = ? WHERE MessageID = ?"),
               {state, answer,
                state == QLatin1String("sent") ? QVariant(now.toString(kStamp))
                                               : QVariant(QMetaType::fromType<QString>()),
                id});
}
