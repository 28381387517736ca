// Cost of one poll tick that decodes a status reply, against the 250 ms
// tick: on its own, and while recording to a file with the trends window
// open. Prints the median and the 99th percentile over many ticks, and the
// resident memory after an hour of replies (3600) with the trends window open.
#include "form_fixture.h"

#include "app/link_line.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

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

// Ticks with a fresh status reply each; the cost of each tick in nanoseconds,
// and of what the event loop does after it (the plots, the painting).
std::vector<qint64> run(FormFixture& f, int ticks, std::vector<qint64>* after = nullptr) {
    std::vector<qint64> costs;
    costs.reserve(static_cast<std::size_t>(ticks));
    for (int i = 0; i < ticks; ++i) {
        // Values that move as a cabinet's do: slowly, with a little noise,
        // and now and then a sensor fault.
        const int wave = (i / 10) % 40;
        const int drift = wave < 20 ? wave : 40 - wave;
        const int inner = i % 900 == 450 ? 254 : 140 + drift;
        const int fan = 1500 + (i * 37) % 41;
        f.port->feed(statusReply({{25, inner},
                                  {26, 120 + drift / 2},
                                  {27, 140 + drift},
                                  {28, 50 + i % 7},
                                  {29, 1},
                                  {30, 220 + i % 9},
                                  {31, fan >> 8},
                                  {32, fan & 0xFF},
                                  {33, fan >> 8},
                                  {34, (fan + 200) & 0xFF}}));
        QElapsedTimer timer;
        timer.start();
        f.form->Timer1_Timer();
        costs.push_back(timer.nsecsElapsed());
        f.port->written.clear();
        timer.restart();
        QCoreApplication::processEvents();
        if (after) {
            after->push_back(timer.nsecsElapsed());
        }
    }
    return costs;
}

void report(const char* what, std::vector<qint64> costs) {
    std::sort(costs.begin(), costs.end());
    const double median = costs[costs.size() / 2] / 1000.0;
    const double p99 = costs[costs.size() * 99 / 100] / 1000.0;
    std::printf("%s: median %.1f us, 99th percentile %.1f us (%.3f %% of the 250 ms tick)\n", what,
                median, p99, median / 2500.0);
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    constexpr int kTicks = 3600;
    {
        FormFixture f;
        f.openPort();
        report("tick with a status reply", run(f, kTicks));
    }
    FormFixture f;
    f.show();
    f.openPort();
    QTemporaryDir dir;
    f.form->linkLine()->startRecording(dir.filePath(QStringLiteral("bench.csv")));
    f.button(QStringLiteral("Trends_Command"))->click();
    const double before = residentMegabytes();
    std::vector<qint64> after;
    report("the same while recording, trends window open", run(f, kTicks, &after));
    report("then the event loop (plots, painting)", after);
    std::printf("resident memory with the trends window open: %.1f MB before, %.1f MB after %d "
                "replies (%zu samples kept, %lld rows recorded)\n",
                before, residentMegabytes(), kTicks, f.form->linkLine()->trends().samples().size(),
                static_cast<long long>(f.form->linkLine()->recorder().rows()));
    return f.form->linkCounters().statusFrameNo == kTicks ? 0 : 1;
}
