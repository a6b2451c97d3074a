#pragma once

#include "revisions/Revisions.h"

#include <QDateTime>
#include <QList>
#include <QSet>
#include <QString>
#include <array>
#include <optional>

// One reading of a graph selection with the columns the chart procedures read. A column
// that holds no value is empty.
struct GraphRow {
    QString key; // DateTimeKey
    QDateTime fullDate;
    QString readingDate; // "yyyy/MM/dd"
    double numTemp = 0;
    std::array<std::optional<double>, 10> zero{};
    std::array<std::optional<double>, 8> disp{};
    std::optional<double> reference;
    std::array<std::optional<double>, 5> load{};
};

// What the chart procedures read from the sensor record form and the main window.
struct GraphSensor {
    QString instrumentId;
    bool headAtCollar = true;
    int nodeCount = 1;                    // 1..8
    std::array<QString, 8> anchorTexts;   // txtRelSGanchor1..8, metres "##0.00"
    QString headText;                     // txtHead
    QString recessText;                   // txtRecess
    QString lengthOfCableText;            // txtLengthofCable
    bool plate = false;                   // chkPlate
    std::array<QString, 5> loadLocations; // midpoints of the anchor pairs, metres
    QString scaleText;                    // the scale selector's text
    std::optional<double> amberDisp;      // trigger levels of the sensor, mm; none when unset
    std::optional<double> redDisp;
    // Its rate levels (mm/day), rate window (days) and the fewest readings that give a rate.
    std::optional<double> amberRate;
    std::optional<double> redRate;
    double rateWindow = 7.0;
    int minRateReadings = 2;
    // The revisions in force, drawn on the time charts.
    QList<SensorRevision> revisions;
    bool temperatureCorrected = false; // its displacements are corrected for temperature
    // Keys of its readings the checks flagged, marked on the time charts.
    QSet<QString> flaggedKeys;
};

// One chart's inputs: the sensor and its selected readings in ascending FullDate order.
struct GraphInput {
    GraphSensor sensor;
    QList<GraphRow> rows;
};
