#include "ui/Prompter.h"

int Prompter::choose(const QString&, const QString&, const QStringList&) {
    return -1;
}

std::optional<ServerLoginAnswer> Prompter::askServerLogin(const QString&, const ServerLogin&) {
    return std::nullopt;
}
