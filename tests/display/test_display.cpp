// The status reply as display texts and lamp codes, and the fan-speed average.
#include "display/fan_speed.h"
#include "display/status_decoder.h"

#include <QTest>

#include <array>

using namespace brisco::display;

namespace {

// {offset, value}; every byte that a case does not set is 0.
using Bytes = QList<std::pair<int, int>>;

// Decoded for a German operator, whose decimal separator is a comma.
StatusDisplay decoded(const Bytes& bytes) {
    std::array<std::uint8_t, 36> reply{};
    for (const auto& [offset, value] : bytes) {
        reply[static_cast<std::size_t>(offset)] = static_cast<std::uint8_t>(value);
    }
    return decodeStatus(reply, QLocale(QLocale::German, QLocale::Germany));
}

QString textOf(const StatusDisplay& shown, const QString& name) {
    for (const FieldText& field : shown.fields) {
        if (QLatin1String(field.name) == name) {
            return field.text;
        }
    }
    return QStringLiteral("<missing>");
}

// The 22 lamp codes as digits, StatusBox1 first; "-" for a lamp left as it is.
QString lampsOf(const StatusDisplay& shown) {
    QString codes;
    for (const int code : shown.lampCodes) {
        codes += code == kLampUnchanged ? QChar(u'-') : QChar(u'0' + code);
    }
    return codes;
}

} // namespace

class TestDisplay : public QObject {
    Q_OBJECT

private slots:
    void fieldText_data() {
        QTest::addColumn<Bytes>("bytes");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, const Bytes& bytes, const char* field,
                            const char* expected) {
            QTest::newRow(name) << bytes << field << expected;
        };
        row("cool start", {{5, 30}}, "TECcoolStart_Text", "-10");
        row("inner pulses", {{9, 2}}, "IntFanPulse_Text", "2");
        row("inner low 1500", {{10, 5}, {11, 220}}, "IntFanLowS_Text", "1500");
        row("current low 2.5", {{19, 25}}, "TECcurrL_Text", "2,5");
        row("inner -0.5", {{25, 79}}, "Temp1_Text", "-0,5");
        row("inner open", {{25, 254}}, "Temp1_Text", "Open");
        row("outer short", {{26, 255}}, "Temp2_Text", "Short");
        row("control 254", {{27, 254}}, "ControlTemp_Text", "87");
        row("TEC current", {{28, 57}}, "TECcurrent_Text", "5,7");
        row("DC voltage", {{29, 100}, {30, 1}}, "DCvoltage_Text", "2560,1");
    }
    void fieldText() {
        QFETCH(Bytes, bytes);
        QFETCH(QString, field);
        QFETCH(QString, expected);
        QCOMPARE(textOf(decoded(bytes), field), expected);
    }

    // Bytes 21 to 24: work state, alarms A and B, inputs.
    void lamps_data() {
        QTest::addColumn<Bytes>("bytes");
        QTest::addColumn<QString>("expected"); // StatusBox 1..22
        QTest::newRow("work 63") << Bytes{{21, 63}} << "11111300000000000--000";
        QTest::newRow("alarm A all") << Bytes{{22, 255}} << "00000022222200000--000";
        QTest::newRow("alarm B all") << Bytes{{23, 255}} << "00000000220022222--000";
        QTest::newRow("inputs 1, switch 4") << Bytes{{24, 1}} << "00000000000000000--002";
    }
    void lamps() {
        QFETCH(Bytes, bytes);
        QFETCH(QString, expected);
        QCOMPARE(lampsOf(decoded(bytes)), expected);
    }

    void fanAverage_data() {
        QTest::addColumn<QList<int>>("readings"); // inner; the outer fan gets half of each
        QTest::addColumn<int>("inner");
        QTest::addColumn<int>("outer");
        QTest::newRow("1000 and 1001, cut") << QList<int>{1000, 1001} << 1000 << 500;
        QTest::newRow("above 32767") << QList<int>{40000} << 40000 << 20000;
        // The 16th replaces the 1st: (14 * 100 + 1600) / 15 and (14 * 50 + 800) / 15.
        QTest::newRow("15 of 100, then 1600")
            << QList<int>(15, 100) + QList<int>{1600} << 200 << 100;
    }
    void fanAverage() {
        QFETCH(QList<int>, readings);
        QFETCH(int, inner);
        QFETCH(int, outer);
        FanSpeed fans;
        FanSpeed::Shown shown;
        for (const int reading : readings) { // high byte, then the low byte
            shown = fans.update(reading >> 8, reading, reading / 2 >> 8, reading / 2);
        }
        QCOMPARE(shown.inner, u' ' + QString::number(inner));
        QCOMPARE(shown.outer, u' ' + QString::number(outer));
    }
};

QTEST_GUILESS_MAIN(TestDisplay)
#include "test_display.moc"
