// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the qrb-punkte program does from its command line to its end: answer
// --help and --version (or refuse a wrong option) without touching the
// display, otherwise open the window and run until END.

#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

namespace qrb {

// The program's answer when it is not to open its window: the exit status and
// what goes to standard output and standard error.
struct CommandLineAnswer {
    int status = 0;
    QString out;
    QString err;
};

// Exit status of a command line that cannot be used (as most programs on
// Linux do: 2 for wrong usage).
inline constexpr int usageStatus = 2;

// Reads the command line (program name first). Qt's own standard options
// (-platform, -style, -display, -reverse, ...) are accepted and left to Qt.
// Returns nothing when the window is to open, otherwise the answer. Needs no
// QCoreApplication and no display.
std::optional<CommandLineAnswer> answerCommandLine(const QStringList& arguments);

// The arguments as QStringList, decoded as Qt decodes them.
QStringList commandLineArguments(int argc, char** argv);

// Opens the window and runs it until END or the close button. `beforeStart`,
// when given, sees the window before it is shown.
int runWindow(int& argc, char** argv, void (*beforeStart)(QWidget&) = nullptr);

// answerCommandLine, then runWindow: the whole program.
int runProgram(int& argc, char** argv, void (*beforeStart)(QWidget&) = nullptr);

} // namespace qrb
