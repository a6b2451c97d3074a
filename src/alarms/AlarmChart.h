#pragma once

#include "store/Guard.h"

#include <QByteArray>
#include <QString>

class Connection;
struct AppContext;

// The sensor's displacement-against-time chart as a PNG, drawn as the report draws it; empty
// when the sensor or its readings table is missing or it has fewer than two readings to draw.
QByteArray eventChartPng(Connection& db, const ErrorLog& log, const QString& instrumentId,
                         const AppContext& context);

// Gives each event's pending amber or red messages that carry no chart the sensor's chart. A
// chart that cannot be drawn is logged and the message goes without it.
void attachEventCharts(Connection& db, const ErrorLog& log, const AppContext& context);
