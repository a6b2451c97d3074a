#include "checks/frmReadingChecks.h"

#include "checks/ReadingFlagStore.h"
#include "store/Clock.h"
#include "store/Connection.h"
#include "store/Formats.h"
#include "store/Guard.h"
#include "ui/AppContext.h"
#include "ui/FailureMessages.h"
#include "ui/Prompter.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace {
QLineEdit* box(const QString& name, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setMaximumWidth(90);
    return edit;
}
} // namespace

frmReadingChecks::frmReadingChecks(Connection& db, const AppContext& context, QWidget* parent)
    : QDialog(parent), db_(db), context_(context) {
    setObjectName("frmReadingChecks");
    setWindowTitle("Reading Checks");
    txtChannelMin = box("txtChannelMin", this);
    txtChannelMax = box("txtChannelMax", this);
    txtTemperatureMin = box("txtTemperatureMin", this);
    txtTemperatureMax = box("txtTemperatureMax", this);
    txtSpikeNeighbours = box("txtSpikeNeighbours", this);
    txtSpikeThreshold = box("txtSpikeThreshold", this);
    txtMaxRate = box("txtMaxRate", this);
    txtFlatCount = box("txtFlatCount", this);

    auto* form = new QFormLayout;
    form->addRow("Lowest channel value (mm):", txtChannelMin);
    form->addRow("Highest channel value (mm):", txtChannelMax);
    form->addRow("Lowest temperature (°C):", txtTemperatureMin);
    form->addRow("Highest temperature (°C):", txtTemperatureMax);
    form->addRow("Spike: readings each side:", txtSpikeNeighbours);
    form->addRow("Spike: from their median (mm):", txtSpikeThreshold);
    form->addRow("Highest rate (mm/day):", txtMaxRate);
    form->addRow("Flat line: same value (readings):", txtFlatCount);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    cmdSaveChecks = buttons->addButton("Save", QDialogButtonBox::AcceptRole);
    cmdSaveChecks->setObjectName("cmdSaveChecks");
    connect(cmdSaveChecks, &QPushButton::clicked, this, &frmReadingChecks::cmdSaveChecks_Click);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);

    CheckSettings stored;
    guarded(ErrorLog{context_.dataFolder, context_.clock}, " frmReadingChecks.Form_Load",
            [&] { stored = readCheckSettings(db_); });
    showSettings(stored);
}

void frmReadingChecks::showSettings(const CheckSettings& s) {
    txtChannelMin->setText(QString::number(s.channelMin));
    txtChannelMax->setText(QString::number(s.channelMax));
    txtTemperatureMin->setText(QString::number(s.temperatureMin));
    txtTemperatureMax->setText(QString::number(s.temperatureMax));
    txtSpikeNeighbours->setText(QString::number(s.spikeNeighbours));
    txtSpikeThreshold->setText(QString::number(s.spikeThreshold));
    txtMaxRate->setText(QString::number(s.maxRate));
    txtFlatCount->setText(QString::number(s.flatCount));
}

void frmReadingChecks::cmdSaveChecks_Click() {
    CheckSettings s;
    QString problem;
    const auto number = [&](QLineEdit* edit, const QString& what) {
        const std::optional<double> value = strictNumber(edit->text());
        if (!value && problem.isEmpty()) {
            problem = what + " must be a number, not \"" + edit->text() + "\".";
        }
        return value.value_or(0.0);
    };
    const auto count = [&](QLineEdit* edit, const QString& what) {
        const double value = number(edit, what);
        if (value != std::floor(value) && problem.isEmpty()) {
            problem = what + " must be a whole number.";
        }
        return static_cast<int>(std::clamp(value, -1.0e6, 1.0e6));
    };
    s.channelMin = number(txtChannelMin, "The lowest channel value");
    s.channelMax = number(txtChannelMax, "The highest channel value");
    s.temperatureMin = number(txtTemperatureMin, "The lowest temperature");
    s.temperatureMax = number(txtTemperatureMax, "The highest temperature");
    s.spikeNeighbours = count(txtSpikeNeighbours, "The readings each side of a spike");
    s.spikeThreshold = number(txtSpikeThreshold, "The spike threshold");
    s.maxRate = number(txtMaxRate, "The highest rate");
    s.flatCount = count(txtFlatCount, "The readings of a flat line");
    if (problem.isEmpty()) {
        problem = checkSettingsProblem(s);
    }
    if (!problem.isEmpty()) {
        context_.prompter->message(kOmbrevaultTitle, problem + " Nothing was stored.",
                                   MsgIcon::Exclamation);
        return;
    }
    const auto lost = [&](const DbError& e) {
        tellNotSaved(*context_.prompter, QStringLiteral("The reading check thresholds"), e);
    };
    if (guarded(ErrorLog{context_.dataFolder, context_.clock}, " cmdSaveChecks_Click", lost,
                [&] { writeCheckSettings(db_, s); })) {
        accept();
    }
}
