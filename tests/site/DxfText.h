#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// A DXF drawing written group by group, for the plan tests: layers declared in its table,
// blocks and entities as given ("0\nLINE\n8\nWalls\n...").
QByteArray dxfDrawing(const QStringList& layers, const QString& blocks, const QString& entities);
