#include "tools/ToolArgs.h"

#include "store/DbError.h"

#include <algorithm>

std::optional<int> readToolArgs(const QStringList& args, const char* usage,
                                const QList<ToolNumber>& numbers, QString& folder, QTextStream& out,
                                QTextStream& err) {
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            out << usage;
            return 0;
        }
        const auto number = std::find_if(numbers.cbegin(), numbers.cend(),
                                         [&](const ToolNumber& n) { return n.name == arg; });
        if (number != numbers.cend()) {
            bool ok = false;
            const int value = i + 1 < args.size() ? args[i + 1].toInt(&ok) : 0;
            if (!ok || value < 1 || value > number->high ||
                (number->divides != 0 && number->divides % value != 0)) {
                err << arg << " needs a whole number"
                    << (number->high < INT_MAX ? " from 1 to " + QString::number(number->high)
                                               : QString())
                    << (number->divides != 0 ? " that divides " + QString::number(number->divides)
                                             : QString())
                    << "\n"
                    << usage;
                return 2;
            }
            *number->target = value;
            ++i;
        } else if (folder.isEmpty() && !arg.startsWith('-')) {
            folder = arg;
        } else {
            err << "unexpected argument: " << arg << "\n" << usage;
            return 2;
        }
    }
    if (folder.isEmpty()) {
        err << usage;
        return 2;
    }
    return std::nullopt;
}

int writingTool(QTextStream& err, const std::function<void()>& write) {
    try {
        write();
    } catch (const DbError& e) {
        err << "Err #" << e.number() << ": " << e.description() << "\n";
        return 1;
    }
    return 0;
}
