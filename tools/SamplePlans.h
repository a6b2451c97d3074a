#pragma once

#include "tools/SampleData.h"

#include <QByteArray>
#include <QPointF>

class Connection;

// A mine level's plan as a surveyor's DXF drawing: a main drive running east with crosscuts
// every 100 m to the north, pillars between them, a refuge chamber symbol (a block inserted
// twice) and the names of the drives, on the layers "Drives", "Pillars", "Services" and
// "Names". levelIndex shifts the drawing so that each level differs.
QByteArray sampleLevelDxf(int levelIndex);

// Where the sample puts the n-th sensor (0 first) of a level: in the crosscuts of its plan.
QPointF sampleSensorPoint(int levelIndex, int n);

// Stores a position for every sensor but the last of the last level (left without one, as a
// sensor the surveyor has not yet picked up) and each level's plan. Creates the tables.
void writeSamplePlans(Connection& db, const QVector<SampleSensor>& sensors);
