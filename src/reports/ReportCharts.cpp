#include "reports/ReportCharts.h"

#include "charts/ChartWidget.h"
#include "store/DbError.h"

#include <QCoreApplication>

namespace {
// The size the report's charts are drawn at, whatever the chart tabs look like.
constexpr QSize kChartPageSize(1150, 620);

// Lays out a widget that is never shown, as showing would: the chart sizes its plot area in
// posted layout requests, and the labels are fitted to that area.
void settle(QWidget& widget) {
    widget.grab();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
}
} // namespace

void drawReportChart(ChartPage::Kind kind, const GraphInput& input, const AppContext& context,
                     const QString& path) {
    ChartPage page(kind, context);
    page.setAttribute(Qt::WA_DontShowOnScreen);
    page.resize(kChartPageSize);
    settle(page);
    page.draw(input);
    settle(page);
    if (!page.chart()->exportJpeg(path)) {
        throw DbError(ErrorCode::FileNotFound,
                      QStringLiteral("The chart could not be saved as ") + path);
    }
}
