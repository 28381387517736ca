// Brisco's real serial port path against brisco-sim on a pseudo-terminal.
#include "live_form.h"

#include <QLabel>
#include <QRadioButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

constexpr int kTimeout = 8000;

class TestEndToEnd : public QObject {
    Q_OBJECT

private slots:
    // A session on a four-wire line, which echoes the requests: the operator
    // watches the controller, saves its set-points to a file and loads them
    // into the entry boxes, changes two and sends them, then a factory value
    // behind the access code, and the next replies show them. Then the
    // device goes away while open, as an unplugged adapter does.
    void operatorSession() {
        LiveForm live;
        QVERIFY(live.startAndOpen({"--seed", "2", "--echo"}));
        QTRY_COMPARE_WITH_TIMEOUT(live.text("TextBox1"), "TEC-48", kTimeout);
        QCOMPARE(live.text("TextBox2"), "1.0");
        QCOMPARE(live.text("TextBox3"), "VA2.1");
        QCOMPARE(live.text("TextBox4"), "半导体制冷制热");
        // What the window shows is what one of the good replies says.
        QTRY_VERIFY_WITH_TIMEOUT(live.form->linkCounters().statusFrameNo >= 3, kTimeout);
        QVERIFY(live.statusShown("good").contains(shownOf({}, live.form.get())));
        QCOMPARE(live.text("TECcoolStart_Text"), "35");
        QVERIFY(live.form->findChild<QRadioButton*>("RS422Option")->isChecked());
        live.button("Addr_Command2")->click();
        QTRY_COMPARE_WITH_TIMEOUT(live.text("AddrText2"), "1", kTimeout);

        const QTemporaryDir dir;
        QVERIFY(live.form->saveSetPoints(dir.filePath("set.json")));
        QVERIFY(live.form->loadSetPoints(dir.filePath("set.json")));
        QCOMPARE(live.text("S_TECcoolStart_Text"), "35");
        live.edit("S_TECcoolStart_Text")->setText("40");
        live.edit("S_TempMax_Text")->setText("61");
        live.button("Setup_Command")->click();
        QTRY_COMPARE_WITH_TIMEOUT(live.text("TECcoolStart_Text"), "40", kTimeout);
        QTRY_COMPARE_WITH_TIMEOUT(live.text("TempMax_Text"), "61", kTimeout);
        live.button("F_Setup_Command")->click();
        QTest::keyClicks(live.edit("Password_TextBox"), "KT508");
        QWidget* factory = live.form->findChild<QWidget*>("F_Setup_Form");
        QVERIFY(factory->isVisible());
        const auto box = [factory](const char* name) {
            return factory->findChild<QLineEdit*>(name);
        };
        QTRY_VERIFY_WITH_TIMEOUT(!box("DCVlow_Text")->text().isEmpty(), kTimeout);
        const QString low = QString::number(box("DCVlow_Text")->text().toInt() + 1);
        box("S_DCVlow_Text")->setText(low);
        factory->findChild<QAbstractButton*>("F_Setup_Command")->click();
        QTRY_COMPARE_WITH_TIMEOUT(box("DCVlow_Text")->text(), low, kTimeout);

        QVERIFY(live.sim.stop());
        QTRY_COMPARE_WITH_TIMEOUT(live.button("CommPort_ToggleButton")->text(), "OpenComm",
                                  kTimeout);
        QVERIFY(live.form->findChild<QLabel*>("Link_Text")->text().contains("adapter is gone"));
    }

    // Replies in pieces, noise between them and corrupted checksums: every
    // value shown was sent in a good reply, and only good replies count.
    void faultyLineShowsOnlyGoodReplies() {
        LiveForm live;
        QVERIFY(live.startAndOpen({"--seed", "3", "--split", "--noise", "--corrupt", "30"}));
        const auto& counters = live.form->linkCounters();
        QTRY_VERIFY_WITH_TIMEOUT(counters.statusFrameNo >= 8 && counters.checksumErrors >= 2,
                                 30000);
        live.button("CommPort_ToggleButton")->click();

        const QSet<Shown> good = live.statusShown("good");
        QVERIFY(!live.samples.isEmpty());
        for (const Shown& shown : std::as_const(live.samples)) {
            QVERIFY2(good.contains(shown), qPrintable(shown.join(u' ')));
        }
        // Each damaged reply whose checksum is evaluated counts; one may be on its way.
        const int goodSent = live.statusCount("good");
        const int corruptSent =
            live.statusCount("corrupt", {"status", "address", "info", "factory"});
        QVERIFY(counters.statusFrameNo <= goodSent && counters.statusFrameNo >= goodSent - 1);
        QVERIFY(counters.checksumErrors <= corruptSent &&
                counters.checksumErrors >= corruptSent - 1);
    }

    // Three controllers on an echoing line: the scan finds them, the window
    // follows 7, and a set-point sent then reaches 7 and only 7.
    void busSession() {
        LiveForm live;
        QVERIFY(live.startAndOpen({"--seed", "4", "--echo", "--bus", "1,3,7"}));
        live.button("ScanBus_Command")->click();
        auto* table = live.form->findChild<QTableView*>("Bus_Table");
        QTRY_COMPARE_WITH_TIMEOUT(table->window()->findChild<QLabel*>("BusProgress_Text")->text(),
                                  "3 controllers found", 3 * kTimeout);
        QCOMPARE(table->model()->index(2, 0).data().toString(), "7");
        table->selectRow(2);
        live.button("Monitor_Command")->click();
        QTRY_COMPARE_WITH_TIMEOUT(live.text("TextBox1"), "TEC-60", kTimeout);
        QTRY_COMPARE_WITH_TIMEOUT(live.text("TECcoolStart_Text"), "37", kTimeout);
        live.button("Copy_Command")->click();
        live.edit("S_TempMax_Text")->setText("61");
        live.button("Setup_Command")->click();
        QTRY_COMPARE_WITH_TIMEOUT(live.text("TempMax_Text"), "61", kTimeout);
        QVERIFY(live.sim.stop());
        QSet<QString> tempMax; // offset 17 of the good status replies, by address
        for (const SentReply& reply : live.sim.sentReplies()) {
            if (reply.kind == "status" && reply.fate == "good") {
                tempMax
                    << QStringLiteral("%1:%2").arg(int(reply.bytes[1])).arg(int(reply.bytes[17]));
            }
        }
        QCOMPARE(tempMax, (QSet<QString>{"1:95", "3:95", "7:95", "7:101"}));
    }
};

QTEST_MAIN(TestEndToEnd)
#include "test_end_to_end.moc"
