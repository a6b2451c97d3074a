#pragma once

#include "charts/ChartPage.h"
#include "charts/GraphRows.h"
#include "ui/AppContext.h"

#include <QString>

// Draws a chart of the report on a page of its own that is never shown, at a fixed size, so
// that the picture does not depend on the chart tabs, and exports it as the JPEG at path.
// Raises DbError when the picture cannot be saved.
void drawReportChart(ChartPage::Kind kind, const GraphInput& input, const AppContext& context,
                     const QString& path);
