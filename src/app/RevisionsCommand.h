#pragma once

struct AppContext;
struct AppState;
class ReadingsPage;

// "Revisions..." on the Readings tab: stores what the page shows, then opens the current
// sensor's revision list on the reading shown. A failure is logged and told, never passed on.
void cmdRevisions_Click(AppState& state, const AppContext& context, ReadingsPage& page);
