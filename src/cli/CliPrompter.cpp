#include "cli/CliPrompter.h"

#include <cstdio>

namespace {
void print(std::FILE* stream, const QString& line) {
    const QByteArray bytes = (line + '\n').toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
    std::fflush(stream);
}

// "title: text", the message's own line breaks kept as separate indented lines.
QString shown(const QString& title, const QString& text) {
    QString body = text;
    body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    body.replace('\n', QStringLiteral("\n    "));
    return title.isEmpty() ? body : title + QStringLiteral(": ") + body;
}
} // namespace

void printOut(const QString& line) {
    print(stdout, line);
}

void printError(const QString& line) {
    print(stderr, line);
}

MsgAnswer CliPrompter::message(const QString& title, const QString& text, MsgIcon,
                               MsgButtons buttons) {
    printError(shown(title, text));
    switch (buttons) {
    case MsgButtons::Ok:
        return MsgAnswer::Ok;
    case MsgButtons::YesNo:
        printError(QStringLiteral("    (answered No: nobody is there to ask)"));
        return MsgAnswer::No;
    case MsgButtons::OkSkipAll:
        // Either answer skips; this one keeps the rest of its kind off the screen.
        printError(QStringLiteral("    (answered Skip All: nobody is there to ask)"));
        return MsgAnswer::SkipAll;
    case MsgButtons::OkCancel:
    case MsgButtons::YesNoCancel:
        break;
    }
    printError(QStringLiteral("    (answered Cancel: nobody is there to ask)"));
    return MsgAnswer::Cancel;
}

std::optional<QString> CliPrompter::input(const QString& title, const QString& prompt,
                                          const QString&) {
    printError(shown(title, prompt));
    printError(QStringLiteral("    (cancelled: nobody is there to type an answer)"));
    return std::nullopt;
}

QString CliPrompter::openFile(const QString& title, const QString&, const QString&) {
    printError(shown(title, QStringLiteral("a file to open")));
    printError(QStringLiteral("    (cancelled: nobody is there to choose a file)"));
    return {};
}
