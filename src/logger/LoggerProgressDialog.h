#pragma once

#include "logger/LoggerFile.h"

#include <QElapsedTimer>
#include <QString>
#include <functional>
#include <memory>

class QProgressDialog;
class QWidget;

// The progress of long logger work: a modal QProgressDialog with Cancel, shown once the work
// has run for half a second. The work calls progress() often; it updates the dialog and lets
// the event loop run at most every few tens of milliseconds, so the windows keep repainting.
class LoggerProgressDialog {
public:
    // label(done, total) gives the dialog's text, such as the count of lines done.
    LoggerProgressDialog(QWidget* parent, std::function<QString(qint64, qint64)> label);
    ~LoggerProgressDialog();

    LoggerProgress progress();
    QProgressDialog* dialog() const { return dialog_.get(); }

private:
    bool step(qint64 done, qint64 total);

    std::unique_ptr<QProgressDialog> dialog_;
    std::function<QString(qint64, qint64)> label_;
    QElapsedTimer sinceUpdate_;
};
