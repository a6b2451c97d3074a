#pragma once

#include <QString>
#include <optional>

// What a sensor type code gives: the model name and the number of node channels, plus the
// values every type shares.
struct SensorTypeInfo {
    QString modelName;
    int nodeCount = 0;
    QString familyTag = QStringLiteral("EX");
    QString anchorCaption = QStringLiteral("Node / Anchor Location:");
    QString notesCaption = QStringLiteral("Notes:");
    QString unit = QStringLiteral("m");
};

// The fixed table of codes "21".."91"; nullopt for any other text (compared exactly).
std::optional<SensorTypeInfo> lookupSensorType(const QString& code);

// The current type of the application: an unknown code keeps the previous model name and
// node count and reports false, so the caller can show "unknown sensor type!".
bool SetSensorType(const QString& code, SensorTypeInfo& current);
