// Figures of the bus against brisco-sim --bus on a pseudo-terminal, in real
// time: the seconds that "Scan bus" takes to ask all 20 addresses, how often
// each row that is polled in turn is refreshed, and the cost of one poll tick
// with the bus window open and once it is closed, for 3 and for 20 controllers.
// Usage: bench_bus [SECONDS of polling after each scan, default 60]
#include "live_form.h"

#include "bus/bus_model.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTableView>

#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

namespace {

bool runFor(
    int milliseconds, const std::function<bool()>& done = [] { return false; }) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < milliseconds) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        if (done()) {
            return true;
        }
    }
    return false;
}

bool measure(const QStringList& addresses, int pollSeconds) {
    LiveForm live;
    if (!live.startAndOpen({"--seed", "5", "--echo", "--bus", addresses.join(u',')})) {
        return false;
    }
    // The ticks come from here, so that each one can be timed.
    live.form->findChild<QTimer*>(QStringLiteral("Timer1"))->stop();
    std::vector<qint64> costs;
    QTimer ticks;
    ticks.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticks, &QTimer::timeout, live.form.get(), [&] {
        QElapsedTimer cost;
        cost.start();
        live.form->Timer1_Timer();
        costs.push_back(cost.nsecsElapsed());
    });
    ticks.start(Main_Form::kTickMilliseconds);

    QElapsedTimer clock;
    clock.start();
    live.button(QStringLiteral("ScanBus_Command"))->click();
    auto* table = live.form->findChild<QTableView*>(QStringLiteral("Bus_Table"));
    auto* progress = table->window()->findChild<QLabel*>(QStringLiteral("BusProgress_Text"));
    const QString found = QStringLiteral("%1 controllers found").arg(addresses.size());
    if (!runFor(30000, [&] { return progress->text() == found; })) {
        std::fprintf(stderr, "bench_bus: the scan ended in \"%s\"\n", qPrintable(progress->text()));
        return false;
    }
    const double scanSeconds = clock.elapsed() / 1000.0;

    // Refreshes of each row's values, once the polls in turn run.
    auto* model = qobject_cast<brisco::bus::BusModel*>(table->model());
    std::map<int, std::vector<qint64>> refreshed;
    QObject::connect(model, &QAbstractItemModel::dataChanged, model,
                     [&](const QModelIndex& from, const QModelIndex&) {
                         if (from.column() == brisco::bus::BusModel::InnerTemp) {
                             refreshed[model->addressAt(from.row())].push_back(clock.elapsed());
                         }
                     });
    costs.clear();
    runFor(pollSeconds * 1000);
    std::vector<qint64> open = std::exchange(costs, {});
    // The same line with the window closed, as without the bus.
    table->window()->close();
    runFor(pollSeconds * 500);
    ticks.stop();
    const auto median = [](std::vector<qint64>& all) {
        std::sort(all.begin(), all.end());
        return all.empty() ? 0.0 : all[all.size() / 2] / 1000.0;
    };

    // Seconds between the first and the last refresh, over the refreshes between them.
    const auto period = [](const std::vector<qint64>& times) {
        return times.size() > 1
                   ? double(times.back() - times.front()) / 1000.0 / double(times.size() - 1)
                   : 0.0;
    };
    double periods = 0;
    int rows = 0;
    for (const auto& [address, times] : refreshed) {
        if (address != model->shown()) {
            periods += period(times);
            ++rows;
        }
    }
    std::printf("%lld controllers: scan of 20 addresses %.1f s; a row polled in turn refreshed "
                "every %.2f s (mean over %d rows, %d s); the row shown every %.2f s; tick: median "
                "%.1f us with the bus window open (%zu ticks), %.1f us once it was closed (%zu)\n",
                static_cast<long long>(addresses.size()), scanSeconds, rows ? periods / rows : 0.0,
                rows, pollSeconds, period(refreshed[model->shown()]), median(open), open.size(),
                median(costs), costs.size());
    return live.sim.stop();
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 60;
    QStringList twenty;
    for (int address = 1; address <= 20; ++address) {
        twenty << QString::number(address);
    }
    return measure({"1", "3", "7"}, seconds) && measure(twenty, seconds) ? 0 : 1;
}
