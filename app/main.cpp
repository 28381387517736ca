#include "app/lamp_library.h"
#include "app/main_form.h"
#include "app/trends_window.h"
#include "brisco_build.h"
#include "port/dispatching_comm_port.h"
#include "station/signal_quit.h"
#include "widgets/message_box.h"

#include <QApplication>
#include <QCommandLineOption>
#include <QCommandLineParser>

#include <cstdio>

namespace {

const char* const kDescription =
    R"(Monitors and configures a thermoelectric (TEC) temperature controller
over an RS-422 or RS-485 serial line.

The ports COM1 to COM3 stand for the devices named by the environment
variables BRISCO_COM1 to BRISCO_COM3; where one is not set, for the device
chosen in the window's Ports dialog, else for the serial devices that the
system reports, USB adapters first. The devices belong to the group dialout.
A device may also be a line to a serial device server such as ser2net:
tcp://HOST:PORT (raw TCP) or rfc2217://HOST:PORT (telnet with COM port
control, RFC 2217).

With --replay, it opens a recording that it wrote (CSV) in a trends window
instead, without a port.)";

// What the command line asks for; the text is the help, what is wrong, or
// the recording that the window is to replay.
struct CommandLine {
    enum class Request { Window, Help, Version, Error };
    Request request = Request::Window;
    QString text; // for the window: the recording to replay, if any
};

CommandLine parseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromLatin1(kDescription));
    // Not addHelpOption(): its --help-all promises Qt's options, which the
    // terminal answer below, given without the GUI, could not list.
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Displays help on the command line options."));
    parser.addOption(help);
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption replay(
        QStringLiteral("replay"),
        QStringLiteral("Shows the recording <file> in a trends window, without a port."),
        QStringLiteral("file"));
    parser.addOption(replay);
    if (!parser.parse(arguments)) {
        return {CommandLine::Request::Error, parser.errorText()};
    }
    if (parser.isSet(help)) {
        return {CommandLine::Request::Help, parser.helpText()};
    }
    if (parser.isSet(version)) {
        return {CommandLine::Request::Version, {}};
    }
    if (!parser.positionalArguments().isEmpty()) {
        return {CommandLine::Request::Error, QStringLiteral("Unexpected argument '%1'.")
                                                 .arg(parser.positionalArguments().constFirst())};
    }
    return {CommandLine::Request::Window, parser.value(replay)};
}

QStringList rawArguments(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments.append(QString::fromLocal8Bit(argv[i]));
    }
    return arguments;
}

// Prints what the command line asked for instead of the window; the exit status.
int answer(const CommandLine& command) {
    switch (command.request) {
    case CommandLine::Request::Help:
        std::fputs(qPrintable(command.text), stdout);
        return 0;
    case CommandLine::Request::Version:
        std::printf("brisco %s\n", BRISCO_VERSION);
        return 0;
    case CommandLine::Request::Error:
    case CommandLine::Request::Window:
        break;
    }
    std::fprintf(stderr, "brisco: %s\nTry 'brisco --help' for the options.\n",
                 qPrintable(command.text));
    return 2;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication::setApplicationName(QString::fromLatin1(kApplicationTitle));
    QCoreApplication::setApplicationVersion(QStringLiteral(BRISCO_VERSION));

    // Help and version need no display: they are answered by a console
    // application, so that they work on a remote shell too. Anything else
    // waits for the GUI application, which takes Qt's own options (-style,
    // -platform …) off the command line before ours are checked.
    const CommandLine early = parseCommandLine(rawArguments(argc, argv));
    if (early.request == CommandLine::Request::Help ||
        early.request == CommandLine::Request::Version) {
        // Parsed again: the help text takes the program's name from the application.
        const QCoreApplication console(argc, argv);
        return answer(parseCommandLine(QCoreApplication::arguments()));
    }

    QApplication app(argc, argv);
    const CommandLine command = parseCommandLine(QCoreApplication::arguments());
    if (command.request != CommandLine::Request::Window) {
        return answer(command);
    }
    // Matches the desktop entry, so that the desktop shows its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("brisco"));
    if (!command.text.isEmpty()) {
        // The window has told what is wrong with the file.
        return TrendsWindow::openRecording(command.text, nullptr) ? QApplication::exec() : 1;
    }

    LampLibrary lamps;
    QString error;
    if (!lamps.load(&error)) {
        std::fprintf(stderr, "brisco: %s\n", qPrintable(error));
        showMessage(nullptr, error);
        return 1;
    }

    Main_Form form(std::make_unique<DispatchingCommPort>(),
                   [&lamps](QWidget* parent) { return lamps.createLamp(parent); });
    onTerminationSignals(&form, [&form] { form.close(); });
    form.show();
    return QApplication::exec();
}
