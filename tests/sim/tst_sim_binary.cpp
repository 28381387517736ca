// The real brisco-sim binary: it names its pseudo-terminal on the first line,
// answers a status poll written to it, and ends cleanly on SIGTERM.
#include "sim_test_bytes.h"
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr int kTimeoutMs = 10000;

// Starts the simulator and returns the device path from its first line, or
// an empty text when none came within the time-out.
QString startSimulator(QProcess& process, const QStringList& arguments) {
    process.start(QStringLiteral(BRISCO_SIM_PATH), arguments);
    if (!process.waitForStarted(kTimeoutMs))
        return {};
    const QDeadlineTimer deadline(kTimeoutMs);
    while (!process.canReadLine()) {
        if (deadline.hasExpired() || !process.waitForReadyRead(int(deadline.remainingTime())))
            return {};
    }
    return QString::fromLocal8Bit(process.readLine()).trimmed();
}

int openRaw(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return -1;
    termios settings{};
    if (::tcgetattr(fd, &settings) != 0) {
        ::close(fd);
        return -1;
    }
    ::cfmakeraw(&settings);
    if (::tcsetattr(fd, TCSANOW, &settings) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Reads until count bytes have come or the time-out has passed.
QByteArray readBytes(int fd, qsizetype count) {
    QByteArray bytes;
    const QDeadlineTimer deadline(kTimeoutMs);
    while (bytes.size() < count && !deadline.hasExpired()) {
        pollfd watched{fd, POLLIN, 0};
        if (::poll(&watched, 1, int(deadline.remainingTime())) <= 0)
            continue;
        char buffer[256];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0)
            bytes.append(buffer, n);
    }
    return bytes;
}

bool writeAll(int fd, const QByteArray& bytes) {
    return ::write(fd, bytes.constData(), bytes.size()) == bytes.size();
}

} // namespace

class TestSimBinary : public QObject {
    Q_OBJECT

private slots:
    void answersStatusPoll_data();
    void answersStatusPoll();
    void linkAndStatsFile();
};

void TestSimBinary::answersStatusPoll_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("echo");

    QTest::newRow("plain line") << QStringList{} << QByteArray();
    QTest::newRow("echoing line") << QStringList{"--echo"} << hex("05010F0015");
    QTest::newRow("replies in pieces") << QStringList{"--split", "--delay", "20"} << QByteArray();
}

void TestSimBinary::answersStatusPoll() {
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, echo);

    QProcess simulator;
    const QString path = startSimulator(simulator, arguments + QStringList{"--seed", "1"});
    QVERIFY2(path.startsWith(QLatin1String("/dev/")), qPrintable(path));

    // Twice, so that a client that closes and comes back is served again.
    for (int round = 0; round < 2; ++round) {
        const int fd = openRaw(path);
        QVERIFY2(fd >= 0, qPrintable(path));
        QVERIFY(writeAll(fd, hex("05010F0015")));
        const QByteArray received = readBytes(fd, echo.size() + 36);
        ::close(fd);

        QCOMPARE(received.size(), echo.size() + 36);
        QCOMPARE(received.first(echo.size()), echo);
        const QByteArray reply = received.sliced(echo.size());
        QCOMPARE(reply.first(5).toHex(' '), hex("06010F001E").toHex(' '));
        QCOMPARE(static_cast<quint8>(reply[35]), sumOf(reply.first(35)));
    }

    simulator.terminate();
    QVERIFY(simulator.waitForFinished(kTimeoutMs));
    QCOMPARE(simulator.exitStatus(), QProcess::NormalExit);
    QCOMPARE(simulator.exitCode(), 0);
    const QString errors = QString::fromLocal8Bit(simulator.readAllStandardError());
    QVERIFY2(
        errors.contains(QLatin1String("brisco-sim: status replies sent 2 (good 2, corrupted 0)")),
        qPrintable(errors));
}

void TestSimBinary::linkAndStatsFile() {
    QTemporaryDir directory;
    QVERIFY(directory.isValid());
    const QString link = directory.filePath(QStringLiteral("ttyBRISCO"));
    const QString statsPath = directory.filePath(QStringLiteral("stats.txt"));

    QProcess simulator;
    const QString path = startSimulator(
        simulator, {"--seed", "2", "--address", "3", "--link", link, "--stats-file", statsPath});
    QVERIFY(!path.isEmpty());
    QCOMPARE(QFileInfo(link).symLinkTarget(), path);

    const int fd = openRaw(link);
    QVERIFY(fd >= 0);
    QVERIFY(writeAll(fd, hex("05030F0017") + hex("05010F0015") + hex("05000F0115")));
    const QByteArray received = readBytes(fd, 36 + 7);
    ::close(fd);
    QCOMPARE(received.size(), 36 + 7);
    const QByteArray status = received.first(36);
    QCOMPARE(status.first(4).toHex(' '), hex("06030F00").toHex(' '));
    QCOMPARE(received.sliced(36).toHex(' '), hex("06000F0101031A").toHex(' '));

    simulator.terminate();
    QVERIFY(simulator.waitForFinished(kTimeoutMs));
    QCOMPARE(simulator.exitCode(), 0);
    QVERIFY(!QFileInfo(link).isSymLink());

    QFile stats(statsPath);
    QVERIFY(stats.open(QIODevice::ReadOnly | QIODevice::Text));
    const QStringList lines = QString::fromUtf8(stats.readAll()).split(QLatin1Char('\n'));
    QCOMPARE(lines.first(), QStringLiteral("# brisco-sim stats 1"));
    const QStringList statusLine = lines.at(1).split(QLatin1Char(' '));
    QCOMPARE(statusLine.mid(1, 2), (QStringList{"status", "good"}));
    QCOMPARE(QByteArray::fromHex(statusLine.mid(3).join(QString()).toLatin1()), status);
    QVERIFY(lines.at(2).endsWith(QLatin1String("address good 06 00 0F 01 01 03 1A")));
    QVERIFY(lines.contains(QLatin1String("total status-good 1")));
    QVERIFY(lines.contains(QLatin1String("total other-good 1")));
    QVERIFY(lines.contains(QLatin1String("total requests-ignored 1")));
}

QTEST_GUILESS_MAIN(TestSimBinary)
#include "tst_sim_binary.moc"
