#pragma once

#include <QSet>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <functional>
#include <memory>

class DbError;
struct sqlite3;

// The one database connection of a run: an SQLite file, or a register on a PostgreSQL site
// server, reached through Qt SQL. Every failure is raised as a DbError.
class Connection {
public:
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Opens an existing database file, or a site server given by a connection URI
    // (postgresql://user@host:5432/database). A missing file raises FileNotFound and is never
    // created; a file that is not an SQLite database raises a Damaged DbError, one that
    // another program keeps locked past the busy timeout a Busy one. A server that cannot be
    // reached, or that refuses the login, raises Unreachable naming the host, port, user,
    // password or database at fault, after at most a short connect timeout.
    void open(const QString& location);

    // How long a statement of a connection opened afterwards waits for another program's
    // lock before it fails as busy (5 s unless changed).
    static void setBusyTimeout(int milliseconds);
    static int busyTimeoutMs();
    // The password for site servers opened afterwards, kept in memory for the run only.
    // Empty leaves it to the server library's own PGPASSWORD and password file.
    static void setServerPassword(const QString& password);
    bool isOpen() const;
    void close();
    // What open() was given: a file path or a server URI.
    QString location() const { return location_; }
    bool isServer() const { return server_; }

    // Runs a statement that returns no rows, with bound values.
    void execute(const QString& sql, const QVariantList& params = {});
    // Runs a query and returns the first column of its first row (null when no row).
    QVariant scalar(const QString& sql, const QVariantList& params = {});
    // User tables by name, in the catalogue's order. On a server the names are lower case.
    QStringList tables();
    // Whether the table exists (a view does not count), its name compared without regard to
    // case.
    bool hasTable(const QString& name);

    void beginTransaction();
    void commit();
    void rollback();
    // Runs body in one transaction: committed when it returns, rolled back when it throws.
    // The failure that ended the body is the one passed on, even when the rollback fails too.
    void inTransaction(const std::function<void()>& body);
    // Whether a transaction begun on this connection is still open.
    bool transactionIsOpen() const { return transactionOpen_; }
    // Run after every BEGIN, COMMIT and ROLLBACK that succeeded: the audit trail of a file
    // counts its change sets there.
    void setTransactionBoundaryHook(std::function<void()> hook) {
        transactionBoundary_ = std::move(hook);
    }

    // On a file, has the first change of each table wait for meet(tables): a statement that
    // would change a table of the file not met yet in this session is refused while it is
    // prepared, the tables are met, and the statement runs again. meet's failure is the
    // statement's. The audit trail makes a table's triggers there, so that opening a register
    // of thousands of tables makes none. A table met inside a transaction that is rolled back
    // is met again at its next change. Null stops it.
    void setFirstChangeHook(std::function<void(const QStringList& tables)> meet);
    // Counts the table as met: its first change runs without the hook.
    void markTableMet(const QString& table);
    // Meets the tables a refused statement was to change; false when none was waiting.
    bool meetWaitingTables();

    QSqlDatabase& db() { return db_; }
    QString connectionName() const { return name_; }

    // What a statement does, as far as running it again on a new connection goes.
    enum class Statement { Read, Write, Begin, Commit, Rollback };
    static Statement statementOf(const QString& sql);

    // Runs one statement through attempt, which raises DbError when it fails. On a site server
    // a connection found lost before the statement is sent is opened again first, with the
    // same login and the run's password, and one lost under the statement is opened again and
    // the statement run once more when that cannot store anything twice: a read, the start of
    // a transaction, a rollback. A change whose outcome is unknown is never sent again; it
    // raises Unreachable saying so. Inside a transaction nothing is opened again: the
    // transaction's statements raise Unreachable until its rollback, which then succeeds.
    // When the server cannot be reached the statement raises Unreachable, and so does every
    // statement after it until the event loop turns, without waiting for the server again.
    void runStatement(Statement kind, const std::function<void()>& attempt);
    // Counts the times the connection to the server was opened again; a statement prepared
    // under an earlier count is prepared again before it runs.
    int generation() const { return generation_; }
    // Told, with the failure, every time a statement is refused because the site server cannot
    // be reached, and with null once a statement reaches it again.
    void setReachabilityListener(std::function<void(const DbError*)> listener);

private:
    void openFile(const QString& path);
    void openServer(const QString& uri);
    void discard();
    // Whether the server connection is gone: closed, or ended by the server (what it sent
    // before closing is read without waiting).
    bool connectionLost();
    // Runs the statement's checks before it is sent; false when it needs no running (the
    // rollback of a transaction that the lost connection has ended already).
    bool prepareFor(Statement kind);
    void reopen();
    [[noreturn]] void refuse(const DbError& error);
    void reachedAgain();
    void runOnFile(Statement kind, const std::function<void()>& attempt);
    // After a statement on a file: tables met in a transaction that ended without its commit
    // are met again.
    void settleMetTables(Statement kind, bool failed);
    static int authorize(void* self, int action, const char* table, const char* column,
                         const char* database, const char* trigger);

    QString name_;
    QString baseName_;
    QString location_;
    QSqlDatabase db_;
    bool open_ = false;
    bool server_ = false;

    int generation_ = 0;
    // While the connection is being opened, its own statements run as they are.
    bool opening_ = false;
    bool transactionOpen_ = false;
    bool transactionLost_ = false;
    bool unreachable_ = false;
    // Set when opening again failed, cleared when the event loop turns.
    std::shared_ptr<bool> holdOff_ = std::make_shared<bool>(false);
    std::unique_ptr<DbError> lastRefusal_;
    // Connections lost under the run: queries prepared on them still point at their drivers.
    QList<QSqlDatabase> retired_;
    QStringList retiredNames_;
    std::function<void(const DbError*)> listener_;
    std::function<void()> transactionBoundary_;

    sqlite3* native_ = nullptr;
    std::function<void(const QStringList&)> firstChange_;
    // Table names in lower case.
    QSet<QString> met_;
    QStringList metInTransaction_;
    QStringList waiting_;
    QString dropping_;
};

// Quotes a table or column name with double quotes, doubling any double quote inside it and
// lowering its ASCII letters: the schema's unquoted names fold to lower case on a server and
// SQLite ignores their case, so quoted and unquoted names agree on both engines.
QString quoteName(const QString& name);
