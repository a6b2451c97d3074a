#include "logger/OffThreadWork.h"

#include <QThread>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <utility>

namespace {
constexpr std::chrono::milliseconds kPoll{20};

// What the two threads share: the work's end and the task it waits on, under one lock.
struct Handoff {
    std::mutex mutex;
    std::condition_variable changed;
    bool ended = false;
    const std::function<void()>* task = nullptr;
    std::exception_ptr taskFailure;

    // On the work's thread: waits until the window's thread has run the task.
    void runOnWindow(const std::function<void()>& asked) {
        std::unique_lock lock(mutex);
        task = &asked;
        changed.notify_all();
        changed.wait(lock, [this] { return task == nullptr; });
        if (taskFailure) {
            std::rethrow_exception(std::exchange(taskFailure, nullptr));
        }
    }

    // On the window's thread, with the lock held: runs the waiting task without it, then
    // after, before the work goes on.
    void runTask(std::unique_lock<std::mutex>& lock, const std::function<void()>& after) {
        const std::function<void()>* asked = task;
        lock.unlock();
        std::exception_ptr failure;
        try {
            (*asked)();
        } catch (...) {
            failure = std::current_exception();
        }
        after();
        lock.lock();
        taskFailure = failure;
        task = nullptr;
        changed.notify_all();
    }
};
} // namespace

void runOffThread(const LoggerProgress& shown,
                  const std::function<void(const LoggerProgress& progress,
                                           const OnWindowThread& onWindow)>& work) {
    std::atomic<qint64> done{0};
    std::atomic<qint64> total{0};
    std::atomic<bool> stop{false};
    std::exception_ptr failure;
    Handoff handoff;
    const OnWindowThread onWindow = [&handoff](const std::function<void()>& task) {
        handoff.runOnWindow(task);
    };
    const std::unique_ptr<QThread> thread(QThread::create([&] {
        try {
            work(
                [&](qint64 d, qint64 t) {
                    total.store(t);
                    done.store(d);
                    return !stop.load();
                },
                onWindow);
        } catch (...) {
            failure = std::current_exception();
        }
        const std::lock_guard lock(handoff.mutex);
        handoff.ended = true;
        handoff.changed.notify_all();
    }));
    // A Cancel pressed while a task of the work ran stops the work before it goes on.
    const auto report = [&] {
        if (shown && !shown(done.load(), total.load())) {
            stop.store(true);
        }
    };
    thread->start();
    std::unique_lock lock(handoff.mutex);
    while (!handoff.ended) {
        if (handoff.task != nullptr) {
            handoff.runTask(lock, report);
            continue;
        }
        if (handoff.changed.wait_for(lock, kPoll,
                                     [&] { return handoff.ended || handoff.task != nullptr; })) {
            continue;
        }
        lock.unlock();
        report();
        lock.lock();
    }
    lock.unlock();
    thread->wait();
    if (failure) {
        std::rethrow_exception(failure);
    }
}
