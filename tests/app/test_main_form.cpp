#include "form_fixture.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

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
        groups.sort();
        QStringList expected{"Plate information",
                             "Communication port",
                             "Device state database",
                             "Semiconductor module",
                             "Cooling",
                             "Heating",
                             "Inner fan",
                             "Outer fan",
                             "Warning",
                             "Working state",
                             "Alerts"};
        expected.sort();
        QCOMPARE(groups, expected);
    }

    void buttons_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::newRow("toggle") << "CommPort_ToggleButton"
                                << "OpenComm";
        QTest::newRow("send addr") << "Addr_Command1"
                                   << "Send addr";
        QTest::newRow("get addr") << "Addr_Command2"
                                  << "Get addr";
        QTest::newRow("send set") << "Setup_Command"
                                  << "Send set";
        QTest::newRow("copy set") << "Copy_Command"
                                  << "Copy set";
        QTest::newRow("send analog") << "Command3"
                                     << "Send analog";
        QTest::newRow("factory") << "F_Setup_Command"
                                 << "factory setting";
        QTest::newRow("RS485") << "RS485Option"
                               << "RS485";
        QTest::newRow("RS422") << "RS422Option"
                               << "RS422";
    }
    void buttons() {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        FormFixture f;
        QAbstractButton* button = f.button(name);
        QVERIFY2(button, qPrintable(name));
        QCOMPARE(button->text(), caption);
        QVERIFY(!button->isChecked());
    }

    // Every box with the caption of the label beside it, in the same row.
    void boxesWithTheirLabels_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("label");
        QTest::addColumn<bool>("editable");
        const struct {
            const char* name;
            const char* label;
            bool editable;
        } rows[] = {
            {"TextBox1", "model", false},
            {"TextBox2", "PCB", false},
            {"TextBox3", "software version", false},
            {"TextBox4", "Edition statement", false},
            {"TextBox5", "Setup", false},
            {"TextBox6", "Protocol", false},
            {"S_TECcoolStart_Text", "Open tmep", true},
            {"TECcoolStart_Text", "Open tmep", false},
            {"S_TECcoolStop_Text", "Stop temp", true},
            {"TECcoolStop_Text", "Stop temp", false},
            {"S_TECheatStart_Text", "Open temp", true},
            {"TECheatStart_Text", "Open temp", false},
            {"S_TECheatStop_Text", "Stop temp", true},
            {"TECheatStop_Text", "Stop temp", false},
            {"S_TECcurrL_Text", "Low current limit", true},
            {"TECcurrL_Text", "Low current limit", false},
            {"S_TECcurrH_Text", "High current limit", true},
            {"TECcurrH_Text", "High current limit", false},
            {"TECcurrent_Text", "Current", false},
            {"S_IntFanPulse_Text", " Pulse per revolution", true},
            {"IntFanPulse_Text", " Pulse per revolution", false},
            {"S_IntFanLowS_Text", "Low rotation speed", true},
            {"IntFanLowS_Text", "Low rotation speed", false},
            {"S_IntFanHighS_Text", "High rotation speed", true},
            {"IntFanHighS_Text", "High rotation speed", false},
            {"IntFanSpeed_Text", "Current rotation speed", false},
            {"S_ExtFanPulse_Text", " Pulse per revolution", true},
            {"ExtFanPulse_Text", " Pulse per revolution", false},
            {"S_ExtFanHighS_Text", "High rotation speed", true},
            {"ExtFanHighS_Text", "High rotation speed", false},
            {"ExtFanSpeed_Text", "Current rotation speed", false},
            {"S_TempMax_Text", "High temperature warning", true},
            {"TempMax_Text", "High temperature warning", false},
            {"S_TempMin_Text", "Low temperature warning", true},
            {"TempMin_Text", "Low temperature warning", false},
            {"CommCtr_Text", "Comm counter", false},
            {"SetupT_Text", "Analog temp", true},
            {"Temp1_Text", "Inner temp", false},
            {"Temp2_Text", "Outer temp", false},
            {"ControlTemp_Text", "Control T", false},
            {"DCvoltage_Text", "DC voltage", false},
        };
        for (const auto& row : rows) {
            QTest::newRow(row.name) << row.name << row.label << row.editable;
        }
    }
    void boxesWithTheirLabels() {
        QFETCH(QString, name);
        QFETCH(QString, label);
        QFETCH(bool, editable);
        FormFixture f;
        f.form->resize(f.form->sizeHint());
        f.form->show();
        QLineEdit* box = f.edit(name);
        QVERIFY2(box, qPrintable(name));
        QCOMPARE(box->isReadOnly(), !editable);
        // The label stands left of the box, level with it, in the same group.
        bool found = false;
        for (const QLabel* candidate : box->parentWidget()->findChildren<QLabel*>()) {
            if (candidate->text() != label) {
                continue;
            }
            const QRect labelRect(candidate->mapTo(f.form.get(), QPoint()), candidate->size());
            const QRect boxRect(box->mapTo(f.form.get(), QPoint()), box->size());
            if (labelRect.right() < boxRect.left() && labelRect.bottom() >= boxRect.top() - 4 &&
                labelRect.top() <= boxRect.bottom() + 4) {
                found = true;
            }
        }
        QVERIFY2(found, qPrintable(name + " has no label " + label));
    }

    void initialState() {
        FormFixture f;
        for (const QLineEdit* box : f.form->findChildren<QLineEdit*>()) {
            if (box->objectName() == "TextBox5") {
                QCOMPARE(box->text(), QStringLiteral("9600,8,N,1"));
            } else if (box->objectName() == "TextBox6") {
                QCOMPARE(box->text(), QStringLiteral("MODBUS 改进型"));
            } else {
                QVERIFY2(box->text().isEmpty(), qPrintable(box->objectName()));
            }
        }
        QCOMPARE(f.form->m_Address, 1);
        QVERIFY(f.form->f_Command02);
        QVERIFY(!f.form->f_SetupButton && !f.form->f_Command3 && !f.form->f_F_Setup_Command);
        QVERIFY(!f.form->f_Addr_Command1 && !f.form->f_Addr_Command2);
        QCOMPARE(f.form->m_CommPortNo, 0);
        QCOMPARE(f.form->m_TickNo, 0);
        QCOMPARE(f.form->receiveRing().dataNo(), 0);
        QCOMPARE(f.form->receiveRing().dataPointer(), 0);
        QCOMPARE(f.form->receiveRing().receiveNo(), 0);
        QVERIFY(!f.form->findChild<QScrollBar*>("CommPortVScroll")->isVisibleTo(f.form.get()));
    }

    void timerTicksEveryQuarterSecond() {
        auto fake = std::make_unique<FakeCommPort>();
        Main_Form form(std::move(fake),
                       [](QWidget* parent) { return lampLibrary().createLamp(parent); });
        auto* timer = form.findChild<QTimer*>(QStringLiteral("Timer1"));
        QVERIFY(timer->isActive());
        QCOMPARE(timer->interval(), 250);
    }

    void twentyTwoWhiteLamps() {
        FormFixture f;
        f.form->resize(f.form->sizeHint());
        f.form->show();
        const QImage shot = f.form->grab().toImage();
        for (int n = 1; n <= 22; ++n) {
            QWidget* lamp = f.form->findChild<QWidget*>(QStringLiteral("StatusBox%1").arg(n));
            QVERIFY2(lamp, qPrintable(QString::number(n)));
            QCOMPARE(lamp->metaObject()->className(), "StatusBox");
            QCOMPARE(lamp->property("ForeColor").toInt(), 0);
            QVERIFY(lamp->isVisibleTo(f.form.get()));
            const QPoint centre =
                lamp->mapTo(f.form.get(), lamp->findChild<QWidget*>("Shape1")->geometry().center());
            QCOMPARE(shot.pixelColor(centre * shot.devicePixelRatio()), QColor(Qt::white));
        }
    }

    void lampsStandInTheirGroupsInOrder_data() {
        QTest::addColumn<QString>("group");
        QTest::addColumn<QList<int>>("lamps");
        QTest::addColumn<QStringList>("captions");
        QTest::newRow("working state")
            << "Working state" << QList<int>{1, 2, 3, 4, 5, 6, 18, 19}
            << QStringList{"Inner fan", "Outer fan", "Cooling",     "Heating",
                           "Hydrogen",  "Self test", "Analog temp", "自检"};
        QTest::newRow("alerts") << "Alerts"
                                << QList<int>{7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 20, 21, 22}
                                << QStringList{"General",        "Sensor",        "Inner fan",
                                               "Outer fan",      "Low current",   "High current",
                                               "High temp",      "Low temp",      "DC low",
                                               "DC high",        "AC dump",       "Entrance guard",
                                               "Switch value 3", "Switch value 4"};
    }
    void lampsStandInTheirGroupsInOrder() {
        QFETCH(QString, group);
        QFETCH(QList<int>, lamps);
        QFETCH(QStringList, captions);
        FormFixture f;
        f.form->resize(f.form->sizeHint());
        f.form->show();
        int lastTop = -1;
        for (qsizetype i = 0; i < lamps.size(); ++i) {
            QWidget* lamp =
                f.form->findChild<QWidget*>(QStringLiteral("StatusBox%1").arg(lamps[i]));
            auto* box = qobject_cast<QGroupBox*>(lamp->parentWidget());
            QVERIFY(box);
            QCOMPARE(box->title(), group);
            QVERIFY2(lamp->y() > lastTop, qPrintable(lamp->objectName()));
            lastTop = lamp->y();
            bool captioned = false;
            for (const QLabel* label : box->findChildren<QLabel*>()) {
                if (label->text() == captions[i] &&
                    qAbs(label->geometry().center().y() - lamp->geometry().center().y()) < 8) {
                    captioned = true;
                }
            }
            QVERIFY2(captioned, qPrintable(captions[i]));
        }
    }

    void everyControlIsNamedForAssistiveTechnology() {
        FormFixture f;
        int named = 0;
        for (QWidget* widget : f.form->findChildren<QWidget*>()) {
            const bool control =
                qobject_cast<QLineEdit*>(widget) || qobject_cast<QAbstractButton*>(widget) ||
                qobject_cast<QScrollBar*>(widget) || widget->objectName().startsWith("StatusBox");
            if (!control || widget->objectName().isEmpty() ||
                widget->objectName().startsWith("qt_")) {
                continue;
            }
            QCOMPARE(widget->accessibleDescription(), widget->objectName());
            QVERIFY2(!widget->accessibleName().isEmpty(), qPrintable(widget->objectName()));
            ++named;
        }
        // 44 boxes, 11 buttons and option buttons, the selector, 22 lamps.
        QCOMPARE(named, 44 + 11 + 1 + 22);
    }

    void portScan_data() {
        QTest::addColumn<QList<int>>("ports");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<bool>("selectorShown");
        QTest::newRow("1 and 3") << QList<int>{1, 3} << QStringList{"COM1", "COM3"} << true;
        QTest::newRow("only 2") << QList<int>{2} << QStringList{"COM2"} << false;
        QTest::newRow("all three")
            << QList<int>{1, 2, 3} << QStringList{"COM1", "COM2", "COM3"} << true;
        QTest::newRow("4 is never tried") << QList<int>{4} << QStringList{} << false;
    }
    void portScan() {
        QFETCH(QList<int>, ports);
        QFETCH(QStringList, names);
        QFETCH(bool, selectorShown);
        FormFixture f(QSet<int>(ports.begin(), ports.end()));
        f.tick();
        QCOMPARE(f.form->m_CommPortNo, names.size());
        for (qsizetype i = 0; i < names.size(); ++i) {
            QCOMPARE(f.form->m_CommPortName[static_cast<std::size_t>(i)], names[i]);
        }
        QCOMPARE(f.text("CommPortText"), names.value(0));
        QCOMPARE(f.form->findChild<QScrollBar*>("CommPortVScroll")->isVisibleTo(f.form.get()),
                 selectorShown);
        QVERIFY(!f.port->isOpen());
        QVERIFY(f.port->written.isEmpty());
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
        QCOMPARE(f.port->openCalls, 12);
        QCOMPARE(f.form->m_CommPortNo, 1);
    }

    void selectorWrapsAndOpensThePortShown() {
        FormFixture f(QSet<int>{1, 3});
        f.tick();
        auto* selector = f.form->findChild<QScrollBar*>("CommPortVScroll");
        selector->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(f.text("CommPortText"), QStringLiteral("COM3"));
        QCOMPARE(f.edit("CommPortText")->toolTip(), QStringLiteral("/dev/fake3"));
        selector->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(f.text("CommPortText"), QStringLiteral("COM1"));
        QCOMPARE(selector->value(), 0);
        selector->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(f.text("CommPortText"), QStringLiteral("COM3"));

        f.button("CommPort_ToggleButton")->click();
        QVERIFY(f.port->isOpen());
        QCOMPARE(f.port->openedNumber, 3);
        QCOMPARE(f.button("CommPort_ToggleButton")->text(), QStringLiteral("StopComm"));
        QVERIFY(f.button("CommPort_ToggleButton")->isChecked());

        f.button("CommPort_ToggleButton")->click();
        QVERIFY(!f.port->isOpen());
        QCOMPARE(f.button("CommPort_ToggleButton")->text(), QStringLiteral("OpenComm"));
        QVERIFY(!f.button("CommPort_ToggleButton")->isChecked());
    }

    void buttonBeforeAnyPortDoesNothing() {
        FormFixture f(QSet<int>{});
        f.button("CommPort_ToggleButton")->click();
        QCOMPARE(f.button("CommPort_ToggleButton")->text(), QStringLiteral("OpenComm"));
        QVERIFY(!f.button("CommPort_ToggleButton")->isChecked());
        QVERIFY(!f.port->isOpen());
        QCOMPARE(f.port->openCalls, 0);
    }

    void failingOpenLeavesOpenComm() {
        FormFixture f(QSet<int>{2});
        f.tick();
        f.port->failing = {2};
        f.button("CommPort_ToggleButton")->click();
        QCOMPARE(f.button("CommPort_ToggleButton")->text(), QStringLiteral("OpenComm"));
        QVERIFY(!f.button("CommPort_ToggleButton")->isChecked());
        QVERIFY(!f.port->isOpen());
        f.tick();
        QVERIFY(f.port->written.isEmpty());
        QCOMPARE(f.form->m_TickNo, 0);
    }

    void vanishedPortReturnsToOpenComm() {
        FormFixture f;
        f.openPort();
        f.port->unplug();
        QCOMPARE(f.button("CommPort_ToggleButton")->text(), QStringLiteral("OpenComm"));
        QVERIFY(!f.button("CommPort_ToggleButton")->isChecked());
        f.tick(4);
        QVERIFY(f.port->written.isEmpty());
        f.button("CommPort_ToggleButton")->click();
        QVERIFY(f.port->isOpen());
    }

    void unloadClosesAnOpenPort() {
        FormFixture f;
        f.openPort();
        QVERIFY(f.port->isOpen());
        f.form->close();
        QVERIFY(!f.port->isOpen());
    }

    void unloadWithThePortClosedLeavesItAlone() {
        FormFixture f;
        f.tick();
        const int opens = f.port->openCalls;
        const int closes = f.port->closeCalls;
        f.form->close();
        QCOMPARE(f.port->openCalls, opens);
        QCOMPARE(f.port->closeCalls, closes);
    }
};

QTEST_MAIN(TestMainForm)
#include "test_main_form.moc"
