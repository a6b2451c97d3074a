#include "store/Guard.h"

#include "store/LogFile.h"

void ErrorLog::report(int number, const QString& description, const QString& tag) const {
    if (clock == nullptr) {
        return;
    }
    WriteLog(dataFolder, *clock, "Err #" + QString::number(number) + ": " + description + tag);
}

void ErrorLog::report(const DbError& error, const QString& tag) const {
    report(error.number(), error.description(), tag);
}

bool guarded(const ErrorLog& log, const QString& tag, const std::function<void()>& body) {
    try {
        body();
        return true;
    } catch (const DbError& e) {
        log.report(e, tag);
    } catch (const std::exception& e) {
        log.report(ErrorCode::InvalidArgument, QString::fromLocal8Bit(e.what()), tag);
    }
    return false;
}

void ignoring(const std::function<void()>& body) {
    try {
        body();
    } catch (const std::exception&) {
        // Skipped by design: the caller goes on with its next statement.
    }
}
