// Brisco through ser2net, raw and with RFC 2217, to brisco-sim.
#include "live_form.h"
#include "ser2net_process.h"

#include <QLabel>
#include <QTest>

constexpr int kTimeout = 8000;

class TestSer2net : public QObject {
    Q_OBJECT

private slots:
    // The window shows the simulator's values, a sensor at fault among them
    // (0xFE, 0xFF, which a telnet line doubles), a set-point sent arrives,
    // and ser2net stopped is a line gone away.
    void throughSer2net_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("shown");
        QTest::newRow("raw TCP") << "tcp"
                                 << "outer-open"
                                 << "Temp2_Text"
                                 << "Open";
        QTest::newRow("RFC 2217") << "rfc2217"
                                  << "inner-short"
                                  << "Temp1_Text"
                                  << "Short";
    }
    void throughSer2net() {
        QFETCH(QString, kind);
        QFETCH(QString, fault);
        QFETCH(QString, box);
        QFETCH(QString, shown);
        LiveForm live;
        Ser2netProcess ser2net;
        QString error;
        QVERIFY2(live.sim.start({"--seed", "6", "--sensor-fault", fault}, &error),
                 qPrintable(error));
        QVERIFY2(
            ser2net.start(kind, live.sim.devicePath()),
            qPrintable(ser2net.process.errorString() + ser2net.process.readAllStandardError()));
        live.showForm(ser2net.line);
        QVERIFY(live.openCom1());
        QTRY_COMPARE_WITH_TIMEOUT(live.text("TextBox1"), "TEC-48", kTimeout);
        QTRY_VERIFY_WITH_TIMEOUT(live.form->linkCounters().statusFrameNo >= 2, kTimeout);
        QCOMPARE(live.text(box), shown);
        QVERIFY(live.statusShown("good").contains(shownOf({}, live.form.get())));
        live.button("Copy_Command")->click();
        live.edit("S_TempMax_Text")->setText("61");
        live.button("Setup_Command")->click();
        QTRY_COMPARE_WITH_TIMEOUT(live.text("TempMax_Text"), "61", kTimeout);
        QCOMPARE(live.form->linkCounters().checksumErrors, 0);

        QVERIFY(ser2net.stop());
        QTRY_COMPARE_WITH_TIMEOUT(live.button("CommPort_ToggleButton")->text(), "OpenComm",
                                  kTimeout);
        QVERIFY(live.form->findChild<QLabel*>("Link_Text")->text().endsWith("the port was closed"));
        QVERIFY(live.sim.stop());
    }
};

QTEST_MAIN(TestSer2net)
#include "test_ser2net.moc"
