#include "store/CorrectionTable.h"

#include "store/Connection.h"
#include "store/Schema.h"

#include <QStringList>

void createCorrectionTableWithin(Connection& db) {
    const QString real =
        db.isServer() ? QStringLiteral("double precision") : QStringLiteral("REAL");
    QStringList nodes;
    for (int n = 1; n <= kCorrectionNodes; ++n) {
        nodes << QStringLiteral("Node%1 %2").arg(n).arg(real);
    }
    const QString key = db.isServer() ? kServerRowId + ", InstrumentID text UNIQUE NOT NULL"
                                      : QStringLiteral("InstrumentID TEXT PRIMARY KEY");
    db.execute("CREATE TABLE IF NOT EXISTS " + kCorrectionTable + " (" + key + ", Mode " +
               (db.isServer() ? "text" : "TEXT") + " NOT NULL, Expansion " + real + ", " +
               nodes.join(", ") + ")");
}

void createCorrectionTable(Connection& db) {
    db.inTransaction([&] { createCorrectionTableWithin(db); });
}

bool hasCorrectionTable(Connection& db) {
    return db.hasTable(kCorrectionTable);
}
