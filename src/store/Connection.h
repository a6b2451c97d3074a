#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariantList>

// The one database connection of a run: an SQLite file reached through Qt SQL.
// Every failure is raised as a DbError.
class Connection {
public:
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Opens an existing database file. A missing file raises FileNotFound and is never
    // created; a file that is not an SQLite database raises a Damaged DbError, one that
    // another program keeps locked past the busy timeout a Busy one.
    void open(const QString& path);

    // How long a statement of a connection opened afterwards waits for another program's
    // lock before it fails as busy (5 s unless changed).
    static void setBusyTimeout(int milliseconds);
    static int busyTimeoutMs();
    bool isOpen() const;
    void close();
    QString path() const { return path_; }

    // Runs a statement that returns no rows, with bound values.
    void execute(const QString& sql, const QVariantList& params = {});
    // Runs a query and returns the first column of its first row (null when no row).
    QVariant scalar(const QString& sql, const QVariantList& params = {});
    // User tables by name, in the catalogue's order.
    QStringList tables();

    void beginTransaction();
    void commit();
    void rollback();

    QSqlDatabase& db() { return db_; }
    QString connectionName() const { return name_; }

private:
    QString name_;
    QString path_;
    QSqlDatabase db_;
    bool open_ = false;
};

// Quotes a table name with back-quotes, doubling any back-quote inside it.
QString quoteName(const QString& name);
