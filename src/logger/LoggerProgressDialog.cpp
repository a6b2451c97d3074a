#include "logger/LoggerProgressDialog.h"

#include <QCoreApplication>
#include <QProgressDialog>

namespace {
constexpr int kShownAfterMs = 500;
constexpr int kUpdateEveryMs = 40;
constexpr int kSteps = 1000;
} // namespace

LoggerProgressDialog::LoggerProgressDialog(QWidget* parent,
                                           std::function<QString(qint64, qint64)> label)
    : dialog_(std::make_unique<QProgressDialog>(QString(), "Cancel", 0, kSteps, parent)),
      label_(std::move(label)) {
    dialog_->setObjectName("prgLoggerImport");
    dialog_->setWindowTitle("Import DataFiles");
    dialog_->setWindowModality(Qt::ApplicationModal);
    dialog_->setMinimumDuration(kShownAfterMs);
    dialog_->setAutoClose(false);
    dialog_->setAutoReset(false);
    dialog_->setMinimumWidth(360);
    dialog_->setValue(0);
    sinceUpdate_.start();
}

LoggerProgressDialog::~LoggerProgressDialog() = default;

LoggerProgress LoggerProgressDialog::progress() {
    return [this](qint64 done, qint64 total) { return step(done, total); };
}

bool LoggerProgressDialog::step(qint64 done, qint64 total) {
    if (sinceUpdate_.elapsed() < kUpdateEveryMs && done < total) {
        return !dialog_->wasCanceled();
    }
    sinceUpdate_.restart();
    dialog_->setLabelText(label_(done, total));
    dialog_->setValue(total > 0 ? static_cast<int>(done * kSteps / total) : kSteps);
    // Until the modal dialog shows, clicks must not reach the windows beneath it.
    QCoreApplication::processEvents(dialog_->isVisible() ? QEventLoop::AllEvents
                                                         : QEventLoop::ExcludeUserInputEvents);
    return !dialog_->wasCanceled();
}
