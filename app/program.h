// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the qrb-punkte program does from its command line to its end: answer
// --help and --version (or refuse a wrong option) without touching the
// display, otherwise open the window and run until END.

#include "output/qt/qt_printer.h"

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

// DRU's printer as the program runs it: the system's default printer, and
// every failure, known at once or found later in the background, one line on
// standard error, "qrb-punkte: nicht gedruckt: <reason>".
class ProgramPrinter : public Printer {
public:
    ProgramPrinter();
    ProgramPrinter(const ProgramPrinter&) = delete;
    ProgramPrinter& operator=(const ProgramPrinter&) = delete;

    PrintOutcome print(const PrintJob& job) override;
    void printForWindow() override;

private:
    QtPrinter printer_;
};

// Opens the window and runs it until END or the close button. `beforeStart`,
// when given, sees the window before it is shown.
int runWindow(int& argc, char** argv, void (*beforeStart)(QWidget&) = nullptr);

// answerCommandLine, then runWindow: the whole program.
int runProgram(int& argc, char** argv, void (*beforeStart)(QWidget&) = nullptr);

} // namespace qrb
