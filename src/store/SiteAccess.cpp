#include "store/SiteAccess.h"

#include "store/CheckTables.h"

#include "store/AlarmStore.h"
#include "store/Connection.h"
#include "store/CorrectionTable.h"
#include "store/DbError.h"
#include "store/ReadingsTables.h"
#include "store/RegisterCopy.h"
#include "store/RevisionTable.h"
#include "store/Schema.h"
#include "store/SqlFailure.h"
#include "store/TriggerTables.h"

#include <QRegularExpression>
#include <QSqlQuery>
#include <algorithm>
#include <atomic>
#include <libpq-fe.h>

namespace {
constexpr int kMaxNameBytes = 63;
const QString kCreateFunction = QStringLiteral("quorvelle_create_readings_table");
const QString kDropFunction = QStringLiteral("quorvelle_drop_readings_table");
const QString kAddFunction = QStringLiteral("quorvelle_add_login");
const QString kRemoveFunction = QStringLiteral("quorvelle_remove_login");
const QString kRoleFunction = QStringLiteral("quorvelle_set_login_role");

// A login's name exactly as given: quoted, with its case, quotes doubled.
QString quotedLogin(const QString& name) {
    QString quoted = name;
    quoted.replace('"', QStringLiteral("\"\""));
    return '"' + quoted + '"';
}

QString sqlText(const QString& text) {
    QString quoted = text;
    quoted.replace('\'', QStringLiteral("''"));
    return '\'' + quoted + '\'';
}

QStringList groupRoles() {
    return {kViewerRole, kEngineerRole, kAdminRole};
}

// The names of the register's own tables, as the server stores them, for the functions'
// refusal to touch any of them as a readings table.
QString fixedTablesSql() {
    QStringList names;
    for (const TableGrants& grants : registerTableGrants()) {
        names << sqlText(grants.table.toLower());
    }
    return names.join(", ");
}

QString groupRolesSql() {
    QStringList names;
    for (const QString& role : groupRoles()) {
        names << sqlText(role);
    }
    return names.join(", ");
}

// The members of the group roles that may log in; a query of (name, group) pairs.
const QString kLoginsSql = QStringLiteral(
    "SELECT u.rolname, g.rolname FROM pg_auth_members m JOIN pg_roles g ON g.oid = m.roleid "
    "JOIN pg_roles u ON u.oid = m.member WHERE u.rolcanlogin AND g.rolname IN (%1) "
    "ORDER BY u.rolname, g.rolname");

// Refusals raised inside the functions, for a login that calls them through psql; the program
// checks the same things first and says so in its own words.
QString loginGuardsSql() {
    return "IF grp IS NOT NULL AND grp NOT IN (" + groupRolesSql() +
           ") THEN RAISE EXCEPTION 'There is no role %.', grp USING ERRCODE = '22023'; END IF; "
           "IF login IS NULL OR login = '' OR login LIKE 'pg\\_%' OR login IN (" +
           groupRolesSql() +
           ") THEN RAISE EXCEPTION 'The name % cannot be a login.', login USING ERRCODE = "
           "'22023'; END IF; ";
}

// True when login is the only administrator login left.
QString lastAdminSql() {
    return "EXISTS (SELECT 1 FROM pg_auth_members m JOIN pg_roles u ON u.oid = m.member WHERE "
           "m.roleid = (SELECT oid FROM pg_roles WHERE rolname = " +
           sqlText(kAdminRole) +
           ") AND u.rolname = login) AND NOT EXISTS (SELECT 1 FROM pg_auth_members m JOIN "
           "pg_roles u ON u.oid = m.member WHERE m.roleid = (SELECT oid FROM pg_roles WHERE "
           "rolname = " +
           sqlText(kAdminRole) + ") AND u.rolcanlogin AND u.rolname <> login)";
}

QString holdsNoRoleSql() {
    return "NOT EXISTS (SELECT 1 FROM pg_auth_members m JOIN pg_roles g ON g.oid = m.roleid "
           "JOIN pg_roles u ON u.oid = m.member WHERE u.rolname = login AND g.rolname IN (" +
           groupRolesSql() + "))";
}

// Takes from login every group role it holds.
QString revokeRolesSql() {
    return "DECLARE held text; BEGIN FOR held IN SELECT g.rolname FROM pg_auth_members m JOIN "
           "pg_roles g ON g.oid = m.roleid JOIN pg_roles u ON u.oid = m.member WHERE u.rolname = "
           "login AND g.rolname IN (" +
           groupRolesSql() +
           ") LOOP EXECUTE format('REVOKE %I FROM %I', held, login); END LOOP; END; ";
}

QString definerFunction(const QString& name, const QString& arguments, const QString& body) {
    return "CREATE OR REPLACE FUNCTION " + name + "(" + arguments +
           ") RETURNS void LANGUAGE plpgsql SECURITY DEFINER SET search_path = public, pg_temp "
           "AS $body$ BEGIN " +
           body + " END $body$";
}

// The functions run with the rights of the register's owner, each for the one thing its
// callers may do: no login gets the right to create or drop tables or roles of its own.
QStringList functionStatements(Connection& db) {
    // The statement of a readings table, as createReadingsTable writes it on a server, with
    // the table's name left to format().
    QString tableSql = readingsTableStatement(db, QStringLiteral("%I"));
    tableSql.replace('\'', QStringLiteral("''"));
    const QString guardTable = "IF id IS NULL OR id = '' OR lower(id) IN (" + fixedTablesSql() +
                               ") OR lower(id) LIKE 'pg\\_%' THEN RAISE EXCEPTION '% is not a "
                               "readings table.', id USING ERRCODE = '22023'; END IF; ";
    const QString loginOnly =
        "IF " + holdsNoRoleSql() +
        " THEN RAISE EXCEPTION 'The login % holds no role of the register.', login USING "
        "ERRCODE = '42704'; END IF; ";
    const QString lock = QStringLiteral("PERFORM pg_advisory_xact_lock(hashtext('quorvelle "
                                        "logins')); ");
    const QString lastAdmin =
        "IF " + lastAdminSql() +
        " THEN RAISE EXCEPTION 'The login % is the last administrator.', login USING ERRCODE = "
        "'55000'; END IF; ";
    // Where the audit trail is installed, the new table records its changes from the start;
    // the trigger is the owner's to make, so the function makes it.
    const QString auditNewReadingsSql = QStringLiteral(
        " IF to_regproc('auditlog_record') IS NOT NULL THEN EXECUTE format('CREATE OR REPLACE "
        "TRIGGER AuditLog_Record AFTER INSERT OR UPDATE OR DELETE ON %I FOR EACH ROW EXECUTE "
        "FUNCTION auditlog_record(%L, %L, %L)', lower(id), 'datetimekey', id, id); END IF;");
    return {
        definerFunction(kCreateFunction, QStringLiteral("id text"),
                        guardTable + "EXECUTE format('" + tableSql +
                            "', lower(id)); EXECUTE format('CREATE INDEX %I ON %I (FullDate)', "
                            "lower('ix_' || id || '_FullDate'), lower(id)); EXECUTE "
                            "format('GRANT " +
                            kReadingsGrants + " ON %I TO " + kEngineerRole + "', lower(id));" +
                            auditNewReadingsSql),
        definerFunction(kDropFunction, QStringLiteral("id text"),
                        guardTable + "EXECUTE format('DROP TABLE %I', lower(id));"),
        definerFunction(kAddFunction, QStringLiteral("login text, grp text, verifier text"),
                        loginGuardsSql() + lock +
                            "IF coalesce(verifier, '') = '' THEN EXECUTE format('CREATE ROLE %I "
                            "LOGIN IN ROLE %I', login, grp); ELSE EXECUTE format('CREATE ROLE "
                            "%I LOGIN PASSWORD %L IN ROLE %I', login, verifier, grp); END IF;"),
        definerFunction(kRemoveFunction, QStringLiteral("login text"),
                        "DECLARE grp text := NULL; BEGIN " + loginGuardsSql() + lock + loginOnly +
                            lastAdmin + "EXECUTE format('DROP ROLE %I', login); END;"),
        definerFunction(kRoleFunction, QStringLiteral("login text, grp text"),
                        loginGuardsSql() + lock + loginOnly + "IF grp <> " + sqlText(kAdminRole) +
                            " AND " + lastAdminSql() +
                            " THEN RAISE EXCEPTION 'The login % is the last administrator.', "
                            "login USING ERRCODE = '55000'; END IF; " +
                            revokeRolesSql() + "EXECUTE format('GRANT %I TO %I', grp, login);"),
    };
}
} // namespace

std::optional<AccessRole> accessRoleOf(const QString& name) {
    if (name == QLatin1String("viewer")) {
        return AccessRole::Viewer;
    }
    if (name == QLatin1String("engineer")) {
        return AccessRole::Engineer;
    }
    if (name == QLatin1String("admin")) {
        return AccessRole::Admin;
    }
    return std::nullopt;
}

QString groupRoleOf(AccessRole role) {
    switch (role) {
    case AccessRole::Viewer:
        return kViewerRole;
    case AccessRole::Engineer:
        return kEngineerRole;
    case AccessRole::Admin:
        return kAdminRole;
    case AccessRole::Unrestricted:
    case AccessRole::None:
        break;
    }
    return {};
}

const QList<TableGrants>& registerTableGrants() {
    static const QList<TableGrants> grants{
        {"Sensors", "INSERT, UPDATE", "DELETE"},
        {"NetworkConfig", "INSERT, UPDATE, DELETE", ""},
        {"Configuration", "", "INSERT, UPDATE, DELETE"},
        {"Prefs", "INSERT, UPDATE, DELETE", ""},
        // The readings template: emptied and filled only by a restore.
        {"sensordata", "", "INSERT, DELETE"},
        {"TriggerLevels", "", "INSERT, UPDATE, DELETE"},
        {"TriggerEvents", "INSERT, UPDATE", ""},
        {"TriggerEventClosures", "INSERT", ""},
        {"ResponsePlans", "", "INSERT, UPDATE, DELETE"},
        {"SensorRevisions", "INSERT, UPDATE, DELETE", ""},
        {"TemperatureCorrection", "INSERT, UPDATE, DELETE", ""},
        {"AlarmRecipients", "", "INSERT, UPDATE, DELETE"},
        {"AlarmOutbox", "INSERT, UPDATE, DELETE", ""},
        {"ReadingFlags", "INSERT, UPDATE, DELETE", ""},
        {"ReadingRejections", "INSERT", ""},
        {"ReadingCheckSettings", "", "INSERT, UPDATE, DELETE"},
        {"SensorPositions", "INSERT, UPDATE, DELETE", ""},
        {"LevelPlans", "INSERT, UPDATE, DELETE", ""},
        {"ChartBatchState", "INSERT, UPDATE, DELETE", ""},
        // The audit trail is written by the owner's trigger function only.
        {"AuditLog", "", ""},
    };
    return grants;
}

bool isPreparedServer(Connection& db) {
    return db.isServer() &&
           !db.scalar("SELECT to_regprocedure(?)", {kCreateFunction + "(text)"}).isNull();
}

AccessRole findLoginRole(Connection& db) {
    if (!db.isServer()) {
        return AccessRole::Unrestricted;
    }
    // Role oids rather than names: a server without the roles gives null, not an error.
    const QString member =
        QStringLiteral("pg_has_role((SELECT oid FROM pg_roles WHERE rolname = '%1'), 'USAGE')");
    const QString role =
        db.scalar("SELECT CASE WHEN to_regprocedure('" + kCreateFunction +
                  "(text)') IS NULL THEN 'unrestricted' WHEN (SELECT rolsuper FROM pg_roles "
                  "WHERE rolname = current_user) OR pg_get_userbyid((SELECT relowner FROM "
                  "pg_class WHERE oid = to_regclass('sensors'))) = current_user THEN "
                  "'unrestricted' WHEN " +
                  member.arg(kAdminRole) + " THEN 'admin' WHEN " + member.arg(kEngineerRole) +
                  " THEN 'engineer' WHEN " + member.arg(kViewerRole) +
                  " THEN 'viewer' ELSE 'none' END")
            .toString();
    if (role == QLatin1String("unrestricted")) {
        return AccessRole::Unrestricted;
    }
    return accessRoleOf(role).value_or(AccessRole::None);
}

void prepareServer(Connection& db, const QString& admin, const QString& bundledFile) {
    if (!db.isServer()) {
        throw DbError(ErrorCode::InvalidArgument,
                      QStringLiteral("Only a site server has logins and roles; a database file "
                                     "gives every user of the computer full rights."));
    }
    const QString adminProblem = loginNameProblem(admin);
    if (!adminProblem.isEmpty()) {
        throw DbError(ErrorCode::InvalidArgument, adminProblem);
    }
    const QString runner = db.scalar(QStringLiteral("SELECT current_user")).toString();
    if (!db.scalar(QStringLiteral("SELECT rolsuper OR rolcreaterole FROM pg_roles WHERE "
                                  "rolname = current_user"))
             .toBool()) {
        throw DbError(ErrorCode::InvalidArgument,
                      "The login " + runner +
                          " may not create roles. The database's owner prepares the server, "
                          "with the CREATEROLE right (a superuser gives it with ALTER ROLE " +
                          quotedLogin(runner) + " CREATEROLE).");
    }
    if (!hasRegister(db)) {
        createServerRegister(db, bundledFile);
    }
    createTriggerTables(db);
    addMissingLevelColumns(db);
    db.inTransaction([&] {
        createRevisionTableWithin(db);
        createCorrectionTableWithin(db);
        createAlarmTables(db);
    });
    // Made here by the owner, since the roles may not make tables of their own.
    createCheckTables(db);
    const QStringList present = db.tables();
    QStringList fixed;
    for (const TableGrants& grants : registerTableGrants()) {
        fixed << grants.table;
    }
    db.inTransaction([&] {
        for (const QString& role : groupRoles()) {
            if (db.scalar(QStringLiteral("SELECT 1 FROM pg_roles WHERE rolname = ?"), {role})
                    .isNull()) {
                db.execute("CREATE ROLE " + role + " NOLOGIN");
            }
        }
        db.execute("GRANT " + kViewerRole + " TO " + kEngineerRole);
        db.execute("GRANT " + kEngineerRole + " TO " + kAdminRole);
        const QString all = kViewerRole + ", " + kEngineerRole + ", " + kAdminRole;
        db.execute(QStringLiteral("REVOKE CREATE ON SCHEMA public FROM PUBLIC"));
        db.execute("GRANT USAGE ON SCHEMA public TO " + kViewerRole);
        for (const TableGrants& grants : registerTableGrants()) {
            if (!present.contains(grants.table, Qt::CaseInsensitive)) {
                continue;
            }
            const QString table = quoteName(grants.table);
            db.execute("REVOKE ALL ON " + table + " FROM PUBLIC, " + all);
            db.execute("GRANT SELECT ON " + table + " TO " + kViewerRole);
            if (!grants.engineer.isEmpty()) {
                db.execute("GRANT " + grants.engineer + " ON " + table + " TO " + kEngineerRole);
            }
            if (!grants.admin.isEmpty()) {
                db.execute("GRANT " + grants.admin + " ON " + table + " TO " + kAdminRole);
            }
        }
        for (const QString& table : registerTables(db)) {
            if (!fixed.contains(table, Qt::CaseInsensitive)) {
                db.execute("GRANT SELECT ON " + quoteName(table) + " TO " + kViewerRole);
                db.execute("GRANT " + kReadingsGrants + " ON " + quoteName(table) + " TO " +
                           kEngineerRole);
            }
        }
        db.execute("GRANT USAGE, SELECT ON ALL SEQUENCES IN SCHEMA public TO " + kEngineerRole);
        // A restore numbers on from the rows it puts back, which moves the numbering.
        db.execute("GRANT UPDATE ON ALL SEQUENCES IN SCHEMA public TO " + kAdminRole);
        // Tables made later through the owner's functions can be read by every login; the
        // writes each one allows are granted where it is made.
        db.execute("ALTER DEFAULT PRIVILEGES IN SCHEMA public GRANT SELECT ON TABLES TO " +
                   kViewerRole);
        db.execute("ALTER DEFAULT PRIVILEGES IN SCHEMA public GRANT USAGE, SELECT ON SEQUENCES "
                   "TO " +
                   kEngineerRole);
        db.execute("ALTER DEFAULT PRIVILEGES IN SCHEMA public GRANT UPDATE ON SEQUENCES TO " +
                   kAdminRole);
        for (const QString& statement : functionStatements(db)) {
            db.execute(statement);
        }
        const QList<std::pair<QString, QString>> executes{
            {kCreateFunction + "(text)", kEngineerRole},
            {kDropFunction + "(text)", kAdminRole},
            {kAddFunction + "(text, text, text)", kAdminRole},
            {kRemoveFunction + "(text)", kAdminRole},
            {kRoleFunction + "(text, text)", kAdminRole}};
        for (const auto& [function, role] : executes) {
            db.execute("REVOKE ALL ON FUNCTION " + function + " FROM PUBLIC");
            db.execute("GRANT EXECUTE ON FUNCTION " + function + " TO " + role);
        }
        if (db.scalar(QStringLiteral("SELECT 1 FROM pg_roles WHERE rolname = ?"), {admin})
                .isNull()) {
            db.execute("CREATE ROLE " + quotedLogin(admin) + " LOGIN");
        }
        db.execute("GRANT " + kAdminRole + " TO " + quotedLogin(admin));
    });
}

QString loginNameProblem(const QString& name) {
    if (name.isEmpty()) {
        return QStringLiteral("A login needs a name.");
    }
    if (std::any_of(name.begin(), name.end(),
                    [](QChar c) { return c.category() == QChar::Other_Control; })) {
        return QStringLiteral("A login's name may not contain control characters.");
    }
    if (name.toUtf8().size() > kMaxNameBytes) {
        return QStringLiteral("A login's name may be at most %1 bytes long.").arg(kMaxNameBytes);
    }
    if (name.startsWith(QLatin1String("pg_"), Qt::CaseInsensitive)) {
        return QStringLiteral("Names beginning with \"pg_\" belong to the server itself.");
    }
    if (groupRoles().contains(name)) {
        return "\"" + name + "\" is one of the register's roles, not a login.";
    }
    return {};
}

QList<SiteLogin> siteLogins(Connection& db) {
    QList<SiteLogin> logins;
    QSqlQuery query = runQuery(db, kLoginsSql.arg(groupRolesSql()), {});
    while (query.next()) {
        const QString name = query.value(0).toString();
        const int rank = static_cast<int>(groupRoles().indexOf(query.value(1).toString())) + 2;
        const AccessRole role = static_cast<AccessRole>(rank);
        if (!logins.isEmpty() && logins.last().name == name) {
            logins.last().role = std::max(logins.last().role, role);
        } else {
            logins.append({name, role});
        }
    }
    return logins;
}

namespace {
void requireLoginName(const QString& name) {
    const QString problem = loginNameProblem(name);
    if (!problem.isEmpty()) {
        throw DbError(ErrorCode::InvalidArgument, problem);
    }
}

void requireRole(AccessRole role) {
    if (groupRoleOf(role).isEmpty()) {
        throw DbError(ErrorCode::InvalidArgument,
                      QStringLiteral("A login is a viewer, an engineer or an admin."));
    }
}

std::optional<SiteLogin> siteLogin(Connection& db, const QString& name) {
    for (const SiteLogin& login : siteLogins(db)) {
        if (login.name == name) {
            return login;
        }
    }
    return std::nullopt;
}

SiteLogin requireSiteLogin(Connection& db, const QString& name) {
    requireLoginName(name);
    const std::optional<SiteLogin> login = siteLogin(db, name);
    if (!login) {
        throw DbError(ErrorCode::InvalidArgument,
                      "There is no login \"" + name + "\" of the register.");
    }
    return *login;
}

void refuseLastAdmin(Connection& db, const SiteLogin& login) {
    if (login.role != AccessRole::Admin) {
        return;
    }
    for (const SiteLogin& other : siteLogins(db)) {
        if (other.role == AccessRole::Admin && other.name != login.name) {
            return;
        }
    }
    throw DbError(ErrorCode::InvalidArgument,
                  "\"" + login.name +
                      "\" is the register's last administrator: make another login an "
                      "administrator first.");
}

// The password as the server stores it (its SCRAM hash), so that the text itself never
// travels or reaches a server log.
QString passwordVerifier(Connection& db, const QString& user, const QString& password) {
    PGconn* conn = serverConnection(db);
    if (conn == nullptr) {
        throw DbError(ErrorCode::NotOpen, QStringLiteral("The site server is not connected."));
    }
    char* verifier = PQencryptPasswordConn(conn, password.toUtf8().constData(),
                                           user.toUtf8().constData(), nullptr);
    if (verifier == nullptr) {
        throw DbError(ErrorCode::ServerFailure,
                      "The password could not be prepared for the site server: " +
                          QString::fromUtf8(PQerrorMessage(conn)).trimmed());
    }
    const QString text = QString::fromUtf8(verifier);
    PQfreemem(verifier);
    return text;
}
} // namespace

void addSiteLogin(Connection& db, const QString& name, AccessRole role, const QString& password) {
    requireLoginName(name);
    requireRole(role);
    if (!db.scalar(QStringLiteral("SELECT 1 FROM pg_roles WHERE rolname = ?"), {name}).isNull()) {
        throw DbError(ErrorCode::InvalidArgument,
                      "There is a login or role \"" + name + "\" on the server already.");
    }
    const QString verifier = password.isEmpty() ? QString() : passwordVerifier(db, name, password);
    db.scalar("SELECT " + kAddFunction + "(?, ?, ?)", {name, groupRoleOf(role), verifier});
}

void removeSiteLogin(Connection& db, const QString& name) {
    const SiteLogin login = requireSiteLogin(db, name);
    refuseLastAdmin(db, login);
    db.scalar("SELECT " + kRemoveFunction + "(?)", {name});
}

void setSiteLoginRole(Connection& db, const QString& name, AccessRole role) {
    requireRole(role);
    const SiteLogin login = requireSiteLogin(db, name);
    if (role != AccessRole::Admin) {
        refuseLastAdmin(db, login);
    }
    db.scalar("SELECT " + kRoleFunction + "(?, ?)", {name, groupRoleOf(role)});
}

void changeOwnPassword(Connection& db, const QString& password) {
    if (password.isEmpty()) {
        throw DbError(ErrorCode::InvalidArgument, QStringLiteral("The new password is empty."));
    }
    const QString user = db.scalar(QStringLiteral("SELECT current_user")).toString();
    // The hash holds letters, digits and "$:+/=" only; the statement takes no bound value.
    db.execute("ALTER ROLE CURRENT_USER PASSWORD " + sqlText(passwordVerifier(db, user, password)));
}

bool createReadingsTableOnServer(Connection& db, const QString& instrumentId) {
    if (!isPreparedServer(db)) {
        return false;
    }
    db.scalar("SELECT " + kCreateFunction + "(?)", {instrumentId});
    return true;
}

bool dropReadingsTableOnServer(Connection& db, const QString& instrumentId) {
    if (!isPreparedServer(db)) {
        return false;
    }
    db.scalar("SELECT " + kDropFunction + "(?)", {instrumentId});
    return true;
}

bool isRefusal(const DbError& error) {
    return error.number() == kRefusedToRole;
}

bool connectionEncrypted(Connection& db) {
    PGconn* conn = serverConnection(db);
    return conn != nullptr && PQsslInUse(conn) == 1;
}

namespace {
std::atomic<AccessRole> roleInUse{AccessRole::Unrestricted};
} // namespace

void setLoginRoleInUse(AccessRole role) {
    roleInUse.store(role);
}

AccessRole loginRoleInUse() {
    return roleInUse.load();
}

QString refusalMessage(AccessRole role, const QString& serverMessage) {
    static const QRegularExpression object(
        QStringLiteral("(?:table|relation|function) \"?([A-Za-z0-9_]+)\"?"));
    const QRegularExpressionMatch match = object.match(serverMessage);
    const QString name = match.hasMatch() ? match.captured(1).toLower() : QString();
    static const QList<std::pair<QString, QString>> objects{
        {"sensors", "sensors"},
        {"networkconfig", "sensors"},
        {"temperaturecorrection", "sensors"},
        {kDropFunction, "sensors"},
        {kCreateFunction, "sensors"},
        {"sensordata", "readings"},
        {"triggerlevels", "trigger levels"},
        {"triggerevents", "events"},
        {"triggereventclosures", "events"},
        {"responseplans", "response plans"},
        {"sensorrevisions", "revisions"},
        {"alarmrecipients", "alarm recipients"},
        {"alarmoutbox", "alarm mail"},
        {"configuration", "settings"},
        {"prefs", "settings"},
        {"auditlog", "the history"},
        {kAddFunction, "logins"},
        {kRemoveFunction, "logins"},
        {kRoleFunction, "logins"},
    };
    QString what = QStringLiteral("the register");
    for (const auto& [table, words] : objects) {
        if (name == table) {
            what = words;
        }
    }
    static const QRegularExpression digits(QStringLiteral("^[0-9]+$"));
    if (what == QLatin1String("the register") && digits.match(name).hasMatch()) {
        what = QStringLiteral("readings");
    }
    return "Your login (" + accessRoleName(role) + ") may not change " + what + ".";
}

QString accessRoleName(AccessRole role) {
    switch (role) {
    case AccessRole::Unrestricted:
        return QStringLiteral("full rights");
    case AccessRole::None:
        return QStringLiteral("no role");
    case AccessRole::Viewer:
        return QStringLiteral("viewer");
    case AccessRole::Engineer:
        return QStringLiteral("engineer");
    case AccessRole::Admin:
        return QStringLiteral("admin");
    }
    return {};
}

bool accessAllows(AccessRole role, AccessRole needed) {
    return role == AccessRole::Unrestricted || static_cast<int>(role) >= static_cast<int>(needed);
}
