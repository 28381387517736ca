// Cost of one poll tick that decodes a status reply, against the 250 ms
// tick. Prints the median and the 99th percentile over many ticks.
#include "form_fixture.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    FormFixture f;
    f.openPort();

    constexpr int kTicks = 4000;
    std::vector<qint64> costs;
    costs.reserve(kTicks);
    for (int i = 0; i < kTicks; ++i) {
        QByteArray reply = hex("06 01 0F 00 1E");
        for (int k = 5; k < 35; ++k) {
            reply.append(static_cast<char>((i + k * 7) & 0xFF));
        }
        f.port->feed(framed(reply));
        QElapsedTimer timer;
        timer.start();
        f.form->Timer1_Timer();
        costs.push_back(timer.nsecsElapsed());
        f.port->written.clear();
    }
    if (f.form->linkCounters().statusFrameNo != kTicks) {
        std::fprintf(stderr, "decoded %lld of %d replies\n",
                     static_cast<long long>(f.form->linkCounters().statusFrameNo), kTicks);
        return 1;
    }
    std::sort(costs.begin(), costs.end());
    const double median = costs[costs.size() / 2] / 1000.0;
    const double p99 = costs[costs.size() * 99 / 100] / 1000.0;
    std::printf("tick with a status reply: median %.1f us, 99th percentile %.1f us "
                "(%.4f %% of the 250 ms tick)\n",
                median, p99, median / 2500.0);
    return 0;
}
