// The windows on the fake port, tick by tick: the main window's controls,
// entry checks and port, the access code and the factory window, the link
// line. The request schedule is the sequencer's own test; the session tools
// (recording, trends, events) have their own.
#include "file_size_limit.h"
#include "form_fixture.h"
#include "hearing.h"

#include "port/port_names.h"
#include "settings/setpoint_table.h"
#include "widgets/file_places.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardPaths>

namespace {

// A factory reply with these data bytes at offsets 5..16.
QByteArray factoryReply(const QByteArray& data) {
    return framed(hex("06 01 0F 03 0C") + data);
}

QString linkText(const FormFixture& f) {
    return f.find<QLabel>("Link_Text")->text();
}

// "objectName: shown / heard" for each label, box, button, group and lamp of
// each window whose text, colour, check state or description the
// accessibility interface does not report.
QStringList unheard() {
    static const QHash<QRgb, QString> words{
        {0xFFFFFFFF, "off"}, {0xFF00FF00, "green"}, {0xFFFF0000, "red"}, {0xFFFFFF00, "yellow"}};
    QStringList wrong;
    for (QWidget* w : QApplication::allWidgets()) {
        const char* shows = w->inherits("QLineEdit")   ? "displayText"
                            : w->inherits("QGroupBox") ? "title"
                                                       : "text";
        QString shown = w->property(shows).toString();
        if (w->inherits("StatusBox")) {
            shown = words.value(
                w->findChild<QWidget*>("Shape1")->property("fillColor").value<QColor>().rgba());
        } else if (!w->property(shows).isValid()) {
            continue;
        }
        const QAccessibleInterface* heard = QAccessible::queryAccessibleInterface(w);
        const auto* button = qobject_cast<QAbstractButton*>(w);
        if (!(heard->text(QAccessible::Name).endsWith(shown.trimmed()) ||
              heard->text(QAccessible::Value) == shown) ||
            heard->text(QAccessible::Description) != w->objectName() ||
            (button && heard->state().checked != button->isChecked())) {
            wrong << w->objectName() + ": " + shown + " / " + heard->text(QAccessible::Name);
        }
    }
    return wrong;
}

// A status reply with a set of values inside every entry range.
const QByteArray kSet = "status 5=75 6=70 7=45 8=55 9=2 10=5 11=220 12=11 13=184 14=3 15=15 16=160 "
                        "17=95 18=30 19=10 20=123";

bool greyed(const FormFixture& f, const char* box) {
    const QLineEdit* edit = f.edit(box);
    return edit->palette().color(QPalette::Text) ==
           edit->palette().color(QPalette::Disabled, QPalette::Text);
}

} // namespace

class TestWindows : public QObject {
    Q_OBJECT

private slots:
    // The choices of the Ports dialog go to a scratch place, never the user's.
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    // What the operator and the line do, and what must follow.
    void scripts_data() {
        QTest::addColumn<QString>("script");
        const auto row = [](const char* name, const QByteArray& script) {
            QTest::newRow(name) << QString::fromUtf8(script);
        };
        const QByteArray copied = "open; set TextBox1 TEC; status; tick; click Copy_Command; ";
        // An entry box left by Tab, by a click on another box or on "Send set":
        // a value out of range is answered once, the text stays, and the focus
        // and the click go where the operator sent them. Left for another
        // window, it is not checked. (The ranges at their edges are the
        // settings test's.)
        const auto left = [](const char* box, const char* text, const char* leave, bool refused,
                             const char* then) {
            QTest::addRow("%s %s, then %s", box, text, leave) << QString::fromUtf8(
                "show; activate Main_Form; open; status; tick; click Copy_Command; set " +
                QByteArray(box) + ' ' + text + "; focus " + box + "; " + leave +
                (refused ? "; told Data error！; shows " : "; spin; untold; shows ") + box + ' ' +
                text + "; " + then);
        };
        left("S_TECcoolStart_Text", "45", "key S_TECcoolStart_Text Tab", false,
             "focused S_TECcoolStop_Text");
        left("S_TECcoolStart_Text", "45.01", "key S_TECcoolStart_Text Tab", true,
             "focused S_TECcoolStop_Text");
        left("S_TECcurrL_Text", "0.1", "press CommCtr_Text", false, "focused CommCtr_Text");
        left("S_TECcurrL_Text", "0.09", "press CommCtr_Text", true, "focused CommCtr_Text");
        left("S_IntFanPulse_Text", "3.5", "press Setup_Command", true,
             "focused Setup_Command; tick; wrote 05 01 1E 04 01 04 2D");
        left("S_ExtFanHighS_Text", "1999.5", "press Setup_Command", false,
             "focused Setup_Command; tick; wrote 05 01 1E 0A 02 07 D0 07");
        left("SetupT_Text", "80.5", "press CommCtr_Text", true, "focused CommCtr_Text");
        left("S_TECcoolStart_Text", "99", "click Trends_Command; activate TrendsWindow", false,
             "focused S_TECcoolStart_Text");
        row("ports 1 and 3: the selector steps, wraps, and the button opens what it shows",
            "ports 1 3; tick; shows CommPortText COM1; visible CommPortVScroll 1; step; "
            "shows CommPortText COM3; step; shows CommPortText COM1; "
            "step; toggle; port 3; shows CommPort_ToggleButton StopComm; "
            "spoken CommPort_ToggleButton StopComm; checked CommPort_ToggleButton 1; toggle; "
            "port 0; shows CommPort_ToggleButton OpenComm; checked CommPort_ToggleButton 0");
        row("the scan tries 1 to 3 until a port is found, then never again; one port, no selector",
            "ports 4; tick 2; shows CommPortText; opens 6; ports 2; tick; shows CommPortText COM2; "
            "visible CommPortVScroll 0; opens 9; ports 1 2; tick 2; opens 9; "
            "shows CommPortText COM2");
        row("no port found: the button does nothing",
            "ports; tick; toggle; shows CommPort_ToggleButton OpenComm; port 0; opens 3; "
            "status; tick 8; quiet; waiting 36");
        row("a port that refuses to open stays closed; one that vanishes is closed",
            "ports 2; tick; refuse 2; toggle; shows CommPort_ToggleButton OpenComm; "
            "checked CommPort_ToggleButton 0; port 0; refuse; toggle; port 2; unplug; "
            "shows CommPort_ToggleButton OpenComm; checked CommPort_ToggleButton 0; status; "
            "tick 8; quiet; waiting 36; opens 5");
        row("a bad device name is told, and the port stays closed",
            "ports 1; tick; badname 1 no port; toggle; told no port; port 0; "
            "shows CommPort_ToggleButton OpenComm; status; tick 8; quiet");
        // The scan asks address 2 once address 1 has had four ticks to answer.
        row("a network line waits longer for each controller of the bus",
            "network; open; click ScanBus_Command; tick 4; wrote 05 01 0F 02 17; "
            "wrote 05 01 0F 02 17; wrote 05 01 0F 00 15; quiet; tick; wrote 05 02 0F 02 18");
        row("closing the window closes an open port", "open; close Main_Form; port 0");
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
            "locale de_DE; open; status 19=25 17=95 18=80; tick; click Copy_Command; "
            "shows S_TECcurrL_Text 2,5; shows S_TempMax_Text 55; shows S_TempMin_Text 40; "
            "set S_TempMax_Text 60; set S_TECcurrH_Text 0,5; click Setup_Command; tick 2; "
            "wrote 05 01 1E 0C 01 64 95; wrote 05 01 1E 0F 01 05 39; untold");
        row("send set with the port closed",
            copied + "set S_TempMax_Text 60; toggle; click Setup_Command; toggle; "
                     "tick 3; wrote 05 01 0F 00 15; quiet; spin; untold");
        row("send set before anything was copied",
            "open; set TextBox1 TEC; tick; click Copy_Command; set S_TempMax_Text 60; "
            "click Setup_Command; told No data！; tick 3; wrote 05 01 0F 00 15; quiet");
        row("send set with the low warning cleared, then with a value that does not fit",
            copied + "set S_TempMin_Text; click Setup_Command; told No data！; click Copy_Command; "
                     "set S_TECheatStart_Text -40.6; click Setup_Command; told Data error！; "
                     "tick 3; wrote 05 01 0F 00 15; quiet");
        row("the address entry is checked as it is typed",
            "type AddrText1 25; told Data error！; shows AddrText1 1; key AddrText1 Backspace; "
            "told Data error！; shows AddrText1 1; type AddrText1 3; shows AddrText1 13; spin; "
            "untold");
        row("send addr 3 to the address in use",
            "open; set TextBox1 TEC; set AddrText1 3; click Addr_Command1; tick 4; "
            "wrote 05 01 1E 1C 01 03 44; wrote 05 01 0F 00 15; quiet; spin; untold");
        row("send addr with the box untouched, then with a negative entry",
            "open; set TextBox1 TEC; click Addr_Command1; told Data error！; set AddrText1 -3; "
            "click Addr_Command1; told Data error！; tick 4; wrote 05 01 0F 00 15; quiet");
        // The set-point files.
        const QByteArray set = kSet + ' ';
        row("save set before any status reply",
            "open; click SaveSet_Command; told No status reply has come yet: there are no "
            "set-points to save.");
        row("saved and loaded in the operator's notation, nothing is sent",
            "locale de_DE; open; set TextBox1 TEC-48; " + set +
                "; tick; file set; click SaveSet_Command; started .; exists set.json 1; "
                "set TextBox1; mkdir Documents; file set.json; click LoadSet_Command; "
                "started Documents; shows S_TECcurrH_Text 12,3; shows S_ExtFanHighS_Text 4000; "
                "click Setup_Command; tick 4; wrote 05 01 0F 00 15; quiet; spin; untold");
        row("a set of another model is loaded only when the operator says so",
            "open; set TextBox1 TEC-48; " + set +
                "; tick; file set; click SaveSet_Command; file set.json; "
                "click LoadSet_Command; spin; untold; shows S_TempMax_Text 55; "
                "set S_TempMax_Text 1; set TextBox1 TEC-60; answer no; file set.json; "
                "click LoadSet_Command; told set.json holds the set-points of a TEC-48 "
                "controller, and the one on the line is a TEC-60. Load them all the same?; "
                "shows S_TempMax_Text 1; answer yes; file set.json; click LoadSet_Command; spin; "
                "shows S_TempMax_Text 55");
        row("a set that will not load: saved with a warning, refused whole",
            "open; " + set +
                "17=255; tick; file set; click SaveSet_Command; told set.json was "
                "saved, but it will not load: \"TempMax\" is 215, outside 30 to 80.; "
                "set S_TECcoolStart_Text 40; file set.json; click LoadSet_Command; told set.json "
                "cannot be loaded: \"TempMax\" is 215, outside 30 to 80.; "
                "shows S_TECcoolStart_Text 40; shows S_TempMax_Text");
        // The access code and the factory window.
        const QByteArray gate = "click F_Setup_Command; type Password_TextBox ";
        row("factory values saved and loaded; a set-point file is refused there",
            gate +
                "KT508; click SaveFactory_Command; told No factory reply has come yet: there "
                "are no factory values to save.; open; feed 06 01 0F 03 0C 2A 02 3A 02 31 30 "
                "64 65 66 67 01 1E A3; tick; file factory; click SaveFactory_Command; "
                "file factory.json; click LoadFactory_Command; spin; shows S_DCVlow_Text 42; "
                "shows S_Ver_Text 10; shows S_H_Fan_Text 30; checked CheckBox1 1; " +
                set +
                "; tick; file set; click SaveSet_Command; file set.json; "
                "click LoadFactory_Command; told set.json cannot be loaded: it holds user "
                "set-points, which the main window loads.");
        row("the code opens at its fifth character, with no key to confirm",
            gate + "KT50; shown F_Setup_Form 0; shown Password_Form 1; type Password_TextBox 8; "
                   "shown F_Setup_Form 1; shown Password_Form 0");
        for (const char* typed : {"kt508", "KT509", "XKT508"}) {
            QTest::addRow("%s does not open", typed) << QString::fromLatin1(
                gate + typed + "; shown F_Setup_Form 0; shown Password_Form 1");
        }
        row("the character in front deleted, it opens",
            gate + "XKT508; key Password_TextBox Home; shown F_Setup_Form 0; "
                   "key Password_TextBox Delete; shown F_Setup_Form 1");
        row("asked afresh each time; the gate waits while the factory window is shown",
            "show; " + gate +
                "KT5; activate Main_Form; activate Password_Form; "
                "shows Password_TextBox; type Password_TextBox KT508; shown F_Setup_Form 1; "
                "click F_Setup_Command; shown Password_Form 0; close F_Setup_Form; "
                "click F_Setup_Command; shown Password_Form 1; shows Password_TextBox; "
                "close Main_Form; shown Password_Form 0");
        row("send setup, whatever the port; the factory queries only while it is shown",
            gate + "KT508; set S_H_Fan_Text 30; click F_Setup_Form/F_Setup_Command; open; "
                   "set TextBox1 TEC; tick 2; wrote 05 01 1E 1B 01 1E 5E; tick 8; "
                   "wrote 05 01 0F 00 15; wrote 05 01 0F 00 15; wrote 05 01 0F 03 18; "
                   "close F_Setup_Form; tick 4; wrote 05 01 0F 00 15; quiet");
        row("send setup with an entry of 0: told on the factory window what was not sent",
            gate + "KT508; set S_H_Fan_Text 0; click F_Setup_Form/F_Setup_Command; open; "
                   "set TextBox1 TEC; tick 2; quiet; told Not sent, as an entry of 0 is never "
                   "written: Hydrogen period.; on F_Setup_Form");
        for (const char* value : {"100", "101"}) {
            QTest::addRow("hydrogen period %s, left by Tab", value) << QString::fromUtf8(
                gate + "KT508; activate F_Setup_Form; set S_H_Fan_Text " + value +
                "; focus S_H_Fan_Text; key S_H_Fan_Text Tab; " +
                (QByteArray(value) == "101" ? "told 数据错误！" : "spin; untold") +
                "; shows S_H_Fan_Text " + value);
        }
    }
    void scripts() {
        QFETCH(QString, script);
        FormFixture f;
        const auto restore = qScopeGuard([previous = QLocale(), home = qgetenv("HOME")] {
            QLocale::setDefault(previous);
            qputenv("HOME", home);
        });
        qputenv("HOME", f.home.path().toLocal8Bit());
        // There is no Documents folder yet: the file dialogs start at home.
        QCOMPARE(folderFor(QStandardPaths::DocumentsLocation), f.home.path());
        f.run(script);
        QCOMPARE(f.messages.titles, QStringList(f.messages.titles.size(), "Brisco_v20E"));
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

    // Tab takes the entries as the operator reads them and passes over the
    // boxes that only show values: on the main window in the order of the
    // set-point table, then "Analog temp"; on the factory window the left
    // column down, then the middle and right columns row by row.
    void tabOrder_data() {
        QTest::addColumn<QString>("script"); // ends with the focus on the first entry
        QTest::addColumn<QStringList>("order");
        QString script = "show; activate Main_Form; ";
        QStringList order{"Addr_Command2"};
        for (const brisco::settings::SetPoint& setPoint : brisco::settings::setPoints()) {
            order << QString::fromLatin1(setPoint.entryName);
            script += QStringLiteral("set %1 %2; ").arg(order.last()).arg(setPoint.range.minimum);
        }
        QTest::newRow("main") << script + "focus AddrText1"
                              << order + QStringList{"SetupT_Text", "Copy_Command"};
        QTest::newRow("factory")
            << "click F_Setup_Command; type Password_TextBox KT508; activate F_Setup_Form; "
               "focus S_Temp1Calib_Text"
            << QString("S_Temp2Calib_Text S_TECcurrCalib_Text S_DCVcalib_Text S_DCVlow_Text "
                       "S_DCVlowOffset_Text S_DCVhigh_Text S_DCVhighOffset_Text S_H_Fan_Text "
                       "S_Ver_Text CheckBox1 F_Setup_Command")
                   .split(u' ');
    }
    void tabOrder() {
        QFETCH(QString, script);
        QFETCH(QStringList, order);
        FormFixture f;
        f.run(script);
        QStringList seen;
        while (seen.size() < order.size()) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCoreApplication::processEvents();
            seen << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(seen, order);
        QCOMPARE(f.messages.texts, QStringList{});
    }

    void factoryWindow() {
        FormFixture f;
        f.run("click F_Setup_Command; type Password_TextBox KT508");
        QCOMPARE(f.window("Password_Form")->windowTitle(), QStringLiteral("密码"));
        QCOMPARE(f.edit("Password_TextBox")->echoMode(), QLineEdit::Password);
        QCOMPARE(f.edit("Password_TextBox")->maxLength(), 10);
        QWidget* factory = f.window("F_Setup_Form");
        QCOMPARE(factory->windowTitle(), QStringLiteral("厂家设定"));
        // The controller's switch is shown but not the operator's to change.
        auto* locked = factory->findChild<QCheckBox*>("CheckBox2");
        QTest::mouseClick(locked, Qt::LeftButton);
        QTest::keyClick(locked, Qt::Key_Space);
        QVERIFY(!locked->isChecked());
        auto* editable = factory->findChild<QCheckBox*>("CheckBox1");
        QTest::keyClick(editable, Qt::Key_Space);
        QVERIFY(editable->isChecked());
    }

    // The reply lies at ring positions 115..127 and 0..4: offset 12 at 127,
    // offset 13 at 0, offset 16 at 3.
    void readback_data() {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QStringList>("shown"); // in offset order, the version as one text
        QTest::addColumn<bool>("coolingOnly");
        QTest::newRow("version 20, cooling only")
            << hex("FF 02 3A 03 32 30 64 65 66 67 01 1E")
            << QStringList{"255", "2", "58", "3", "20", "100", "101", "102", "103", "30"} << true;
        QTest::newRow("version 1A, 2 is not cooling only")
            << hex("C8 02 3A 03 31 41 00 01 02 03 02 00")
            << QStringList{"200", "2", "58", "3", "1A", "0", "1", "2", "3", "0"} << false;
        QTest::newRow("version of Latin-1 bytes")
            << hex("00 00 00 00 E9 B5 00 00 00 00 00 00")
            << QStringList{"0", "0", "0", "0", "éµ", "0", "0", "0", "0", "0"} << false;
    }
    void readback() {
        QFETCH(QByteArray, data);
        QFETCH(bool, coolingOnly);
        FormFixture f;
        f.openPort();
        f.port->feed(QByteArray(115, char(0x33)));
        f.tick();
        f.port->feed(factoryReply(data));
        f.tick(); // fills the window while hidden, before it was ever shown
        QWidget* factory = f.window("F_Setup_Form");
        QVERIFY(factory && !factory->isVisible());
        QStringList texts;
        for (const char* name :
             {"DCVlow_Text", "DCVlowOffset_Text", "DCVhigh_Text", "DCVhighOffset_Text", "Ver_Text",
              "Temp1Calib_Text", "Temp2Calib_Text", "DCVcalib_Text", "TECcurrCalib_Text",
              "H_Fan_Text"}) {
            texts << factory->findChild<QLineEdit*>(name)->text();
        }
        QTEST(texts, "shown");
        QCOMPARE(factory->findChild<QCheckBox*>("CheckBox2")->isChecked(), coolingOnly);
        // From a ticked box as well.
        f.port->feed(factoryReply(hex("00 00 00 00 00 00 00 00 00 00 01 00")) + factoryReply(data));
        f.tick(2);
        QCOMPARE(factory->findChild<QCheckBox*>("CheckBox2")->isChecked(), coolingOnly);
    }

    // What every window shows is what assistive technology reads, as it
    // changes: after start, with lamps lit, boxes filled and the access code
    // half typed, then with the factory, trends, events and bus windows open
    // and the link gone stale.
    void heardAsShown() {
        FormFixture f;
        QStringList lit; // each lamp that changes colour tells its new value and name
        for (const int n : {3, 4, 5, 6, 9, 14}) {
            lit << QStringLiteral("StatusBox%1 800e").arg(n)
                << QStringLiteral("StatusBox%1 800c").arg(n);
        }
        const QString reply = "status 21=60 22=16 23=2; ";
        for (const auto& [steps, lamps] :
             {std::pair{QString("show"), QStringList()},
              {"open; " + reply +
                   "tick; click F_Setup_Command; type Password_TextBox KT5; "
                   "checked Option1 0",
               lit},
              {"type Password_TextBox 08; click CheckBox1; click Trends_Command; "
               "click Events_Command; click ScanBus_Command; click Ports_Command; " +
                   reply + "tick 13",
               {}}}) {
            heard("");
            f.run(steps);
            QCOMPARE(unheard().join(u'\n'), QString());
            QCOMPARE(heard("StatusBox.* 800[ce]"), lamps);
        }
        // A lamp is heard with its group and caption.
        QCOMPARE(
            QAccessible::queryAccessibleInterface(f.find("StatusBox14"))->text(QAccessible::Name),
            "Alerts Low temp, red");
    }

    // "Ports…" keeps a serial device or a network line for each port, without
    // the spaces around what was typed, tells which BRISCO_COM<n> win, refuses
    // a network line without a host, and the ports are scanned anew; opened
    // again, it shows what was kept; a choice taken back is gone.
    void portsDialog() {
        qputenv("BRISCO_COM3", "/dev/ttyS9");
        for (const int n : {1, 2, 3}) {
            brisco::port::setChosenDevice(n, {});
        }
        FormFixture f;
        f.run("tick; opens 3; click Ports_Command");
        QVERIFY(f.find<QLabel>("PortsNote")->text().endsWith("here: BRISCO_COM3=/dev/ttyS9."));
        f.find<QComboBox>("Com1Kind")->setCurrentIndex(3);
        f.find<QComboBox>("Com2Kind")->setCurrentIndex(1);
        f.find<QComboBox>("Com2Device")->setCurrentText(" /dev/ttyUSB1 ");
        f.find<QComboBox>("Com3Kind")->setCurrentIndex(1);
        f.find<QComboBox>("Com3Device")->setCurrentText("/dev/ttyUSB3");
        QVERIFY(!f.find("Com1Device")->isEnabled() && f.find("Com1Host")->isEnabled());
        f.run("set Com1TcpPort 4001; click PortsOk_Command; told \"rfc2217://:4001\" is not a "
              "network line: the host is missing. A network line is named tcp://HOST:PORT or "
              "rfc2217://HOST:PORT.; shown Ports_Form 1; set Com1Host  site-pc; "
              "click PortsOk_Command; shown Ports_Form 0; tick; opens 6");
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!f.find("Ports_Form"));
        f.run("click Ports_Command; shows Com1Host site-pc; shows Com1TcpPort 4001; "
              "click PortsCancel_Command");
        QCOMPARE(f.find<QComboBox>("Com2Device")->currentText(), "/dev/ttyUSB1");
        QCOMPARE(f.find<QComboBox>("Com1Kind")->currentIndex(), 3);
        QCOMPARE(brisco::port::deviceNameFor(1), "rfc2217://site-pc:4001");
        QCOMPARE(brisco::port::deviceNameFor(3), "/dev/ttyS9");
        QCOMPARE(brisco::port::chosenDevice(3), "/dev/ttyUSB3");
        brisco::port::setChosenDevice(3, {});
        QVERIFY(brisco::port::chosenDevice(3).isEmpty());
        qunsetenv("BRISCO_COM3");
    }

    // Three seconds without a good status reply: the line says so in a
    // warning colour and the values grey; the next reply brings them back.
    void staleAfterThreeSeconds() {
        const QStringList announced{"Link_Text 800c", "Link_Text 2"}; // name changed, alert
        FormFixture f;
        QCOMPARE(linkText(f), QStringLiteral("No port: port closed"));
        f.openPort();
        QVERIFY(linkText(f).startsWith("COM1 — /dev/fake1  ·  waiting for the first reply"));
        f.port->feed(statusReply() + hex("15 00 15 00") + statusReply());
        f.tick();
        QCOMPARE(linkText(f), QStringLiteral("COM1 — /dev/fake1  ·  last reply just now  ·  "
                                             "1 replies  ·  0 bad checksums  ·  0 refusals"));
        f.port->feed(statusReply().replace(7, 1, "8")); // a data byte changed: a bad checksum
        f.tick(12); // the second reply, then eleven ticks without one
        QVERIFY(linkText(f).contains("last reply 2 s ago  ·  2 replies  ·  1 bad checksums  ·  "
                                     "2 refusals"));
        QVERIFY(!greyed(f, "Temp1_Text"));
        heard("");
        f.tick();
        QVERIFY(linkText(f).contains("No reply for 3 s"));
        QCOMPARE(heard("Link_Text"), announced);
        QVERIFY(greyed(f, "Temp1_Text") && greyed(f, "IntFanSpeed_Text"));
        QVERIFY(!greyed(f, "S_TECcoolStart_Text"));
        f.tick(8);
        QVERIFY(linkText(f).contains("No reply for 5 s"));
        QCOMPARE(heard("Link_Text"), QStringList(2, announced[0]));
        f.port->feed(statusReply());
        f.tick();
        QVERIFY(linkText(f).contains("last reply just now"));
        QVERIFY(!greyed(f, "Temp1_Text"));
        heard("");
        f.port->unplug();
        QCOMPARE(linkText(f),
                 QStringLiteral("COM1 — /dev/fake1: the adapter is gone, the port was closed"));
        QCOMPARE(heard("Link_Text"), announced);
        QVERIFY(greyed(f, "Temp1_Text"));
    }

    // A set saved under a name taken asks about the file that is written,
    // also where the platform's dialog leaves the suffix to the program. A
    // save that cannot be finished leaves the file that was there whole.
    // Nothing is left beside the file.
    void setFileTaken_data() {
        QTest::addColumn<bool>("platformDialog");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("sizeLimit"); // the disk full beyond it; 0: none
        QTest::newRow("Qt's dialog, kept") << false << "no" << 0;
        QTest::newRow("the platform's, replaced") << true << "yes" << 0;
        QTest::newRow("replaced on a full disk") << false << "yes" << 16;
    }
    void setFileTaken() {
        QFETCH(bool, platformDialog);
        QFETCH(QString, answer);
        QFETCH(int, sizeLimit);
        FormFixture f;
        QFile file(f.home.filePath("set.json"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("{}") == 2);
        file.close();
        if (platformDialog) {
            f.messages.seen = [](QWidget* dialog) {
                if (auto* files = qobject_cast<QFileDialog*>(dialog)) {
                    files->setDefaultSuffix({});
                }
            };
        }
        f.run("open; " + kSet + "; tick; file set; answer " + answer);
        {
            const auto full = sizeLimit > 0 ? std::make_unique<FileSizeLimit>(sizeLimit) : nullptr;
            f.run("click SaveSet_Command; told set.json already exists. Replace it?");
        }
        QCOMPARE(f.messages.texts.mid(1).join(u'|').left(28),
                 QString(sizeLimit ? "set.json cannot be written (" : ""));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll() != "{}", answer == "yes" && sizeLimit == 0);
        QCOMPARE(QDir(f.home.path()).entryList(QDir::Files), QStringList{"set.json"});
    }
};

Q_IMPORT_PLUGIN(HearingPlugin)
QTEST_MAIN(TestWindows)
#include "test_windows.moc"
