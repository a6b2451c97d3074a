#pragma once

#include <QString>
#include <functional>

class QPdfWriter;

// Writes a PDF file aside and then in place: paint draws the pages on a writer whose output
// goes to a temporary file in path's folder, which replaces path only when it was written
// whole (every write and the final flush succeeded, and it is not empty). On a failure, a
// full disk for one, a file already at path stays as it was, the temporary file is removed
// and DbError says "<what> <path> was not written: <why>". A failure raised by paint itself
// passes through, and leaves path as it was too.
void writePdfFile(const QString& path, const QString& what,
                  const std::function<void(QPdfWriter&)>& paint);
