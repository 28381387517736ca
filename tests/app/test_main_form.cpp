// The main window: its controls, the port selector and button, and what a
// tick puts on screen. The request schedule is the sequencer's own test.
#include "form_fixture.h"

#include <QLabel>
#include <QScopeGuard>

#include "app/port_names.h"
#include "settings/setpoint_table.h"

class TestMainForm : public QObject {
    Q_OBJECT

private slots:
    // An entry box left by Tab, by a click on another box or on "Send set":
    // a value out of range is answered once, the text stays, and the focus
    // and the click go where the operator sent them.
    void entryChecks_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("leave"); // tab, box, button or away (another window)
        QTest::addColumn<bool>("refused");
        const auto row = [](const char* box, const char* text, const char* leave, bool refused) {
            QTest::addRow("%s %s by %s", box, text, leave) << box << text << leave << refused;
        };
        row("S_TECcoolStart_Text", "45", "tab", false);
        row("S_TECcoolStart_Text", "45.01", "tab", true);
        row("S_TECcurrL_Text", "0.1", "box", false);
        row("S_TECcurrL_Text", "0.09", "box", true);
        row("S_IntFanPulse_Text", "2.5", "tab", false);
        row("S_IntFanPulse_Text", "3.4", "box", false);
        row("S_IntFanPulse_Text", "3.5", "button", true);
        row("S_ExtFanHighS_Text", "1999.4", "tab", true);
        row("S_ExtFanHighS_Text", "1999.5", "button", false);
        row("S_ExtFanHighS_Text", "2000.4", "box", false);
        row("S_TempMax_Text", "30abc", "tab", false);
        row("S_TECcoolStop_Text", "", "tab", true);
        row("S_TempMin_Text", "", "box", false);
        row("SetupT_Text", "80.5", "box", true);
        row("S_TECcoolStart_Text", "99", "away", false);
    }
    void entryChecks() {
        QFETCH(QString, box);
        QFETCH(QString, text);
        QFETCH(QString, leave);
        QFETCH(bool, refused);
        FormFixture f;
        f.show();
        f.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.form.get()));
        f.openPort();
        f.port->feed(statusReply());
        f.tick();
        f.button("Copy_Command")->click();
        QLineEdit* entry = f.edit(box);
        entry->setText(text);
        entry->setFocus(Qt::OtherFocusReason);
        QWidget other;
        QWidget* target = leave == "button" ? f.button("Setup_Command")
                          : leave == "box"  ? static_cast<QWidget*>(f.edit("CommCtr_Text"))
                                            : nullptr;
        if (leave == "tab") {
            QTest::keyClick(entry, Qt::Key_Tab);
        } else if (leave == "away") {
            other.show();
            other.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&other));
        } else {
            // As a real click comes, through the window: the press, whatever
            // the loop then does, the release.
            const QPoint at = target->mapTo(f.form.get(), target->rect().center());
            QTest::mousePress(f.form->windowHandle(), Qt::LeftButton, {}, at);
            QCoreApplication::processEvents();
            QVERIFY(f.messages.texts.isEmpty()); // no modal box between press and release
            QTest::mouseRelease(f.form->windowHandle(), Qt::LeftButton, {}, at);
        }
        QCoreApplication::processEvents();
        QCOMPARE(f.messages.texts, refused ? QStringList{"Data error！"} : QStringList{});
        QCOMPARE(entry->text(), text);
        QCOMPARE(f.form->focusWidget() == entry, leave == "away");
        if (target) {
            QCOMPARE(f.form->focusWidget(), target);
        }
        if (leave == "button") { // the click was not lost: the transfer starts
            f.port->written.clear();
            f.tick();
            QCOMPARE(f.port->written.size(), 1);
        }
    }

    // What the operator and the line do, and what must follow.
    void scripts_data() {
        QTest::addColumn<QString>("script");
        const auto row = [](const char* name, const char* script) {
            QTest::newRow(name) << QString::fromUtf8(script);
        };
        const char* copied = "open; set TextBox1 TEC; status; tick; click Copy_Command; ";
        row("ports 1 and 3: the selector steps, wraps, and the button opens what it shows",
            "ports 1 3; tick; shows CommPortText COM1; visible CommPortVScroll 1; step; "
            "shows CommPortText COM3; tip CommPortText /dev/fake3; step; shows CommPortText COM1; "
            "step; toggle; opened 3; shows CommPort_ToggleButton StopComm; "
            "spoken CommPort_ToggleButton StopComm; checked CommPort_ToggleButton 1; toggle; "
            "closed; shows CommPort_ToggleButton OpenComm; checked CommPort_ToggleButton 0");
        row("port 2 alone: no selector", "ports 2; tick; shows CommPortText COM2; "
                                         "visible CommPortVScroll 0; opens 3");
        row("port 4 is never tried", "ports 4; tick 2; shows CommPortText; opens 6");
        row("the scan goes on until a port is found, then never again",
            "ports; tick 3; opens 9; ports 2; tick; shows CommPortText COM2; ports 1 2; tick 2; "
            "opens 12; shows CommPortText COM2");
        row("no port found: the button does nothing",
            "ports; tick; toggle; shows CommPort_ToggleButton OpenComm; closed; opens 3; "
            "status; tick 8; quiet; waiting 36");
        row("a port that refuses to open stays closed",
            "ports 2; tick; refuse 2; toggle; shows CommPort_ToggleButton OpenComm; "
            "checked CommPort_ToggleButton 0; closed; status; tick 8; quiet; waiting 36; opens 4");
        row("a port that vanishes is closed once",
            "ports 2; open; unplug; shows CommPort_ToggleButton OpenComm; "
            "checked CommPort_ToggleButton 0; status; tick 8; quiet; waiting 36; opens 4");
        row("closing the window closes an open port", "open; close Main_Form; closed");
        row("and leaves a closed one alone", "tick; close Main_Form; closes 1");
        row("a status reply on screen",
            "open; status 10=5 11=220 19=25 21=63 22=16 23=36 24=4 25=254 26=255 27=254 29=255 "
            "30=255 31=5 32=220 33=3 34=232; tick; shows IntFanLowS_Text 1500; "
            "shows TECcurrL_Text 2.5; shows Temp1_Text Open; shows Temp2_Text Short; "
            "shows ControlTemp_Text 87; shows DCvoltage_Text 6553.5; shows IntFanSpeed_Text  1500; "
            "shows ExtFanSpeed_Text  1000; shows CommCtr_Text 1; lamps 1111130022000020000200; "
            "checked RS485Option 1; checked RS422Option 0");
        row("device information and address on screen",
            "open; feed 05 01 0F 00 15; info TEC-48/1.0/VA2.1/; tick; shows TextBox1 TEC-48; "
            "shows TextBox2 1.0; shows TextBox3 VA2.1; shows TextBox4 半导体制冷制热; "
            "checked RS422Option 1; info NOSLASH; feed 06 00 0F 01 01 05 1C; tick 2; "
            "shows TextBox1 TEC-48; shows AddrText2 5; checked RS422Option 1; "
            "checked RS485Option 0");
        row("buttons request only while the port is open",
            "tick; click Addr_Command2; click Command3; open; set TextBox1 TEC; tick 4; "
            "wrote 05 01 0F 00 15; quiet; set AddrText1 3; click Addr_Command1; "
            "click Addr_Command2; tick 4; wrote 05 00 0F 01 15; wrote 05 01 0F 00 15; quiet");
        row("a message after the tick, never during it",
            "open; set TextBox1 TEC; set SetupT_Text 88; click Command3; tick 2; untold; "
            "told Data error！; quiet");
        row("copy set, then send set what changed, in the operator's notation",
            "locale de_DE; open; status 19=25 17=95; tick; click Copy_Command; "
            "shows S_TECcurrL_Text 2,5; shows S_TempMax_Text 55; shows S_TempMin_Text 40; "
            "set S_TempMax_Text 60; set S_TECcurrH_Text 0,5; click Setup_Command; tick 2; "
            "wrote 05 01 1E 0C 01 64 95; wrote 05 01 1E 0F 01 05 39; untold");
        row("send set with the port closed",
            (QByteArray(copied) + "set S_TempMax_Text 60; toggle; click Setup_Command; toggle; "
                                  "tick 3; wrote 05 01 0F 00 15; quiet; spin; untold")
                .constData());
        row("send set before anything was copied",
            "open; set TextBox1 TEC; tick; click Copy_Command; set S_TempMax_Text 60; "
            "click Setup_Command; told No data！; tick 3; wrote 05 01 0F 00 15; quiet");
        row("send set with the low warning cleared",
            (QByteArray(copied) + "set S_TempMin_Text; click Setup_Command; told No data！; "
                                  "tick 3; wrote 05 01 0F 00 15; quiet")
                .constData());
        row("send set with a value that does not fit",
            (QByteArray(copied) + "set S_TECheatStart_Text -40.6; click Setup_Command; "
                                  "told Data error！; tick 3; wrote 05 01 0F 00 15; quiet")
                .constData());
        row("the address entry is checked as it is typed",
            "type AddrText1 25; told Data error！; shows AddrText1 1; key AddrText1 Backspace; "
            "told Data error！; shows AddrText1 1; type AddrText1 3; shows AddrText1 13; spin; "
            "untold");
        row("send addr 3 to the address in use",
            "open; set TextBox1 TEC; set AddrText1 3; click Addr_Command1; tick 4; "
            "wrote 05 01 1E 1C 01 03 44; wrote 05 01 0F 00 15; quiet; spin; untold");
        row("send addr with the box untouched",
            "open; set TextBox1 TEC; click Addr_Command1; told Data error！; tick 4; "
            "wrote 05 01 0F 00 15; quiet");
        row("send addr with a negative entry",
            "open; set TextBox1 TEC; set AddrText1 -3; click Addr_Command1; told Data error！; "
            "tick 4; wrote 05 01 0F 00 15; quiet");
    }
    void scripts() {
        QFETCH(QString, script);
        const auto restore = qScopeGuard([previous = QLocale()] { QLocale::setDefault(previous); });
        FormFixture f;
        f.run(script);
        for (const QString& title : std::as_const(f.messages.titles)) {
            QCOMPARE(title, QStringLiteral("Brisco_v20E"));
        }
        QVERIFY(!f.messages.anyIcon);
    }

    // A 1366×768 laptop screen leaves about 1366×700 to a window; at a
    // scale factor of 1.5 or 2 nothing is cut short and the lamps are drawn.
    void fitsAndScales() {
        FormFixture f;
        QVERIFY(f.form->sizeHint().width() <= 1366 && f.form->sizeHint().height() <= 700);
        f.show();
        for (const QLabel* label : f.form->findChildren<QLabel*>()) {
            QVERIFY2(label->width() >= label->sizeHint().width(), qPrintable(label->text()));
        }
        for (const QAbstractButton* button : f.form->findChildren<QAbstractButton*>()) {
            QVERIFY2(button->width() >= button->minimumSizeHint().width(),
                     qPrintable(button->text()));
        }
        const QImage shot = f.form->grab().toImage();
        QWidget* lamp = f.find("StatusBox1");
        const QPoint centre =
            lamp->mapTo(f.form.get(), lamp->findChild<QWidget*>("Shape1")->geometry().center());
        QCOMPARE(shot.pixelColor(centre * shot.devicePixelRatio()), QColor(Qt::white));
    }

    // Tab goes from one entry to the next in the order of the set-point
    // table, then "Analog temp"; the boxes that only show values are passed.
    void tabOrder() {
        FormFixture f;
        f.show();
        f.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.form.get()));
        QStringList expected{"Addr_Command2"};
        for (const brisco::settings::SetPoint& setPoint : brisco::settings::setPoints()) {
            expected << QString::fromLatin1(setPoint.entryName);
            f.edit(expected.last())->setText(QString::number(setPoint.range.minimum));
        }
        expected << "SetupT_Text" << "Copy_Command";
        f.edit("AddrText1")->setFocus();
        QStringList seen;
        while (seen.size() < expected.size()) {
            QTest::keyClick(f.form->focusWidget(), Qt::Key_Tab);
            QCoreApplication::processEvents();
            seen << f.form->focusWidget()->objectName();
        }
        QCOMPARE(seen, expected);
        QCOMPARE(f.messages.texts, QStringList{});
    }

    void serialDeviceOrder() {
        const QStringList ordered = brisco::app::orderSerialDevices(
            {"/dev/ttyS1", "/dev/ttyUSB10", "/dev/ttyACM0", "/dev/ttyS0", "/dev/ttyUSB2",
             "/dev/ttyS0"});
        QCOMPARE(ordered, (QStringList{"/dev/ttyACM0", "/dev/ttyUSB2", "/dev/ttyUSB10",
                                       "/dev/ttyS0", "/dev/ttyS1"}));
        QCOMPARE(brisco::app::devicePathFor(2, {}, ordered), "/dev/ttyUSB2");
        QCOMPARE(brisco::app::devicePathFor(0, {}, ordered), QString());
        QCOMPARE(brisco::app::devicePathFor(3, "/dev/pts/7", ordered), "/dev/pts/7");
    }
};

QTEST_MAIN(TestMainForm)
#include "test_main_form.moc"
