#pragma once

#include "store/AccessRole.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

class Connection;
class DbError;

// The group roles of a prepared site server, from the least to the most rights. They are
// NOLOGIN roles: each engineer logs in with a login of their own that is a member of one.
inline const QString kViewerRole = QStringLiteral("quorvelle_viewer");
inline const QString kEngineerRole = QStringLiteral("quorvelle_engineer");
inline const QString kAdminRole = QStringLiteral("quorvelle_admin");

// The group role of a role the program names ("viewer", "engineer", "admin"), or nullopt.
std::optional<AccessRole> accessRoleOf(const QString& name);
QString groupRoleOf(AccessRole role);

// The writes a group role is given on one table of the register: every role reads every
// table; an engineer's writes hold for the admin too. Tables the program adds later are put
// here, and a table put with no writes (an append-only log) is read-only for every login.
struct TableGrants {
    QString table;
    QString engineer; // e.g. "INSERT, UPDATE"; empty: none
    QString admin;    // beyond the engineer's
};
const QList<TableGrants>& registerTableGrants();
// What an engineer may do in a sensor's readings table.
inline const QString kReadingsGrants = QStringLiteral("INSERT, UPDATE, DELETE");

// Whether the server holds the program's roles and its functions in this database.
bool isPreparedServer(Connection& db);

// The role of the connection's login: Unrestricted on a file, on a server without the roles,
// and for the login that owns the register's tables.
AccessRole findLoginRole(Connection& db);

// Prepares the connection's server database for logins of their own: the group roles, the
// register's tables when missing (created from the bundled file's settings when it exists),
// the privileges, the default privileges of tables created later and the functions through
// which engineers create readings tables and administrators manage logins. admin becomes an
// administrator login (created without a password when missing: set it with the password
// change). Run by the database's owner, who needs CREATEROLE; running it again puts back
// what is missing. Raises DbError (InvalidArgument with the reason for a login without the
// rights).
void prepareServer(Connection& db, const QString& admin, const QString& bundledFile);

// Why name cannot be a login, in a sentence; empty when it can. Quotes, spaces and SQL in a
// name are fine (it is always quoted); an empty name, a control character, more than 63
// bytes, a "pg_" prefix or the name of a group role are not.
QString loginNameProblem(const QString& name);

struct SiteLogin {
    QString name;
    AccessRole role = AccessRole::None;
    bool operator==(const SiteLogin&) const = default;
};
// The logins holding one of the roles, by name.
QList<SiteLogin> siteLogins(Connection& db);
// Adds a login with the role and a password (stored by the server as its hash, never sent in
// plain text); an empty password leaves the login without one. Refusals (a bad name, a name
// in use) raise DbError with the reason.
void addSiteLogin(Connection& db, const QString& name, AccessRole role, const QString& password);
// Removes a login of the register, or gives it another role. Removing or demoting the last
// administrator is refused, as is a login that holds none of the roles.
void removeSiteLogin(Connection& db, const QString& name);
void setSiteLoginRole(Connection& db, const QString& name, AccessRole role);
// Changes the password of the connection's own login.
void changeOwnPassword(Connection& db, const QString& password);

// Creates and drops a sensor's readings table on a prepared server, through the server's own
// functions; false on a file or a server without the roles, where the caller does it itself.
bool createReadingsTableOnServer(Connection& db, const QString& instrumentId);
bool dropReadingsTableOnServer(Connection& db, const QString& instrumentId);

// Whether the connection to the server is encrypted (TLS); false on a file.
bool connectionEncrypted(Connection& db);

// The role of the login of the register in use, which the refusal of a write names; set when
// the register is opened (Unrestricted until then).
void setLoginRoleInUse(AccessRole role);
AccessRole loginRoleInUse();

// The number of a DbError raised for a change the server refused to the login's role (SQLSTATE
// 42501); its description is refusalMessage's.
constexpr int kRefusedToRole = -3112;
bool isRefusal(const DbError& error);

// The sentence shown for a write the server refused to the login:
// "Your login (viewer) may not change readings."; the object is read from the server's message.
QString refusalMessage(AccessRole role, const QString& serverMessage);
