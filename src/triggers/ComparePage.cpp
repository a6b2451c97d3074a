#include "triggers/ComparePage.h"

#include "charts/ChartWidget.h"
#include "store/Clock.h"
#include "store/DbError.h"
#include "store/Guard.h"
#include "ui/AppContext.h"
#include "ui/AppState.h"
#include "ui/Desktop.h"
#include "ui/FailureMessages.h"
#include "ui/Prompter.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

ComparePage::ComparePage(AppState& state, const AppContext& context, QWidget* parent)
    : QWidget(parent), state_(state), context_(context) {
    setObjectName(QStringLiteral("pageSiteCompare"));
    ChartCompare = makeCompareChart(this);
    optCompareDisplacement = new QRadioButton(QStringLiteral("Displacement"), this);
    optCompareDisplacement->setObjectName(QStringLiteral("optCompareDisplacement"));
    optCompareDisplacement->setChecked(true);
    optCompareRate = new QRadioButton(QStringLiteral("Rate"), this);
    optCompareRate->setObjectName(QStringLiteral("optCompareRate"));
    optCompareRate->setToolTip(QStringLiteral(
        "The rate of each sensor's largest displacement (mm/day) over its rate window"));
    lblCompareNote = new QLabel(this);
    lblCompareNote->setObjectName(QStringLiteral("lblCompareNote"));
    lblCompareNote->setWordWrap(true);
    cmdExportCompare = new QPushButton(QStringLiteral("Export as JPG"), this);
    cmdExportCompare->setObjectName(QStringLiteral("cmdExportCompare"));

    auto* side = new QVBoxLayout;
    side->addWidget(optCompareDisplacement);
    side->addWidget(optCompareRate);
    side->addWidget(lblCompareNote);
    side->addStretch(1);
    side->addWidget(cmdExportCompare);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(ChartCompare, 1);
    row->addLayout(side);
    lblCompareNote->setFixedWidth(150);

    connect(optCompareRate, &QRadioButton::toggled, this, &ComparePage::draw);
    connect(cmdExportCompare, &QPushButton::clicked, this, &ComparePage::cmdExportCompare_Click);
    draw();
}

void ComparePage::setSensors(const QStringList& ids) {
    ids_ = ids;
    refresh();
}

void ComparePage::refresh() {
    series_.clear();
    if (!ids_.isEmpty() && state_.db && state_.db->isOpen()) {
        try {
            series_ = readCompareSeries(*state_.db, ids_.mid(0, kMaxCompared));
        } catch (const DbError& e) {
            ErrorLog{state_.dataFolder, context_.clock}.report(e, " G_CompareSensors");
            context_.prompter->message(kOmbrevaultTitle,
                                       "The sensors could not be read for the chart:\r\n" +
                                           e.description(),
                                       MsgIcon::Exclamation);
        }
    }
    draw();
}

void ComparePage::draw() {
    drawCompareChart(*ChartCompare, series_,
                     optCompareRate->isChecked() ? CompareMeasure::Rate
                                                 : CompareMeasure::Displacement);
    if (ids_.isEmpty()) {
        lblCompareNote->setText(QStringLiteral("Select the sensors to compare in the table."));
    } else if (ids_.size() > kMaxCompared) {
        lblCompareNote->setText(QStringLiteral("The first %1 of the %2 sensors selected.")
                                    .arg(kMaxCompared)
                                    .arg(ids_.size()));
    } else {
        lblCompareNote->setText(QStringLiteral("%1 sensors.").arg(ids_.size()));
    }
}

void ComparePage::cmdExportCompare_Click() {
    const QString path = QDir(state_.dataFolder).filePath(QStringLiteral("Compare.jpg"));
    if (!ChartCompare->exportJpeg(path)) {
        context_.prompter->message(kOmbrevaultTitle,
                                   QStringLiteral("The chart could not be saved as ") +
                                       QDir::toNativeSeparators(path),
                                   MsgIcon::Exclamation);
        return;
    }
    if (!context_.desktop->open(path)) {
        tellNotOpened(*context_.prompter, "picture viewer", "chart picture", path);
    }
}
