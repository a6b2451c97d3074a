#pragma once

#include <QString>

// First start: creates the data folder and the default database when missing, and writes
// the bundled logo when it is missing. Failures leave things as they are; start-up then
// reports what it cannot open.
void prepareBundledFiles(const QString& dataFolder);
