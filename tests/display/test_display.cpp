// The status reply as display texts and lamp codes, and the fan-speed average.
#include "display/fan_speed.h"
#include "display/status_decoder.h"

#include <QTest>

#include <array>

using namespace brisco::display;

// {offset, value}; every byte that a case does not set is 0.
using Bytes = QList<std::pair<int, int>>;

class TestDisplay : public QObject {
    Q_OBJECT

private slots:
    // A box's text, or "lamps": the 22 lamp codes as digits, StatusBox1 first,
    // "-" for a lamp left as it is. Decoded for a German operator, whose
    // decimal separator is a comma.
    void decoded_data() {
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
        // Bytes 21 to 24: work state, alarms A and B, inputs.
        row("work 63", {{21, 63}}, "lamps", "11111300000000000--000");
        row("alarm A all", {{22, 255}}, "lamps", "00000022222200000--000");
        row("alarm B all", {{23, 255}}, "lamps", "00000000220022222--000");
        row("inputs 1, switch 4", {{24, 1}}, "lamps", "00000000000000000--002");
    }
    void decoded() {
        QFETCH(Bytes, bytes);
        QFETCH(QString, field);
        std::array<std::uint8_t, 36> reply{};
        for (const auto& [offset, value] : bytes) {
            reply[static_cast<std::size_t>(offset)] = static_cast<std::uint8_t>(value);
        }
        const StatusDisplay shown = decodeStatus(reply, QLocale(QLocale::German, QLocale::Germany));
        QString lamps;
        for (const int code : shown.lampCodes) {
            lamps += code == kLampUnchanged ? QChar(u'-') : QChar(u'0' + code);
        }
        QString text = field == "lamps" ? lamps : QStringLiteral("<missing>");
        for (const FieldText& box : shown.fields) {
            text = QLatin1String(box.name) == field ? box.text : text;
        }
        QTEST(text, "expected");
    }

    void fanAverage_data() {
        QTest::addColumn<QList<int>>("readings"); // inner; the outer fan gets half of each
        QTest::addColumn<QString>("inner");
        QTest::addColumn<QString>("outer");
        QTest::newRow("1000 and 1001, cut") << QList<int>{1000, 1001} << " 1000"
                                            << " 500";
        QTest::newRow("above 32767") << QList<int>{40000} << " 40000"
                                     << " 20000";
        // The 16th replaces the 1st: (14 * 100 + 1600) / 15 and (14 * 50 + 800) / 15.
        QTest::newRow("15 of 100, then 1600") << QList<int>(15, 100) + QList<int>{1600} << " 200"
                                              << " 100";
    }
    void fanAverage() {
        QFETCH(QList<int>, readings);
        FanSpeed fans;
        FanSpeed::Shown shown;
        for (const int reading : readings) { // high byte, then the low byte
            shown = fans.update(reading >> 8, reading, reading / 2 >> 8, reading / 2);
        }
        QTEST(shown.inner, "inner");
        QTEST(shown.outer, "outer");
    }
};

QTEST_GUILESS_MAIN(TestDisplay)
#include "test_display.moc"
