// The trends kept of each controller: the gaps, where a plotted line breaks
// and what its reduction keeps, and the bounds of controllers and of time.
#include "record/controller_trends.h"
#include "record/trend_reduction.h"

#include <QSignalSpy>
#include <QTest>

using namespace brisco::display;

namespace {

StatusValues inner(double temp) {
    StatusValues values;
    values.innerTemp = temp;
    return values;
}

QList<QList<double>> valuesOf(const QList<QList<QPointF>>& stretches) {
    QList<QList<double>> values;
    for (const QList<QPointF>& stretch : stretches) {
        values.emplace_back();
        for (const QPointF& point : stretch) {
            values.last() << point.y();
        }
    }
    return values;
}

std::optional<double> innerOf(const TrendSample& sample) {
    return sample.innerTemp;
}

} // namespace

class TestTrendStore : public QObject {
    Q_OBJECT

private slots:
    // The intervals between replies (ms), and the replies that come after
    // a gap: longer than 3 s and than 2.5 times the usual interval around.
    void gaps_data() {
        QTest::addColumn<QList<int>>("intervals");
        QTest::addColumn<QList<int>>("afterGap");
        const QList<int> second(6, 1000);
        QTest::newRow("3 s at one a second") << second + QList{3000} + second << QList<int>{};
        QTest::newRow("3.001 s") << second + QList{3001} + second << QList{7};
        QTest::newRow("silence of 6 s, last") << second + second + QList{7000} << QList{13};
        QTest::newRow("in turn every 5 s, a reply lost")
            << QList<int>(8, 5000) + QList{10000, 12500} << QList<int>{};
        QTest::newRow("in turn, 12.501 s") << QList<int>(8, 5000) + QList{12501, 5000} << QList{9};
        QTest::newRow("every 10 s for good") << second + QList<int>(8, 10000) << QList<int>{};
        QTest::newRow("three silences in a row")
            << second + QList{7000, 7000, 7000} + second << QList{7, 8, 9};
        QTest::newRow("the first two, 10 s apart") << QList{10000} << QList<int>{};
    }
    void gaps() {
        QFETCH(QList<int>, intervals);
        QFETCH(QList<int>, afterGap);
        TrendStore store;
        qint64 time = 1'000'000;
        store.append(time, {});
        for (const int interval : intervals) {
            store.append(time += interval, {});
        }
        QList<int> found;
        for (std::size_t i = 0; i < store.samples().size(); ++i) {
            if (store.samples()[i].afterGap) {
                found << int(i);
            }
        }
        QCOMPARE(found, afterGap);
    }

    // Samples a millisecond apart, a column each second; "-" a sensor
    // fault, "|" a gap in the replies before the next. A line breaks once
    // a column at most: a second break in a column joins.
    void breaks_data() {
        QTest::addColumn<QString>("samples");
        QTest::addColumn<QList<QList<double>>>("stretches");
        QTest::newRow("fault") << "1 2 - 3" << QList<QList<double>>{{1, 2}, {3}};
        QTest::newRow("silence") << "1 2 | 3 4" << QList<QList<double>>{{1, 2}, {3, 4}};
        QTest::newRow("two faults in a column") << "1 - 2 - 3" << QList<QList<double>>{{1}, {2, 3}};
        QTest::newRow("a fault and a silence in a column")
            << "1 - 2 | 3" << QList<QList<double>>{{1}, {2, 3}};
        QTest::newRow("faults in two columns")
            << "1 - 2 ; - 5 6" << QList<QList<double>>{{1}, {2}, {5, 6}};
        QTest::newRow("fault first") << "- 1 - 2" << QList<QList<double>>{{1}, {2}};
    }
    void breaks() {
        QFETCH(QString, samples);
        QFETCH(QList<QList<double>>, stretches);
        std::deque<TrendSample> kept;
        qint64 time = 0;
        bool gap = false;
        for (const QString& word : samples.split(' ')) {
            if (word == ";") {
                time = 1000; // the next column
            } else if (word == "|") {
                gap = true;
            } else {
                TrendSample sample{};
                sample.time = time++;
                sample.innerTemp = word == "-" ? std::nullopt : std::optional(word.toDouble());
                sample.afterGap = std::exchange(gap, false);
                kept.push_back(sample);
            }
        }
        QCOMPARE(valuesOf(reduceToColumns(kept, innerOf, 0, 1999, 2)), stretches);
    }

    // An hour on 400 pixels: a one-sample spike or dip survives; of the
    // wobble within a tolerance a few points stay, the extremes among them.
    void reduction_data() {
        QTest::addColumn<int>("spikeAt");
        QTest::addColumn<double>("spike");
        QTest::newRow("spike") << 1801 << 80.0;
        QTest::newRow("dip") << 3599 << -5.0;
    }
    void reduction() {
        QFETCH(int, spikeAt);
        QFETCH(double, spike);
        std::deque<TrendSample> samples(3600);
        for (int i = 0; i < 3600; ++i) {
            samples[i].time = qint64(i) * 1000;
            samples[i].innerTemp = i == spikeAt ? spike : 20 + (i % 2) * 0.5;
        }
        auto stretches = reduceToColumns(samples, innerOf, 0, 3599000, 400);
        QCOMPARE(stretches.size(), 1);
        const QList<double> extremes{std::min(spike, 20.0), std::max(spike, 20.5)};
        const auto lowHigh = [&stretches] {
            const QList<double> ys = valuesOf(stretches).first();
            return QList<double>{*std::min_element(ys.begin(), ys.end()),
                                 *std::max_element(ys.begin(), ys.end())};
        };
        QVERIFY(stretches[0].size() <= 2 * 400); // two a column
        QCOMPARE(lowHigh(), extremes);
        dropStraightRuns(stretches[0], 0.6);
        QVERIFY(stretches[0].size() <= 8);
        QCOMPARE(lowHigh(), extremes);
    }

    // Twenty controllers at most, a 21st not kept; the one followed is there
    // before it answers. Live, each keeps and shows the last hour of the
    // newest reply; a replay keeps and shows all.
    void controllersBounded() {
        for (const auto bounds :
             {ControllerTrends::Bounds::LastHour, ControllerTrends::Bounds::Whole}) {
            ControllerTrends trends(bounds);
            QSignalSpy appended(&trends, &ControllerTrends::appended);
            trends.follow(21);
            QVERIFY(trends.find(21) && trends.empty());
            for (int address = 21; address >= 1; --address) {
                QCOMPARE(trends.append(std::uint8_t(address), "TEC-48", 0, inner(address)),
                         address > 1);
            }
            QCOMPARE(trends.controllers().size(), std::size_t(20));
            QVERIFY(!trends.find(1) && trends.find(20) && trends.find(21));
            QCOMPARE(trends.wholeSpan(), std::pair(qint64(-60000), qint64(0))); // a minute at least
            for (int i = 1; i <= 7200; ++i) {
                QVERIFY(trends.append(2, {}, qint64(i) * 1000, inner(i)));
            }
            QCOMPARE(appended.size(), 20 + 7200);
            QCOMPARE(appended.last().first().value<std::uint8_t>(), std::uint8_t(2));
            const bool live = bounds == ControllerTrends::Bounds::LastHour;
            // An hour is 3600 replies at one a second.
            QCOMPARE(trends.find(2)->samples().front().time, live ? 3601000 : 0);
            QCOMPARE(trends.find(3)->samples().size(), std::size_t(1));
            QCOMPARE(trends.wholeSpan(), std::pair(live ? qint64(3600000) : 0, qint64(7200000)));
            // Replies of no known model leave the one known.
            QCOMPARE(trends.controllers().at(2).model, QStringLiteral("TEC-48"));
        }
    }
};

QTEST_GUILESS_MAIN(TestTrendStore)
#include "test_trend_store.moc"
