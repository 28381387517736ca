#include "display/fan_speed.h"

#include <QTest>

using brisco::display::FanSpeed;

namespace {

FanSpeed::Shown feed(FanSpeed& fans, int inner, int outer) {
    return fans.update(static_cast<std::uint8_t>(inner >> 8), static_cast<std::uint8_t>(inner),
                       static_cast<std::uint8_t>(outer >> 8), static_cast<std::uint8_t>(outer));
}

} // namespace

class TestFanSpeed : public QObject {
    Q_OBJECT

private slots:
    void averages_data() {
        QTest::addColumn<QList<int>>("readings"); // fed to both fans
        QTest::addColumn<QString>("expected");

        QTest::newRow("first reading 1500") << QList<int>{1500} << " 1500";
        QTest::newRow("1000 and 1001 floor") << QList<int>{1000, 1001} << " 1000";
        QTest::newRow("zero") << QList<int>{0} << " 0";
        QTest::newRow("mean of three") << QList<int>{100, 200, 600} << " 300";
        QTest::newRow("above 32767") << QList<int>{40000} << " 40000";
        QTest::newRow("top of range") << QList<int>{65535, 65535} << " 65535";
        QList<int> sixteen;
        for (int i = 1; i <= 16; ++i) {
            sixteen << i * 100;
        }
        // Readings 2..16: (200 + ... + 1600) / 15 = 900.
        QTest::newRow("16th replaces 1st") << sixteen << " 900";
        QList<int> full(15, 65535);
        QTest::newRow("fifteen at the top") << full << " 65535";
    }
    void averages() {
        QFETCH(QList<int>, readings);
        QFETCH(QString, expected);
        FanSpeed fans;
        FanSpeed::Shown shown;
        for (int reading : readings) {
            shown = feed(fans, reading, reading);
        }
        QCOMPARE(shown.inner, expected);
        QCOMPARE(shown.outer, expected);
    }

    void fansAreAveragedSeparately() {
        FanSpeed fans;
        feed(fans, 1500, 3000);
        const FanSpeed::Shown shown = feed(fans, 1501, 2000);
        QCOMPARE(shown.inner, QStringLiteral(" 1500"));
        QCOMPARE(shown.outer, QStringLiteral(" 2500"));
    }

    void pointerAndCountAfterSixteen() {
        FanSpeed fans;
        for (int i = 0; i < 16; ++i) {
            feed(fans, 1000, 1000);
        }
        QCOMPARE(fans.pointer(), 1);
        QCOMPARE(fans.number(), 15);
    }

    void stoppingFanFallsByOneHundred() {
        FanSpeed fans;
        for (int i = 0; i < 15; ++i) {
            feed(fans, 1500, 1500);
        }
        for (int step = 1; step <= 15; ++step) {
            const FanSpeed::Shown shown = feed(fans, 0, 0);
            const QString expected = u' ' + QString::number(1500 - 100 * step);
            QCOMPARE(shown.inner, expected);
            QCOMPARE(shown.outer, expected);
        }
    }
};

QTEST_GUILESS_MAIN(TestFanSpeed)
#include "test_fan_speed.moc"
