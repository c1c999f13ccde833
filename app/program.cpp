// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/program.h"

#include "app/telvor.h"
#include "qrb_version.h"

#include <QApplication>
#include <QCommandLineOption>
#include <QCommandLineParser>
#include <array>
#include <cstdio>

namespace qrb {

namespace {

const QString programName = QStringLiteral("qrb-punkte");

void sayPrintFailure(const PrintOutcome& outcome) {
    std::fprintf(stderr, "qrb-punkte: %s\n", printFailureMessage(outcome).c_str());
    std::fflush(stderr);
}

// The options that QApplication itself takes away from the command line
// before the program sees it, and whether each takes a value. They are
// accepted here so that `qrb-punkte -platform wayland` or `-style fusion`
// work as in any Qt program; Qt then acts on them. Qt takes the value as the
// next argument; only -style and -stylesheet also take it after "=".
struct QtOption {
    const char* name = nullptr;
    bool takesValue = false;
    bool valueAfterEquals = false;
};
constexpr std::array qtOptions{
    // QGuiApplication
    QtOption{"platform", true},
    QtOption{"platformpluginpath", true},
    QtOption{"platformtheme", true},
    QtOption{"plugin", true},
    QtOption{"qwindowgeometry", true},
    QtOption{"qwindowtitle", true},
    QtOption{"qwindowicon", true},
    QtOption{"reverse", false},
    QtOption{"session", true},
    QtOption{"testability", false},
    // QApplication
    QtOption{"style", true, true},
    QtOption{"stylesheet", true, true},
    QtOption{"widgetcount", false},
    // the X11 platform
    QtOption{"display", true},
    QtOption{"geometry", true},
    QtOption{"title", true},
    QtOption{"icon", true},
    QtOption{"name", true},
    QtOption{"visual", true},
    QtOption{"nograb", false},
    QtOption{"dograb", false},
};

QString helpText() {
    return QStringLiteral(
               "Aufruf: %1 [OPTION]\n"
               "Berechnet die QRB-Punkte für das EU-UKW-Diplom: ein Fenster, in das man den\n"
               "eigenen Locator und für jede Verbindung den Locator oder alten QTH-Kenner der\n"
               "Gegenstation und das Band eingibt; das Protokoll mit laufender Summe kann\n"
               "ausgedruckt werden. Das Programm liest und schreibt keine Dateien.\n"
               "\n"
               "Optionen:\n"
               "  -h, --help     diese Hilfe zeigen und beenden\n"
               "  -v, --version  die Version zeigen und beenden\n"
               "\n"
               "Dazu gelten die Standardoptionen von Qt, z. B. -platform NAME (xcb, wayland),\n"
               "-style NAME, -display ANZEIGE (X11) und -reverse.\n"
               "\n"
               "Mehr in der Handbuchseite: man %1\n")
        .arg(programName);
}

CommandLineAnswer usageError(const QString& message) {
    return {
        usageStatus, {}, QStringLiteral("%1: %2 (Hilfe: %1 --help)\n").arg(programName, message)};
}

// The argument as typed that names option `name`, for the error message.
QString typedOption(const QStringList& arguments, const QString& name) {
    for (const QString& argument : arguments.mid(1)) {
        QString bare = argument.section(QLatin1Char('='), 0, 0);
        if (bare == QLatin1Char('-') + name || bare == QStringLiteral("--") + name) {
            return bare;
        }
    }
    return QStringLiteral("--") + name;
}

// A Qt option written with "=" where Qt would not see it (--platform=wayland):
// Qt would silently ignore it.
std::optional<QString> valueQtWouldMiss(const QStringList& arguments) {
    for (const QString& argument : arguments.mid(1)) {
        if (argument == QStringLiteral("--")) {
            break;
        }
        if (!argument.startsWith(QLatin1Char('-')) || !argument.contains(QLatin1Char('='))) {
            continue;
        }
        QString name = argument.section(QLatin1Char('='), 0, 0);
        name.remove(0, name.startsWith(QStringLiteral("--")) ? 2 : 1);
        for (const QtOption& qt : qtOptions) {
            if (name == QLatin1String(qt.name) && !qt.valueAfterEquals) {
                return argument;
            }
        }
    }
    return std::nullopt;
}

} // namespace

ProgramPrinter::ProgramPrinter() {
    printer_.setFailureListener([this](const PrintOutcome& outcome) {
        sayPrintFailure(outcome);
        reportLaterFailure(outcome);
    });
}

PrintOutcome ProgramPrinter::print(const PrintJob& job) {
    PrintOutcome outcome = printer_.print(job);
    if (!outcome.accepted) {
        sayPrintFailure(outcome);
    }
    return outcome;
}

void ProgramPrinter::printForWindow() {
    printer_.printForWindow();
}

std::optional<CommandLineAnswer> answerCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    // Qt's own options are single-dash words (-platform, -style); with this
    // mode -platform and --platform are the same long option, as for Qt.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("diese Hilfe zeigen und beenden"));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("die Version zeigen und beenden"));
    parser.addOption(help);
    parser.addOption(version);
    QStringList valueOptions;
    for (const QtOption& qt : qtOptions) {
        const QString name = QString::fromLatin1(qt.name);
        QCommandLineOption option(name, QStringLiteral("Qt-Standardoption"));
        if (qt.takesValue) {
            option.setValueName(QStringLiteral("WERT"));
            valueOptions.append(name);
        }
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }

    if (!parser.parse(arguments)) {
        const QStringList unknown = parser.unknownOptionNames();
        if (!unknown.isEmpty()) {
            return usageError(QStringLiteral("unbekannte Option „%1“")
                                  .arg(typedOption(arguments, unknown.first())));
        }
        // The only other refusal: a value option at the very end, without its value.
        const QString last = arguments.isEmpty() ? QString() : arguments.last();
        for (const QString& name : valueOptions) {
            if (last == QLatin1Char('-') + name || last == QStringLiteral("--") + name) {
                return usageError(QStringLiteral("„%1“ braucht einen Wert").arg(last));
            }
        }
        return usageError(parser.errorText());
    }
    if (const auto written = valueQtWouldMiss(arguments)) {
        return usageError(QStringLiteral("„%1“: Qt erwartet den Wert als eigenes Argument, "
                                         "ohne „=“")
                              .arg(*written));
    }
    if (parser.isSet(help)) {
        return CommandLineAnswer{0, helpText(), {}};
    }
    if (parser.isSet(version)) {
        return CommandLineAnswer{
            0, QStringLiteral("%1 %2\n").arg(programName, QStringLiteral(QRB_VERSION)), {}};
    }
    if (!parser.positionalArguments().isEmpty()) {
        return usageError(QStringLiteral("unerwartetes Argument „%1“; das Programm öffnet keine "
                                         "Dateien")
                              .arg(parser.positionalArguments().first()));
    }
    return std::nullopt;
}

QStringList commandLineArguments(int argc, char** argv) {
    QStringList arguments;
    arguments.reserve(argc);
    for (int i = 0; i < argc; ++i) {
        arguments.append(QString::fromLocal8Bit(argv[i]));
    }
    return arguments;
}

int runWindow(int& argc, char** argv, void (*beforeStart)(QWidget&)) {
    QApplication app(argc, argv);
    QCoreApplication::setApplicationVersion(QStringLiteral(QRB_VERSION));
    // Lets the desktop match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.qrbpunkte.QRBPunkte"));
    ProgramPrinter printer;
    Telvor window(printer);
    // END and the close button end the program at once.
    QObject::connect(&window, &Telvor::endRequested, &app, [] { QCoreApplication::exit(0); });
    if (beforeStart != nullptr) {
        beforeStart(window);
    }
    window.start();
    return QApplication::exec();
}

int runProgram(int& argc, char** argv, void (*beforeStart)(QWidget&)) {
    if (const auto answer = answerCommandLine(commandLineArguments(argc, argv))) {
        std::fputs(answer->out.toLocal8Bit().constData(), stdout);
        std::fputs(answer->err.toLocal8Bit().constData(), stderr);
        return answer->status;
    }
    return runWindow(argc, argv, beforeStart);
}

} // namespace qrb
