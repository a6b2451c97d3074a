#pragma once

#include "ui/Notifier.h"

// The desktop's notification service on the session bus (org.freedesktop.Notifications). The
// call is sent without waiting for its answer, so a slow or missing service holds nothing up.
class DbusNotifier : public Notifier {
public:
    void notify(const QString& summary, const QString& body) override;
};
