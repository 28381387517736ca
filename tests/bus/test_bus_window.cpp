// The bus window on the fake port, tick by tick: "Scan bus", the table of
// the controllers found, and the main window following one of them.
#include "app/form_fixture.h"

#include "record/event_csv.h"
#include "record/session_log.h"
#include "record/status_csv.h"

#include <QLabel>
#include <QTableView>
#include <QTemporaryDir>

class TestBusWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    // 1 (shown), 3 and 7 answer the scan; monitoring 3 empties what was shown
    // of 1 until 3 answers; monitoring 7 with set-points for 3 unsent asks
    // first and gives them up. Closed, the window leaves free ticks empty.
    void scanAndMonitor() {
        const auto feed = [](const QByteArray& reply) {
            return "feed " + hexOf(reply);
        };
        FormFixture f;
        f.run("open; click ScanBus_Command; shown Bus_Form 1; tick; wrote 05 01 0F 02 17; " +
              feed(deviceInfoReply("TEC-48/1.0/VA2.1/", 1)) +
              "; status 21=0 22=17 23=0 24=0 25=120 31=5 32=220 33=0 34=0; " +
              feed(framed(hex("06 01 0F 03 0C 2A 02 3A 02 31 30 64 64 64 64 00 1E"))) +
              "; tick 4; shows DCVlow_Text 42; " + feed(deviceInfoReply("TEC-24/1.1/VA2.3/", 3)) +
              "; tick 8; " + feed(deviceInfoReply("TEC-60/2.0/VB1.0/", 7)) +
              "; shows BusProgress_Text Scanning 7 of 20; tick 28; "
              "spoken BusProgress_Text 3 controllers found; shows TextBox1 TEC-48; "
              "shows Temp1_Text 20; lamps 0000002020000000000000");
        auto* table = f.find<QTableView>("Bus_Table");
        QAccessibleInterface* cells = QAccessible::queryAccessibleInterface(table);
        QCOMPARE(cells->tableInterface()->cellAt(0, 9)->text(QAccessible::Name),
                 "monitored, stale");
        f.port->written.clear();
        f.checkedWrites = 0;
        table->selectRow(1);
        f.run("click Monitor_Command; shows TextBox1; shows Temp1_Text; shows DCVlow_Text; "
              "shows AddrText2 3; "
              "lamps 0000000000000000000000; tick 4; wrote 05 03 0F 02 19; wrote 05 07 0F 00 1B; "
              "wrote 05 03 0F 00 17; wrote 05 01 0F 00 15; shows Temp1_Text");
        // Nothing of 1 is saved as the set of 3, and the switch is in the events.
        QVERIFY(!f.form->saveSetPoints(QStringLiteral("/nonexistent/set.json")));
        QCOMPARE(f.messages.texts.value(f.checkedMessages++),
                 "No status reply has come yet: there are no set-points to save.");
        const SessionEvent& told = f.form->sessionLog()->events()->at(0);
        QCOMPARE(told.what + ": " + told.from + " > " + told.to, "Controller monitored: 1 > 3");
        f.run(feed(statusReply({{25, 130}, {31, 11}, {32, 184}, {33, 0}, {34, 0}}, 3)) +
              "; tick; shows Temp1_Text 25; shows IntFanSpeed_Text  3000; click Copy_Command; "
              "set S_TempMax_Text 61; "
              "click Setup_Command");
        QVERIFY(f.find<QLabel>("Link_Text")->text().contains(", address 3  ·  "));
        table->selectRow(2);
        f.run("click Monitor_Command; told Values for controller 3 are still to be sent. Give "
              "them up and monitor controller 7?; tick 3; wrote 05 03 0F 02 19; "
              "wrote 05 03 0F 00 17; wrote 05 07 0F 00 1B; wrote 05 01 0F 00 15; close Bus_Form; "
              "tick 8; wrote 05 07 0F 02 1D; wrote 05 07 0F 00 1B; wrote 05 07 0F 02 1D; "
              "wrote 05 07 0F 00 1B; quiet; toggle");
        QVERIFY(!f.button("ScanBus_Command")->isEnabled());
    }

    // Three controllers watched, each answering what it is asked (the
    // window's controller once from the broadcast address), the window
    // following 1 and then 3: the recording holds every reply once, under
    // the address and model of the controller that sent it, and nothing
    // else; the red lamp of 7, never shown, is told once, naming 7.
    void recordsEveryController() {
        const std::map<int, QByteArray> models{{1, "TEC-48"}, {3, "TEC-24"}, {7, "TEC-60"}};
        FormFixture f;
        QTemporaryDir dir;
        QString error;
        QVERIFY(f.form->sessionLog()->startRecording(dir.filePath("bus.csv"), &error));
        std::map<int, int> replies;
        int fromBroadcast = 0; // the address whose next status reply carries address 0
        qsizetype seen = 0;
        // Ticks, answering each request at once; the replies to the last are
        // read, and what the last tick asks is left unanswered.
        const auto run = [&](int ticks) {
            for (int i = 0; i < ticks; ++i) {
                f.tick();
                for (; seen < f.port->written.size(); ++seen) {
                    const QByteArray frame = f.port->written[seen];
                    const int to = frame[1];
                    if (!models.count(to) || frame[2] != 0x0F) {
                        continue;
                    }
                    if (frame[3] == 0x02) {
                        f.port->feed(deviceInfoReply(models.at(to) + "/1.0/VA2.1/", to));
                    } else if (frame[3] == 0x00) {
                        const int from = to == fromBroadcast ? 0 : to;
                        fromBroadcast = from == 0 ? 0 : fromBroadcast;
                        // The inner temperature tells whose values they are.
                        f.port->feed(statusReply(
                            {{21, 0}, {22, 0}, {23, to == 7 ? 1 : 0}, {24, 0}, {25, 100 + to}},
                            from));
                        ++replies[to];
                    }
                }
            }
            f.tick();
            seen = f.port->written.size();
        };
        f.run("open; click ScanBus_Command");
        run(60);
        f.find<QTableView>("Bus_Table")->selectRow(1);
        f.run("click Monitor_Command");
        fromBroadcast = 3;
        run(40);
        f.form->sessionLog()->stopRecordingAndWait();
        const qint64 now = QDateTime::currentMSecsSinceEpoch() + 1000;
        const StatusCsv::Replay replay = StatusCsv::readFile(dir.filePath("bus.csv"), now);
        QCOMPARE(replay.error + replay.note, QString());
        std::map<int, int> rows;
        for (const StatusCsv::Row& row : replay.rows) {
            QVERIFY(models.count(row.address));
            QCOMPARE(*row.values.innerTemp, (20 + row.address) / 2.0);
            QVERIFY(row.model.isEmpty() || row.model == models.at(row.address));
            ++rows[row.address];
        }
        QCOMPARE(rows, replies);
        QVERIFY(rows[3] > 2 && rows[7] > 2 && fromBroadcast == 0);
        QCOMPARE(replay.models[7], "TEC-60");
        QStringList lamps;
        for (const SessionEvent& event :
             EventCsv::readFile(dir.filePath("bus-events.csv"), now).events) {
            if (event.what.startsWith("Lamp")) {
                lamps << QStringLiteral("%1 %2 %3 %4")
                             .arg(event.address)
                             .arg(event.what, event.from, event.to);
            }
        }
        QCOMPARE(lamps, QStringList{"7 Lamp High temp off red"});
    }
};

QTEST_MAIN(TestBusWindow)
#include "test_bus_window.moc"
