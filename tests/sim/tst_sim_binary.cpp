// One run of the real brisco-sim: its terminal (first line, link) served to a
// client that comes back, the stats file, and a clean end on SIGTERM.
#include "test_bytes.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTest>

#include <utility>

class TestSimBinary : public QObject {
    Q_OBJECT

private slots:
    void run() {
        const QTemporaryDir directory;
        const QString link = directory.filePath("tty");
        const QString statsPath = directory.filePath("stats");
        QProcess simulator;
        simulator.start(BRISCO_SIM_PATH, {"--address", "3", "--seed", "1", "--link", link,
                                          "--stats-file", statsPath});
        while (!simulator.canReadLine())
            QVERIFY(simulator.waitForReadyRead());
        QCOMPARE(QFileInfo(link).symLinkTarget(),
                 QString::fromLocal8Bit(simulator.readLine()).trimmed());

        // Noise, a poll, a poll for address 1, the address, device-information and factory
        // queries, a write and an unknown sub-command.
        const QByteArray requests = hex("00 05030F0017 05010F0015 05000F0115 05030F0219 "
                                        "05030F031A 05031E00014168 05030F0920");
        const QList<std::pair<QString, int>> replies = {{"status", 36}, {"address", 7},
                                                        {"info", 23},   {"factory", 18},
                                                        {"ack", 7},     {"refusal", 2}};
        QByteArray received;
        // Twice, so that a client that closes and comes back is served again.
        for (int round = 1; round <= 2; ++round) {
            QSerialPort port(link);
            QVERIFY(port.open(QIODevice::ReadWrite));
            port.write(requests);
            while (received.size() < round * 93 && port.waitForReadyRead(5000))
                received += port.readAll();
        }
        simulator.terminate();
        QVERIFY(simulator.waitForFinished());
        QCOMPARE(simulator.exitCode(), 0);
        QVERIFY(!QFileInfo(link).isSymLink());

        QFile stats(statsPath);
        QVERIFY(stats.open(QIODevice::ReadOnly | QIODevice::Text));
        const QStringList lines = QString::fromLatin1(stats.readAll()).split('\n');
        QCOMPARE(lines[0], "# brisco-sim stats 1");
        // A line for each reply, as the client read it.
        qsizetype at = 0;
        for (int i = 0; i < 12; ++i) {
            const auto& [kind, size] = replies[i % 6];
            QCOMPARE(lines[1 + i].section(' ', 1),
                     kind + " good " + hexOf(received.mid(std::exchange(at, at + size), size)));
        }
        QCOMPARE(at, received.size());
        for (const char* total :
             {"status-good 2", "other-good 10", "requests-ignored 2", "bytes-skipped 2"})
            QVERIFY2(lines.contains(QLatin1String("total ") + total), total);
    }
};

QTEST_GUILESS_MAIN(TestSimBinary)
#include "tst_sim_binary.moc"
