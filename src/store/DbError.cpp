#include "store/DbError.h"

#include "store/SiteAccess.h"

#include <sqlite3.h>

DbErrorKind sqliteErrorKind(int code, const QString& message) {
    switch (code & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return DbErrorKind::Busy;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return DbErrorKind::Damaged;
    case SQLITE_FULL:
    case SQLITE_READONLY:
        return DbErrorKind::FullOrReadOnly;
    case SQLITE_CONSTRAINT:
        return DbErrorKind::Constraint;
    case SQLITE_ERROR:
        // SQLite has no code of its own for a missing table or column; its message is fixed.
        if (message.startsWith(QLatin1String("no such table")) ||
            message.startsWith(QLatin1String("no such column"))) {
            return DbErrorKind::MissingObject;
        }
        return DbErrorKind::Other;
    default:
        return DbErrorKind::Other;
    }
}

DbError sqliteError(int code, const QString& message) {
    return DbError(code, message, sqliteErrorKind(code, message));
}

DbErrorKind serverErrorKind(const QString& sqlState) {
    if (sqlState == QLatin1String("55P03") || sqlState == QLatin1String("40001") ||
        sqlState == QLatin1String("40P01")) {
        return DbErrorKind::Busy;
    }
    if (sqlState == QLatin1String("42P01") || sqlState == QLatin1String("42703")) {
        return DbErrorKind::MissingObject;
    }
    if (sqlState == QLatin1String("53100") || sqlState == QLatin1String("25006")) {
        return DbErrorKind::FullOrReadOnly;
    }
    if (sqlState == QLatin1String("57P01") || sqlState == QLatin1String("57P02") ||
        sqlState == QLatin1String("57P03")) {
        return DbErrorKind::Unreachable;
    }
    if (sqlState.startsWith(QLatin1String("23"))) {
        return DbErrorKind::Constraint;
    }
    if (sqlState.startsWith(QLatin1String("08"))) {
        return DbErrorKind::Unreachable;
    }
    return DbErrorKind::Other;
}

DbError serverError(const QString& sqlState, const QString& message) {
    // A change the server refused to the login's role is told in the role's words.
    if (sqlState == QLatin1String("42501")) {
        return DbError(kRefusedToRole, refusalMessage(loginRoleInUse(), message));
    }
    return DbError(ErrorCode::ServerFailure, message, serverErrorKind(sqlState));
}

QString failureReason(const DbError& error) {
    switch (error.kind()) {
    case DbErrorKind::Busy:
        return QStringLiteral("the database is in use by another program; try again");
    case DbErrorKind::Damaged:
        return QStringLiteral("the database file is damaged or is not a database");
    case DbErrorKind::MissingObject:
        return "the database lacks a table or column it needs (" + error.description() + ")";
    case DbErrorKind::FullOrReadOnly:
        return QStringLiteral("the disk is full or the database file cannot be written");
    case DbErrorKind::Constraint:
        return "the database refused a value (" + error.description() + ")";
    case DbErrorKind::Conflict:
        return error.description();
    case DbErrorKind::Unreachable:
        return "the site server cannot be reached (" + error.description() + ")";
    case DbErrorKind::Other:
        break;
    }
    // The refusal is a sentence of its own.
    if (error.number() == kRefusedToRole && error.description().endsWith('.')) {
        return error.description().chopped(1);
    }
    return error.description();
}
