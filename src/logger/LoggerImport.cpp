#include "logger/LoggerImport.h"

#include "logger/LoggerFile.h"
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
                MsgIcon::Exclamation, MsgButtons::YesNo);
            if (answer != MsgAnswer::Yes) {
                return;
            }
        }
        std::optional<QVector<QStringList>> rows = StageLoggerFile(state_.dataFolder, path);
        if (!rows) {
            context_.prompter->message(kAppTitle, "There was no data found for this sensor.",
                                       MsgIcon::Information);
            return;
        }
        const int interval = qRound(leadingNumber(page_.cboTrovInt->currentText()));
        auto* window = new frmTrovData(state_, context_, std::move(*rows), interval,
                                       QFileInfo(path).absolutePath(), &page_);
        QObject::connect(window, &QDialog::finished, &page_, [this, window] {
            page_.showReadingsAgain();
            window->deleteLater();
        });
        window->open();
    });
}
