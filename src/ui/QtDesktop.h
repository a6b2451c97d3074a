#pragma once

#include "ui/Desktop.h"

// Desktop over QDesktopServices.
class QtDesktop : public Desktop {
public:
    bool open(const QString& fileOrUrl) override;
};
