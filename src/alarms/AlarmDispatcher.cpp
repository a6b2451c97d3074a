#include "alarms/AlarmDispatcher.h"

#include "store/Connection.h"
#include "store/DbError.h"

#include <QCoreApplication>
#include <QThread>

AlarmDispatcher::AlarmDispatcher(const Clock& clock, QObject* parent)
    : QObject(parent), clock_(clock) {}

AlarmDispatcher::~AlarmDispatcher() {
    again_ = false;
    if (thread_ != nullptr) {
        thread_->wait();
        delete thread_;
    }
}

void AlarmDispatcher::deliver() {
    if (thread_ != nullptr) {
        again_ = true;
        return;
    }
    start();
}

void AlarmDispatcher::start() {
    const QString where = location ? location() : QString();
    if (where.isEmpty()) {
        return;
    }
    if (beforeRun) {
        beforeRun();
    }
    const MailSettings settings = readMailSettings(settingsFile);
    thread_ = QThread::create([this, where, settings] {
        DeliveryReport report;
        try {
            Connection db;
            db.open(where);
            report = deliverAlarms(db, settings, clock_);
        } catch (const DbError& e) {
            report.stopped = QStringLiteral("The outbox could not be read: ") + e.description();
        } catch (const std::exception& e) {
            report.stopped =
                QStringLiteral("The outbox could not be read: ") + QString::fromStdString(e.what());
        }
        report_ = report;
    });
    connect(thread_, &QThread::finished, this, [this] {
        thread_->deleteLater();
        thread_ = nullptr;
        emit delivered(report_);
        if (again_) {
            again_ = false;
            start();
        }
    });
    thread_->start();
}

void AlarmDispatcher::waitForRuns() {
    while (thread_ != nullptr) {
        thread_->wait();
        QCoreApplication::sendPostedEvents(this);
        QCoreApplication::processEvents();
    }
}
