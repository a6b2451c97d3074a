#pragma once

#include <QString>

class Connection;

// Chart scale preferences, held as text.
struct Prefs {
    QString maxY;
    QString minY;
    QString minX;
    QString maxX;
};

// Reads the first row of Prefs into prefs; the values read before a failure stay.
void GetPrefs(Connection& db, Prefs& prefs);
