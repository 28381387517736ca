// The virtual controller against bytes written out by hand; its line faults.
#include "sim/controller_bus.h"
#include "sim/line_faults.h"
#include "sim/sim_options.h"
#include "test_bytes.h"

#include <QRegularExpression>
#include <QTest>

using namespace brisco::sim;

Q_DECLARE_METATYPE(brisco::sim::FaultConfig)

class TestSim : public QObject {
    Q_OBJECT

private slots:
    void answers_data() {
        QTest::addColumn<QByteArray>("requests");
        // The replies in order as far as they are fixed, and their length in all.
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<int>("length");
        QTest::addColumn<QList<quint8>>("bus"); // none: the single controller
        const auto row = [](const char* name, const char* requests, const char* head, int length,
                            const QList<quint8>& bus = {}) {
            QTest::newRow(name) << hex(requests) << hex(head) << length << bus;
        };
        row("device info", "05010F0217", "06010F0211 5445432D34382F312E302F5641322E312F", 23);
        row("set-points of one and two bytes", "05011E00014166 05011E050203E816 05010F0015",
            "06011E00014167 06011E050203E817 06010F001E41462D370203E8", 51);
        row("factory values", "05010F0318", "06010F030C", 18);
        // Acknowledged from the old address; then the address query, taken at 0
        // and answered from 0, an unknown read and a poll meet only the new one.
        row("address 2", "05011E1C010243 05000F0115 05020F091F 05010F0015 05020F0016",
            "06011E1C010244 06000F01010219 1502 06020F001E", 52);
        // Writes of address 0, of parameter 40 and across two blocks.
        row("writes refused", "05011E1C010041 05011E2801004D 05011E0F02000035 05010F0015",
            "1501 1501 1501 06010F001E", 42);
        row("broadcast poll ignored", "05000F0014", "", 0);
        row("noise, a poll cut short", "00FF06150F1E 05010F00 05010F0015 AA55", "06010F001E", 36);
        // Each its own device information and cooling set-points; the
        // address query that all take collides; nobody is at 5.
        row("bus 1, 3 and 7", "05030F0219 05050F001B 05070F001B",
            "06030F0211 5445432D32342F312E312F5641322E322F E0 06070F001E4D48", 59, {1, 3, 7});
        row("bus, the address query collides", "05000F0115", "06000F010107E1", 7, {1, 3, 7});
    }
    void answers() {
        QFETCH(QByteArray, requests);
        QFETCH(QByteArray, head);
        QFETCH(int, length);
        QFETCH(QList<quint8>, bus);
        SimOptions options;
        options.bus = bus;
        // Fed at once and one byte at a time, the same bytes get the same replies.
        for (const qsizetype piece : {requests.size(), qsizetype(1)}) {
            ControllerBus controller(lineControllers(options), 0);
            QByteArray replies;
            for (qsizetype at = 0; at < requests.size(); at += piece) {
                for (const Exchange& exchange : controller.receive(requests.mid(at, piece), 9)) {
                    const QByteArray& reply = exchange.reply;
                    QCOMPARE(reply.size() == 2 || framed(reply.chopped(1)) == reply,
                             controller.counters().collisions == 0);
                    replies += reply;
                }
            }
            QCOMPARE(hexOf(replies.first(qMin(head.size(), replies.size()))), hexOf(head));
            QCOMPARE(replies.size(), length);
        }
    }

    void line_data() {
        QTest::addColumn<FaultConfig>("config");
        QTest::addColumn<QString>("line"); // a pattern of the bytes in hexadecimal
        const QString ack = "06 01 1E 00 01 41 67 ";
        QTest::newRow("split, noise") << FaultConfig{.split = true, .noise = true}
                                      << "(((?!05|06|15)\\w\\w )*" + ack + "){100}";
        QTest::newRow("refused") << FaultConfig{.refusePercent = 100} << "(15 01 ){100}";
        // Twenty requests a second: silent for one second in three.
        QTest::newRow("echo, silence")
            << FaultConfig{.echo = true, .silenceSeconds = 1, .silencePeriod = 3}
            << QString("(%1){20}(%1%2){40}(%1){20}(%1%2){20}").arg("05 01 0F 00 15 ", ack);
    }
    void line() {
        QFETCH(FaultConfig, config);
        QFETCH(QString, line);
        std::mt19937 random(7);
        LineFaults faults(config, random);
        QByteArray sent;
        int sendings = 0;
        // A poll and its reply every 50 ms: pieces of one are still due when the next comes.
        for (int ms = 0; ms < 6000; ++ms) {
            if (ms % 50 == 0 && ms < 5000) {
                faults.requestReceived(hex("05010F0015"), ms / 1000.0);
                faults.replyReady(hex("06011E00014167"), ms / 1000.0);
            }
            const QByteArray bytes = faults.takeDue(ms / 1000.0).bytes;
            sendings += !bytes.isEmpty();
            sent += bytes;
        }
        QVERIFY2(QRegularExpression('^' + line + '$').match(hexOf(sent) + ' ').hasMatch(),
                 qPrintable(hexOf(sent)));
        QCOMPARE(faults.counters().noiseBytes > 0, config.noise);
        QCOMPARE(sendings > 100, config.split);
    }
};

QTEST_GUILESS_MAIN(TestSim)
#include "tst_sim.moc"
