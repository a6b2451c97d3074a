#include "ui/FailureMessages.h"

#include "store/DbError.h"
#include "store/SiteAccess.h"
#include "ui/Prompter.h"

#include <QDir>

void tellNotSaved(Prompter& prompter, const QString& what, const DbError& error) {
    if (isRefusal(error)) {
        prompter.message(kAppTitle, error.description(), MsgIcon::Exclamation);
        return;
    }
    prompter.message(kAppTitle, what + " was not saved: " + failureReason(error) + ".",
                     MsgIcon::Exclamation);
}

void tellIfInUse(Prompter& prompter, const DbError& error) {
    if (error.kind() == DbErrorKind::Busy) {
        prompter.message(kAppTitle, kDatabaseInUse, MsgIcon::Exclamation);
    } else if (isRefusal(error)) {
        prompter.message(kAppTitle, error.description(), MsgIcon::Exclamation);
    }
}

void tellNotOpened(Prompter& prompter, const QString& program, const QString& what,
                   const QString& path) {
    prompter.message(kOmbrevaultTitle,
                     "No " + program + " could be found to open the " + what +
                         ". It was saved as:\r\n" + QDir::toNativeSeparators(path),
                     MsgIcon::Exclamation);
}
