#pragma once

#include "store/Clock.h"
#include "store/Guard.h"

#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// A clock that stands still until a test moves it.
class FixedClock : public Clock {
public:
    explicit FixedClock(QDateTime at = QDateTime(QDate(2026, 12, 8), QTime(9, 30, 0))) : at_(at) {}
    QDateTime now() const override { return at_; }
    void set(const QDateTime& at) { at_ = at; }

private:
    QDateTime at_;
};

// Base fixture: a temporary data folder, a fixed clock and the log that writes into it.
class TempDataFolderTest : public ::testing::Test {
protected:
    QString folder() const { return dir_.path(); }
    QString path(const QString& name) const { return dir_.filePath(name); }
    ErrorLog errorLog() const { return ErrorLog{folder(), &clock_}; }
    // The log file's text, empty when there is none.
    QString logText() const;
    // Number of entries in the log file.
    int logEntries() const;

    QTemporaryDir dir_;
    FixedClock clock_;
};
