#include "logger/OffThreadWork.h"

#include <QDeadlineTimer>
#include <QThread>
#include <atomic>
#include <exception>
#include <memory>

namespace {
constexpr int kPollMs = 20;
} // namespace

void runOffThread(const LoggerProgress& shown,
                  const std::function<void(const LoggerProgress& progress)>& work) {
    std::atomic<qint64> done{0};
    std::atomic<qint64> total{0};
    std::atomic<bool> stop{false};
    std::exception_ptr failure;
    const std::unique_ptr<QThread> thread(QThread::create([&] {
        try {
            work([&](qint64 d, qint64 t) {
                total.store(t);
                done.store(d);
                return !stop.load();
            });
        } catch (...) {
            failure = std::current_exception();
        }
    }));
    thread->start();
    while (!thread->wait(QDeadlineTimer(kPollMs))) {
        if (shown && !shown(done.load(), total.load())) {
            stop.store(true);
        }
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
}
