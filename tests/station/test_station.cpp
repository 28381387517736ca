// A line without a window, tick by tick: which controller is asked on each
// tick, how one powered on later is found, and one that falls silent goes
// down and comes back up, against controllers on a fake line that answer
// the read addressed to them on the next tick.
#include "test_bytes.h"

#include "app/fake_comm_port.h"
#include "record/session_log.h"
#include "station/station.h"

#include <QTest>

#include <numeric>

using brisco::station::Station;

namespace {

struct Line {
    FakeCommPort* port;
    Station station;
    QSet<int> powered;
    QStringList requests; // "tick:address:info" or "tick:address:status"
    int ticks = 0;

    explicit Line(const QList<int>& watched, const QSet<int>& on)
        : port(new FakeCommPort)
        , station(std::unique_ptr<CommPort>(port))
        , powered(on) {
        std::vector<std::uint8_t> addresses(watched.begin(), watched.end());
        station.watchUnattended(addresses);
        port->available = {1};
        station.open();
    }

    void run(int last) {
        while (ticks < last) {
            ++ticks;
            const qsizetype before = port->written.size();
            station.tick();
            QVERIFY(port->written.size() - before <= 1);
            if (port->written.size() == before) {
                continue;
            }
            const QByteArray& frame = port->written.last();
            // Reads only, whatever is asked of the line.
            QCOMPARE(hexOf(frame.left(1) + frame.mid(2, 1)), "05 0F");
            const int address = frame[1];
            const bool info = frame[3] == 2;
            requests
                << QStringLiteral("%1:%2:%3").arg(ticks).arg(address).arg(info ? "info" : "status");
            if (powered.contains(address)) {
                port->feed(info ? deviceInfoReply("TEC-48/1.0/VA2.1/", address)
                                : statusReply({}, address));
            }
        }
    }
    // How often each address was asked in the requests from tick first on.
    QMap<int, int> asked(int first) const {
        QMap<int, int> counts;
        for (const QString& request : requests) {
            if (request.section(u':', 0, 0).toInt() >= first) {
                ++counts[request.section(u':', 1, 1).toInt()];
            }
        }
        return counts;
    }
};

QList<int> range(int first, int last) {
    QList<int> all(last - first + 1);
    std::iota(all.begin(), all.end(), first);
    return all;
}

} // namespace

class TestStation : public QObject {
    Q_OBJECT

private slots:
    // Device information first, one controller a tick, then status in turn.
    void schedule_data() {
        QTest::addColumn<QList<int>>("watched");
        QTest::addColumn<QStringList>("first");
        QTest::newRow("3 controllers")
            << QList<int>{7, 3, 1}
            << QStringList{"1:1:info",   "2:3:info",   "3:7:info",   "4:1:status",
                           "5:3:status", "6:7:status", "7:1:status", "8:3:status"};
        QStringList twenty;
        for (int tick = 1; tick <= 24; ++tick) {
            twenty << QStringLiteral("%1:%2:%3")
                          .arg(tick)
                          .arg((tick - 1) % 20 + 1)
                          .arg(tick <= 20 ? "info" : "status");
        }
        QTest::newRow("20 controllers") << range(1, 20) << twenty;
    }
    void schedule() {
        QFETCH(QList<int>, watched);
        QFETCH(QStringList, first);
        Line line(watched, QSet<int>(watched.begin(), watched.end()));
        line.run(400);
        QCOMPARE(line.requests.mid(0, first.size()), first);
        // Every tick carries a request, each controller its fair share.
        QCOMPARE(line.requests.size(), 400);
        for (const int address : watched) {
            QCOMPARE(line.asked(41).value(address), 360 / watched.size());
            QVERIFY(line.station.controllerUp(std::uint8_t(address)));
        }
        QCOMPARE(line.station.counters().statusFrameNo, 400 - watched.size() - 1);
        QCOMPARE(line.station.counters().ticksSinceStatus, 0);
    }

    // Of twenty addresses three answer: they share most requests, the
    // silent ones are asked now and then, and one powered on later is found.
    void foundLater() {
        Line line(range(1, 20), {1, 3, 7});
        line.run(200);
        // Three polls and a probe, which waits two ticks: five ticks a round.
        const QMap<int, int> asked = line.asked(101);
        QCOMPARE(asked[1] + asked[3] + asked[7], 60);
        QCOMPARE(std::accumulate(asked.begin(), asked.end(), 0), 80);
        QVERIFY(qAbs(asked[1] - asked[7]) <= 1);
        QVERIFY(!line.station.controllerUp(9));
        line.powered << 9;
        line.run(330);
        QVERIFY(line.station.controllerUp(9));
        QVERIFY(line.asked(300).value(9) >= 5);
        QVERIFY(line.requests.filter(QRegularExpression("^\\d+:9:status")).size() >= 5);
    }

    // Silent for three requests in a row: down, asked only now and then;
    // answering again: up, its device information asked again first.
    void downAndUp() {
        Line line({1, 3, 7}, {1, 3, 7});
        line.run(12);
        // Two requests missed are forgotten once it answers again.
        line.powered.remove(3);
        while (line.asked(13).value(3) < 2) {
            line.run(line.ticks + 1);
        }
        line.powered << 3;
        line.run(30);
        QVERIFY(line.station.controllerUp(3));
        line.powered.remove(3);
        while (line.station.controllerUp(3)) {
            line.run(line.ticks + 1);
        }
        // Down once the wait for its third request in a row has run out.
        QCOMPARE(line.asked(31).value(3), 3);
        QCOMPARE(line.requests.filter(QRegularExpression("^\\d+:3:")).last(),
                 QStringLiteral("%1:3:status").arg(line.ticks - 2));
        QVERIFY(line.station.controllerUp(7));
        line.run(100);
        // One request in four, which waits two ticks: one tick in five.
        QCOMPARE(line.asked(61).value(3), 40 / 5);
        line.powered << 3;
        line.run(120);
        QVERIFY(line.station.controllerUp(3));
        const QStringList back = line.requests.filter(QRegularExpression("^\\d+:3:"));
        const qsizetype firstAfter = back.indexOf(QRegularExpression("^1[0-2]\\d:3:status"));
        QVERIFY(firstAfter > 0);
        QVERIFY(back[firstAfter - 1].endsWith(":info"));
    }
};

QTEST_GUILESS_MAIN(TestStation)
#include "test_station.moc"
