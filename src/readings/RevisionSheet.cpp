#include "readings/RevisionSheet.h"

#include "revisions/RevisionStore.h"

QList<GridSheet> revisionSheets(Connection& db, const QString& instrumentId) {
    const QVector<QStringList> table = revisionTable(readRevisions(db, instrumentId));
    if (table.isEmpty()) {
        return {};
    }
    return {GridSheet{QStringLiteral("Revisions"), table}};
}
