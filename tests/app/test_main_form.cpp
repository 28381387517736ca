// The main window: its controls, the port selector and button, and what a
// tick puts on screen. The request schedule is the sequencer's own test.
#include "form_fixture.h"

#include <QAccessible>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QScrollBar>

#include "app/port_names.h"
#include "settings/setpoint_table.h"

namespace {

// The captions left of the widget and level with it, in its group: labels,
// and the buttons that stand for a label beside the address boxes.
QStringList captionsBeside(const QWidget* widget) {
    const QWidget* window = widget->window();
    const QRect box(widget->mapTo(window, QPoint()), widget->size());
    QStringList captions;
    for (const QWidget* other : widget->parentWidget()->findChildren<QWidget*>()) {
        const auto* label = qobject_cast<const QLabel*>(other);
        const auto* button = qobject_cast<const QPushButton*>(other);
        const QRect rect(other->mapTo(window, QPoint()), other->size());
        if ((label || button) && rect.right() < box.left() && rect.bottom() >= box.top() - 4 &&
            rect.top() <= box.bottom() + 4) {
            captions << (label ? label->text() : button->text());
        }
    }
    return captions;
}

QString spokenName(QWidget* widget) {
    return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
}

} // namespace

class TestMainForm : public QObject {
    Q_OBJECT

private slots:
    void titleAndGroups() {
        FormFixture f;
        QCOMPARE(f.form->windowTitle(), QStringLiteral("Brisco后台软件_v20E"));
        QStringList groups;
        for (const QGroupBox* box : f.form->findChildren<QGroupBox*>()) {
            groups << box->title();
        }
        QCOMPARE(groups, (QStringList{"Plate information", "Communication port",
                                      "Device state database", "Semiconductor module", "Cooling",
                                      "Heating", "Inner fan", "Outer fan", "Warning",
                                      "Working state", "Alerts"}));
    }

    // Every box, button and lamp by name, with the caption the operator reads.
    void controlsWithTheirCaptions_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        // One of each kind: a box with two labels, an entry and a display box
        // under one label, a measured value, a box beside a button, lamps.
        const char* rows[][2] = {
            {"TextBox1", "model"},
            {"TextBox3", "software version"},
            {"TextBox6", "Protocol"},
            {"AddrText1", "Send addr"},
            {"AddrText2", "Get addr"},
            {"S_TECcoolStart_Text", "Open tmep"},
            {"S_IntFanPulse_Text", " Pulse per revolution"},
            {"S_TECcurrH_Text", "High current limit"},
            {"ExtFanSpeed_Text", "Current rotation speed"},
            {"SetupT_Text", "Analog temp"},
            {"DCvoltage_Text", "DC voltage"},
            {"StatusBox19", "自检"},
            {"StatusBox20", "Entrance guard"},
            {"CommPort_ToggleButton", "OpenComm"},
            {"F_Setup_Command", "factory setting"},
            {"RS422Option", "RS422"},
        };
        for (const auto& row : rows) {
            QTest::newRow(row[0]) << row[0] << row[1];
        }
    }
    void controlsWithTheirCaptions() {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        FormFixture f;
        f.show();
        QWidget* control = f.find(name);
        QVERIFY2(control, qPrintable(name));
        if (auto* button = qobject_cast<QAbstractButton*>(control)) {
            QCOMPARE(button->text(), caption);
        } else if (auto* box = qobject_cast<QLineEdit*>(control)) {
            QVERIFY2(captionsBeside(box).contains(caption), qPrintable(caption));
            const bool entry = name.startsWith("S_") || name == "SetupT_Text" ||
                               name == "AddrText1";
            QCOMPARE(box->isReadOnly(), !entry);
            // The entry box and its display box share the label.
            if (name.startsWith("S_")) {
                QVERIFY(captionsBeside(f.edit(name.mid(2))).contains(caption));
            }
        } else {
            QVERIFY2(captionsBeside(control).contains(caption), qPrintable(caption));
        }
        QCOMPARE(control->accessibleDescription(), name);
        QVERIFY(!spokenName(control).isEmpty());
    }

    void lampsStandTopToBottomInTheirGroups_data() {
        QTest::addColumn<QString>("group");
        QTest::addColumn<QList<int>>("lamps");
        QTest::newRow("working state") << "Working state" << QList<int>{1, 2, 3, 4, 5, 6, 18, 19};
        QTest::newRow("alerts") << "Alerts"
                                << QList<int>{7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 20, 21, 22};
    }
    void lampsStandTopToBottomInTheirGroups() {
        QFETCH(QString, group);
        QFETCH(QList<int>, lamps);
        FormFixture f;
        f.show();
        int lastTop = -1;
        for (int n : lamps) {
            QWidget* lamp = f.find(QStringLiteral("StatusBox%1").arg(n));
            QCOMPARE(qobject_cast<QGroupBox*>(lamp->parentWidget())->title(), group);
            QVERIFY2(lamp->y() > lastTop, qPrintable(lamp->objectName()));
            lastTop = lamp->y();
        }
    }

    void initialState() {
        FormFixture f;
        f.show();
        for (const QLineEdit* box : f.form->findChildren<QLineEdit*>()) {
            const QString name = box->objectName();
            QCOMPARE(box->text(), name == "TextBox5"   ? QStringLiteral("9600,8,N,1")
                                  : name == "TextBox6" ? QStringLiteral("MODBUS 改进型")
                                                       : QString());
        }
        const QImage shot = f.form->grab().toImage();
        for (int n = 1; n <= 22; ++n) {
            QWidget* lamp = f.find(QStringLiteral("StatusBox%1").arg(n));
            QCOMPARE(lamp->metaObject()->className(), "StatusBox");
            const QPoint centre =
                lamp->mapTo(f.form.get(), lamp->findChild<QWidget*>("Shape1")->geometry().center());
            QCOMPARE(shot.pixelColor(centre * shot.devicePixelRatio()), QColor(Qt::white));
        }
        QVERIFY(!f.find("CommPortVScroll")->isVisibleTo(f.form.get()));
    }

    void portScan_data() {
        QTest::addColumn<QList<int>>("ports");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("1 and 3") << QList<int>{1, 3} << QStringList{"COM1", "COM3"};
        QTest::newRow("only 2") << QList<int>{2} << QStringList{"COM2"};
        QTest::newRow("all three") << QList<int>{1, 2, 3} << QStringList{"COM1", "COM2", "COM3"};
        QTest::newRow("4 is never tried") << QList<int>{4} << QStringList{};
    }
    void portScan() {
        QFETCH(QList<int>, ports);
        QFETCH(QStringList, names);
        FormFixture f(QSet<int>(ports.begin(), ports.end()));
        f.tick();
        QCOMPARE(f.text("CommPortText"), names.value(0));
        QCOMPARE(f.find("CommPortVScroll")->isVisibleTo(f.form.get()), names.size() > 1);
        QVERIFY(!f.port->isOpen());
        // The selector steps through the names found and wraps to the first.
        auto* selector = f.find<QScrollBar>("CommPortVScroll");
        for (qsizetype i = 1; i <= names.size(); ++i) {
            selector->triggerAction(QAbstractSlider::SliderSingleStepAdd);
            QCOMPARE(f.text("CommPortText"), names[i % names.size()]);
        }
    }

    void scanRepeatsUntilAPortIsFound() {
        FormFixture f(QSet<int>{});
        f.tick(3);
        QCOMPARE(f.port->openCalls, 9);
        QVERIFY(f.text("CommPortText").isEmpty());
        f.port->available = {2};
        f.tick();
        QCOMPARE(f.text("CommPortText"), QStringLiteral("COM2"));
        f.port->available = {1, 2};
        f.tick(2);
        QCOMPARE(f.port->openCalls, 12); // never again once a port is known
        QCOMPARE(f.text("CommPortText"), QStringLiteral("COM2"));
    }

    void toggleOpensThePortShown() {
        FormFixture f(QSet<int>{1, 3});
        f.tick();
        f.find<QScrollBar>("CommPortVScroll")->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(f.edit("CommPortText")->toolTip(), QStringLiteral("/dev/fake3"));
        QAbstractButton* toggle = f.button("CommPort_ToggleButton");
        toggle->click();
        QVERIFY(f.port->isOpen());
        QCOMPARE(f.port->openedNumber, 3);
        QCOMPARE(toggle->text(), QStringLiteral("StopComm"));
        QCOMPARE(spokenName(toggle), QStringLiteral("StopComm"));
        QVERIFY(toggle->isChecked());
        toggle->click();
        QVERIFY(!f.port->isOpen());
        QCOMPARE(toggle->text(), QStringLiteral("OpenComm"));
        QVERIFY(!toggle->isChecked());
    }

    // No port known, a port that refuses to open, a port that vanishes: the
    // button says "OpenComm" and nothing is read or sent.
    void portThatCannotBeUsed_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("none found") << "none";
        QTest::newRow("refuses to open") << "refuses";
        QTest::newRow("unplugged") << "unplugged";
    }
    void portThatCannotBeUsed() {
        QFETCH(QString, how);
        FormFixture f(how == "none" ? QSet<int>{} : QSet<int>{2});
        f.tick();
        f.port->failing = how == "refuses" ? QSet<int>{2} : QSet<int>{};
        f.button("CommPort_ToggleButton")->click();
        if (how == "unplugged") {
            QVERIFY(f.port->isOpen());
            f.port->unplug();
        }
        QCOMPARE(f.button("CommPort_ToggleButton")->text(), QStringLiteral("OpenComm"));
        QVERIFY(!f.button("CommPort_ToggleButton")->isChecked());
        f.port->feed(statusReply());
        f.tick(8);
        QVERIFY(f.port->written.isEmpty());
        QCOMPARE(f.port->incoming.size(), 36);
        QCOMPARE(f.port->openCalls, how == "none" ? 27 : 4);
    }

    void unloadClosesAnOpenPortOnly() {
        FormFixture f;
        f.tick();
        const int closes = f.port->closeCalls;
        FormFixture g;
        g.openPort();
        f.form->close();
        g.form->close();
        QCOMPARE(f.port->closeCalls, closes);
        QVERIFY(!g.port->isOpen());
    }

    void statusReplyOnScreen() {
        FormFixture f;
        f.openPort();
        f.port->feed(statusReply({{10, 5}, {11, 220}, {19, 25}, {21, 63}, {22, 16}, {23, 36},
                                  {24, 4}, {25, 254}, {26, 255}, {27, 254}, {29, 255}, {30, 255},
                                  {31, 5}, {32, 220}, {33, 3}, {34, 232}}));
        f.tick();
        QCOMPARE(f.text("IntFanLowS_Text"), QStringLiteral("1500"));
        QCOMPARE(f.text("TECcurrL_Text"), QStringLiteral("2.5"));
        QCOMPARE(f.text("Temp1_Text"), QStringLiteral("Open"));
        QCOMPARE(f.text("Temp2_Text"), QStringLiteral("Short"));
        QCOMPARE(f.text("ControlTemp_Text"), QStringLiteral("87"));
        QCOMPARE(f.text("DCvoltage_Text"), QStringLiteral("6553.5"));
        QCOMPARE(f.text("IntFanSpeed_Text"), QStringLiteral(" 1500"));
        QCOMPARE(f.text("ExtFanSpeed_Text"), QStringLiteral(" 1000"));
        QCOMPARE(f.text("CommCtr_Text"), QStringLiteral("1"));
        const QList<int> lamps{1, 1, 1, 1, 1, 3, 0, 0, 2, 2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 0};
        for (int n = 1; n <= 22; ++n) {
            QCOMPARE(f.lamp(n), lamps[n - 1]);
        }
        QVERIFY(f.find<QRadioButton>("RS485Option")->isChecked());
        // Closed midway, the port keeps what it has not read; opened again,
        // the tick goes on from there.
        const QByteArray next = statusReply({{5, 65}});
        f.port->feed(next.left(20));
        f.tick();
        f.button("CommPort_ToggleButton")->click();
        f.port->feed(next.mid(20));
        f.tick(3);
        f.button("CommPort_ToggleButton")->click();
        f.tick();
        QCOMPARE(f.text("TECcoolStart_Text"), QStringLiteral("25"));
        QCOMPARE(f.text("CommCtr_Text"), QStringLiteral("2"));
    }

    void deviceInformationAndAddressOnScreen() {
        FormFixture f;
        f.openPort();
        f.port->feed(hex("05 01 0F 00 15") + deviceInfoReply("TEC-48/1.0/VA2.1/"));
        f.tick();
        QCOMPARE(f.text("TextBox1"), QStringLiteral("TEC-48"));
        QCOMPARE(f.text("TextBox2"), QStringLiteral("1.0"));
        QCOMPARE(f.text("TextBox3"), QStringLiteral("VA2.1"));
        QCOMPARE(f.text("TextBox4"), QStringLiteral("半导体制冷制热"));
        QVERIFY(f.find<QRadioButton>("RS422Option")->isChecked());
        f.port->feed(deviceInfoReply("NOSLASH") + hex("06 00 0F 01 01 05 1C"));
        f.tick(2);
        QCOMPARE(f.text("TextBox1"), QStringLiteral("TEC-48"));
        QCOMPARE(f.text("AddrText2"), QStringLiteral("5"));
        // A four-wire line stays four-wire.
        QVERIFY(f.find<QRadioButton>("RS422Option")->isChecked());
        QVERIFY(!f.find<QRadioButton>("RS485Option")->isChecked());
    }

    void buttonsRequestOnlyWhileOpen() {
        FormFixture f;
        f.tick();
        f.button("Addr_Command2")->click();
        f.button("Command3")->click();
        f.openPort();
        f.edit("TextBox1")->setText(QStringLiteral("TEC"));
        f.tick(4);
        QCOMPARE(f.port->written, QList<QByteArray>{hex("05 01 0F 00 15")});
        f.edit("AddrText1")->setText(QStringLiteral("3"));
        f.button("Addr_Command1")->click();
        f.button("Addr_Command2")->click();
        f.tick(4);
        QCOMPARE(f.port->written.mid(1), (QList<QByteArray>{hex("05 00 0F 01 15"),
                                                            hex("05 01 0F 00 15")}));
    }

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
        row("S_ExtFanHighS_Text", "1999.5", "box", false);
        row("S_ExtFanHighS_Text", "2000.4", "button", false);
        row("S_ExtFanHighS_Text", "123456", "tab", true);
        row("S_TempMax_Text", "30abc", "tab", false);
        row("S_TempMax_Text", "81", "button", true);
        row("S_TempMin_Text", "", "box", false);
        row("S_TECcoolStop_Text", "", "tab", true);
        row("SetupT_Text", "80.5", "tab", true);
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
        MessageBoxCatcher catcher;
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
            QVERIFY(catcher.texts.isEmpty()); // no modal box between press and release
            QTest::mouseRelease(f.form->windowHandle(), Qt::LeftButton, {}, at);
        }
        QCoreApplication::processEvents();
        QCOMPARE(catcher.texts, refused ? QStringList{"Data error！"} : QStringList{});
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

    // "Copy set" takes the displayed texts as they stand, in the operator's
    // notation, and "Send set" writes only what was then changed.
    void copyThenSend() {
        const auto restore = qScopeGuard([previous = QLocale()] { QLocale::setDefault(previous); });
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        FormFixture f;
        f.openPort();
        f.port->feed(statusReply({{19, 25}, {17, 95}}));
        f.tick();
        f.button("Copy_Command")->click();
        for (const char* name : {"TECcoolStart_Text", "TECcurrL_Text", "TempMax_Text",
                                 "IntFanLowS_Text", "TempMin_Text"}) {
            QCOMPARE(f.text(QStringLiteral("S_") + name), f.text(name));
        }
        QCOMPARE(f.text("S_TECcurrL_Text"), QStringLiteral("2,5"));
        f.edit("S_TempMax_Text")->setText(QStringLiteral("60"));
        f.edit("S_TECcurrH_Text")->setText(QStringLiteral("0,5"));
        f.button("Setup_Command")->click();
        f.tick(2);
        QCOMPARE(f.port->written, (QList<QByteArray>{hex("05 01 1E 0C 01 64 95"),
                                                     hex("05 01 1E 0F 01 05 39")}));
    }

    void sendSetRefused_data() {
        QTest::addColumn<bool>("open");
        QTest::addColumn<bool>("status"); // a status reply before "Copy set"
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("text"); // typed into box after "Copy set"
        QTest::addColumn<QStringList>("messages");
        const QStringList none;
        QTest::newRow("port closed") << false << true << "S_TempMax_Text" << "60" << none;
        QTest::newRow("nothing copied yet") << true << false << "S_TempMax_Text" << "60"
                                            << QStringList{"No data！"};
        QTest::newRow("low warning cleared") << true << true << "S_TempMin_Text" << ""
                                             << QStringList{"No data！"};
        QTest::newRow("216 does not fit") << true << true << "S_TempMax_Text" << "216"
                                          << QStringList{"Data error！"};
        QTest::newRow("-40.6 does not fit") << true << true << "S_TECheatStart_Text" << "-40.6"
                                            << QStringList{"Data error！"};
        QTest::newRow("65536 does not fit") << true << true << "S_IntFanLowS_Text" << "65536"
                                            << QStringList{"Data error！"};
    }
    void sendSetRefused() {
        QFETCH(bool, open);
        QFETCH(bool, status);
        QFETCH(QString, box);
        QFETCH(QString, text);
        QFETCH(QStringList, messages);
        FormFixture f;
        f.openPort();
        f.edit("TextBox1")->setText(QStringLiteral("TEC"));
        f.port->feed(status ? statusReply() : QByteArray());
        f.tick();
        f.button("Copy_Command")->click();
        f.edit(box)->setText(text);
        if (!open) {
            f.button("CommPort_ToggleButton")->click();
        }
        MessageBoxCatcher catcher;
        f.button("Setup_Command")->click();
        QCOMPARE(catcher.texts, messages);
        if (!open) {
            f.button("CommPort_ToggleButton")->click();
        }
        f.port->written.clear();
        f.tick(3);
        QCOMPARE(f.port->written, QList<QByteArray>{hex("05 01 0F 00 15")});
    }

    // Every change of the address entry is checked; a refused one becomes 1.
    void addressEntry() {
        FormFixture f;
        f.show();
        MessageBoxCatcher catcher;
        QTest::keyClicks(f.edit("AddrText1"), "25");
        QCOMPARE(catcher.texts, QStringList{"Data error！"});
        QCOMPARE(f.text("AddrText1"), QStringLiteral("1"));
        QTest::keyClick(f.edit("AddrText1"), Qt::Key_Backspace);
        QCOMPARE(catcher.texts, (QStringList{"Data error！", "Data error！"}));
        QCOMPARE(f.text("AddrText1"), QStringLiteral("1"));
        QTest::keyClicks(f.edit("AddrText1"), "3");
        QCOMPARE(f.text("AddrText1"), QStringLiteral("13"));
        QCOMPARE(catcher.texts.size(), 2);
    }

    // "Send addr" writes 1..20 to the address in use, which stays in use.
    void sendAddress_data() {
        QTest::addColumn<QString>("entry"); // "-": never touched
        QTest::addColumn<QByteArray>("frame");
        QTest::newRow("3") << "3" << hex("05 01 1E 1C 01 03 44");
        QTest::newRow("untouched box") << "-" << QByteArray();
        QTest::newRow("negative") << "-3" << QByteArray();
    }
    void sendAddress() {
        QFETCH(QString, entry);
        QFETCH(QByteArray, frame);
        FormFixture f;
        f.openPort();
        f.edit("TextBox1")->setText(QStringLiteral("TEC"));
        if (entry != "-") {
            f.edit("AddrText1")->setText(entry);
        }
        MessageBoxCatcher catcher;
        f.button("Addr_Command1")->click();
        QCOMPARE(catcher.texts, frame.isEmpty() ? QStringList{"Data error！"} : QStringList{});
        f.tick(4);
        const QByteArray poll = hex("05 01 0F 00 15");
        QCOMPARE(f.port->written, (frame.isEmpty() ? QList<QByteArray>{poll}
                                                   : QList<QByteArray>{frame, poll}));
    }

    // A 1366×768 laptop screen leaves about 1366×700 to a window; at a
    // scale factor of 1.5 or 2 the window is drawn at the screen's own
    // resolution, nothing cut short.
    void fitsAndScales() {
        FormFixture f;
        QVERIFY2(f.form->sizeHint().width() <= 1366 && f.form->sizeHint().height() <= 700,
                 qPrintable(QStringLiteral("%1×%2").arg(f.form->sizeHint().width())
                                .arg(f.form->sizeHint().height())));
        f.show();
        const qreal scale = qEnvironmentVariable("QT_SCALE_FACTOR", "1").toDouble();
        QCOMPARE(f.form->devicePixelRatioF(), scale);
        const QImage shot = f.form->grab().toImage();
        QCOMPARE(shot.size(), f.form->size() * scale);
        for (const QLabel* label : f.form->findChildren<QLabel*>()) {
            QVERIFY2(label->width() >= label->sizeHint().width(), qPrintable(label->text()));
        }
        for (const QAbstractButton* button : f.form->findChildren<QAbstractButton*>()) {
            QVERIFY2(button->width() >= button->minimumSizeHint().width(),
                     qPrintable(button->text()));
        }
        QWidget* lamp = f.find("StatusBox1");
        const QRect shape = lamp->findChild<QWidget*>("Shape1")->geometry();
        const QPoint centre = lamp->mapTo(f.form.get(), shape.center());
        QCOMPARE(shot.pixelColor(centre * scale), QColor(Qt::white));
    }

    // Tab goes from one entry to the next in the order of the set-point
    // table, then "Analog temp"; the boxes that only show values are passed.
    void tabOrder() {
        FormFixture f;
        f.show();
        f.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.form.get()));
        QStringList expected{"Addr_Command2"};
        for (const char* name :
             {"S_TECcoolStart_Text", "S_TECcoolStop_Text", "S_TECheatStart_Text",
              "S_TECheatStop_Text", "S_IntFanPulse_Text", "S_IntFanLowS_Text", "S_IntFanHighS_Text",
              "S_ExtFanPulse_Text", "S_ExtFanHighS_Text", "S_TempMax_Text", "S_TempMin_Text",
              "S_TECcurrL_Text", "S_TECcurrH_Text"}) {
            expected << name;
        }
        for (const brisco::settings::SetPoint& setPoint : brisco::settings::setPoints()) {
            f.edit(setPoint.entryName)->setText(QString::number(setPoint.range.minimum));
        }
        expected << "SetupT_Text" << "Copy_Command";
        MessageBoxCatcher catcher;
        f.edit("AddrText1")->setFocus();
        QStringList seen;
        for (qsizetype i = 0; i < expected.size(); ++i) {
            QTest::keyClick(f.form->focusWidget(), Qt::Key_Tab);
            QCoreApplication::processEvents();
            seen << f.form->focusWidget()->objectName();
        }
        QCOMPARE(seen, expected);
        QCOMPARE(catcher.texts, QStringList{});
    }

    void serialDeviceOrder_data() {
        QTest::addColumn<QStringList>("devices");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("usb, acm, then others")
            << QStringList{"/dev/ttyS1", "/dev/ttyACM0", "/dev/ttyS0", "/dev/ttyUSB1"}
            << QStringList{"/dev/ttyACM0", "/dev/ttyUSB1", "/dev/ttyS0", "/dev/ttyS1"};
        QTest::newRow("numbers by value") << QStringList{"/dev/ttyUSB10", "/dev/ttyUSB2"}
                                          << QStringList{"/dev/ttyUSB2", "/dev/ttyUSB10"};
        QTest::newRow("duplicates once") << QStringList{"/dev/ttyS0", "/dev/ttyS0"}
                                         << QStringList{"/dev/ttyS0"};
    }
    void serialDeviceOrder() {
        QFETCH(QStringList, devices);
        QFETCH(QStringList, expected);
        QCOMPARE(brisco::app::orderSerialDevices(devices), expected);
        QCOMPARE(brisco::app::devicePathFor(2, {}, expected), expected.value(1));
        QCOMPARE(brisco::app::devicePathFor(0, {}, expected), QString());
        QCOMPARE(brisco::app::devicePathFor(3, "/dev/pts/7", expected), QStringLiteral("/dev/pts/7"));
    }

    void messageAfterTheTick() {
        FormFixture f;
        f.openPort();
        f.edit("TextBox1")->setText(QStringLiteral("TEC"));
        f.edit("SetupT_Text")->setText(QStringLiteral("88"));
        f.button("Command3")->click();
        MessageBoxCatcher catcher;
        f.tick(2);
        QVERIFY(catcher.texts.isEmpty()); // the tick never waits for the operator
        QTRY_COMPARE(catcher.texts, QStringList{QStringLiteral("Data error！")});
        QCOMPARE(catcher.titles, QStringList{QStringLiteral("Brisco_v20E")});
        QVERIFY(!catcher.anyIcon);
        QVERIFY(f.port->written.isEmpty());
    }
};

QTEST_MAIN(TestMainForm)
#include "test_main_form.moc"
