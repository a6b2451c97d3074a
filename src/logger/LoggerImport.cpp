#include "logger/LoggerImport.h"

#include "logger/LoggerFile.h"
#include "logger/LoggerProgressDialog.h"
#include "logger/OffThreadWork.h"
#include "logger/frmTrovData.h"
#include "readings/ReadingsPage.h"
#include "readings/SensorData.h"
#include "store/Formats.h"
#include "store/Guard.h"
#include "ui/AppContext.h"
#include "ui/AppState.h"
#include "ui/Prompter.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLocale>

namespace {
// The log quotes at most this much of a file's path.
constexpr qsizetype kLoggedPath = 200;
} // namespace

LoggerImport::LoggerImport(AppState& state, const AppContext& context, ReadingsPage& page)
    : state_(state), context_(context), page_(page) {}

void LoggerImport::imgAddTrovData_Click() {
    guarded(ErrorLog{state_.dataFolder, context_.clock}, " imgAddTrovData_Click", [&] {
        page_.SaveReadings();
        if (!state_.hasCurrentSensor()) {
            throw DbError(ErrorCode::NoCurrentRecord, "There is no current sensor.");
        }
        const QString instrumentId = state_.currentInstrumentId();
        const QString path = context_.prompter->openFile({}, "Text (*.txt)");
        if (path.isEmpty()) {
            return;
        }
        const QString title = QFileInfo(path).fileName();
        if (title != instrumentId + ".txt") {
            const MsgAnswer answer = context_.prompter->message(
                "Ombrevault's QUORVELLE",
                "WARNING:\r\n" + title + " is not a match for the current sensor of " +
                    instrumentId +
                    "\r\nAre you sure you want to append this data to the database?\r\n\r\n"
                    "This may cause undesirable results including corruption and loss of "
                    "database",
                MsgIcon::Exclamation, MsgButtons::YesNo, MsgAnswer::No);
            if (answer != MsgAnswer::Yes) {
                return;
            }
        }
        const int interval = qRound(leadingNumber(page_.cboTrovInt->currentText()));
        StageResult staged;
        {
            LoggerProgressDialog progress(page_.window(), [title](qint64 done, qint64 total) {
                return QStringLiteral("Reading %1: %2 of %3 KB")
                    .arg(title)
                    .arg(done / 1024)
                    .arg(total / 1024);
            });
            // Reading a large file takes seconds: the windows keep repainting meanwhile.
            const DateOrder order = localeDateOrder(QLocale());
            const QString dataFolder = state_.dataFolder;
            runOffThread(progress.progress(),
                         [&](const LoggerProgress& read, const OnWindowThread&) {
                             staged = stageLoggerFile(dataFolder, path, interval, order, read);
                         });
        }
        switch (staged.status) {
        case StageResult::Status::NoFile:
            context_.prompter->message(kAppTitle, "There was no data found for this sensor.",
                                       MsgIcon::Information);
            return;
        case StageResult::Status::NotText:
            context_.prompter->message(kAppTitle,
                                       title + " is not a text file and cannot be imported.",
                                       MsgIcon::Exclamation);
            throw DbError(ErrorCode::TypeMismatch, path.left(kLoggedPath) + " is not a text file");
        case StageResult::Status::Cancelled:
            return;
        case StageResult::Status::Staged:
            break;
        }
        auto* window = new frmTrovData(state_, context_, std::move(staged.stage),
                                       QFileInfo(path).absolutePath(), &page_);
        QObject::connect(window, &QDialog::finished, &page_, [this, window] {
            page_.showReadingsAgain();
            window->deleteLater();
        });
        window->open();
    });
}
