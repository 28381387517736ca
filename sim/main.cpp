#include "sim/signal_watcher.h"
#include "sim/sim_options.h"
#include "sim/sim_server.h"

#include <QCoreApplication>

#include <cstdio>
#include <random>

using namespace brisco::sim;

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("brisco-sim"));

    const ParsedOptions parsed = parseSimOptions(QCoreApplication::arguments());
    if (parsed.helpRequested) {
        std::fputs(qPrintable(parsed.message), stdout);
        return 0;
    }
    if (!parsed.options) {
        std::fprintf(stderr, "brisco-sim: %s\n", qPrintable(parsed.message));
        return 2;
    }
    const SimOptions& options = *parsed.options;
    const quint32 seed = options.seed ? *options.seed : std::random_device()();
    if (!options.seed)
        std::fprintf(stderr, "brisco-sim: seed %u\n", seed);

    QString error;
    SignalWatcher watcher;
    if (!watcher.install(&error)) {
        std::fprintf(stderr, "brisco-sim: %s\n", qPrintable(error));
        return 1;
    }
    QObject::connect(&watcher, &SignalWatcher::terminationRequested, &app, &QCoreApplication::quit);

    SimServer server(options, seed);
    if (!server.start(&error)) {
        std::fprintf(stderr, "brisco-sim: %s\n", qPrintable(error));
        return 1;
    }
    // Whoever started us waits for this line to learn where to connect.
    std::printf("%s\n", qPrintable(server.slavePath()));
    std::fflush(stdout);

    const int status = QCoreApplication::exec();
    server.finish();
    return status;
}
