// The trends window's figures. "redraw": the cost of one redraw (the lines
// reduced anew, then the window painted whole, as the screen gets it) over
// an hour of replies at one a second: values that move smoothly, values
// that jump from one reply to the next, the same with an inner sensor that
// flaps between a fault and a value, and with the marks of an event every
// half minute; then over a day's replay with a sensor that flaps.
// "memory N": the resident memory with N controllers heard for an hour at
// one reply a second each (the most that the trends keep) and the window
// open, painted.
// Usage: bench_trends redraw | memory N
#include "app/trends_window.h"
#include "record/controller_trends.h"
#include "record/event_log.h"
#include "record/session_log.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

using Wave = double (*)(int);

double smooth(int i) {
    return 25 + 5 * std::sin(i / 300.0);
}

double jumping(int i) {
    return 25 + 10 * (((i * 7919) % 101) / 50.0 - 1);
}

brisco::display::StatusValues valuesAt(int i, Wave value, bool flapping) {
    brisco::display::StatusValues values;
    values.setPoints = {35, 30, 5, 12, 2, 1500, 3100, 2, 3400, 55, -10, 1.5, 12.5};
    values.innerTemp = flapping && i % 2 ? std::nullopt : std::optional(value(i));
    values.outerTemp = value(i + 7) - 3;
    values.controlTemp = value(i + 13) + 1;
    values.tecCurrent = std::abs(value(i + 3)) / 4;
    values.dcVoltage = 48 + value(i + 5) / 10;
    values.innerFanReading = int(1500 + 20 * value(i + 11));
    values.outerFanReading = int(2000 + 20 * value(i + 17));
    return values;
}

// Of this thread, which paints too: on a machine that others share, the
// time that it waited for a processor does not count.
qint64 cpuNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

double median(std::vector<qint64> costs) {
    std::sort(costs.begin(), costs.end());
    return costs[costs.size() / 2] / 1e6;
}

void redraws(const char* what, Wave value, bool flapping, int replies = 3600, int eventEvery = 0) {
    ControllerTrends trends(replies > 3600 ? ControllerTrends::Bounds::Whole
                                           : ControllerTrends::Bounds::LastHour);
    EventLog events;
    const QDateTime start = QDateTime::currentDateTime().addSecs(-replies);
    for (int i = 0; i < replies; ++i) {
        trends.append(1, QStringLiteral("TEC-48"), start.addSecs(i).toMSecsSinceEpoch(),
                      valuesAt(i, value, flapping));
        if (eventEvery > 0 && i % eventEvery == 0) {
            events.add({start.addSecs(i), QStringLiteral("Lamp High temp"), QStringLiteral("off"),
                        QStringLiteral("red"), 1});
        }
    }
    TrendsWindow window(trends, &events);
    window.resize(1280, 900);
    window.show();
    QCoreApplication::processEvents();
    std::vector<qint64> costs;
    std::vector<qint64> cpu;
    std::vector<qint64> refreshes;
    for (int i = 0; i < 60; ++i) {
        QElapsedTimer timer;
        timer.start();
        const qint64 started = cpuNanoseconds();
        window.refresh();
        refreshes.push_back(cpuNanoseconds() - started);
        window.grab();
        cpu.push_back(cpuNanoseconds() - started);
        costs.push_back(timer.nsecsElapsed());
    }
    std::printf("%s: median %.3f ms (processor time %.3f ms, of which %.3f ms the lines "
                "reduced)\n",
                what, median(costs), median(cpu), median(refreshes));
}

double residentMegabytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return 0;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
        }
    }
    return 0;
}

void memory(int controllers) {
    SessionLog log;
    TrendsWindow window(log.trends(), log.events());
    window.resize(1280, 900);
    window.show();
    QCoreApplication::processEvents();
    const double before = residentMegabytes();
    const QDateTime start = QDateTime::currentDateTime().addSecs(-3600);
    for (int i = 0; i < 3600; ++i) {
        for (int address = 1; address <= controllers; ++address) {
            log.statusDecoded(start.addMSecs(i * 1000 + address), std::uint8_t(address),
                              QStringLiteral("TEC-48"), valuesAt(i + address, jumping, false));
        }
    }
    window.refresh();
    window.grab();
    std::size_t samples = 0;
    for (const auto& [address, controller] : log.trends().controllers()) {
        samples += controller.store.samples().size();
    }
    std::printf("resident memory, %d controller(s) an hour at one reply a second, trends window "
                "open: %.1f MB, %.1f MB more than before the replies (%zu samples kept)\n",
                controllers, residentMegabytes(), residentMegabytes() - before, samples);
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QByteArray what = argc > 1 ? QByteArray(argv[1]) : QByteArray("redraw");
    if (what == "memory") {
        memory(argc > 2 ? std::clamp(std::atoi(argv[2]), 1, 20) : 1);
        return 0;
    }
    redraws("trends window redraw, an hour of smooth values", smooth, false);
    redraws("trends window redraw, an hour of jumping values", jumping, false);
    redraws("the same with an inner sensor that flaps", jumping, true);
    redraws("smooth values with an inner sensor that flaps", smooth, true);
    redraws("jumping values and an event every 30 s", jumping, false, 3600, 30);
    redraws("a day's replay, smooth values with an inner sensor that flaps", smooth, true, 86'400);
    return 0;
}
