#pragma once

#include <QLockFile>
#include <QString>

class Prompter;

// Keeps a second copy of the program from running. The lock lives in the runtime
// directory, so a refused copy touches nothing in the data folder.
class InstanceLock {
public:
    explicit InstanceLock(const QString& lockPath = defaultPath());

    // True when this is the only running copy; otherwise tells the user and returns false.
    bool acquire(Prompter& prompter);

    static QString defaultPath();

private:
    QLockFile lock_;
};
