// A long run against brisco-sim with every line fault on. Prints how many
// status replies the simulator sent, how many Brisco decoded and dropped,
// and whether it ever showed a value that no good reply carried.
// Usage: soak_end_to_end SECONDS
#include "live_form.h"

#include <QApplication>
#include <QElapsedTimer>

#include <cstdio>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 600;

    LiveForm live;
    QString error;
    const QStringList faults{"--seed",   "11", "--echo",    "--split", "--noise", "--corrupt", "10",
                             "--refuse", "5",  "--silence", "20",      "--delay", "40"};
    if (!live.start(faults, &error)) {
        std::fprintf(stderr, "soak: %s\n", qPrintable(error));
        return 1;
    }
    QTimer::singleShot(1000, live.form.get(),
                       [&live] { live.button(QStringLiteral("CommPort_ToggleButton"))->click(); });
    QTimer::singleShot(seconds * 1000, &app, &QCoreApplication::quit);
    QElapsedTimer clock;
    clock.start();
    QApplication::exec();
    live.button(QStringLiteral("CommPort_ToggleButton"))->click();
    live.sim.stop();

    const QSet<Shown> good = live.statusShown(QStringLiteral("good"));
    qsizetype unsent = 0;
    for (const Shown& shown : std::as_const(live.samples)) {
        unsent += !good.contains(shown);
    }
    std::printf("run: %.0f s against brisco-sim %s\n", clock.elapsed() / 1000.0,
                qPrintable(faults.join(u' ')));
    std::printf(
        "status replies sent by the simulator: %d good, %d with a corrupted checksum, "
        "%d refused, %d withheld in silence\n",
        live.statusCount(QStringLiteral("good")), live.statusCount(QStringLiteral("corrupt")),
        live.statusCount(QStringLiteral("refused")), live.statusCount(QStringLiteral("silenced")));
    std::printf("decoded by Brisco: %lld; dropped for a bad checksum: %lld\n",
                static_cast<long long>(live.form->linkCounters().statusFrameNo),
                static_cast<long long>(live.form->linkCounters().checksumErrors));
    std::printf("device information: %s / %s / %s\n", qPrintable(live.text("TextBox1")),
                qPrintable(live.text("TextBox2")), qPrintable(live.text("TextBox3")));
    std::printf("displays checked after each tick: %lld, showing a value that no good reply "
                "carried: %lld\n",
                static_cast<long long>(live.samples.size()), static_cast<long long>(unsent));
    return unsent == 0 ? 0 : 1;
}
