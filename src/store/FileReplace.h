#pragma once

#include <QString>

// Puts a finished file in place of target in one step: the file first on the disk itself,
// then renamed over target, then the rename on the disk, so that a copy told as made, or a
// register put back, survives the power going off just after, and a cut before leaves the
// earlier file whole. On a failure the finished file is removed and DbError raised.
void replaceWithFinished(const QString& finished, const QString& target);
