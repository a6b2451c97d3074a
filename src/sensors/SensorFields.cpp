#include "sensors/SensorFields.h"

#include "store/DbError.h"
#include "store/Formats.h"
#include "store/NumberProblem.h"

#include <QLocale>
#include <QStringList>

namespace {
[[noreturn]] void typeMismatch() {
    throw DbError(ErrorCode::TypeMismatch, QStringLiteral("Type mismatch"));
}

const QString kDateForm = QStringLiteral("yyyy/MM/dd");
} // namespace

std::optional<QDate> readDateText(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        return std::nullopt;
    }
    for (const QString& form :
         {QStringLiteral("yyyy/M/d"), QStringLiteral("yyyy-M-d"), QStringLiteral("yyyy.M.d")}) {
        const QDate date = QDate::fromString(trimmed, form);
        if (date.isValid()) {
            return date;
        }
    }
    const QLocale locale = QLocale::system();
    QDate date = locale.toDate(trimmed, QLocale::ShortFormat);
    if (!date.isValid()) {
        // The short form often has a two-digit year; a typed four-digit year reads too.
        QString longYear = locale.dateFormat(QLocale::ShortFormat);
        if (!longYear.contains(QLatin1String("yyyy"))) {
            longYear.replace(QLatin1String("yy"), QLatin1String("yyyy"));
        }
        date = locale.toDate(trimmed, longYear);
    }
    if (date.isValid()) {
        return date;
    }
    return std::nullopt;
}

QVariant formattedNumberValue(const QString& text, const QString& pattern, const QString& box) {
    if (text.trimmed().isEmpty()) {
        return QVariant(QMetaType::fromType<double>());
    }
    // Longer than any distance written out to the pattern's two decimals.
    constexpr int kMaxLength = 24;
    const QString problem = numberProblem(text, kMaxDistance, kMaxLength);
    if (!problem.isEmpty()) {
        const QString trimmed = text.trimmed();
        const QString shown =
            trimmed.size() > kMaxLength ? trimmed.left(kMaxLength) + QStringLiteral("…") : trimmed;
        throw DbError(ErrorCode::TypeMismatch,
                      box + ' ' + shown + " is not a distance in metres: " + problem);
    }
    const QString formatted = formatNumber(text, pattern);
    const std::optional<double> value = strictNumber(formatted);
    if (!value) {
        typeMismatch();
    }
    return *value;
}

QVariant installDateValue(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        return QVariant(QMetaType::fromType<QString>());
    }
    const std::optional<QDate> date = readDateText(trimmed);
    if (!date) {
        typeMismatch();
    }
    return date->toString(kDateForm);
}

QString shownDate(const QVariant& value) {
    if (value.isNull()) {
        return {};
    }
    const QString text = value.toString();
    const std::optional<QDate> date = readDateText(text);
    return date ? date->toString(kDateForm) : text;
}
