// Figures of network lines on this machine, against brisco-sim: the time
// from a status poll to its whole reply on the pseudo-terminal itself and
// through ser2net on 127.0.0.1, raw and with RFC 2217 (median and 99th
// percentile, and what ser2net adds), then the cost of one poll tick of the
// window on each line.
// Usage: bench_network [POLLS per line, default 500] [SECONDS of ticks per line, default 20]
#include "live_form.h"
#include "ser2net_process.h"

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

// Turns of the event loop, as fast as they come, until done or ms passed.
bool spinUntil(const std::function<bool()>& done, qint64 ms) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms) {
            return false;
        }
        QCoreApplication::processEvents();
    }
    return true;
}

struct Spread {
    double median = 0;
    double p99 = 0;
};

Spread spread(std::vector<double> values) {
    if (values.empty()) {
        return {};
    }
    std::sort(values.begin(), values.end());
    return {values[values.size() / 2], values[values.size() * 99 / 100]};
}

// Milliseconds from each status poll written to the last byte of its reply
// read, through the port that device names.
std::vector<double> roundTrips(const QString& device, int polls) {
    qputenv("BRISCO_COM1", device.toLocal8Bit());
    DispatchingCommPort port;
    port.setPortNumber(1);
    const QByteArray poll = QByteArray::fromHex("05010F0015");
    QByteArray reply;
    const auto answered = [&] {
        reply += port.readAll();
        return reply.size() >= 36;
    };
    // A network line takes what is written once it is connected.
    bool ready = port.open();
    for (int tries = 0; ready && tries < 50 && !answered(); ++tries) {
        port.write(poll);
        spinUntil(answered, 100);
    }
    std::vector<double> times;
    for (int i = 0; i < polls && ready; ++i) {
        spinUntil([] { return false; }, 5); // the reply of the poll before is all in
        port.readAll();
        reply.clear();
        QElapsedTimer clock;
        clock.start();
        port.write(poll);
        ready = spinUntil(answered, 2000);
        times.push_back(clock.nsecsElapsed() / 1e6);
    }
    return ready ? times : std::vector<double>{};
}

// Microseconds of each poll tick of the window on the line.
std::vector<double> tickCosts(LiveForm& live, const QString& device, int seconds) {
    live.showForm(device);
    if (!live.openCom1()) {
        return {};
    }
    live.form->findChild<QTimer*>(QStringLiteral("Timer1"))->stop();
    std::vector<double> costs;
    QElapsedTimer clock;
    clock.start();
    for (qint64 next = 0; clock.elapsed() < seconds * 1000; next += Main_Form::kTickMilliseconds) {
        spinUntil([&] { return clock.elapsed() >= next; }, Main_Form::kTickMilliseconds);
        QElapsedTimer cost;
        cost.start();
        live.form->Timer1_Timer();
        costs.push_back(cost.nsecsElapsed() / 1e3);
    }
    const bool heard = live.form->linkCounters().statusFrameNo > 0;
    live.form.reset();
    return heard ? costs : std::vector<double>{};
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const int polls = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 500;
    const int seconds = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 20;
    LiveForm live;
    QString error;
    if (!live.sim.start({"--seed", "8"}, &error)) {
        std::fprintf(stderr, "bench_network: %s\n", qPrintable(error));
        return 1;
    }
    const Spread direct = spread(roundTrips(live.sim.devicePath(), polls));
    const Spread directTick = spread(tickCosts(live, live.sim.devicePath(), seconds));
    std::printf("pseudo-terminal: poll to reply median %.2f ms, 99th percentile %.2f ms (%d "
                "polls); tick median %.1f us, 99th percentile %.1f us\n",
                direct.median, direct.p99, polls, directTick.median, directTick.p99);
    for (const QString kind : {"tcp", "rfc2217"}) {
        // One line at a time: ser2net holds the terminal while a client is connected.
        Ser2netProcess ser2net;
        if (!ser2net.start(kind, live.sim.devicePath())) {
            std::fprintf(stderr, "bench_network: ser2net: %s\n",
                         qPrintable(ser2net.process.readAllStandardError()));
            return 1;
        }
        const std::vector<double> times = roundTrips(ser2net.line, polls);
        const Spread through = spread(times);
        const Spread tick = spread(tickCosts(live, ser2net.line, seconds));
        if (times.empty() || tick.median == 0) {
            std::fprintf(stderr, "bench_network: no replies through %s\n",
                         qPrintable(ser2net.line));
            return 1;
        }
        std::printf("ser2net, %s: poll to reply median %.2f ms (+%.2f), 99th percentile %.2f ms "
                    "(+%.2f); tick median %.1f us, 99th percentile %.1f us\n",
                    qPrintable(kind), through.median, through.median - direct.median, through.p99,
                    through.p99 - direct.p99, tick.median, tick.p99);
    }
    return live.sim.stop() ? 0 : 1;
}
