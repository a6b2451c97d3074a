#include "site/PositionBlock.h"

#include "site/PositionImport.h"
#include "store/DbError.h"
#include "store/Guard.h"
#include "ui/AppContext.h"
#include "ui/AppState.h"
#include "ui/FailureMessages.h"
#include "ui/Prompter.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <cmath>

namespace {
QString metres(double value) {
    return QString::number(value, 'f', 3);
}

QLineEdit* box(const QString& name, const QString& caption, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setPlaceholderText(caption);
    edit->setToolTip(caption + " (m)");
    edit->setMinimumWidth(60);
    return edit;
}
} // namespace

PositionBlock::PositionBlock(QWidget* parent) : QGroupBox("Position (m, mine grid):", parent) {
    setObjectName("fraPosition");
    txtEasting = box("txtEasting", "Easting", this);
    txtNorthing = box("txtNorthing", "Northing", this);
    txtElevation = box("txtElevation", "Elevation", this);
    cmdImportPositions = new QPushButton("Import...", this);
    cmdImportPositions->setObjectName("cmdImportPositions");
    cmdImportPositions->setToolTip("Read the positions of many sensors from a surveyor's file: "
                                   "InstrumentID,Easting,Northing,Elevation");
    // One row, each box captioned by its placeholder and tooltip, to keep the column short.
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(6, 2, 6, 4);
    row->setSpacing(4);
    row->addWidget(txtEasting);
    row->addWidget(txtNorthing);
    row->addWidget(txtElevation);
    row->addWidget(cmdImportPositions);
    // Stored when the focus leaves the three boxes, not when it goes from one to the next: a
    // position half typed is not refused.
    for (QLineEdit* edit : {txtEasting, txtNorthing, txtElevation}) {
        connect(edit, &QLineEdit::editingFinished, this, [this] {
            const QWidget* focus = QApplication::focusWidget();
            if (focus != txtEasting && focus != txtNorthing && focus != txtElevation) {
                commit();
            }
        });
    }
    connect(cmdImportPositions, &QPushButton::clicked, this,
            &PositionBlock::cmdImportPositions_Click);
}

void PositionBlock::bind(AppState& state, const AppContext& context, std::function<QString()> key) {
    state_ = &state;
    context_ = &context;
    key_ = std::move(key);
}

void PositionBlock::load() {
    loadedKey_ = key_ ? key_() : QString();
    stored_.reset();
    if (state_ != nullptr && state_->db && state_->db->isOpen() && !loadedKey_.isEmpty()) {
        try {
            stored_ = readPosition(*state_->db, loadedKey_);
        } catch (const DbError& e) {
            ErrorLog{state_->dataFolder, context_->clock}.report(e, " G_ReadPosition");
            // Shown empty and locked: an unread position is not an empty one to overwrite.
            loadedKey_.clear();
        }
    }
    setEnabled(!loadedKey_.isEmpty());
    showStored();
}

void PositionBlock::showStored() {
    txtEasting->setText(stored_ ? metres(stored_->easting) : QString());
    txtNorthing->setText(stored_ ? metres(stored_->northing) : QString());
    txtElevation->setText(stored_ && stored_->elevation ? metres(*stored_->elevation) : QString());
}

QStringList PositionBlock::shownTexts() const {
    return {txtEasting->text().trimmed(), txtNorthing->text().trimmed(),
            txtElevation->text().trimmed()};
}

void PositionBlock::commit() {
    if (busy_ || state_ == nullptr || loadedKey_.isEmpty() || !state_->db ||
        !state_->db->isOpen()) {
        return;
    }
    const QStringList texts = shownTexts();
    const QStringList was{stored_ ? metres(stored_->easting) : QString(),
                          stored_ ? metres(stored_->northing) : QString(),
                          stored_ && stored_->elevation ? metres(*stored_->elevation) : QString()};
    if (texts == was) {
        return;
    }
    busy_ = true;
    std::optional<SensorPosition> position;
    QString refusal;
    if (!(texts[0].isEmpty() && texts[1].isEmpty() && texts[2].isEmpty())) {
        const QStringList names{"easting", "northing", "elevation"};
        double values[3] = {0, 0, 0};
        for (int i = 0; i < 3 && refusal.isEmpty(); ++i) {
            if (i == 2 && texts[2].isEmpty()) {
                break;
            }
            bool ok = false;
            values[i] = texts[i].toDouble(&ok);
            if (!ok || !std::isfinite(values[i])) {
                refusal = texts[i].isEmpty()
                              ? QStringLiteral("A position needs its %1.").arg(names[i])
                              : QStringLiteral("The %1 '%2' is not a number of metres.")
                                    .arg(names[i], texts[i]);
            }
        }
        position =
            SensorPosition{values[0], values[1],
                           texts[2].isEmpty() ? std::nullopt : std::optional<double>(values[2])};
    }
    if (!refusal.isEmpty()) {
        showStored();
        context_->prompter->message(kOmbrevaultTitle, refusal, MsgIcon::Exclamation);
        busy_ = false;
        return;
    }
    try {
        storePosition(*state_->db, loadedKey_, position);
        stored_ = position;
    } catch (const DbError& e) {
        ErrorLog{state_->dataFolder, context_->clock}.report(e, " G_StorePosition");
        tellNotSaved(*context_->prompter, "The sensor's position", e);
    }
    showStored();
    busy_ = false;
}

void PositionBlock::cmdImportPositions_Click() {
    if (state_ == nullptr || !state_->db || !state_->db->isOpen()) {
        return;
    }
    commit();
    const QString path =
        context_->prompter->openFile("Import Positions", "Positions (*.csv *.txt);;All files (*)");
    if (path.isEmpty()) {
        return;
    }
    try {
        const PositionImportResult result = importPositions(*state_->db, path);
        context_->prompter->message(kOmbrevaultTitle, result.summary().replace('\n', "\r\n"),
                                    result.lines.refused.isEmpty() ? MsgIcon::Information
                                                                   : MsgIcon::Exclamation);
    } catch (const DbError& e) {
        ErrorLog{state_->dataFolder, context_->clock}.report(e, " G_ImportPositions");
        context_->prompter->message(kOmbrevaultTitle,
                                    "No position was stored:\r\n" + e.description(),
                                    MsgIcon::Exclamation);
    }
    load();
    if (imported) {
        imported();
    }
}
