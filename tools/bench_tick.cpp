// Cost of one poll tick that decodes a status reply, against the 250 ms
// tick: on its own, while recording to a file with the trends window open,
// and while recording to a disk that takes 500 ms for every write, and the
// resident memory after an hour of replies with the trends window open. The
// redraw of the trends window is bench_trends'.
#include "form_fixture.h"

#include "app/link_line.h"
#include "record/session_log.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

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

// A disk that takes half a second for every write.
class SlowSink : public FileSink {
public:
    bool write(const QByteArray& bytes, QString* error) override {
        QThread::msleep(500);
        return FileSink::write(bytes, error);
    }
};

// Values that move as a cabinet's do: slowly, with a little noise, and now
// and then a sensor fault.
QByteArray reply(int i) {
    const int wave = (i / 10) % 40;
    const int drift = wave < 20 ? wave : 40 - wave;
    const int inner = i % 900 == 450 ? 254 : 140 + drift;
    const int fan = 1500 + (i * 37) % 41;
    return statusReply({{21, 0x05},
                        {22, i % 120 < 3 ? 0x02 : 0},
                        {23, 0},
                        {24, 0},
                        {25, inner},
                        {26, 120 + drift / 2},
                        {27, 140 + drift},
                        {28, 50 + i % 7},
                        {29, 1},
                        {30, 220 + i % 9},
                        {31, fan >> 8},
                        {32, fan & 0xFF},
                        {33, fan >> 8},
                        {34, (fan + 200) & 0xFF}});
}

// Ticks with a fresh status reply each; the cost of each tick in nanoseconds,
// and of what the event loop does after it (the plots, the painting).
std::vector<qint64> run(FormFixture& f, int ticks, std::vector<qint64>* after = nullptr,
                        qsizetype* mostWaiting = nullptr) {
    std::vector<qint64> costs;
    costs.reserve(static_cast<std::size_t>(ticks));
    for (int i = 0; i < ticks; ++i) {
        f.port->feed(reply(i));
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
        if (mostWaiting) {
            *mostWaiting = std::max(*mostWaiting, f.form->sessionLog()->linesWaiting());
        }
    }
    return costs;
}

void report(const char* what, std::vector<qint64> costs) {
    std::sort(costs.begin(), costs.end());
    const double median = costs[costs.size() / 2] / 1e6;
    const double p99 = costs[costs.size() * 99 / 100] / 1e6;
    std::printf("%s: median %.3f ms, 99th percentile %.3f ms (%.2f %% of the 250 ms tick)\n", what,
                median, p99, median / 2.5);
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
    {
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
        std::printf("resident memory with the trends window open: %.1f MB before, %.1f MB after "
                    "%d replies (%zu samples kept)\n",
                    before, residentMegabytes(), kTicks,
                    f.form->sessionLog()->trends().find(1)->samples().size());
        f.form->sessionLog()->stopRecordingAndWait();
    }
    {
        FormFixture f;
        f.show();
        f.openPort();
        QTemporaryDir dir;
        SessionLog* log = f.form->sessionLog();
        log->setSinkFactory([] { return std::make_unique<SlowSink>(); });
        f.form->linkLine()->startRecording(dir.filePath(QStringLiteral("slow.csv")));
        f.button(QStringLiteral("Trends_Command"))->click();
        constexpr int kSlowTicks = 600;
        qsizetype mostWaiting = 0;
        report("the same while recording to a disk that takes 500 ms a write",
               run(f, kSlowTicks, nullptr, &mostWaiting));
        QElapsedTimer timer;
        timer.start();
        log->stopRecordingAndWait();
        std::printf("  at most %lld lines waited for that disk; %lld of %d rows written, the last "
                    "%.1f s after the last tick\n",
                    static_cast<long long>(mostWaiting), static_cast<long long>(log->rowsWritten()),
                    kSlowTicks, timer.elapsed() / 1000.0);
    }
    return 0;
}
