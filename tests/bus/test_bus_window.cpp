// The bus window on the fake port, tick by tick: "Scan bus", the table of
// the controllers found, and the main window following one of them.
#include "app/form_fixture.h"

#include "record/session_log.h"

#include <QLabel>
#include <QTableView>

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
};

QTEST_MAIN(TestBusWindow)
#include "test_bus_window.moc"
