#pragma once

class Connection;

// The tables of the response to trigger events, beside the trigger tables:
//   ResponsePlans: per sensor (InstrumentID) or the site default, and per level (AMBER, RED),
//     what is to be done, who does it and within how many hours.
//   TriggerEventClosures: the close of an acknowledged event (who, when, actions taken, the
//     re-entry note), one row per event at most, append-only: a row is never changed or
//     deleted.
// Created, where missing, inside the caller's transaction.
void createResponseTablesWithin(Connection& db);
// True when both tables are in the catalogue.
bool hasResponseTables(Connection& db);

// Whether the closures' rules (the triggers that keep them append-only, and on a server their
// function) are in place, enabled and unchanged; without the table, true.
bool closureRulesIntact(Connection& db);
// Puts the closures' rules back, replacing any of the same name, inside the caller's
// transaction.
void restoreClosureRules(Connection& db);
