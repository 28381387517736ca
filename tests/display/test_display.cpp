// The status reply as display texts and lamp codes, and the fan-speed average.
#include "display/fan_speed.h"
#include "display/status_decoder.h"

#include <QTest>

#include <array>

using namespace brisco::display;

namespace {

using Reply = std::array<std::uint8_t, 36>;

// Every byte that a case does not set is 0x50.
Reply replyWith(std::initializer_list<std::pair<int, int>> bytes) {
    Reply reply{};
    reply.fill(0x50);
    for (const auto& [offset, value] : bytes) {
        reply[static_cast<std::size_t>(offset)] = static_cast<std::uint8_t>(value);
    }
    return reply;
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

FanSpeed::Shown feed(FanSpeed& fans, int inner, int outer) {
    return fans.update(static_cast<std::uint8_t>(inner >> 8), static_cast<std::uint8_t>(inner),
                       static_cast<std::uint8_t>(outer >> 8), static_cast<std::uint8_t>(outer));
}

} // namespace

class TestDisplay : public QObject {
    Q_OBJECT

private slots:
    void fieldText_data() {
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("next"); // the byte after it, for two-byte fields
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, int offset, int value, int next, const char* field,
                            const char* expected) {
            QTest::newRow(name) << offset << value << next << field << expected;
        };
        row("cool start 0", 5, 0, 0x50, "TECcoolStart_Text", "-40");
        row("cool start 255, no fault text", 5, 255, 0x50, "TECcoolStart_Text", "215");
        row("heat stop", 8, 55, 0x50, "TECheatStop_Text", "15");
        row("inner pulses", 9, 2, 0x50, "IntFanPulse_Text", "2");
        row("inner low 1500", 10, 5, 220, "IntFanLowS_Text", "1500");
        row("inner high 65535", 12, 255, 255, "IntFanHighS_Text", "65535");
        row("outer high", 15, 11, 184, "ExtFanHighS_Text", "3000");
        row("temp max", 17, 95, 0x50, "TempMax_Text", "55");
        row("current low 0", 19, 0, 0x50, "TECcurrL_Text", "0");
        row("current low 25.5", 19, 255, 0x50, "TECcurrL_Text", "25.5");
        row("inner 0", 25, 80, 0x50, "Temp1_Text", "0");
        row("inner 0.5", 25, 81, 0x50, "Temp1_Text", "0.5");
        row("inner 86.5", 25, 253, 0x50, "Temp1_Text", "86.5");
        row("inner open", 25, 254, 0x50, "Temp1_Text", "Open");
        row("inner short", 25, 255, 0x50, "Temp1_Text", "Short");
        row("outer open", 26, 254, 0x50, "Temp2_Text", "Open");
        row("outer short", 26, 255, 0x50, "Temp2_Text", "Short");
        row("control 254 is a temperature", 27, 254, 0x50, "ControlTemp_Text", "87");
        row("control 255 is a temperature", 27, 255, 0x50, "ControlTemp_Text", "87.5");
        row("TEC current", 28, 57, 0x50, "TECcurrent_Text", "5.7");
        row("DC voltage 48", 29, 1, 224, "DCvoltage_Text", "48");
        row("DC voltage 6553.5", 29, 255, 255, "DCvoltage_Text", "6553.5");
    }
    void fieldText() {
        QFETCH(int, offset);
        QFETCH(int, value);
        QFETCH(int, next);
        QFETCH(QString, field);
        QFETCH(QString, expected);
        const StatusDisplay shown =
            decodeStatus(replyWith({{offset, value}, {offset + 1, next}}), QLocale::c());
        QCOMPARE(textOf(shown, field), expected);
    }

    // Only the decimal separator is the operator's: digits and the minus sign
    // stay ASCII, so that an entry box reads the text back.
    void decimalsFollowTheLocale_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("separator");
        QTest::newRow("German") << QLocale(QLocale::German, QLocale::Germany) << ",";
        QTest::newRow("Swedish, U+2212 minus") << QLocale(QLocale::Swedish, QLocale::Sweden) << ",";
        QTest::newRow("Arabic digits")
            << QLocale(QLocale::Arabic, QLocale::Egypt) << QString(QChar(0x066B));
        QTest::newRow("English") << QLocale(QLocale::English, QLocale::UnitedStates) << ".";
    }
    void decimalsFollowTheLocale() {
        QFETCH(QLocale, locale);
        QFETCH(QString, separator);
        const StatusDisplay shown =
            decodeStatus(replyWith({{19, 25}, {25, 79}, {29, 255}, {30, 255}}), locale);
        QCOMPARE(textOf(shown, "TECcurrL_Text"), "2" + separator + "5");
        QCOMPARE(textOf(shown, "Temp1_Text"), "-0" + separator + "5");
        QCOMPARE(textOf(shown, "DCvoltage_Text"), "6553" + separator + "5");
        QCOMPARE(textOf(shown, "TECcoolStart_Text"), QStringLiteral("40"));
    }

    void lamps_data() {
        QTest::addColumn<int>("workState");
        QTest::addColumn<int>("alarmA");
        QTest::addColumn<int>("alarmB");
        QTest::addColumn<int>("inputs");
        QTest::addColumn<QString>("expected");
        //                                                      StatusBox 1..22
        QTest::newRow("all clear") << 0 << 0 << 0 << 0 << "00000000000000000--000";
        QTest::newRow("work 63") << 63 << 0 << 0 << 0 << "11111300000000000--000";
        QTest::newRow("alarm A 12 drives nothing") << 0 << 12 << 0 << 0 << "00000000000000000--000";
        QTest::newRow("alarm A all") << 0 << 255 << 0 << 0 << "00000022222200000--000";
        QTest::newRow("inner fan from B") << 0 << 0 << 16 << 0 << "00000000200000000--000";
        QTest::newRow("outer fan from B") << 0 << 0 << 32 << 0 << "00000000020000000--000";
        QTest::newRow("alarm B all") << 0 << 0 << 255 << 0 << "00000000220022222--000";
        QTest::newRow("inputs 1, switch 4") << 0 << 0 << 0 << 1 << "00000000000000000--002";
        QTest::newRow("inputs 4, entrance") << 0 << 0 << 0 << 4 << "00000000000000000--200";
        QTest::newRow("inputs 248 ignored") << 0 << 0 << 0 << 248 << "00000000000000000--000";
    }
    void lamps() {
        QFETCH(int, workState);
        QFETCH(int, alarmA);
        QFETCH(int, alarmB);
        QFETCH(int, inputs);
        QFETCH(QString, expected);
        const StatusDisplay shown = decodeStatus(
            replyWith({{21, workState}, {22, alarmA}, {23, alarmB}, {24, inputs}}), QLocale::c());
        QCOMPARE(lampsOf(shown), expected);
    }

    void fanAverage_data() {
        QTest::addColumn<QList<int>>("readings"); // inner; the outer fan gets half of each
        QTest::addColumn<int>("inner");
        QTest::addColumn<int>("outer");
        QTest::newRow("first reading 1500") << QList<int>{1500} << 1500 << 750;
        QTest::newRow("1000 and 1001, rounded down") << QList<int>{1000, 1001} << 1000 << 500;
        QTest::newRow("mean of three") << QList<int>{100, 200, 600} << 300 << 150;
        QTest::newRow("above 32767") << QList<int>{40000} << 40000 << 20000;
        QTest::newRow("top of range") << QList<int>(15, 65535) << 65535 << 32767;
        QList<int> sixteen;
        for (int i = 1; i <= 16; ++i) {
            sixteen << i * 100;
        }
        // Readings 2 to 16: (200 + ... + 1600) / 15 and (100 + ... + 800) / 15.
        QTest::newRow("16th replaces the 1st") << sixteen << 900 << 450;
    }
    void fanAverage() {
        QFETCH(QList<int>, readings);
        QFETCH(int, inner);
        QFETCH(int, outer);
        FanSpeed fans;
        FanSpeed::Shown shown;
        for (const int reading : readings) {
            shown = feed(fans, reading, reading / 2);
        }
        QCOMPARE(shown.inner, u' ' + QString::number(inner));
        QCOMPARE(shown.outer, u' ' + QString::number(outer));
    }

};

QTEST_GUILESS_MAIN(TestDisplay)
#include "test_display.moc"
