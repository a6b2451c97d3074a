#pragma once

#include <QString>

class Connection;

// The table of the sensors' temperature corrections, beside the register's own: one row per
// corrected sensor (InstrumentID) with its Mode ("Coefficients" or "FreeLength"), Expansion
// (per °C) and Node1..Node8 (mm/°C or m). Created when missing; a register without it corrects
// nothing.
inline const QString kCorrectionTable = QStringLiteral("TemperatureCorrection");
constexpr int kCorrectionNodes = 8;

void createCorrectionTableWithin(Connection& db);
void createCorrectionTable(Connection& db);
bool hasCorrectionTable(Connection& db);
