// brisco-agent: watches the controllers of one or more lines without a
// window, records them and serves their values to Prometheus.
#include "agent/agent.h"
#include "agent/journal_log.h"
#include "brisco_build.h"
#include "port/dispatching_comm_port.h"
#include "station/signal_quit.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <cstdio>

using namespace brisco::agent;

namespace {

const char* const kDefaultConfig = "/etc/brisco/agent.conf";

const char* const kDescription =
    R"(Watches the TEC temperature controllers on one or more serial lines without
a window: polls each controller's status in turn, records every controller of
a line into a file a day, and serves their values to Prometheus at /metrics.
It only ever reads from the controllers.

The lines come from the configuration file (INI; see the manual page
brisco-agent(1)) and from --line, in the form [NAME=]DEVICE@ADDRESSES,
for example cabinet-a=/dev/ttyUSB0@1-20 or /dev/ttyUSB1@1,3,7 or
/dev/ttyUSB2@scan. Options given on the command line win over the file.)";

struct Options {
    QCommandLineOption config{
        QStringLiteral("config"),
        QStringLiteral("Configuration file (default %1).").arg(QLatin1String(kDefaultConfig)),
        QStringLiteral("file")};
    QCommandLineOption line{QStringLiteral("line"),
                            QStringLiteral("A line to watch: [NAME=]DEVICE@ADDRESSES; again "
                                           "for more lines."),
                            QStringLiteral("line")};
    QCommandLineOption listen{QStringLiteral("web.listen-address"),
                              QStringLiteral("Where /metrics is served, HOST:PORT."),
                              QStringLiteral("address")};
    QCommandLineOption webConfig{QStringLiteral("web.config.file"),
                                 QStringLiteral("TLS and basic authentication of /metrics (the "
                                                "exporters' web configuration file)."),
                                 QStringLiteral("file")};
    QCommandLineOption listenAny{QStringLiteral("web.listen-any"),
                                 QStringLiteral("Serve beyond the loopback without a web "
                                                "configuration file.")};
    QCommandLineOption records{QStringLiteral("records"),
                               QStringLiteral("Folder of the recordings, a folder per line."),
                               QStringLiteral("folder")};
    QCommandLineOption retention{QStringLiteral("retention-days"),
                                 QStringLiteral("Days of recordings kept (default 90)."),
                                 QStringLiteral("days")};
};

// The configuration of the file and the options; false, with the reason.
bool configure(const QCommandLineParser& parser, const Options& options, AgentConfig* config,
               QString* error) {
    const bool named = parser.isSet(options.config);
    const QString path = named ? parser.value(options.config) : QString::fromLatin1(kDefaultConfig);
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        if (!readConfigText(file.readAll(), path, config, error)) {
            return false;
        }
    } else if (named || file.exists()) {
        *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    for (const QString& text : parser.values(options.line)) {
        const auto line = parseLineOption(text, error);
        if (!line) {
            return false;
        }
        config->lines.push_back(*line);
    }
    if (parser.isSet(options.listen)) {
        config->listen = parser.value(options.listen);
    }
    if (parser.isSet(options.webConfig)) {
        config->webConfigFile = parser.value(options.webConfig);
    }
    config->listenAny = config->listenAny || parser.isSet(options.listenAny);
    if (parser.isSet(options.records)) {
        config->records = parser.value(options.records);
    }
    if (parser.isSet(options.retention)) {
        bool ok = false;
        config->retentionDays = parser.value(options.retention).toInt(&ok);
        if (!ok || config->retentionDays < 1 || config->retentionDays > 36500) {
            *error = QStringLiteral("--retention-days: \"%1\" is not a number of days, 1..36500")
                         .arg(parser.value(options.retention));
            return false;
        }
    }
    return checkLines(*config, error);
}

// Under systemd the state directory; else the user's own data folder.
QString defaultRecords() {
    const QString state = qEnvironmentVariable("STATE_DIRECTORY").section(u':', 0, 0);
    return !state.isEmpty()
               ? state
               : QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                     QStringLiteral("/brisco-agent");
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("brisco-agent"));
    QCoreApplication::setApplicationVersion(QStringLiteral(BRISCO_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromLatin1(kDescription));
    parser.addHelpOption();
    parser.addVersionOption();
    const Options options;
    parser.addOptions({options.config, options.line, options.listen, options.webConfig,
                       options.listenAny, options.records, options.retention});
    parser.process(app);
    if (!parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "brisco-agent: unexpected argument '%s'\n",
                     qPrintable(parser.positionalArguments().constFirst()));
        return 2;
    }

    AgentConfig config;
    config.records = defaultRecords();
    QString error;
    Agent agent([](const LineConfig& line) {
        auto port = std::make_unique<DispatchingCommPort>();
        port->setFixedDevice(line.device);
        return port;
    });
    if (!configure(parser, options, &config, &error) || !agent.start(config, &error)) {
        std::fprintf(stderr, "brisco-agent: %s\n", qPrintable(oneLine(error)));
        return 2;
    }
    onTerminationSignals(&app, [&agent] {
        agent.stop();
        QCoreApplication::quit();
    });
    logLine(Priority::Notice, QStringLiteral("brisco-agent %1: watching %2 line%3")
                                  .arg(QLatin1String(BRISCO_VERSION))
                                  .arg(config.lines.size())
                                  .arg(config.lines.size() == 1 ? "" : "s"));
    const int status = QCoreApplication::exec();
    logLine(Priority::Notice, QStringLiteral("brisco-agent stopped"));
    return status;
}
