// Brisco's real serial port path against brisco-sim on a pseudo-terminal.
#include "live_form.h"

#include "settings/number_reading.h"
#include "sim/encoding.h"
#include "sim/status_fields.h"

#include <QLabel>
#include <QPushButton>
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
        QVERIFY(live.startAndOpen(options));
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
        QCOMPARE(number("IntFanLowS_Text"), setPoints[5] * 256.0 + setPoints[6]);
        QCOMPARE(number("TECcurrH_Text"), setPoints[15] / 10.0);
        QCOMPARE(number("Temp1_Text"), brisco::sim::encoding::measuredCelsius(fields->Temp1));
        QCOMPARE(number("DCvoltage_Text"), fields->DCvoltage / 10.0);
        const int cooling =
            live.form->findChild<QWidget*>("StatusBox3")->property("ForeColor").toInt();
        QCOMPARE(cooling, fields->WorkState & brisco::sim::work_state::Cooling ? 1 : 0);
        QCOMPARE(live.text("CommCtr_Text"),
                 QString::number(live.form->linkCounters().statusFrameNo));
        QVERIFY(!live.text("IntFanSpeed_Text").isEmpty());
        QVERIFY(live.form->findChild<QRadioButton*>(lineOption)->isChecked());
        QCOMPARE(live.form->linkCounters().checksumErrors, 0);

        live.button("Addr_Command2")->click();
        QTRY_COMPARE_WITH_TIMEOUT(live.text("AddrText2"), QStringLiteral("1"), kTimeout);
    }

    // The operator takes over the set-points, changes two and sends them,
    // then changes a factory value behind the access code: the controller's
    // next replies show both.
    void sendsSetPointsAndFactoryValues() {
        LiveForm live;
        QVERIFY(live.startAndOpen({"--seed", "5"}));
        QTRY_VERIFY_WITH_TIMEOUT(live.form->linkCounters().statusFrameNo >= 1, kTimeout);
        live.button("Copy_Command")->click();
        live.edit("S_TECcoolStart_Text")->setText(QStringLiteral("40"));
        live.edit("S_TempMax_Text")->setText(QStringLiteral("61"));
        live.button("Setup_Command")->click();
        QTRY_COMPARE_WITH_TIMEOUT(live.text("TECcoolStart_Text"), QStringLiteral("40"), kTimeout);
        QTRY_COMPARE_WITH_TIMEOUT(live.text("TempMax_Text"), QStringLiteral("61"), kTimeout);

        live.button("F_Setup_Command")->click();
        QTest::keyClicks(live.form->findChild<QLineEdit*>("Password_TextBox"), "KT508");
        QWidget* factory = live.form->findChild<QWidget*>("F_Setup_Form");
        QVERIFY(factory->isVisible());
        const auto shown = [factory](const char* box) {
            return factory->findChild<QLineEdit*>(box)->text();
        };
        QTRY_VERIFY_WITH_TIMEOUT(!shown("DCVlow_Text").isEmpty(), kTimeout);
        const QString low = QString::number(shown("DCVlow_Text").toInt() + 1);
        factory->findChild<QLineEdit*>("S_DCVlow_Text")->setText(low);
        factory->findChild<QPushButton*>("F_Setup_Command")->click();
        QTRY_COMPARE_WITH_TIMEOUT(shown("DCVlow_Text"), low, kTimeout);
    }

    // A controller that stops answering: after three seconds the link line
    // says so and the values turn grey, until it answers again.
    void silenceShowsOnTheLinkLine() {
        LiveForm live;
        QVERIFY(live.startAndOpen({"--seed", "6", "--silence", "4", "--silence-period", "30"}));
        const auto link = [&live] {
            return live.form->findChild<QLabel*>("Link_Text")->text();
        };
        QTRY_VERIFY_WITH_TIMEOUT(link().contains("No reply for 3 s"), kTimeout);
        QTRY_VERIFY_WITH_TIMEOUT(link().contains("last reply"), kTimeout);
    }

    // The device goes away while open, as an unplugged adapter does: the
    // port is closed once and the button offers to open it again.
    void vanishingDeviceClosesThePort() {
        LiveForm live;
        QVERIFY(live.startAndOpen({"--seed", "4"}));
        QTRY_VERIFY_WITH_TIMEOUT(live.form->linkCounters().statusFrameNo >= 1, kTimeout);
        live.sim.stop();
        QTRY_COMPARE_WITH_TIMEOUT(live.button("CommPort_ToggleButton")->text(),
                                  QStringLiteral("OpenComm"), kTimeout);
        QVERIFY(!live.button("CommPort_ToggleButton")->isChecked());
        QVERIFY(live.form->findChild<QLabel*>("Link_Text")->text().contains("adapter is gone"));
    }

    // Replies in pieces, noise between them and corrupted checksums: every
    // value shown was sent in a good reply, and only good replies count.
    void faultyLineShowsOnlyGoodReplies() {
        LiveForm live;
        QVERIFY(live.startAndOpen({"--seed", "3", "--split", "--noise", "--corrupt", "30"}));

        QTRY_VERIFY_WITH_TIMEOUT(live.form->linkCounters().statusFrameNo >= 8 &&
                                     live.form->linkCounters().checksumErrors >= 2,
                                 30000);
        live.button("CommPort_ToggleButton")->click();

        const QSet<Shown> good = live.statusShown(QStringLiteral("good"));
        QVERIFY(!live.samples.isEmpty());
        for (const Shown& shown : std::as_const(live.samples)) {
            QVERIFY2(good.contains(shown), qPrintable(shown.join(u' ')));
        }
        const int goodSent = live.statusCount(QStringLiteral("good"));
        // Every reply whose checksum is evaluated counts when it is damaged.
        const int corruptSent =
            live.statusCount(QStringLiteral("corrupt"), {"status", "address", "info", "factory"});
        QVERIFY(live.form->linkCounters().statusFrameNo <= goodSent);
        QVERIFY(live.form->linkCounters().statusFrameNo >= goodSent - 1); // one may be on its way
        QVERIFY(live.form->linkCounters().checksumErrors <= corruptSent);
        QVERIFY(live.form->linkCounters().checksumErrors >= corruptSent - 1);
    }
};

QTEST_MAIN(TestEndToEnd)
#include "test_end_to_end.moc"
