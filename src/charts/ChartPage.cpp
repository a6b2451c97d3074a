#include "charts/ChartPage.h"

#include "charts/AxisScale.h"
#include "charts/ChartSteps.h"
#include "charts/ChartWidget.h"
#include "charts/LengthCharts.h"
#include "charts/RateChart.h"
#include "charts/ScaleSelector.h"
#include "charts/TimeCharts.h"
#include "store/Guard.h"
#include "ui/Desktop.h"
#include "ui/FailureMessages.h"
#include "ui/Prompter.h"

#include <QCheckBox>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

namespace {

struct KindInfo {
    const char* chartName;
    const char* buttonName;
    const char* fileName;
    const char* tag;
    bool time;
};

KindInfo info(ChartPage::Kind kind) {
    switch (kind) {
    case ChartPage::Kind::DispTime:
        return {"ChartT", "cmdTemp", "Temporal.jpg", "", true};
    case ChartPage::Kind::DispLength:
        return {"ChartS", "cmdDvl", "DvL.jpg", " G_DrawSgraph", false};
    case ChartPage::Kind::LoadTime:
        return {"ChartLVT", "cmdExportLVT", "LVT.jpg", "", true};
    case ChartPage::Kind::LoadLength:
        break;
    }
    return {"ChartLVL", "Command2", "LVL.jpg", " G_DrawSloadgraph", false};
}

const char* const kNotice = "There are more than 15 records selected, only the last 15 readings "
                            "will be plotted. Go to the Readings Tab to select which data to plot";

// Width of the column beside the chart, wide enough for the notice in a few lines.
constexpr int kSideWidth = 190;

} // namespace

ChartPage::ChartPage(Kind kind, const AppContext& context, QWidget* parent)
    : QWidget(parent), kind_(kind), context_(context) {
    const KindInfo k = info(kind);
    chart_ = new ChartWidget(
        k.time ? 11 : 16, k.time ? ChartWidget::XAxisKind::DateTime : ChartWidget::XAxisKind::Value,
        this);
    chart_->setObjectName(QLatin1String(k.chartName));
    if (k.time) {
        setupTimeChart(*chart_);
    } else {
        setupLengthChart(*chart_, kind == Kind::DispLength ? QStringLiteral("Displacement (mm)")
                                                           : QStringLiteral("Load (kN)"));
    }

    auto* side = new QWidget(this);
    side->setFixedWidth(kSideWidth);
    auto* column = new QVBoxLayout(side);
    column->setContentsMargins(6, 6, 6, 6);
    selectorSlot_ = new QVBoxLayout;
    column->addLayout(selectorSlot_);
    if (kind == Kind::DispTime) {
        tips_ = new QPushButton(QStringLiteral("?"), side);
        tips_->setObjectName(QStringLiteral("cmdTHelp"));
        tips_->setToolTip(QStringLiteral("Graphing Tips and Hints"));
        tips_->setFixedWidth(32);
        connect(tips_, &QPushButton::clicked, this, &ChartPage::showTips);
        column->addWidget(tips_, 0, Qt::AlignRight);
        optDisplacement_ = new QRadioButton(QStringLiteral("Displacement"), side);
        optDisplacement_->setObjectName(QStringLiteral("optDisplacement"));
        optDisplacement_->setChecked(true);
        optRate_ = new QRadioButton(QStringLiteral("Rate"), side);
        optRate_->setObjectName(QStringLiteral("optRate"));
        optRate_->setToolTip(
            QStringLiteral("The rate of each node (mm/day) over the sensor's rate window"));
        column->addWidget(optDisplacement_);
        column->addWidget(optRate_);
        connect(optRate_, &QRadioButton::toggled, this, [this] {
            if (!drawn_.rows.isEmpty()) {
                draw(drawn_);
            }
        });
    }
    if (kind == Kind::DispLength) {
        notice_ = new QLabel(QLatin1String(kNotice), side);
        notice_->setObjectName(QStringLiteral("lblW15"));
        notice_->setWordWrap(true);
        notice_->hide();
        column->addWidget(notice_);
    }
    if (k.time) {
        sinceInstallation_ = new QCheckBox(QStringLiteral("Since installation"), side);
        sinceInstallation_->setObjectName(QStringLiteral("chkSinceInstallation"));
        sinceInstallation_->setToolTip(
            QStringLiteral("After a re-zero revision, show the displacement since installation "
                           "instead of since the re-zero"));
        column->addWidget(sinceInstallation_);
    }
    column->addStretch(1);
    export_ = new QPushButton(QStringLiteral("Export as JPG"), side);
    export_->setObjectName(QLatin1String(k.buttonName));
    connect(export_, &QPushButton::clicked, this, &ChartPage::exportChart);
    column->addWidget(export_);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(chart_, 1);
    row->addWidget(side);
}

QString ChartPage::exportFileName() const {
    return QLatin1String(info(kind_).fileName);
}

QString ChartPage::drawTag() const {
    return QLatin1String(info(kind_).tag);
}

bool ChartPage::draw(const GraphInput& input) {
    const ErrorLog log{context_.dataFolder, context_.clock};
    switch (kind_) {
    case Kind::DispTime:
        drawn_ = input;
        if (optRate_->isChecked()) {
            DrawRateGraph(*chart_, input);
        } else {
            DrawTgraph(*chart_, input);
        }
        // A time chart draws what it can; a node count it could not draw is logged.
        return guarded(log, drawTag(), [&] { checkedNodeCount(input.sensor); });
    case Kind::LoadTime:
        DrawLVTgraph(*chart_, input);
        return guarded(log, drawTag(), [&] { checkedNodeCount(input.sensor); });
    case Kind::DispLength:
    case Kind::LoadLength:
        break;
    }
    if (notice_ != nullptr) {
        notice_->setVisible(spatialWindowNoticeShown(static_cast<int>(input.rows.size())));
    }
    return guarded(log, drawTag(), [&] {
        if (kind_ == Kind::DispLength) {
            DrawSgraph(*chart_, input);
        } else {
            DrawLVLgraph(*chart_, input);
        }
    });
}

// A new scale takes effect the next time the chart is drawn; choosing does not redraw.
void ChartPage::adoptScaleSelector(ScaleSelector* selector) {
    selectorSlot_->addWidget(selector);
    selector->show();
}

void ChartPage::exportChart() {
    const QString path = QDir(context_.dataFolder).filePath(exportFileName());
    if (!chart_->exportJpeg(path)) {
        if (context_.prompter != nullptr) {
            context_.prompter->message(kOmbrevaultTitle,
                                       QStringLiteral("The chart could not be saved as ") +
                                           QDir::toNativeSeparators(path),
                                       MsgIcon::Exclamation);
        }
        return;
    }
    if (context_.desktop != nullptr && !context_.desktop->open(path) &&
        context_.prompter != nullptr) {
        tellNotOpened(*context_.prompter, "picture viewer", "chart picture", path);
    }
}

void ChartPage::showTips() {
    if (context_.prompter == nullptr) {
        return;
    }
    const QStringList lines{
        QStringLiteral("1) To scroll graph hold down the left mouse button over an axis and drag "
                       "to desired range"),
        QStringLiteral("2) Explanation of zooming (diagonal left to right zooms in, right to left "
                       "zooms out)"),
        QStringLiteral("3) Click on a series in the graph to see raw data in lower annotation"),
        QStringLiteral("4) Uncheck a series in the legend to hide, check series to show")};
    context_.prompter->message(QStringLiteral("Graphing Tips and Hints"),
                               lines.join(QStringLiteral("\r\n")), MsgIcon::None, MsgButtons::Ok);
}
