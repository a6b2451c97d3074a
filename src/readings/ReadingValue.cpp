#include "readings/ReadingValue.h"

#include "store/NumberProblem.h"

namespace {
// Shown of a refused text: enough to recognise it, never a screenful.
constexpr int kShownLength = 24;
} // namespace

QString readingValueProblem(const QString& text) {
    return text.trimmed().isEmpty() ? QString()
                                    : numberProblem(text, kMaxReadingValue, kMaxReadingLength);
}

QString refusedValueText(const QString& box, const QString& text, const QString& unit,
                         const QString& problem) {
    const QString trimmed = text.trimmed();
    const QString shown =
        trimmed.size() > kShownLength ? trimmed.left(kShownLength) + QStringLiteral("…") : trimmed;
    return box + "'s value " + shown + " is not a reading in " + unit + ": " + problem;
}

QString valueBoxName(int channel) {
    return channel == 0 ? QStringLiteral("The temperature")
                        : QStringLiteral("Node %1").arg(channel);
}

QString valueBoxUnit(int channel) {
    return channel == 0 ? QStringLiteral("degrees C") : QStringLiteral("millimetres");
}
