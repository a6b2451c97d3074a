#pragma once

#include "triggers/SiteReport.h"

// The site report's plan pages: one per level that has a stored plan, the plan drawn with its
// sensors' markers as the Plan view shows them. A plan that cannot be read gets a page saying
// so, so the report never leaves a level out without a word.
SiteReportPlanPages planReportPages();
