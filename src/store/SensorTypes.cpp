#include "store/SensorTypes.h"

#include <array>

namespace {
struct Row {
    const char* code;
    const char* model;
    int nodes;
};
constexpr std::array<Row, 8> kTypes{{{"21", "k1VARLO", 1},
                                     {"31", "k2VARLO", 2},
                                     {"41", "k3VARLO", 3},
                                     {"51", "k4VARLO", 4},
                                     {"61", "k5VARLO", 5},
                                     {"71", "k6VARLO", 6},
                                     {"81", "k7VARLO", 7},
                                     {"91", "k8VARLO", 8}}};
} // namespace

std::optional<SensorTypeInfo> lookupSensorType(const QString& code) {
    for (const Row& row : kTypes) {
        if (code == QLatin1String(row.code)) {
            SensorTypeInfo info;
            info.modelName = QString::fromLatin1(row.model);
            info.nodeCount = row.nodes;
            return info;
        }
    }
    return std::nullopt;
}

bool SetSensorType(const QString& code, SensorTypeInfo& current) {
    const SensorTypeInfo shared;
    current.familyTag = shared.familyTag;
    current.anchorCaption = shared.anchorCaption;
    current.notesCaption = shared.notesCaption;
    current.unit = shared.unit;
    const auto found = lookupSensorType(code);
    if (!found) {
        return false;
    }
    current.modelName = found->modelName;
    current.nodeCount = found->nodeCount;
    return true;
}
