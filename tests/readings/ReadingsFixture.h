#pragma once

#include "readings/ReadingsPage.h"
#include "support/MainWindowFixture.h"

#include <QDateTime>
#include <QVariant>
#include <ostream>

// A register with sensors whose readings are written straight into their tables, and the
// main window opened on the Readings tab.
class ReadingsTest : public MainWindowTest {
protected:
    // Adds readings at these moments: key, dates, Plottemporal 1, PlotSpatial 0 and
    // Channel1 = "1.00", "2.00", ... in the order given.
    void addReadings(const QString& id, const QList<QDateTime>& moments);
    // Nine readings on 1 to 9 December 2026 at 08:00.
    void addNineReadings(const QString& id);
    // Runs a statement on the database file with a connection of the test's own.
    // A column of the reading with this key, or of all readings (count of rows etc.).
    QVariant stored(const QString& id, const QString& key, const QString& column);
    int readingCount(const QString& id);

    // Opens the main window and shows the Readings tab.
    frmQuorvelle& openOnReadings();
    ReadingsPage& page() { return *window->readings; }
    void click(const QString& imageName);
    QString key(const QString& id, const QDateTime& at) const;
};

// Texts in failure messages as text.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
