#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>
#include <stdexcept>

class Connection;

// The alarm tables beside the register's own, so that one engineer's lists serve every
// engineer and the nightly timer:
//   AlarmRecipients: one row per list and address.
//   AlarmOutbox: every alarm message, one row per address, written before it is sent and
//     never deleted; its state (pending, sent, failed), attempts and the server's last answer
//     change as it is sent.
// Creates whichever is missing, inside the caller's transaction when there is one.
void createAlarmTables(Connection& db);
bool hasAlarmTables(Connection& db);
// createAlarmTables when either is missing.
void ensureAlarmTables(Connection& db);

// The lists, in the order the window and the command line show them.
const QStringList& alarmLists();
// Why the address cannot take mail, or nothing when it can: one local part, one @, a domain
// of dotted labels, and no space, control character, comma or angle bracket.
std::optional<QString> addressProblem(const QString& address);
// Why the list is not one of alarmLists(), or nothing.
std::optional<QString> listProblem(const QString& list);

// The addresses of a list, in the order they were added.
QStringList recipientsOf(Connection& db, const QString& list);
// Adds the address to the list (checked as above; raises RecipientRefused with the reason).
// False when the list already had it.
bool addRecipient(Connection& db, const QString& list, const QString& address);
// False when the list did not have it.
bool removeRecipient(Connection& db, const QString& list, const QString& address);

class RecipientRefused : public std::runtime_error {
public:
    explicit RecipientRefused(const QString& reason) : std::runtime_error(reason.toStdString()) {}
    QString reason() const { return QString::fromStdString(what()); }
};

// One row of AlarmOutbox.
struct OutboxMessage {
    qint64 id = 0;
    std::optional<qint64> eventId;
    QString instrumentId;
    QString kind; // amber, red, overdue, escalation, digest, test
    QString address;
    QString subject;
    QString body;
    QString attachmentName; // empty for none
    QByteArray attachment;
    QString state; // pending, sent, failed
    int attempts = 0;
    QString lastAnswer;
    QString createdAt;
    QString sentAt;
    QString spellKey; // the overdue spell a message tells of
};

// What one message says, before it is addressed.
struct AlarmMail {
    std::optional<qint64> eventId;
    QString instrumentId;
    QString kind;
    QString subject;
    QString body;
    QString attachmentName;
    QByteArray attachment;
    QString spellKey;
};

// Writes the mail as one pending row per address; returns how many.
int queueMail(Connection& db, const AlarmMail& mail, const QStringList& addresses,
              const QDateTime& now);
// Rows not yet sent (pending), oldest first; with their attachments only when asked.
QList<OutboxMessage> pendingMessages(Connection& db, bool withAttachments);
QList<OutboxMessage> allOutboxMessages(Connection& db);
// Rows pending or failed, oldest first.
QList<OutboxMessage> unsentMessages(Connection& db);
// Gives the pending rows of the event that have no attachment this one.
void attachToEvent(Connection& db, qint64 eventId, const QString& name, const QByteArray& data);
// Whether a message of the kind was ever written for the event, or for the spell.
bool eventHasMail(Connection& db, qint64 eventId, const QString& kind);
bool spellHasMail(Connection& db, const QString& spellKey);
// When the newest digest was written; invalid when none was.
QString lastDigestAt(Connection& db);

// Takes the row for one sending attempt: true when this run may send it (it is pending and no
// other run took it within the last ten minutes); counts the attempt.
bool claimMessage(Connection& db, qint64 id, const QDateTime& now);
// The outcome of an attempt: sent, failed (the server refused the address), or pending again.
void recordAttempt(Connection& db, qint64 id, const QString& state, const QString& answer,
                   const QDateTime& now);
