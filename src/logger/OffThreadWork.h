#pragma once

#include "logger/LoggerFile.h"

#include <functional>

// Has a task run on the window's thread while the work waits for it to end there, such as a
// question to the user; what the task raises is raised to the work.
using OnWindowThread = std::function<void(const std::function<void()>& task)>;

// Runs work on a thread of its own, the window's thread waiting for it: every few tens of
// milliseconds it hands the work's latest progress to shown (a LoggerProgressDialog's, which
// repaints the windows), and once shown gives false the work's next progress call gives false,
// so the work stops. A task the work hands to onWindow runs on the window's thread at once,
// between two of those updates, and shown is told again before the work goes on, so that a
// Cancel pressed meanwhile stops it. What work raises is raised here once it has ended. work
// must touch no window and no connection of the window's thread outside such a task.
void runOffThread(const LoggerProgress& shown,
                  const std::function<void(const LoggerProgress& progress,
                                           const OnWindowThread& onWindow)>& work);
