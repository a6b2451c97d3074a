#include "store/AppendOnlyRules.h"

#include "store/Connection.h"
#include "store/SqlFailure.h"

#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>

bool appendOnlyRulesIntact(Connection& db, const QString& table, const QString& function,
                           const QString& functionBody, std::span<const ServerRule> serverRules,
                           const QStringList& fileRules) {
    if (db.isServer()) {
        QStringList wanted;
        for (const ServerRule& rule : serverRules) {
            wanted << QStringLiteral("('%1', %2)").arg(QString(rule.name).toLower()).arg(rule.type);
        }
        const QString relation = "to_regclass('" + table.toLower() + "')";
        QSqlQuery query = runQuery(
            db,
            "SELECT " + relation +
                " IS NULL OR (SELECT count(*) FROM pg_trigger t JOIN pg_proc p "
                "ON p.oid = t.tgfoid WHERE t.tgrelid = " +
                relation + " AND t.tgenabled IN ('O', 'A') AND p.oid = to_regprocedure('" +
                function + "()') AND p.prosrc = ? AND (t.tgname::text, t.tgtype::integer) IN (" +
                wanted.join(", ") + ")) = " + QString::number(serverRules.size()),
            {functionBody});
        return query.next() && query.value(0).toBool();
    }
    QSqlQuery query = runQuery(db,
                               "SELECT type, sql FROM sqlite_master WHERE tbl_name = ? COLLATE "
                               "NOCASE AND type IN ('table', 'trigger')",
                               {table});
    bool present = false;
    QStringList rules;
    while (query.next()) {
        if (query.value(0).toString() == QLatin1String("table")) {
            present = true;
        } else {
            rules << query.value(1).toString();
        }
    }
    if (query.lastError().isValid()) {
        raiseSqlError(db, query.lastError());
    }
    return !present || std::all_of(fileRules.begin(), fileRules.end(),
                                   [&](const QString& rule) { return rules.contains(rule); });
}
