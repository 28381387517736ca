#include "app/port_names.h"

#include <QTest>

using namespace brisco::app;

class TestPortNames : public QObject {
    Q_OBJECT

private slots:
    void order_data() {
        QTest::addColumn<QStringList>("devices");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("usb first") << QStringList{"/dev/ttyS0", "/dev/ttyUSB0"}
                                   << QStringList{"/dev/ttyUSB0", "/dev/ttyS0"};
        QTest::newRow("usb then acm then others")
            << QStringList{"/dev/ttyS1", "/dev/ttyACM0", "/dev/ttyS0", "/dev/ttyUSB1"}
            << QStringList{"/dev/ttyACM0", "/dev/ttyUSB1", "/dev/ttyS0", "/dev/ttyS1"};
        QTest::newRow("numbers by value") << QStringList{"/dev/ttyUSB10", "/dev/ttyUSB2"}
                                          << QStringList{"/dev/ttyUSB2", "/dev/ttyUSB10"};
        QTest::newRow("duplicates once")
            << QStringList{"/dev/ttyS0", "/dev/ttyS0"} << QStringList{"/dev/ttyS0"};
        QTest::newRow("none") << QStringList{} << QStringList{};
    }
    void order() {
        QFETCH(QStringList, devices);
        QFETCH(QStringList, expected);
        QCOMPARE(orderSerialDevices(devices), expected);
    }

    void devicePath_data() {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("override");
        QTest::addColumn<QString>("expected");
        const QString none;
        QTest::newRow("first") << 1 << none << "/dev/ttyUSB0";
        QTest::newRow("second") << 2 << none << "/dev/ttyS0";
        QTest::newRow("beyond the list") << 3 << none << "";
        QTest::newRow("zero") << 0 << none << "";
        QTest::newRow("override wins") << 3 << "/dev/pts/7"
                                       << "/dev/pts/7";
    }
    void devicePath() {
        QFETCH(int, number);
        QFETCH(QString, override);
        QFETCH(QString, expected);
        QCOMPARE(devicePathFor(number, override, {"/dev/ttyUSB0", "/dev/ttyS0"}), expected);
    }
};

QTEST_GUILESS_MAIN(TestPortNames)
#include "test_port_names.moc"
