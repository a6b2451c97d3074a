#include "ui/FailureMessages.h"

#include "store/DbError.h"
#include "ui/Prompter.h"

void tellNotSaved(Prompter& prompter, const QString& what, const DbError& error) {
    prompter.message(kAppTitle, what + " was not saved: " + failureReason(error) + ".",
                     MsgIcon::Exclamation);
}

void tellIfInUse(Prompter& prompter, const DbError& error) {
    if (error.kind() == DbErrorKind::Busy) {
        prompter.message(kAppTitle, kDatabaseInUse, MsgIcon::Exclamation);
    }
}
