#pragma once

class QTableView;

// Keeps a table's columns inside its view: every column sized to its contents, and when they
// do not all fit, the free-text column given gives up the difference (its cells elided, the
// full text in the tooltip the model supplies), so no table scrolls sideways. Refits whenever
// the view is resized.
void fitColumnsToView(QTableView* table, int flexibleColumn);
