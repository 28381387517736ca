// The access-code window and the factory window, reached from the main
// window as the operator reaches them.
#include "form_fixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

namespace {

QLineEdit* passwordBox(const FormFixture& f) {
    return f.form->findChild<QLineEdit*>(QStringLiteral("Password_TextBox"));
}

bool factoryShown(const FormFixture& f) {
    return f.window("F_Setup_Form") && f.window("F_Setup_Form")->isVisible();
}

// A factory reply with these data bytes at offsets 5..16.
QByteArray factoryReply(const QByteArray& data) {
    return framed(hex("06 01 0F 03 0C") + data);
}

} // namespace

class TestFactory : public QObject {
    Q_OBJECT

private slots:
    void accessCode_data() {
        QTest::addColumn<QString>("typed"); // "<" deletes the first character
        QTest::addColumn<bool>("opens");
        QTest::newRow("the code") << "KT508" << true;
        QTest::newRow("four characters of it") << "KT50" << false;
        QTest::newRow("other letter case") << "kt508" << false;
        QTest::newRow("another last character") << "KT509" << false;
        QTest::newRow("one more in front") << "XKT508" << false;
        QTest::newRow("the one in front deleted") << "XKT508<" << true;
    }
    void accessCode() {
        QFETCH(QString, typed);
        QFETCH(bool, opens);
        FormFixture f;
        f.button("F_Setup_Command")->click();
        QWidget* gate = f.window("Password_Form");
        QCOMPARE(gate->windowTitle(), QStringLiteral("密码"));
        QVERIFY(gate->isVisible());
        QLineEdit* box = passwordBox(f);
        QCOMPARE(box->echoMode(), QLineEdit::Password);
        QCOMPARE(box->maxLength(), 10);
        for (const QChar c : typed) {
            if (c == u'<') {
                QTest::keyClick(box, Qt::Key_Home);
                QTest::keyClick(box, Qt::Key_Delete);
            } else {
                QTest::keyClicks(box, c);
            }
            // Nothing opens before the last character.
            QCOMPARE(factoryShown(f), opens && c == typed.back());
        }
        QCOMPARE(gate->isVisible(), !opens);
    }

    // Each time the window becomes active its box is empty again; "factory
    // setting" does nothing while the factory window is shown, and asks for
    // the code again once it was closed.
    void gateAgain() {
        FormFixture f;
        f.button("F_Setup_Command")->click();
        QTest::keyClicks(passwordBox(f), "KT5");
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        f.window("Password_Form")->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.window("Password_Form")));
        QVERIFY(passwordBox(f)->text().isEmpty());
        QTest::keyClicks(passwordBox(f), "KT508");
        QVERIFY(factoryShown(f));
        f.button("F_Setup_Command")->click();
        QVERIFY(!f.window("Password_Form")->isVisible());
        f.window("F_Setup_Form")->close();
        f.button("F_Setup_Command")->click();
        QVERIFY(f.window("Password_Form")->isVisible());
        QVERIFY(passwordBox(f)->text().isEmpty());
        // Closing the main window closes the others.
        f.form->close();
        QVERIFY(!f.window("Password_Form")->isVisible());
    }

    void factoryWindow() {
        FormFixture f;
        f.button("F_Setup_Command")->click();
        QTest::keyClicks(passwordBox(f), "KT508");
        QWidget* factory = f.window("F_Setup_Form");
        QCOMPARE(factory->windowTitle(), QStringLiteral("厂家设定"));
        // Every pair: the label left of the entry, the entry above the display.
        const char* pairs[][3] = {
            {"Inner sensor calib", "S_Temp1Calib_Text", "Temp1Calib_Text"},
            {"Outer sensor calib", "S_Temp2Calib_Text", "Temp2Calib_Text"},
            {"TEC current calib", "S_TECcurrCalib_Text", "TECcurrCalib_Text"},
            {"DC voltage calib", "S_DCVcalib_Text", "DCVcalib_Text"},
            {"DC low limit", "S_DCVlow_Text", "DCVlow_Text"},
            {"Offset", "S_DCVlowOffset_Text", "DCVlowOffset_Text"},
            {"DC high limit", "S_DCVhigh_Text", "DCVhigh_Text"},
            {"Offset", "S_DCVhighOffset_Text", "DCVhighOffset_Text"},
            {"Hydrogen period", "S_H_Fan_Text", "H_Fan_Text"},
            {"Version", "S_Ver_Text", "Ver_Text"},
            {"Cooling only", "CheckBox1", "CheckBox2"},
        };
        QMap<QString, int> columns; // left edge of each entry's label
        for (const auto& [caption, entryName, displayName] : pairs) {
            QWidget* entry = factory->findChild<QWidget*>(entryName);
            QWidget* display = factory->findChild<QWidget*>(displayName);
            QVERIFY2(entry && display, entryName);
            QCOMPARE(display->x(), entry->x());
            QVERIFY(display->y() > entry->y());
            bool captioned = false;
            for (const QLabel* candidate : factory->findChildren<QLabel*>()) {
                captioned |= candidate->text() == caption && candidate->buddy() == entry &&
                             candidate->geometry().right() < entry->x();
            }
            QVERIFY2(captioned, caption);
            QCOMPARE(entry->accessibleDescription(), QString::fromLatin1(entryName));
        }
        QVERIFY(factory->findChild<QLineEdit*>("Temp1Calib_Text")->x() <
                factory->findChild<QLineEdit*>("DCVlow_Text")->x());
        QVERIFY(factory->findChild<QLineEdit*>("DCVlow_Text")->x() <
                factory->findChild<QLineEdit*>("DCVlowOffset_Text")->x());
        // The controller's switch is shown but not the operator's to change.
        auto* locked = factory->findChild<QCheckBox*>("CheckBox2");
        QTest::mouseClick(locked, Qt::LeftButton);
        QTest::keyClick(locked, Qt::Key_Space);
        QVERIFY(!locked->isChecked());
        auto* editable = factory->findChild<QCheckBox*>("CheckBox1");
        QTest::keyClick(editable, Qt::Key_Space);
        QVERIFY(editable->isChecked());
        // It fits a service laptop's screen, as the access-code window does.
        for (const QWidget* shown : {factory, f.window("Password_Form")}) {
            QVERIFY(shown->sizeHint().width() <= 1366 && shown->sizeHint().height() <= 700);
        }
    }

    // Tab takes the entries as the operator reads them: the left column
    // down, then the middle and right columns row by row.
    void tabOrder() {
        FormFixture f;
        f.button("F_Setup_Command")->click();
        QTest::keyClicks(passwordBox(f), "KT508");
        QWidget* factory = f.window("F_Setup_Form");
        factory->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(factory));
        factory->findChild<QWidget*>("S_Temp1Calib_Text")->setFocus();
        QStringList seen;
        for (int i = 0; i < 11; ++i) {
            QTest::keyClick(factory->focusWidget(), Qt::Key_Tab);
            seen << factory->focusWidget()->objectName();
        }
        QCOMPARE(seen, (QStringList{"S_Temp2Calib_Text", "S_TECcurrCalib_Text", "S_DCVcalib_Text",
                                    "S_DCVlow_Text", "S_DCVlowOffset_Text", "S_DCVhigh_Text",
                                    "S_DCVhighOffset_Text", "S_H_Fan_Text", "S_Ver_Text",
                                    "CheckBox1", "F_Setup_Command"}));
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
        QFETCH(QStringList, shown);
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
        QCOMPARE(texts, shown);
        QCOMPARE(factory->findChild<QCheckBox*>("CheckBox2")->isChecked(), coolingOnly);
        // From a ticked box as well.
        f.port->feed(factoryReply(hex("00 00 00 00 00 00 00 00 00 00 01 00")) + factoryReply(data));
        f.tick(2);
        QCOMPARE(factory->findChild<QCheckBox*>("CheckBox2")->isChecked(), coolingOnly);
    }

    // What the operator changes goes out from the factory window's button,
    // whatever the port, and only while the factory window is shown do the
    // queries go out.
    void sendSetup() {
        FormFixture f;
        f.run("click F_Setup_Command; type Password_Form/Password_TextBox KT508; "
              "set F_Setup_Form/S_H_Fan_Text 30; click F_Setup_Form/F_Setup_Command; open; "
              "set TextBox1 TEC; tick 2; wrote 05 01 1E 1B 01 1E 5E; tick 8; "
              "wrote 05 01 0F 00 15; wrote 05 01 0F 00 15; wrote 05 01 0F 03 18; quiet");
        f.window("F_Setup_Form")->close();
        f.run("tick 4; wrote 05 01 0F 00 15; quiet");
    }

    void hydrogenPeriodCheck_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("100") << "100" << QStringList{};
        QTest::newRow("101") << "101" << QStringList{"数据错误！"};
        QTest::newRow("empty") << "" << QStringList{};
    }
    void hydrogenPeriodCheck() {
        QFETCH(QString, text);
        QFETCH(QStringList, messages);
        FormFixture f;
        f.button("F_Setup_Command")->click();
        QTest::keyClicks(passwordBox(f), "KT508");
        QWidget* factory = f.window("F_Setup_Form");
        QVERIFY(QTest::qWaitForWindowActive(factory));
        QLineEdit* box = factory->findChild<QLineEdit*>("S_H_Fan_Text");
        box->setText(text);
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Tab);
        QCoreApplication::processEvents();
        QCOMPARE(f.messages.texts, messages);
        QCOMPARE(box->text(), text);
    }
};

QTEST_MAIN(TestFactory)
#include "test_factory.moc"
