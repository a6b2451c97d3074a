#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <climits>
#include <functional>
#include <optional>

// A whole-number option of a tool's command line: "--name N", from 1 to high, a divisor of
// divides when that is not 0.
struct ToolNumber {
    QString name;
    int* target = nullptr;
    int high = INT_MAX;
    int divides = 0;
};

// Reads "<data-folder>" and the options from the arguments (the program's name left out).
// Gives the exit code when the tool is done already: 0 after --help, 2 after a usage error,
// told on err with the usage.
std::optional<int> readToolArgs(const QStringList& args, const char* usage,
                                const QList<ToolNumber>& numbers, QString& folder, QTextStream& out,
                                QTextStream& err);

// Runs write, giving 0, or 1 with the failure told on err.
int writingTool(QTextStream& err, const std::function<void()>& write);
