#pragma once

class QTableView;

// Keeps a table's columns inside its view: every column sized to its contents and the
// free-text column given taking what room is left (its cells elided, the full text in the
// tooltip the model supplies), so the table does not scroll sideways. The header keeps the
// sizes up to date as the rows or the view change.
void fitColumnsToView(QTableView* table, int flexibleColumn);
