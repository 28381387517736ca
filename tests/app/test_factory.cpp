// The access-code window and the factory window, reached from the main
// window as the operator reaches them.
#include "form_fixture.h"

#include <QCheckBox>
#include <QPushButton>

namespace {

QLineEdit* passwordBox(const FormFixture& f) {
    return f.form->findChild<QLineEdit*>(QStringLiteral("Password_TextBox"));
}

// A factory reply with these data bytes at offsets 5..16.
QByteArray factoryReply(const QByteArray& data) {
    return framed(hex("06 01 0F 03 0C") + data);
}

} // namespace

class TestFactory : public QObject {
    Q_OBJECT

private slots:
    // What the operator does with the access code and the factory window,
    // and what must follow.
    void scripts_data() {
        QTest::addColumn<QString>("script");
        const auto row = [](const char* name, const char* script) {
            QTest::newRow(name) << QString::fromUtf8(script);
        };
        const char* gate = "click F_Setup_Command; type Password_Form/Password_TextBox ";
        const char* opened = "click F_Setup_Command; type Password_Form/Password_TextBox KT508; ";
        row("the code opens at its fifth character, with no key to confirm",
            "click F_Setup_Command; shown Password_Form 1; type Password_Form/Password_TextBox "
            "KT50; "
            "shown F_Setup_Form 0; type Password_Form/Password_TextBox 8; shown F_Setup_Form 1; "
            "shown Password_Form 0");
        for (const char* typed : {"kt508", "KT509", "XKT508"}) {
            QTest::addRow("%s does not open", typed) << QString::fromLatin1(
                QByteArray(gate) + typed + "; shown F_Setup_Form 0; shown Password_Form 1");
        }
        row("the character in front deleted, it opens",
            "click F_Setup_Command; type Password_Form/Password_TextBox XKT508; "
            "key Password_Form/Password_TextBox Home; shown F_Setup_Form 0; "
            "key Password_Form/Password_TextBox Delete; shown F_Setup_Form 1");
        row("asked afresh each time; the gate waits while the factory window is shown",
            "show; click F_Setup_Command; type Password_Form/Password_TextBox KT5; "
            "activate Main_Form; activate Password_Form; shows Password_Form/Password_TextBox; "
            "type Password_Form/Password_TextBox KT508; shown F_Setup_Form 1; "
            "click F_Setup_Command; shown Password_Form 0; close F_Setup_Form; "
            "click F_Setup_Command; shown Password_Form 1; shows Password_Form/Password_TextBox; "
            "close Main_Form; shown Password_Form 0");
        row("send setup, whatever the port; the factory queries only while it is shown",
            (QByteArray(opened) +
             "set F_Setup_Form/S_H_Fan_Text 30; click F_Setup_Form/F_Setup_Command; open; "
             "set TextBox1 TEC; tick 2; wrote 05 01 1E 1B 01 1E 5E; tick 8; wrote 05 01 0F 00 15; "
             "wrote 05 01 0F 00 15; wrote 05 01 0F 03 18; close F_Setup_Form; tick 4; "
             "wrote 05 01 0F 00 15; quiet")
                .constData());
        for (const char* value : {"100", "101", ""}) {
            QTest::addRow("hydrogen period %s, left by Tab", value) << QString::fromUtf8(
                QByteArray(opened) + "activate F_Setup_Form; set F_Setup_Form/S_H_Fan_Text " +
                value +
                "; focus F_Setup_Form/S_H_Fan_Text; "
                "key F_Setup_Form/S_H_Fan_Text Tab; " +
                (QByteArray(value) == "101" ? "told 数据错误！" : "spin; untold") +
                "; shows F_Setup_Form/S_H_Fan_Text " + value);
        }
    }
    void scripts() {
        QFETCH(QString, script);
        FormFixture f;
        f.run(script);
    }

    void factoryWindow() {
        FormFixture f;
        f.button("F_Setup_Command")->click();
        QCOMPARE(f.window("Password_Form")->windowTitle(), QStringLiteral("密码"));
        QCOMPARE(passwordBox(f)->echoMode(), QLineEdit::Password);
        QCOMPARE(passwordBox(f)->maxLength(), 10);
        QTest::keyClicks(passwordBox(f), "KT508");
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
};

QTEST_MAIN(TestFactory)
#include "test_factory.moc"
