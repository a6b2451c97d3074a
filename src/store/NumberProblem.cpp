#include "store/NumberProblem.h"

#include "store/Formats.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace {
// True when the text is a number in the C locale's form whose size no double holds.
bool overflows(const QString& text) {
    const QByteArray bytes = text.toLatin1();
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(bytes.constData(), &end);
    return end == bytes.constData() + bytes.size() && errno == ERANGE && std::isinf(value);
}
} // namespace

QString numberProblem(const QString& text, double bound, int maxLength) {
    const QString trimmed = text.trimmed();
    const QString outside =
        QStringLiteral("it lies outside %1 to %2").arg(-bound, 0, 'f', 0).arg(bound, 0, 'f', 0);
    if (trimmed.size() > maxLength) {
        return QStringLiteral("it is %1 characters long, and a value has at most %2")
            .arg(trimmed.size())
            .arg(maxLength);
    }
    const std::optional<double> value = strictNumber(trimmed);
    if (!value) {
        if (!trimmed.isEmpty() && overflows(trimmed)) {
            return outside;
        }
        const QString word = trimmed.toLower().remove(QLatin1Char('+')).remove(QLatin1Char('-'));
        if (word == QLatin1String("nan") || word == QLatin1String("inf") ||
            word == QLatin1String("infinity")) {
            return QStringLiteral("it is not a finite number");
        }
        return QStringLiteral("it is not a number");
    }
    return std::abs(*value) > bound ? outside : QString();
}
