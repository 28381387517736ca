#include "display/status_decoder.h"

#include <QTest>

#include <array>

using namespace brisco::display;

namespace {

using Reply = std::array<std::uint8_t, 36>;

// A plausible reply: every byte that a case does not set is 0x50.
Reply replyWith(const QList<QPair<int, int>>& bytes) {
    Reply reply{};
    reply.fill(0x50);
    reply[0] = 6;
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

using LampCodes = QList<int>; // StatusBox1..22

} // namespace

class TestStatusDecoder : public QObject {
    Q_OBJECT

private slots:
    void writesEighteenFieldsInOrder() {
        const StatusDisplay shown = decodeStatus(replyWith({}), QLocale::c());
        QStringList names;
        for (const FieldText& field : shown.fields) {
            names << QLatin1String(field.name);
        }
        QCOMPARE(names, QStringList({"TECcoolStart_Text", "TECcoolStop_Text", "TECheatStart_Text",
                                     "TECheatStop_Text", "IntFanPulse_Text", "IntFanLowS_Text",
                                     "IntFanHighS_Text", "ExtFanPulse_Text", "ExtFanHighS_Text",
                                     "TempMax_Text", "TempMin_Text", "TECcurrL_Text",
                                     "TECcurrH_Text", "Temp1_Text", "Temp2_Text",
                                     "ControlTemp_Text", "TECcurrent_Text", "DCvoltage_Text"}));
    }

    void fieldText_data() {
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("nextValue"); // byte at offset + 1 for two-byte fields
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("expected");

        QTest::newRow("cool start lowest") << 5 << 0 << 0x50 << "TECcoolStart_Text"
                                           << "-40";
        QTest::newRow("cool start highest") << 5 << 255 << 0x50 << "TECcoolStart_Text"
                                            << "215";
        QTest::newRow("cool start 15") << 5 << 15 << 0x50 << "TECcoolStart_Text"
                                       << "-25";
        QTest::newRow("cool start 254 no fault text") << 5 << 254 << 0x50 << "TECcoolStart_Text"
                                                      << "214";
        QTest::newRow("cool stop") << 6 << 70 << 0x50 << "TECcoolStop_Text"
                                   << "30";
        QTest::newRow("heat start") << 7 << 45 << 0x50 << "TECheatStart_Text"
                                    << "5";
        QTest::newRow("heat stop") << 8 << 55 << 0x50 << "TECheatStop_Text"
                                   << "15";
        QTest::newRow("inner pulses") << 9 << 2 << 0x50 << "IntFanPulse_Text"
                                      << "2";
        QTest::newRow("inner low 1500") << 10 << 5 << 220 << "IntFanLowS_Text"
                                        << "1500";
        QTest::newRow("inner high max") << 12 << 255 << 255 << "IntFanHighS_Text"
                                        << "65535";
        QTest::newRow("outer pulses") << 14 << 3 << 0x50 << "ExtFanPulse_Text"
                                      << "3";
        QTest::newRow("outer high") << 15 << 11 << 184 << "ExtFanHighS_Text"
                                    << "3000";
        QTest::newRow("temp max") << 17 << 95 << 0x50 << "TempMax_Text"
                                  << "55";
        QTest::newRow("temp min negative") << 18 << 30 << 0x50 << "TempMin_Text"
                                           << "-10";
        QTest::newRow("current low 0") << 19 << 0 << 0x50 << "TECcurrL_Text"
                                       << "0";
        QTest::newRow("current low 2.5") << 19 << 25 << 0x50 << "TECcurrL_Text"
                                         << "2.5";
        QTest::newRow("current low 25.5") << 19 << 255 << 0x50 << "TECcurrL_Text"
                                          << "25.5";
        QTest::newRow("current high whole") << 20 << 30 << 0x50 << "TECcurrH_Text"
                                            << "3";
        QTest::newRow("inner temp 0") << 25 << 80 << 0x50 << "Temp1_Text"
                                      << "0";
        QTest::newRow("inner temp 0.5") << 25 << 81 << 0x50 << "Temp1_Text"
                                        << "0.5";
        QTest::newRow("inner temp -0.5") << 25 << 79 << 0x50 << "Temp1_Text"
                                         << "-0.5";
        QTest::newRow("inner temp -40") << 25 << 0 << 0x50 << "Temp1_Text"
                                        << "-40";
        QTest::newRow("inner temp 86.5") << 25 << 253 << 0x50 << "Temp1_Text"
                                         << "86.5";
        QTest::newRow("inner open") << 25 << 254 << 0x50 << "Temp1_Text"
                                    << "Open";
        QTest::newRow("inner short") << 25 << 255 << 0x50 << "Temp1_Text"
                                     << "Short";
        QTest::newRow("outer temp 86.5") << 26 << 253 << 0x50 << "Temp2_Text"
                                         << "86.5";
        QTest::newRow("outer open") << 26 << 254 << 0x50 << "Temp2_Text"
                                    << "Open";
        QTest::newRow("outer short") << 26 << 255 << 0x50 << "Temp2_Text"
                                     << "Short";
        QTest::newRow("control 254 is a temperature") << 27 << 254 << 0x50 << "ControlTemp_Text"
                                                      << "87";
        QTest::newRow("control 255 is a temperature") << 27 << 255 << 0x50 << "ControlTemp_Text"
                                                      << "87.5";
        QTest::newRow("control -40") << 27 << 0 << 0x50 << "ControlTemp_Text"
                                     << "-40";
        QTest::newRow("TEC current") << 28 << 57 << 0x50 << "TECcurrent_Text"
                                     << "5.7";
        QTest::newRow("DC voltage 48") << 29 << 1 << 224 << "DCvoltage_Text"
                                       << "48";
        QTest::newRow("DC voltage max") << 29 << 255 << 255 << "DCvoltage_Text"
                                        << "6553.5";
        QTest::newRow("DC voltage 0") << 29 << 0 << 0 << "DCvoltage_Text"
                                      << "0";
    }
    void fieldText() {
        QFETCH(int, offset);
        QFETCH(int, value);
        QFETCH(int, nextValue);
        QFETCH(QString, field);
        QFETCH(QString, expected);
        const StatusDisplay shown =
            decodeStatus(replyWith({{offset, value}, {offset + 1, nextValue}}), QLocale::c());
        QCOMPARE(textOf(shown, field), expected);
    }

    void decimalsFollowTheLocale_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("inner");
        QTest::addColumn<QString>("voltage");
        QTest::newRow("German") << QLocale(QLocale::German, QLocale::Germany) << "2,5"
                                << "-0,5"
                                << "6553,5";
        // Swedish writes its minus sign as U+2212: the boxes keep the ASCII one.
        QTest::newRow("Swedish") << QLocale(QLocale::Swedish, QLocale::Sweden) << "2,5"
                                 << "-0,5"
                                 << "6553,5";
        // Arabic digits would not read back: the digits stay ASCII.
        QTest::newRow("Arabic") << QLocale(QLocale::Arabic, QLocale::Egypt)
                                << QString("2") + QChar(0x066B) + "5"
                                << QString("-0") + QChar(0x066B) + "5"
                                << QString("6553") + QChar(0x066B) + "5";
        QTest::newRow("English") << QLocale(QLocale::English, QLocale::UnitedStates) << "2.5"
                                 << "-0.5"
                                 << "6553.5";
    }
    void decimalsFollowTheLocale() {
        QFETCH(QLocale, locale);
        QFETCH(QString, current);
        QFETCH(QString, inner);
        QFETCH(QString, voltage);
        const StatusDisplay shown =
            decodeStatus(replyWith({{19, 25}, {25, 79}, {29, 255}, {30, 255}}), locale);
        QCOMPARE(textOf(shown, "TECcurrL_Text"), current);
        QCOMPARE(textOf(shown, "Temp1_Text"), inner);
        QCOMPARE(textOf(shown, "DCvoltage_Text"), voltage);
        QCOMPARE(textOf(shown, "TECcoolStart_Text"), QStringLiteral("40"));
    }

    void lamps_data() {
        QTest::addColumn<int>("workState");
        QTest::addColumn<int>("alarmA");
        QTest::addColumn<int>("alarmB");
        QTest::addColumn<int>("inputs");
        QTest::addColumn<LampCodes>("expected");

        const int u = kLampUnchanged;
        //                                  1  2  3  4  5  6  7  8  9 10 11 12 13 14 15 16 17 18 19
        //                                  20 21 22
        QTest::newRow("all clear")
            << 0 << 0 << 0 << 0
            << LampCodes{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, u, u, 0, 0, 0};
        QTest::newRow("work 63") << 63 << 0 << 0 << 0 << LampCodes{1, 1, 1, 1, 1, 3, 0, 0, 0, 0, 0,
                                                                   0, 0, 0, 0, 0, 0, u, u, 0, 0, 0};
        QTest::newRow("work 192 ignored")
            << 192 << 0 << 0 << 0
            << LampCodes{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, u, u, 0, 0, 0};
        QTest::newRow("work bit 5 only")
            << 32 << 0 << 0 << 0
            << LampCodes{0, 0, 0, 0, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, u, u, 0, 0, 0};
        QTest::newRow("alarm A 12 drives nothing")
            << 0 << 12 << 0 << 0
            << LampCodes{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, u, u, 0, 0, 0};
        QTest::newRow("alarm A all")
            << 0 << 255 << 0 << 0
            << LampCodes{0, 0, 0, 0, 0, 0, 2, 2, 2, 2, 2, 2, 0, 0, 0, 0, 0, u, u, 0, 0, 0};
        QTest::newRow("inner fan from A")
            << 0 << 16 << 0 << 0
            << LampCodes{0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, u, u, 0, 0, 0};
        QTest::newRow("inner fan from B")
            << 0 << 0 << 16 << 0
            << LampCodes{0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, u, u, 0, 0, 0};
        QTest::newRow("outer fan from A")
            << 0 << 32 << 0 << 0
            << LampCodes{0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, u, u, 0, 0, 0};
        QTest::newRow("outer fan from B")
            << 0 << 0 << 32 << 0
            << LampCodes{0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, u, u, 0, 0, 0};
        QTest::newRow("alarm B all")
            << 0 << 0 << 255 << 0
            << LampCodes{0, 0, 0, 0, 0, 0, 0, 0, 2, 2, 0, 0, 2, 2, 2, 2, 2, u, u, 0, 0, 0};
        QTest::newRow("inputs 1 switch 4")
            << 0 << 0 << 0 << 1
            << LampCodes{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, u, u, 0, 0, 2};
        QTest::newRow("inputs 2 switch 3")
            << 0 << 0 << 0 << 2
            << LampCodes{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, u, u, 0, 2, 0};
        QTest::newRow("inputs 4 entrance")
            << 0 << 0 << 0 << 4
            << LampCodes{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, u, u, 2, 0, 0};
        QTest::newRow("inputs high bits ignored")
            << 0 << 0 << 0 << 248
            << LampCodes{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, u, u, 0, 0, 0};
    }
    void lamps() {
        QFETCH(int, workState);
        QFETCH(int, alarmA);
        QFETCH(int, alarmB);
        QFETCH(int, inputs);
        QFETCH(LampCodes, expected);
        const StatusDisplay shown = decodeStatus(
            replyWith({{21, workState}, {22, alarmA}, {23, alarmB}, {24, inputs}}), QLocale::c());
        const LampCodes codes(shown.lampCodes.begin(), shown.lampCodes.end());
        QCOMPARE(codes, expected);
    }

    void fanBytesHandedOn() {
        const StatusDisplay shown =
            decodeStatus(replyWith({{31, 5}, {32, 220}, {33, 3}, {34, 232}}), QLocale::c());
        QCOMPARE(shown.innerFanHigh, 5);
        QCOMPARE(shown.innerFanLow, 220);
        QCOMPARE(shown.outerFanHigh, 3);
        QCOMPARE(shown.outerFanLow, 232);
    }
};

QTEST_GUILESS_MAIN(TestStatusDecoder)
#include "test_status_decoder.moc"
