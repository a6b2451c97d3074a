#include "store/Guard.h"

#include "store/LogFile.h"
#include "store/RefusalHandler.h"
#include "store/SiteAccess.h"

#include <QCoreApplication>
#include <QThread>
#include <optional>

void ErrorLog::report(int number, const QString& description, const QString& tag) const {
    if (clock == nullptr) {
        return;
    }
    WriteLog(dataFolder, *clock, "Err #" + QString::number(number) + ": " + description + tag);
}

void ErrorLog::report(const DbError& error, const QString& tag) const {
    report(error.number(), error.description(), tag);
}

namespace {
std::function<void(const DbError&)>& refusalHandler() {
    static std::function<void(const DbError&)> handler;
    return handler;
}
} // namespace

void setRefusalHandler(std::function<void(const DbError&)> handler) {
    refusalHandler() = std::move(handler);
}

bool guarded(const ErrorLog& log, const QString& tag, const std::function<void()>& body) {
    return guarded(log, tag, nullptr, body);
}

bool guarded(const ErrorLog& log, const QString& tag,
             const std::function<void(const DbError&)>& onFailure,
             const std::function<void()>& body) {
    std::optional<DbError> failure;
    try {
        body();
        return true;
    } catch (const DbError& e) {
        failure = e;
    } catch (const std::exception& e) {
        failure = DbError(ErrorCode::InvalidArgument, QString::fromLocal8Bit(e.what()));
    }
    log.report(*failure, tag);
    // The handler shows a window: only the thread of the windows may call it.
    const QCoreApplication* app = QCoreApplication::instance();
    if (!onFailure && isRefusal(*failure) && refusalHandler() && app != nullptr &&
        QThread::currentThread() == app->thread()) {
        guarded(log, tag, [&] { refusalHandler()(*failure); });
        return false;
    }
    if (onFailure) {
        guarded(log, tag, [&] { onFailure(*failure); });
    }
    return false;
}

void ignoring(const ErrorLog& log, const QString& tag, const std::function<void()>& body) {
    guarded(log, tag, body);
}
