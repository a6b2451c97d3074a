#pragma once

#include <QString>

// Opens a file or an address with the desktop's handler; tests record instead.
class Desktop {
public:
    virtual ~Desktop() = default;
    // False when nothing could open it.
    virtual bool open(const QString& fileOrUrl) = 0;
};
