#pragma once

#include <QString>

// What a login may do in the register. A database file, and a site server not prepared with
// the program's roles, give full rights; on a prepared server the login's role decides, and
// the server itself refuses what the role does not allow.
enum class AccessRole {
    Unrestricted, // a file, a server without the roles, or the login that owns the register
    None,         // a login of a prepared server that holds none of the roles: it reads nothing
    Viewer,       // reads everything
    Engineer,     // also adds and edits sensors and readings, imports, acknowledges events
    Admin,        // also deletes sensors, sets trigger levels and alarm recipients, restores,
                  // manages logins
};

// "viewer", "engineer", "admin"; "owner" for full rights and "no role" for None.
QString accessRoleName(AccessRole role);

// Whether a login of role may use a command that needs the role needed.
bool accessAllows(AccessRole role, AccessRole needed);
