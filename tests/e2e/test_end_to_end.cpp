// Brisco's real serial port path against brisco-sim on a pseudo-terminal.
#include "live_form.h"

#include "settings/number_reading.h"
#include "sim/encoding.h"
#include "sim/status_fields.h"

#include <QRadioButton>
#include <QTest>

namespace {

constexpr int kTimeout = 8000;

} // namespace

class TestEndToEnd : public QObject {
    Q_OBJECT

private slots:
    void monitorsTheController_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("lineOption");
        QTest::newRow("two-wire") << QStringList{"--seed", "1"} << "RS485Option";
        QTest::newRow("four-wire echo") << QStringList{"--seed", "2", "--echo"} << "RS422Option";
    }
    void monitorsTheController() {
        QFETCH(QStringList, options);
        QFETCH(QString, lineOption);
        LiveForm live;
        QString error;
        QVERIFY2(live.start(options, &error), qPrintable(error));

        QTRY_COMPARE(live.text("CommPortText"), QStringLiteral("COM1"));
        live.button("CommPort_ToggleButton")->click();
        QCOMPARE(live.button("CommPort_ToggleButton")->text(), QStringLiteral("StopComm"));

        QTRY_COMPARE_WITH_TIMEOUT(live.text("TextBox1"), QStringLiteral("TEC-48"), kTimeout);
        QCOMPARE(live.text("TextBox2"), QStringLiteral("1.0"));
        QCOMPARE(live.text("TextBox3"), QStringLiteral("VA2.1"));
        QCOMPARE(live.text("TextBox4"), QStringLiteral("半导体制冷制热"));

        QTRY_VERIFY_WITH_TIMEOUT(live.form->linkCounters().statusFrameNo >= 3, kTimeout);
        const QByteArray reply = live.goodReplyShownNow();
        QVERIFY2(!reply.isEmpty(), qPrintable(live.shownNow().join(u' ')));
        // The simulator's own reading of that reply, not the program's decoder.
        const auto fields = brisco::sim::StatusFields::fromReply(reply);
        QVERIFY(fields);
        const auto number = [&live](const char* box) {
            return brisco::settings::readNumber(live.text(QLatin1String(box)));
        };
        const auto& setPoints = fields->setPoints;
        QCOMPARE(number("TECcoolStart_Text"), brisco::sim::encoding::setPointCelsius(setPoints[0]));
        QCOMPARE(number("TECheatStop_Text"), brisco::sim::encoding::setPointCelsius(setPoints[3]));
        QCOMPARE(number("IntFanLowS_Text"), setPoints[5] * 256.0 + setPoints[6]);
        QCOMPARE(number("ExtFanHighS_Text"), setPoints[10] * 256.0 + setPoints[11]);
        QCOMPARE(number("TempMin_Text"), brisco::sim::encoding::setPointCelsius(setPoints[13]));
        QCOMPARE(number("TECcurrH_Text"), setPoints[15] / 10.0);
        QCOMPARE(number("Temp1_Text"), brisco::sim::encoding::measuredCelsius(fields->Temp1));
        QCOMPARE(number("Temp2_Text"), brisco::sim::encoding::measuredCelsius(fields->Temp2));
        QCOMPARE(number("ControlTemp_Text"),
                 brisco::sim::encoding::measuredCelsius(fields->ControlTemp));
        QCOMPARE(number("TECcurrent_Text"), fields->TECcurrent / 10.0);
        QCOMPARE(number("DCvoltage_Text"), fields->DCvoltage / 10.0);
        const auto lamp = [&live](int n) {
            return live.form->findChild<QWidget*>(QStringLiteral("StatusBox%1").arg(n))
                ->property("ForeColor")
                .toInt();
        };
        QCOMPARE(lamp(1), fields->WorkState & brisco::sim::work_state::InnerFan ? 1 : 0);
        QCOMPARE(lamp(3), fields->WorkState & brisco::sim::work_state::Cooling ? 1 : 0);
        QCOMPARE(lamp(4), fields->WorkState & brisco::sim::work_state::Heating ? 1 : 0);
        QCOMPARE(lamp(13), fields->AlarmB & brisco::sim::alarm_b::HighTemp ? 2 : 0);
        QCOMPARE(live.text("CommCtr_Text"), QString::number(live.form->linkCounters().statusFrameNo));
        QVERIFY(!live.text("IntFanSpeed_Text").isEmpty());
        QVERIFY(live.form->findChild<QRadioButton*>(lineOption)->isChecked());
        QCOMPARE(live.form->linkCounters().checksumErrors, 0);

        live.button("Addr_Command2")->click();
        QTRY_COMPARE_WITH_TIMEOUT(live.text("AddrText2"), QStringLiteral("1"), kTimeout);
        
        live.button("CommPort_ToggleButton")->click();
        QCOMPARE(live.button("CommPort_ToggleButton")->text(), QStringLiteral("OpenComm"));
    }

    // The device goes away while open, as an unplugged adapter does: the
    // port is closed once and the button offers to open it again.
    void vanishingDeviceClosesThePort() {
        LiveForm live;
        QString error;
        QVERIFY2(live.start({"--seed", "4"}, &error), qPrintable(error));
        QTRY_COMPARE(live.text("CommPortText"), QStringLiteral("COM1"));
        live.button("CommPort_ToggleButton")->click();
        QTRY_VERIFY_WITH_TIMEOUT(live.form->linkCounters().statusFrameNo >= 1, kTimeout);
        live.sim.stop();
        QTRY_COMPARE_WITH_TIMEOUT(live.button("CommPort_ToggleButton")->text(),
                                  QStringLiteral("OpenComm"), kTimeout);
        QVERIFY(!live.button("CommPort_ToggleButton")->isChecked());
    }

    // Replies in pieces, noise between them and corrupted checksums: every
    // value shown was sent in a good reply, and only good replies count.
    void faultyLineShowsOnlyGoodReplies() {
        LiveForm live;
        QString error;
        QVERIFY2(live.start({"--seed", "3", "--split", "--noise", "--corrupt", "30"}, &error),
                 qPrintable(error));
        QTRY_COMPARE(live.text("CommPortText"), QStringLiteral("COM1"));
        live.button("CommPort_ToggleButton")->click();

        QTRY_VERIFY_WITH_TIMEOUT(
            live.form->linkCounters().statusFrameNo >= 8 && live.form->linkCounters().checksumErrors >= 2, 30000);
        live.button("CommPort_ToggleButton")->click();

        const QSet<Shown> good = live.statusShown(QStringLiteral("good"));
        QVERIFY(!live.samples.isEmpty());
        for (const Shown& shown : std::as_const(live.samples)) {
            QVERIFY2(good.contains(shown), qPrintable(shown.join(u' ')));
        }
        const int goodSent = live.statusCount(QStringLiteral("good"));
        const int corruptSent = live.statusCount(QStringLiteral("corrupt"));
        QVERIFY(live.form->linkCounters().statusFrameNo <= goodSent);
        QVERIFY(live.form->linkCounters().statusFrameNo >= goodSent - 1); // one may be on its way
        QVERIFY(live.form->linkCounters().checksumErrors <= corruptSent);
        QVERIFY(live.form->linkCounters().checksumErrors >= corruptSent - 1);
    }
};

QTEST_MAIN(TestEndToEnd)
#include "test_end_to_end.moc"
