#include "store/Formats.h"

#include "store/DbError.h"

#include <QLocale>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

enum class Halves { ToEven, AwayFromZero };

// The digits of |x| rounded to `decimals` places, as an integer text N meaning
// N × 10^-decimals. Working on the 15-significant-digit decimal form keeps binary noise
// (1.35 stored as 1.3500000000000000888) out of the decision on halves.
std::string roundedDigits(double magnitude, int decimals, Halves halves) {
    constexpr int significant = 15;
    char buf[48];
    std::snprintf(buf, sizeof buf, "%.*e", significant - 1, magnitude);
    std::string mantissa(1, buf[0]);
    mantissa.append(buf + 2, significant - 1);
    const int exponent = std::atoi(buf + significant + 2);

    const int keep = exponent + 1 + decimals;
    std::string kept;
    bool up = false;
    if (keep >= significant) {
        kept = mantissa + std::string(keep - significant, '0');
    } else if (keep >= 0) {
        kept = mantissa.substr(0, keep);
        const char next = mantissa[keep];
        const bool exactHalf =
            next == '5' && mantissa.find_first_not_of('0', keep + 1) == std::string::npos;
        const bool lastOdd = !kept.empty() && (kept.back() - '0') % 2 == 1;
        up = next > '5' ||
             (next == '5' && (!exactHalf || halves == Halves::AwayFromZero || lastOdd));
    }
    if (kept.empty()) {
        kept = "0";
    }
    if (up) {
        auto digit = kept.rbegin();
        for (; digit != kept.rend() && *digit == '9'; ++digit) {
            *digit = '0';
        }
        if (digit == kept.rend()) {
            kept.insert(kept.begin(), '1');
        } else {
            ++*digit;
        }
    }
    return kept;
}

// x with exactly `decimals` decimals, "." as the point, at least one integer digit and a
// minus sign only when the rounded value is not zero.
QString fixedText(double x, int decimals, Halves halves) {
    std::string digits = roundedDigits(std::fabs(x), decimals, halves);
    if (digits.size() < static_cast<size_t>(decimals) + 1) {
        digits.insert(0, decimals + 1 - digits.size(), '0');
    }
    const size_t integerLength = digits.size() - decimals;
    const size_t firstSignificant = std::min(digits.find_first_not_of('0'), integerLength - 1);
    std::string text = digits.substr(firstSignificant, integerLength - firstSignificant);
    if (decimals > 0) {
        text += '.';
        text += digits.substr(integerLength);
    }
    const bool zero = digits.find_first_not_of('0') == std::string::npos;
    if (x < 0 && !zero) {
        text.insert(text.begin(), '-');
    }
    return QString::fromStdString(text);
}

struct DecimalPlaces {
    int minimum = 0;
    int maximum = 0;
};

// "##0.00" -> two and two; "##0.0#" -> one and two.
DecimalPlaces placesOf(const QString& pattern) {
    DecimalPlaces places;
    const qsizetype point = pattern.indexOf('.');
    if (point < 0) {
        return places;
    }
    for (qsizetype i = point + 1; i < pattern.size(); ++i) {
        if (pattern[i] == '0') {
            ++places.minimum;
            ++places.maximum;
        } else if (pattern[i] == '#') {
            ++places.maximum;
        }
    }
    return places;
}

std::optional<double> readIn(QLocale locale, const QString& text) {
    locale.setNumberOptions(locale.numberOptions() | QLocale::RejectGroupSeparator);
    bool ok = false;
    const double value = locale.toDouble(text, &ok);
    if (!ok || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

bool isAsciiDigit(QChar c) {
    return c >= '0' && c <= '9';
}

// A plain decimal such as "-12.34" or "7": every locale that reads it at all reads it as the C
// locale does (group separators are rejected), so it needs no locale lookup, which is the
// costly part of reading the many numbers of a chart batch.
std::optional<double> plainDecimal(const QString& text) {
    constexpr qsizetype longest = 40;
    const qsizetype size = text.size();
    if (size == 0 || size > longest) {
        return std::nullopt;
    }
    char ascii[longest] = {};
    bool integerDigits = false;
    bool point = false;
    bool fractionDigits = false;
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text[i];
        if (isAsciiDigit(c)) {
            (point ? fractionDigits : integerDigits) = true;
        } else if (!((c == '-' && i == 0) || (c == '.' && integerDigits && !point))) {
            return std::nullopt;
        }
        point = point || c == '.';
        ascii[i] = static_cast<char>(c.unicode());
    }
    double value = 0;
    const auto [end, error] = std::from_chars(ascii, ascii + size, value);
    if (!integerDigits || (point && !fractionDigits) || error != std::errc() ||
        end != ascii + size) {
        return std::nullopt;
    }
    return value;
}

} // namespace

QString formatNumber(const QString& text, const QString& pattern) {
    const std::optional<double> value = strictNumber(text);
    return value ? formatNumber(*value, pattern) : text;
}

QString formatNumber(double value, const QString& pattern) {
    if (!std::isfinite(value)) {
        return QString::number(value);
    }
    const DecimalPlaces places = placesOf(pattern);
    QString text = fixedText(value, places.maximum, Halves::AwayFromZero);
    for (int optional = places.maximum - places.minimum; optional > 0 && text.endsWith('0');
         --optional) {
        text.chop(1);
    }
    if (text.endsWith('.')) {
        text.chop(1);
    }
    return text;
}

double leadingNumber(const QString& text) {
    if (const std::optional<double> plain = plainDecimal(text)) {
        return *plain;
    }
    QString compact;
    for (QChar c : text) {
        if (c != ' ' && c != '\t' && c != '\n') {
            compact += c;
        }
    }
    qsizetype pos = 0;
    const auto digitsFrom = [&](qsizetype at) {
        qsizetype end = at;
        while (end < compact.size() && isAsciiDigit(compact[end])) {
            ++end;
        }
        return end;
    };
    if (pos < compact.size() && (compact[pos] == '+' || compact[pos] == '-')) {
        ++pos;
    }
    const qsizetype integerEnd = digitsFrom(pos);
    bool anyDigit = integerEnd > pos;
    pos = integerEnd;
    if (pos < compact.size() && compact[pos] == '.') {
        const qsizetype fractionEnd = digitsFrom(pos + 1);
        anyDigit = anyDigit || fractionEnd > pos + 1;
        pos = fractionEnd;
    }
    if (!anyDigit) {
        return 0.0;
    }
    std::string number = compact.left(pos).toStdString();
    if (pos < compact.size() && QStringLiteral("eEdD").contains(compact[pos])) {
        qsizetype exponentStart = pos + 1;
        if (exponentStart < compact.size() &&
            (compact[exponentStart] == '+' || compact[exponentStart] == '-')) {
            ++exponentStart;
        }
        const qsizetype exponentEnd = digitsFrom(exponentStart);
        if (exponentEnd > exponentStart) {
            number += 'e';
            number += compact.mid(pos + 1, exponentEnd - pos - 1).toStdString();
        }
    }
    const double value = std::strtod(number.c_str(), nullptr);
    if (!std::isfinite(value)) {
        throw DbError(ErrorCode::InvalidArgument, QStringLiteral("Overflow"));
    }
    return value;
}

std::optional<double> strictNumber(const QString& text) {
    if (const std::optional<double> plain = plainDecimal(text)) {
        return plain;
    }
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        return std::nullopt;
    }
    if (const std::optional<double> local = readIn(QLocale(), trimmed)) {
        return local;
    }
    return readIn(QLocale::c(), trimmed);
}

double toNumber(const QString& text) {
    const std::optional<double> value = strictNumber(text);
    if (!value) {
        throw DbError(ErrorCode::TypeMismatch, QStringLiteral("Type mismatch"));
    }
    return *value;
}

bool isNumericText(const QString& text) {
    return strictNumber(text).has_value();
}

double roundHalfEven(double x, int decimals) {
    if (!std::isfinite(x)) {
        return x;
    }
    return fixedText(x, std::max(decimals, 0), Halves::ToEven).toDouble();
}
