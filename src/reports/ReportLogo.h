#pragma once

#include <QString>

// The logo heading every page of a sensor's report, ovlogo.jpg in the data folder: drawn from
// the bundled picture when it is missing (a picture drawn needs a QGuiApplication). Returns
// its path; a folder that is missing or cannot be written leaves the logo missing.
QString reportLogo(const QString& dataFolder);
