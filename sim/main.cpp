#include "sim/sim_options.h"
#include "sim/sim_server.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <random>
#include <sys/signalfd.h>

using namespace brisco::sim;

int main(int argc, char* argv[]) {
    // SIGINT and SIGTERM end the run through the event loop, so that the totals
    // are written and the link removed. Blocked before any thread starts, so
    // that every thread leaves them to the descriptor.
    sigset_t endSignals;
    sigemptyset(&endSignals);
    sigaddset(&endSignals, SIGINT);
    sigaddset(&endSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &endSignals, nullptr);
    const int signalFd = signalfd(-1, &endSignals, SFD_CLOEXEC);

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
    if (signalFd < 0) {
        std::perror("brisco-sim: signalfd");
        return 1;
    }
    QSocketNotifier endRequested(signalFd, QSocketNotifier::Read);
    QObject::connect(&endRequested, &QSocketNotifier::activated, &app, &QCoreApplication::quit);

    const SimOptions& options = *parsed.options;
    const quint32 seed = options.seed ? *options.seed : std::random_device()();
    if (!options.seed)
        std::fprintf(stderr, "brisco-sim: seed %u\n", seed);
    SimServer server(options, seed);
    QString error;
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
