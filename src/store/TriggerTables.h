#pragma once

#include "store/DbError.h"

#include <optional>

class Connection;

// The tables of the trigger levels and of the events they raise, beside the register's own:
//   TriggerLevels: one row per sensor (InstrumentID) and one for the site default, with the
//     amber and red displacement (mm), the amber and red rate (mm/day), the rate window and
//     the expected reading interval (days); a null value is no level.
//   TriggerEvents: the log of levels reached, append-only. A row is never deleted, and its
//     acknowledgement (AckAt, AckBy, AckNote) is the only change it ever takes, once.
//   and the response tables of store/ResponseTables.h.
// Creates whichever is missing, in one transaction; existing tables are left as they are.
void createTriggerTables(Connection& db);
// The same inside the caller's transaction.
void createTriggerTablesWithin(Connection& db);

// Adds to TriggerLevels, in one transaction, the level columns that a register made by an
// earlier version lacks (the bed separation levels, the consecutive readings, the hysteresis
// and the rate readings); nothing without the table. Run whenever a register is opened.
void addMissingLevelColumns(Connection& db);

// True when both tables are in the catalogue.
bool hasTriggerTables(Connection& db);

// What became of the event log's rules (the triggers that keep it append-only, and on a server
// their function) when a register was opened.
struct EventLogProtection {
    // The rules were missing, switched off or changed, and were put back.
    bool restored = false;
    // They are missing, off or changed and could not be put back: why.
    std::optional<DbError> failure;

    bool isProtected() const { return !failure.has_value(); }
};

// Whether every rule of the event log (TriggerEvents and its closures) is in place, enabled
// and unchanged. A database without the event log has nothing to protect: true.
bool eventLogRulesIntact(Connection& db);
// The same for TriggerEvents alone, read with one catalogue query.
bool triggerEventRulesIntact(Connection& db);

// Checks the rules and, where one is missing, off or changed, puts all of them back in one
// transaction (which needs a login that owns the table). Only a failure to read the catalogue
// raises; a failure to put the rules back is returned.
EventLogProtection protectEventLog(Connection& db);
