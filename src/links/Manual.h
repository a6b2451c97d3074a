#pragma once

#include <QString>

// Writes the user manual, from the text bundled with the program, as a PDF file.
bool writeManual(const QString& path);
