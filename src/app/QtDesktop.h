#pragma once

#include "app/Desktop.h"

// Desktop over QDesktopServices.
class QtDesktop : public Desktop {
public:
    bool open(const QString& fileOrUrl) override;
};
