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
QString answerName(MsgAnswer answer) {
    switch (answer) {
    case MsgAnswer::Ok:
        return QStringLiteral("OK");
    case MsgAnswer::Yes:
        return QStringLiteral("Yes");
    case MsgAnswer::No:
        return QStringLiteral("No");
    case MsgAnswer::SkipAll:
        return QStringLiteral("Skip All");
    case MsgAnswer::Cancel:
        break;
    }
    return QStringLiteral("Cancel");
}
} // namespace

void printOut(const QString& line) {
    print(stdout, line);
}

void printError(const QString& line) {
    print(stderr, line);
}

MsgAnswer CliPrompter::message(const QString& title, const QString& text, MsgIcon,
                               MsgButtons buttons, std::optional<MsgAnswer> defaultButton) {
    printError(shown(title, text));
    if (buttons == MsgButtons::Ok) {
        return MsgAnswer::Ok;
    }
    MsgAnswer answer = MsgAnswer::Cancel;
    QString why = QStringLiteral("nobody is there to ask");
    if (defaultButton) {
        answer = *defaultButton;
        why = QStringLiteral("the default; ") + why;
    } else if (buttons == MsgButtons::YesNo) {
        answer = MsgAnswer::No;
    } else if (buttons == MsgButtons::OkSkipAll) {
        // Either answer skips; this one keeps the rest of its kind off standard error.
        answer = MsgAnswer::SkipAll;
    }
    printError(QStringLiteral("    (answered %1: %2)").arg(answerName(answer), why));
    return answer;
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
