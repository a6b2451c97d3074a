#pragma once

#include <QList>
#include <QString>
#include <QStringList>

constexpr int MaxLoads = 5; // Load1..Load5

// Where each load sits: the midpoint of anchors i and i + 1 for i = 1..5, from the leading
// numbers of the anchor texts (empty counts as 0), as the shortest decimal text of the number
// ("2.275", "2.25"). Always five entries.
QStringList loadLocations(const QStringList& anchorTexts);

struct LoadResult {
    QList<double> loads;       // Load1..LoadP, P = min(nodeCount - 1, 5)
    QStringList loadLocations; // five entries, as loadLocations()
};

// Loads between adjacent anchors: (Disp(i) - Disp(i + 1)) / spacing × kval, the spacing read
// strictly from the anchor texts (txtRelSGanchor1..). A non-numeric anchor fails with "Type
// mismatch", two anchors at the same distance with "Division by zero"; disp must hold at least
// P + 1 values.
LoadResult SetLoads(const QStringList& anchorTexts, const QList<double>& disp, int nodeCount,
                    double kval);
