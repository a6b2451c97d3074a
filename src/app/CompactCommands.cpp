#include "app/CompactCommands.h"

#include "app/UtilitiesPage.h"
#include "store/DbError.h"
#include "store/Guard.h"
#include "store/ServerLocation.h"
#include "ui/AppContext.h"
#include "ui/AppState.h"
#include "ui/Prompter.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProgressDialog>

namespace {
constexpr int kUpdateEveryMs = 40;

QString sizeText(qint64 bytes) {
    return QStringLiteral("%1 MB").arg(static_cast<double>(bytes) / (1024.0 * 1024.0), 0, 'f', 1);
}
} // namespace

CompactionDialog::CompactionDialog(QWidget* parent, const QString& name)
    : parent_(parent), name_(name) {}

CompactionDialog::~CompactionDialog() = default;

CompactionProgress CompactionDialog::progress() {
    return [this] { step(); };
}

void CompactionDialog::step() {
    if (dialog_ && sinceUpdate_.elapsed() < kUpdateEveryMs) {
        return;
    }
    if (!dialog_) {
        dialog_ = std::make_unique<QProgressDialog>("Compacting " + name_ + "...", QString(), 0, 0,
                                                    parent_);
        dialog_->setObjectName("prgCompact");
        dialog_->setWindowTitle("Compact Database");
        dialog_->setWindowModality(Qt::ApplicationModal);
        dialog_->setCancelButton(nullptr);
        dialog_->setMinimumWidth(360);
        dialog_->show();
    }
    sinceUpdate_.restart();
    // The dialog has no button: nothing the user does may reach the windows beneath it.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

bool compactWithDialog(QWidget* parent, const QString& path, CompactionNeed need) {
    CompactionDialog dialog(parent, QFileInfo(path).fileName());
    return compactDatabase(path, need, dialog.progress());
}

CompactCommands::CompactCommands(AppState& state, const AppContext& context,
                                 UtilitiesPage& utilities,
                                 std::function<bool(const QString&)> reconnect, QObject* parent)
    : QObject(parent), state_(state), context_(context), utilities_(utilities),
      reconnect_(std::move(reconnect)) {
    connect(utilities_.compact.image, &ClickableLabel::clicked, this,
            &CompactCommands::cmdCompact_Click);
}

void CompactCommands::cmdCompact_Click() {
    const ErrorLog log{state_.dataFolder, context_.clock};
    guarded(log, " cmdCompact_Click", [&] {
        const QString path = state_.dbPath;
        if (isServerLocation(path)) {
            context_.prompter->message(kAppTitle,
                                       "The site server keeps its own storage; only a database "
                                       "file is compacted.",
                                       MsgIcon::Information);
            return;
        }
        const QString name = QFileInfo(path).fileName();
        const qint64 before = QFileInfo(path).size();
        state_.rsReadings.reset();
        if (state_.db) {
            state_.db->close();
        }
        try {
            if (compactWithDialog(utilities_.window(), path, CompactionNeed::AnyFreePage)) {
                context_.prompter->message(kOmbrevaultTitle,
                                           name + " was compacted from " + sizeText(before) +
                                               " to " + sizeText(QFileInfo(path).size()) + ".",
                                           MsgIcon::Information);
            } else {
                context_.prompter->message(kOmbrevaultTitle,
                                           name + " has no free space to reclaim.",
                                           MsgIcon::Information);
            }
        } catch (const DbError& e) {
            context_.prompter->message(kAppTitle, "Error compacting " + name);
            log.report(e, " G_CompactDB");
        }
        reconnect_(path);
    });
}
