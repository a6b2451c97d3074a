#pragma once

#include <QString>

// Shows a notification on the desktop, beside the window; tests record instead. A desktop
// without a notification service shows none, and nothing fails.
class Notifier {
public:
    virtual ~Notifier() = default;
    virtual void notify(const QString& summary, const QString& body) = 0;
};
