#include "charts/ChartWidget.h"

#include "charts/ChartLegend.h"
#include "charts/ChartView.h"
#include "charts/LineReduction.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateTimeAxis>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineF>
#include <QLineSeries>
#include <QSaveFile>
#include <QScatterSeries>
#include <QScopedValueRollback>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

namespace {

constexpr int kMarkerSize = 8;
constexpr double kDayMs = 86400000.0;
// Ticks beyond this many would take longer to draw than they are worth reading.
constexpr double kMostTicks = 200;
// How close, in pixels, a click must come to a point to show it.
constexpr double kClickReach = 10;
// Markers closer than this, in pixels, would lie mostly under one another.
constexpr double kMarkerSpacing = kMarkerSize / 2.0;
// The plot width assumed before the chart has laid out its plot area.
constexpr double kUnlaidWidth = 1600;

const QList<QColor>& seriesPalette() {
    static const QList<QColor> colors{
        {0, 0, 0},       {0, 0, 255},   {255, 0, 0},     {0, 128, 0},   {128, 0, 255},
        {255, 0, 255},   {255, 128, 0}, {128, 128, 255}, {255, 255, 0}, {128, 64, 0},
        {128, 255, 128}, {0, 128, 255}, {128, 0, 64},    {128, 128, 0}, {64, 0, 128},
        {0, 128, 128},   {192, 0, 0},   {0, 64, 128},    {96, 96, 96},  {0, 192, 192}};
    return colors;
}

// Decimals a label needs to show every multiple of step exactly.
int decimalsFor(double step) {
    int d = 0;
    double scaled = std::abs(step);
    while (d < 6 && std::abs(scaled - std::round(scaled)) > 1e-9 * std::max(1.0, scaled)) {
        scaled *= 10;
        ++d;
    }
    return d;
}

// A number pattern such as "0" or "0.00" as a printf format.
QString printfFormat(const QString& pattern, double step) {
    if (pattern.contains(QLatin1Char('%'))) {
        return pattern;
    }
    const int dot = pattern.indexOf(QLatin1Char('.'));
    const int decimals = pattern.isEmpty() ? decimalsFor(step)
                         : dot < 0         ? 0
                                           : static_cast<int>(pattern.size()) - dot - 1;
    return QStringLiteral("%.%1f").arg(decimals);
}

// Each label of a value axis needs its height (vertical axis) or width (horizontal axis)
// with this much to spare, plus the padding the chart puts around it; with less room the
// chart elides it to "...".
constexpr double kLabelRoom = 1.15;
constexpr double kLabelPadding = 8;

// A round tick interval giving about six ticks over range.
double niceInterval(double range) {
    const double raw = range / 6.0;
    if (!(raw > 0)) {
        return 1;
    }
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double f : {1.0, 2.0, 5.0}) {
        if (raw <= f * magnitude) {
            return f * magnitude;
        }
    }
    return 10 * magnitude;
}

} // namespace

ChartWidget::ChartWidget(int seriesCount, XAxisKind kind, QWidget* parent)
    : QWidget(parent), kind_(kind), chart_(new QChart) {
    Q_ASSERT(seriesCount > 0 && seriesCount <= seriesPalette().size());
    chart_->legend()->hide();
    chart_->setAnimationOptions(QChart::NoAnimation);
    chart_->setBackgroundRoundness(0);
    QFont titleFont = chart_->titleFont();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.3);
    chart_->setTitleFont(titleFont);

    xAxis_ = kind == XAxisKind::DateTime ? static_cast<QAbstractAxis*>(new QDateTimeAxis)
                                         : static_cast<QAbstractAxis*>(new QValueAxis);
    yAxis_ = new QValueAxis;
    chart_->addAxis(xAxis_, Qt::AlignBottom);
    chart_->addAxis(yAxis_, Qt::AlignLeft);

    const QList<QColor> colors = seriesPalette().mid(0, seriesCount);
    const auto addLine = [this](QLineSeries* line) {
        chart_->addSeries(line);
        line->attachAxis(xAxis_);
        line->attachAxis(yAxis_);
        line->setVisible(false);
    };
    for (int i = 0; i < seriesCount; ++i) {
        auto* line = new QLineSeries;
        addLine(line);
        series_ << line;
        points_ << QList<QPointF>();
        listed_ << false;
        onRight_ << false;
        changed_ << false;
        drawnAt_ << Resolution();
    }
    for (int i = 0; i < seriesCount; ++i) {
        auto* marks = new QLineSeries;
        marks->setPen(Qt::NoPen);
        marks->setMarkerSize(kMarkerSize);
        addLine(marks);
        markers_ << marks;
    }

    view_ = new ChartView(chart_, this);
    view_->setObjectName(QStringLiteral("chartView"));
    legend_ = new ChartLegend(colors, this);
    annotation_ = new QLabel(this);
    annotation_->setObjectName(QStringLiteral("lblAnnotation"));
    annotation_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    setAutoFillBackground(true);
    picturePart_ = new QWidget(this);
    auto* row = new QHBoxLayout(picturePart_);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(view_, 1);
    row->addWidget(legend_);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 4);
    column->addWidget(picturePart_, 1);
    column->addWidget(annotation_);

    connect(legend_, &ChartLegend::toggled, this,
            [this](int index, bool on) { setShown(index, on && listed_.at(index)); });
    connect(view_, &ChartView::clicked, this, &ChartWidget::showPointNear);
    connect(view_, &ChartView::zoomOutRequested, this, &ChartWidget::resetView);
    connect(view_, &ChartView::zoomed, this, &ChartWidget::retuneAfterZoom);
    connect(chart_, &QChart::plotAreaChanged, this, &ChartWidget::refitLabels);
    connect(chart_, &QChart::plotAreaChanged, this, &ChartWidget::scheduleRedraw);
    if (auto* time = qobject_cast<QDateTimeAxis*>(xAxis_)) {
        connect(time, &QDateTimeAxis::rangeChanged, this, &ChartWidget::scheduleRedraw);
    } else {
        connect(static_cast<QValueAxis*>(xAxis_), &QValueAxis::rangeChanged, this,
                &ChartWidget::scheduleRedraw);
    }
    applyAxis(Axis::X);
    applyAxis(Axis::Y);
    applyPalette();
}

void ChartWidget::applyPalette() {
    const QScopedValueRollback<bool> applying(applyingPalette_, true);
    const QPalette desktop = QApplication::palette();
    const QColor background = desktop.color(QPalette::Base);
    const QColor text = desktop.color(QPalette::Text);
    const auto between = [&](double share) {
        return QColor::fromRgbF(
            static_cast<float>(background.redF() + (text.redF() - background.redF()) * share),
            static_cast<float>(background.greenF() + (text.greenF() - background.greenF()) * share),
            static_cast<float>(background.blueF() + (text.blueF() - background.blueF()) * share));
    };
    chart_->setBackgroundBrush(background);
    chart_->setTitleBrush(text);
    view_->setBackgroundBrush(background);
    for (QAbstractAxis* axis : chart_->axes()) {
        axis->setLabelsBrush(text);
        axis->setTitleBrush(text);
        axis->setLinePen(QPen(between(0.55), 1));
        axis->setGridLinePen(QPen(between(0.18), 1));
        axis->setMinorGridLinePen(QPen(between(0.1), 1));
    }
    for (int i = 0; i < seriesCount(); ++i) {
        series_[i]->setPen(QPen(penColor(i), 2));
        markers_[i]->setLightMarker(ChartLegend::diamond(penColor(i), kMarkerSize));
    }
    // The legend and the annotation stand on the chart's background.
    QPalette own = palette();
    own.setColor(QPalette::Window, background);
    own.setColor(QPalette::WindowText, text);
    setPalette(own);
}

QColor ChartWidget::penColor(int index) const {
    const QColor own = seriesPalette().at(index);
    return own == QColor(Qt::black) ? QApplication::palette().color(QPalette::Text) : own;
}

void ChartWidget::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // The desktop switched between light and dark; the palette set here announces itself too.
    if ((event->type() == QEvent::ApplicationPaletteChange ||
         event->type() == QEvent::PaletteChange) &&
        !applyingPalette_) {
        applyPalette();
    }
}

void ChartWidget::setRightAxis(int index, const QString& title) {
    if (rightAxis_ == nullptr) {
        rightAxis_ = new QValueAxis;
        chart_->addAxis(rightAxis_, Qt::AlignRight);
        applyPalette();
    }
    rightAxis_->setTitleText(title);
    for (QLineSeries* line : {series_[index], markers_[index]}) {
        line->detachAxis(yAxis_);
        line->attachAxis(rightAxis_);
    }
    onRight_[index] = true;
    fitRightAxis();
}

void ChartWidget::fitRightAxis() {
    if (rightAxis_ == nullptr) {
        return;
    }
    std::optional<std::pair<double, double>> range;
    for (int i = 0; i < seriesCount(); ++i) {
        if (!onRight_.at(i) || !isSeriesShown(i)) {
            continue;
        }
        for (const QPointF& p : points_.at(i)) {
            range = range ? std::pair{std::min(range->first, p.y()), std::max(range->second, p.y())}
                          : std::pair{p.y(), p.y()};
        }
    }
    auto [lo, hi] = range.value_or(std::pair{0.0, 1.0});
    if (!(hi > lo)) {
        lo -= 1;
        hi += 1;
    }
    // Whole steps around the values, so that the labels are round numbers.
    const double step = niceInterval(hi - lo);
    lo = std::floor(lo / step) * step;
    hi = std::ceil(hi / step) * step;
    rightAxis_->setTickType(QValueAxis::TicksFixed);
    rightAxis_->setRange(lo, hi);
    rightAxis_->setTickAnchor(lo);
    rightAxis_->setTickInterval(step);
    rightAxis_->setTickType(QValueAxis::TicksDynamic);
    rightAxis_->setLabelFormat(printfFormat({}, step));
}

ChartWidget::Drawing::Drawing(ChartWidget& chart) : chart_(chart) {
    ++chart_.drawing_;
}

ChartWidget::Drawing::~Drawing() {
    if (--chart_.drawing_ == 0) {
        chart_.endDrawing();
    }
}

void ChartWidget::endDrawing() {
    for (const Axis axis : {Axis::X, Axis::Y}) {
        if (axisChanged_[static_cast<int>(axis)]) {
            axisChanged_[static_cast<int>(axis)] = false;
            applyAxis(axis);
        }
    }
    const Resolution now = resolution();
    for (int i = 0; i < seriesCount(); ++i) {
        if (changed_[i]) {
            changed_[i] = false;
            drawSeries(i, now);
        }
    }
    fitRightAxis();
}

void ChartWidget::changed(int index) {
    if (drawing_ == 0) {
        drawSeries(index, resolution());
        if (onRight_.at(index)) {
            fitRightAxis();
        }
        return;
    }
    if (!changed_[index]) {
        changed_[index] = true;
        at(index)->clear();
        markers_[index]->clear();
    }
}

void ChartWidget::setShown(int index, bool shown) {
    at(index)->setVisible(shown);
    markers_[index]->setVisible(shown);
    if (onRight_.at(index) && drawing_ == 0) {
        fitRightAxis();
    }
}

ChartWidget::Resolution ChartWidget::resolution() const {
    const QRectF plot = chart_->plotArea();
    const double width =
        plot.width() > 1 ? plot.width() : std::max<double>(view_->width(), kUnlaidWidth);
    double min = 0;
    double max = 0;
    if (const auto* time = qobject_cast<QDateTimeAxis*>(xAxis_)) {
        min = static_cast<double>(time->min().toMSecsSinceEpoch());
        max = static_cast<double>(time->max().toMSecsSinceEpoch());
    } else {
        const auto* value = static_cast<QValueAxis*>(xAxis_);
        min = value->min();
        max = value->max();
    }
    Resolution r;
    r.xOrigin = min;
    r.xPixelsPerUnit = max > min ? width / (max - min) : 0;
    return r;
}

void ChartWidget::drawSeries(int index, const Resolution& res) {
    const QList<QPointF>& all = points_.at(index);
    // More points than the pixel columns they span: the extremes of each column draw the same.
    const bool thin = res.xPixelsPerUnit > 0 && all.size() > 2 &&
                      (all.last().x() - all.first().x()) * res.xPixelsPerUnit < all.size();
    const QList<QPointF> drawn =
        thin ? columnExtremes(all, res.xOrigin, 1 / res.xPixelsPerUnit) : all;
    series_[index]->replace(drawn);
    markers_[index]->replace(visibleMarkers(all, res.xPixelsPerUnit, kMarkerSpacing));
    drawnAt_[index] = res;
}

void ChartWidget::scheduleRedraw() {
    if (drawing_ > 0 || redrawPending_) {
        return;
    }
    redrawPending_ = true;
    // After the chart has finished the layout that announced the change.
    QMetaObject::invokeMethod(this, &ChartWidget::redrawIfNeeded, Qt::QueuedConnection);
}

void ChartWidget::redrawIfNeeded() {
    redrawPending_ = false;
    const Resolution now = resolution();
    // Finer than drawn needs more points; much coarser can do with fewer.
    const auto outgrown = [](double needed, double had) {
        return needed > had * 1.01 || needed < had / 2;
    };
    for (int i = 0; i < seriesCount(); ++i) {
        const Resolution& drawn = drawnAt_.at(i);
        if (!points_.at(i).isEmpty() && outgrown(now.xPixelsPerUnit, drawn.xPixelsPerUnit)) {
            drawSeries(i, now);
        }
    }
}

QList<QPointF> ChartWidget::drawnPoints(int index) const {
    return at(index)->points();
}

QList<QPointF> ChartWidget::markedPoints(int index) const {
    return markers_.at(index)->points();
}

QColor ChartWidget::seriesColor(int index) {
    return seriesPalette().at(index);
}

double ChartWidget::timeX(const QDateTime& at) {
    return static_cast<double>(at.toMSecsSinceEpoch());
}

void ChartWidget::clearTitle() {
    titleLines_.clear();
    chart_->setTitle({});
}

void ChartWidget::addTitleLine(const QString& line) {
    titleLines_ << line;
    QStringList escaped;
    for (const QString& l : titleLines_) {
        escaped << l.toHtmlEscaped();
    }
    chart_->setTitle(escaped.join(QStringLiteral("<br>")));
}

QLineSeries* ChartWidget::at(int index) const {
    return series_.at(index);
}

void ChartWidget::clearSeries(int index) {
    points_[index].clear();
    changed(index);
}

void ChartWidget::addPoint(int index, double x, double y) {
    QList<QPointF>& current = points_[index];
    const auto after = std::upper_bound(current.begin(), current.end(), x,
                                        [](double v, const QPointF& p) { return v < p.x(); });
    current.insert(after, QPointF(x, y));
    changed(index);
}

void ChartWidget::setPoints(int index, QList<QPointF> points) {
    std::stable_sort(points.begin(), points.end(),
                     [](const QPointF& a, const QPointF& b) { return a.x() < b.x(); });
    points_[index] = std::move(points);
    changed(index);
}

QList<QPointF> ChartWidget::points(int index) const {
    return points_.at(index);
}

void ChartWidget::setSeriesTitle(int index, const QString& title) {
    at(index)->setName(title);
    legend_->setEntryText(index, title);
}

QString ChartWidget::seriesTitle(int index) const {
    return at(index)->name();
}

void ChartWidget::setSeriesVisible(int index, bool visible) {
    listed_[index] = visible;
    legend_->setListed(index, visible);
    setShown(index, visible);
}

bool ChartWidget::isSeriesListed(int index) const {
    return listed_.at(index);
}

bool ChartWidget::isSeriesShown(int index) const {
    return at(index)->isVisible();
}

std::optional<std::pair<double, double>> ChartWidget::shownYRange() const {
    std::optional<std::pair<double, double>> range;
    for (int i = 0; i < seriesCount(); ++i) {
        if (!isSeriesShown(i) || onRight_.at(i)) {
            continue;
        }
        for (const QPointF& p : points_.at(i)) {
            if (!range) {
                range = std::pair{p.y(), p.y()};
            } else {
                range->first = std::min(range->first, p.y());
                range->second = std::max(range->second, p.y());
            }
        }
    }
    return range;
}

void ChartWidget::setAxisTitle(Axis axis, const QString& title) {
    spec(axis).title = title;
    qtAxis(axis)->setTitleText(title);
}

void ChartWidget::setAxisRange(Axis axis, double min, double max) {
    spec(axis).min = min;
    spec(axis).max = max;
    applyAxis(axis);
}

void ChartWidget::setAxisMin(Axis axis, double min) {
    setAxisRange(axis, min, spec(axis).max);
}

void ChartWidget::setAxisMax(Axis axis, double max) {
    setAxisRange(axis, spec(axis).min, max);
}

void ChartWidget::setAxisStep(Axis axis, double step) {
    spec(axis).step = step;
    applyAxis(axis);
}

void ChartWidget::setAxisLabelFormat(Axis axis, const QString& format) {
    spec(axis).labelFormat = format;
    applyAxis(axis);
}

void ChartWidget::setAxisLabelsVisible(Axis axis, bool visible) {
    qtAxis(axis)->setLabelsVisible(visible);
}

bool ChartWidget::axisLabelsVisible(Axis axis) const {
    return qtAxis(axis)->labelsVisible();
}

void ChartWidget::setAxisLabelAngle(Axis axis, int degrees) {
    spec(axis).labelAngle = degrees;
    // Qt turns labels clockwise.
    qtAxis(axis)->setLabelsAngle((360 - degrees % 360) % 360);
}

QAbstractAxis* ChartWidget::qtAxis(Axis axis) const {
    return axis == Axis::X ? xAxis_ : yAxis_;
}

void ChartWidget::applyAxis(Axis axis) {
    if (drawing_ > 0) {
        axisChanged_[static_cast<int>(axis)] = true;
        return;
    }
    const AxisSpec& s = spec(axis);
    double min = s.min;
    double max = s.max;
    // An empty or inverted range cannot be drawn; show one step above the minimum instead.
    if (!(max > min)) {
        max = min + (s.step > 0 ? s.step : 1);
    }
    if (auto* time = qobject_cast<QDateTimeAxis*>(qtAxis(axis))) {
        time->setRange(QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(min)),
                       QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(max)));
        time->setFormat(s.labelFormat.isEmpty() ? QStringLiteral("yyyy/MM/dd hh:mm")
                                                : s.labelFormat);
    }
    applyTicks(axis, min, max, s.step);
}

void ChartWidget::applyTicks(Axis axis, double min, double max, double step) {
    const double range = max - min;
    if (auto* time = qobject_cast<QDateTimeAxis*>(qtAxis(axis))) {
        int count = 0;
        if (step > 0 && range / step <= kMostTicks) {
            count = static_cast<int>(std::lround(range / step)) + 1;
        } else {
            // Room for each dated label, and no more labels than days.
            count =
                std::min(view_ ? view_->width() / 110 : 6, static_cast<int>(range / kDayMs) + 1);
        }
        time->setTickCount(std::clamp(count, 2, static_cast<int>(kMostTicks)));
        return;
    }
    auto* value = static_cast<QValueAxis*>(qtAxis(axis));
    const double interval = labelInterval(axis, range, step);
    // Dynamic ticks are laid out on every change; an old interval over a new, wider range
    // would create a label per step, so the range changes under fixed ticks.
    value->setTickType(QValueAxis::TicksFixed);
    value->setRange(min, max);
    value->setTickAnchor(0);
    value->setTickInterval(interval);
    value->setTickType(QValueAxis::TicksDynamic);
    value->setLabelFormat(printfFormat(spec(axis).labelFormat, step > 0 ? step : interval));
}

double ChartWidget::labelInterval(Axis axis, double range, double step) const {
    const double base = step > 0 && range / step <= kMostTicks ? step : niceInterval(range);
    const QRectF plot = chart_->plotArea();
    const double length = axis == Axis::Y ? plot.height() : plot.width();
    if (!(length > 0) || !(range > 0)) {
        return base;
    }
    // The labels keep to multiples of the step, as few as the axis has room for.
    const QFontMetricsF metrics(qtAxis(axis)->labelsFont());
    const double label = axis == Axis::Y
                             ? metrics.height()
                             : metrics.horizontalAdvance(QString::number(std::round(range))) + 8;
    const double needed = label * kLabelRoom + kLabelPadding;
    const auto fits = [&](double interval) {
        return length / (range / interval + 1) >= needed || range / interval <= 1;
    };
    double interval = base;
    for (double scale = 1; !fits(interval); scale *= 10) {
        for (const double f : {2.0, 5.0, 10.0}) {
            interval = base * scale * f;
            if (fits(interval)) {
                break;
            }
        }
    }
    return interval;
}

void ChartWidget::refitLabels() {
    if (chart_->isZoomed()) {
        return;
    }
    for (const Axis axis : {Axis::X, Axis::Y}) {
        if (auto* value = qobject_cast<QValueAxis*>(qtAxis(axis))) {
            const double interval =
                labelInterval(axis, value->max() - value->min(), spec(axis).step);
            if (interval != value->tickInterval()) {
                value->setTickInterval(interval);
            }
        }
    }
}

void ChartWidget::retuneAfterZoom() {
    for (const Axis axis : {Axis::X, Axis::Y}) {
        if (auto* value = qobject_cast<QValueAxis*>(qtAxis(axis))) {
            const double interval = niceInterval(value->max() - value->min());
            value->setTickType(QValueAxis::TicksFixed);
            value->setTickInterval(interval);
            value->setTickType(QValueAxis::TicksDynamic);
            value->setLabelFormat(printfFormat({}, interval));
        }
    }
}

void ChartWidget::resetView() {
    chart_->zoomReset();
    applyAxis(Axis::X);
    applyAxis(Axis::Y);
    fitRightAxis();
}

void ChartWidget::setLevelLines(const QList<LevelLine>& lines) {
    for (QLineSeries* line : levelSeries_) {
        chart_->removeSeries(line);
        delete line;
    }
    levelSeries_.clear();
    legend_->clearLineEntries();
    levelLines_ = lines;
    for (const LevelLine& level : lines) {
        auto* line = new QLineSeries;
        line->setName(level.title);
        line->setPen(QPen(level.color, 2, Qt::DashLine));
        line->append(xSpec_.min, level.y);
        line->append(xSpec_.max, level.y);
        chart_->addSeries(line);
        line->attachAxis(xAxis_);
        line->attachAxis(yAxis_);
        levelSeries_ << line;
        QCheckBox* entry = legend_->addLineEntry(level.title, level.color);
        connect(entry, &QCheckBox::toggled, line, &QLineSeries::setVisible);
    }
}

void ChartWidget::setMarkerLines(const QList<MarkerLine>& lines) {
    for (QXYSeries* series : markerSeries_) {
        chart_->removeSeries(series);
        delete series;
    }
    markerSeries_.clear();
    markerLines_ = lines;
    const QColor color(70, 70, 70);
    for (const MarkerLine& marker : lines) {
        auto* line = new QLineSeries;
        line->setPen(QPen(color, 1.5, Qt::DashLine));
        line->append(marker.x, ySpec_.min);
        line->append(marker.x, ySpec_.max);
        // The label sits on a point of its own at the top, its marker too small to see.
        auto* top = new QScatterSeries;
        top->setMarkerSize(1);
        top->setColor(color);
        top->setBorderColor(color);
        top->append(marker.x, ySpec_.max);
        top->setPointLabelsFormat(QString(marker.label).replace('@', QStringLiteral("at")));
        top->setPointLabelsColor(color);
        top->setPointLabelsClipping(false);
        top->setPointLabelsVisible(true);
        for (QXYSeries* series : {static_cast<QXYSeries*>(line), static_cast<QXYSeries*>(top)}) {
            chart_->addSeries(series);
            series->attachAxis(xAxis_);
            series->attachAxis(yAxis_);
            markerSeries_ << series;
        }
    }
}

void ChartWidget::setFlagMarks(const QList<QPointF>& points) {
    if (!flagSeries_) {
        flagSeries_ = new QScatterSeries;
        flagSeries_->setMarkerShape(QScatterSeries::MarkerShapeCircle);
        flagSeries_->setMarkerSize(11);
        flagSeries_->setColor(Qt::transparent);
        flagSeries_->setBorderColor(QColor(255, 140, 0));
        QPen pen(QColor(255, 140, 0), 2);
        flagSeries_->setPen(pen);
        chart_->addSeries(flagSeries_);
        flagSeries_->attachAxis(xAxis_);
        flagSeries_->attachAxis(yAxis_);
    }
    flagSeries_->replace(points);
}

QList<QPointF> ChartWidget::flagMarks() const {
    return flagSeries_ ? flagSeries_->points() : QList<QPointF>{};
}

void ChartWidget::setLegendTitle(const QString& title) {
    legend_->setTitle(title);
}

QString ChartWidget::legendTitle() const {
    return legend_->title();
}

QStringList ChartWidget::legendEntries() const {
    QStringList entries;
    for (int i = 0; i < seriesCount(); ++i) {
        if (listed_.at(i)) {
            entries << seriesTitle(i);
        }
    }
    for (const LevelLine& level : levelLines_) {
        entries << level.title;
    }
    return entries;
}

QCheckBox* ChartWidget::legendEntry(int index) const {
    return legend_->entry(index);
}

QString ChartWidget::annotationText() const {
    return annotation_->text();
}

QString ChartWidget::xText(double x) const {
    if (kind_ == XAxisKind::DateTime) {
        return QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(x))
            .toString(QStringLiteral("yyyy/MM/dd hh:mm:ss"));
    }
    return QString::number(x, 'g', 10);
}

void ChartWidget::showPointNear(const QPointF& chartPos) {
    double best = kClickReach;
    QString text;
    const Resolution r = resolution();
    // Only points within reach along x can be within reach at all.
    const double reach = r.xPixelsPerUnit > 0 ? kClickReach / r.xPixelsPerUnit : 0;
    for (int i = 0; i < seriesCount(); ++i) {
        QLineSeries* line = at(i);
        if (!line->isVisible()) {
            continue;
        }
        const QList<QPointF>& all = points_.at(i);
        const double x = chart_->mapToValue(chartPos, line).x();
        auto it = std::lower_bound(all.begin(), all.end(), x - reach,
                                   [](const QPointF& p, double v) { return p.x() < v; });
        for (; it != all.end() && it->x() <= x + reach; ++it) {
            const double d = QLineF(chart_->mapToPosition(*it, line), chartPos).length();
            if (d <= best) {
                best = d;
                text = QStringLiteral("%1: %2, %3")
                           .arg(line->name(), xText(it->x()), QString::number(it->y(), 'g', 10));
            }
        }
    }
    annotation_->setText(text);
}

QImage ChartWidget::picture() {
    if (redrawPending_) {
        redrawIfNeeded();
    }
    return picturePart_->grab().toImage();
}

bool ChartWidget::exportJpeg(const QString& path) {
    const QImage image = picture();
    if (image.isNull()) {
        return false;
    }
    // Written beside the file and renamed over it: a failed write keeps the previous picture.
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && image.save(&file, "JPG", 90) && file.commit();
}

void ChartWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (kind_ == XAxisKind::DateTime && xSpec_.step <= 0) {
        applyAxis(Axis::X);
    }
}
