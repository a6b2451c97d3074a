#include "site/PositionImport.h"

#include "store/Connection.h"
#include "store/DbError.h"
#include "store/SqlFailure.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSqlQuery>
#include <cmath>

namespace {
bool isHeading(const QStringList& fields) {
    return fields.size() >= 1 &&
           fields[0].trimmed().compare(QLatin1String("InstrumentID"), Qt::CaseInsensitive) == 0;
}

// A coordinate field: a finite number in the C locale, or (for the elevation) empty.
std::optional<double> number(const QString& field, bool& ok) {
    const QString text = field.trimmed();
    bool converted = false;
    const double value = text.toDouble(&converted);
    ok = converted && std::isfinite(value);
    return ok ? std::optional<double>(value) : std::nullopt;
}

QSet<QString> registerSensors(Connection& db) {
    QSet<QString> ids;
    QSqlQuery query = runQuery(db, QStringLiteral("SELECT InstrumentID FROM Sensors"), {});
    while (query.next()) {
        ids.insert(query.value(0).toString());
    }
    return ids;
}
} // namespace

PositionFile parsePositions(const QString& text, const QSet<QString>& known) {
    PositionFile result;
    QHash<QString, int> seen;
    const QStringList lines = text.split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        const int lineNo = i + 1;
        QString line = lines[i];
        if (line.endsWith('\r')) {
            line.chop(1);
        }
        if (i == 0 && line.startsWith(QChar(0xFEFF))) {
            line.remove(0, 1);
        }
        if (line.trimmed().isEmpty()) {
            continue;
        }
        const QStringList fields = line.split(',');
        if (result.taken.isEmpty() && result.refused.isEmpty() && isHeading(fields)) {
            continue;
        }
        const auto refuse = [&](const QString& reason) {
            result.refused << RefusedLine{lineNo, reason};
        };
        if (fields.size() < 3 || fields.size() > 4) {
            refuse(QStringLiteral("wants InstrumentID,Easting,Northing,Elevation, not %1 fields")
                       .arg(fields.size()));
            continue;
        }
        const QString id = fields[0].trimmed();
        const QStringList names{QStringLiteral("Easting"), QStringLiteral("Northing"),
                                QStringLiteral("Elevation")};
        SensorPosition position;
        QString bad;
        for (int f = 1; f < fields.size() && bad.isEmpty(); ++f) {
            if (f == 3 && fields[3].trimmed().isEmpty()) {
                break;
            }
            bool ok = false;
            const std::optional<double> value = number(fields[f], ok);
            if (!ok) {
                bad = QStringLiteral("%1 '%2' is not a number")
                          .arg(names[f - 1], fields[f].trimmed());
            } else if (f == 1) {
                position.easting = *value;
            } else if (f == 2) {
                position.northing = *value;
            } else {
                position.elevation = value;
            }
        }
        if (!bad.isEmpty()) {
            refuse(bad);
        } else if (!known.contains(id)) {
            refuse(QStringLiteral("sensor '%1' is not in the register").arg(id));
        } else if (seen.contains(id)) {
            refuse(QStringLiteral("sensor %1 was given already on line %2").arg(id).arg(seen[id]));
        } else {
            seen.insert(id, lineNo);
            result.taken << PositionLine{lineNo, id, position};
        }
    }
    return result;
}

QString PositionImportResult::summary() const {
    QStringList out{QStringLiteral("%1: %2 lines taken, %3 refused")
                        .arg(QFileInfo(path).fileName())
                        .arg(lines.taken.size())
                        .arg(lines.refused.size())};
    for (const RefusedLine& r : lines.refused) {
        out << QStringLiteral("line %1: %2").arg(r.line).arg(r.reason);
    }
    return out.join('\n');
}

PositionImportResult importPositions(Connection& db, const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw DbError(ErrorCode::FileNotFound,
                      QStringLiteral("The positions file %1 could not be read: %2")
                          .arg(path, file.errorString()));
    }
    PositionImportResult result;
    result.path = path;
    const QString text = QString::fromUtf8(file.readAll());
    db.inTransaction([&] {
        result.lines = parsePositions(text, registerSensors(db));
        createSiteTablesWithin(db);
        for (const PositionLine& line : result.lines.taken) {
            storePositionWithin(db, line.instrumentId, line.position);
        }
    });
    return result;
}
