#pragma once

#include <QString>
#include <QStringList>
#include <span>

class Connection;

// A server trigger that keeps a table append-only: its name, when it fires, and the
// catalogue's pg_trigger.tgtype for that (row 1, before 2, delete 8, update 16, truncate 32).
struct ServerRule {
    const char* name;
    const char* timing;
    int type;
};

// Whether the rules that keep a table append-only stand. On a server: every one of
// serverRules enabled and calling function() whose body is still functionBody; on a file:
// every one of fileRules as sqlite_master keeps it. A table that does not exist has nothing to
// protect. A catalogue that cannot be read raises.
bool appendOnlyRulesIntact(Connection& db, const QString& table, const QString& function,
                           const QString& functionBody, std::span<const ServerRule> serverRules,
                           const QStringList& fileRules);
