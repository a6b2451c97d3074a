#pragma once

class Connection;

// The tables of the site plans, beside the register's own:
//   SensorPositions: per sensor (InstrumentID) its Easting, Northing and Elevation in metres on
//     the mine grid; a sensor without a row has no position.
//   LevelPlans: per level (the register's Level text) the plan drawn under its sensors: the
//     file's own bytes (a DXF drawing or a picture), its name, and for a picture the placement
//     of two of its points on the mine grid.
// Created, where missing, inside the caller's transaction.
void createSiteTablesWithin(Connection& db);
