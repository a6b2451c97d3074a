#pragma once

#include "logger/LoggerFile.h"

#include <functional>

// Runs work on a thread of its own, the window's thread waiting for it: every few tens of
// milliseconds it hands the work's latest progress to shown (a LoggerProgressDialog's, which
// repaints the windows), and once shown gives false the work's next progress call gives false,
// so the work stops. What work raises is raised here once it has ended. work must touch no
// window and no connection of the window's thread.
void runOffThread(const LoggerProgress& shown,
                  const std::function<void(const LoggerProgress& progress)>& work);
