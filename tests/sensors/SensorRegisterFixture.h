#pragma once

#include "ui/ClickableLabel.h"
#include "support/MainWindowFixture.h"

#include <QString>
#include <QVariant>

// The main window over a register of sensors, with helpers to click its commands and to
// read back what the database holds.
class SensorRegisterTest : public MainWindowTest {
protected:
    // The value stored in one column of a sensor's Sensors row.
    QVariant stored(const QString& id, const QString& column);
    // Runs a statement on the database file directly.
    bool tableExists(const QString& name);

    static void click(const ImageCommand& command);
    static void clickCaption(const ImageCommand& command);
};
