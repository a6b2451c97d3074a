#pragma once

class Connection;

// The tables of the trigger levels and of the events they raise, beside the register's own:
//   TriggerLevels: one row per sensor (InstrumentID) and one for the site default, with the
//     amber and red displacement (mm), the amber and red rate (mm/day), the rate window and
//     the expected reading interval (days); a null value is no level.
//   TriggerEvents: the log of levels reached, append-only. A row is never deleted, and its
//     acknowledgement (AckAt, AckBy, AckNote) is the only change it ever takes, once.
// Creates whichever is missing, in one transaction; existing tables are left as they are.
void createTriggerTables(Connection& db);

// True when both tables are in the catalogue.
bool hasTriggerTables(Connection& db);
