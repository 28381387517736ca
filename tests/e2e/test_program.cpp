// The brisco program as a whole process: its command line, how it ends on a
// signal, and what it does without its lamp library.
#include "brisco_build.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace {

constexpr int kTimeout = 10000;

// The signals whose handler the process has installed (SigCgt).
quint64 caughtSignals(qint64 pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly)) {
        return 0;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("SigCgt:")) {
            return line.mid(7).trimmed().toULongLong(nullptr, 16);
        }
    }
    return 0;
}

bool catches(qint64 pid, int signal) {
    return caughtSignals(pid) & (quint64{1} << (signal - 1));
}

void startProgram(QProcess& program, const QString& path) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    for (const char* port : {"BRISCO_COM1", "BRISCO_COM2", "BRISCO_COM3"}) {
        environment.insert(QLatin1String(port), QStringLiteral("/nonexistent/brisco"));
    }
    program.setProcessEnvironment(environment);
    program.start(path, {});
}

} // namespace

class TestProgram : public QObject {
    Q_OBJECT

private slots:
    // Run alone, without its lamp library: a program that went on to its
    // window would stop in the message box about the library and not end.
    void commandLine_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("display");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<QByteArray>("err");
        const QByteArray version = "brisco " BRISCO_VERSION "\n";
        QTest::newRow("help, no display")
            << QStringList{"--help"} << false << 0 << QByteArray("BRISCO_COM1") << QByteArray();
        QTest::newRow("version, no display")
            << QStringList{"--version"} << false << 0 << version << QByteArray();
        QTest::newRow("-v") << QStringList{"-v"} << false << 0 << version << QByteArray();
        QTest::newRow("Qt's own option taken off")
            << QStringList{"-platform", "offscreen", "--version"} << false << 0 << version
            << QByteArray();
        QTest::newRow("unknown option") << QStringList{"--port=COM1"} << true << 2 << QByteArray()
                                        << QByteArray("Unknown option 'port'");
        QTest::newRow("argument") << QStringList{"COM1"} << true << 2 << QByteArray()
                                  << QByteArray("Unexpected argument 'COM1'");
    }
    void commandLine() {
        QFETCH(QStringList, arguments);
        QFETCH(bool, display);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, out);
        QFETCH(QByteArray, err);
        QTemporaryDir alone;
        const QString copy = QDir(alone.path()).filePath(QStringLiteral("brisco"));
        QVERIFY(QFile::copy(QStringLiteral(BRISCO_PATH), copy));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
            environment.remove(QLatin1String(name));
        }
        if (display) {
            environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        }
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(copy, arguments);
        QVERIFY(program.waitForFinished(kTimeout));
        const QByteArray said = program.readAllStandardOutput();
        const QByteArray complained = program.readAllStandardError();
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QVERIFY2(program.exitCode() == exitCode, complained.constData());
        QVERIFY2(said.contains(out), said.constData());
        QVERIFY2(complained.contains(err), complained.constData());
        QCOMPARE(said.isEmpty(), out.isEmpty());
    }

    void signalClosesNormally_data() {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
    }
    void signalClosesNormally() {
        QFETCH(int, signal);
        QProcess program;
        startProgram(program, QStringLiteral(BRISCO_PATH));
        QVERIFY(program.waitForStarted(kTimeout));
        QTRY_VERIFY_WITH_TIMEOUT(catches(program.processId(), signal), kTimeout);
        ::kill(static_cast<pid_t>(program.processId()), signal);
        QVERIFY(program.waitForFinished(kTimeout));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
    }

    void missingLampLibraryIsSaid() {
        QTemporaryDir alone;
        const QString copy = QDir(alone.path()).filePath(QStringLiteral("brisco"));
        QVERIFY(QFile::copy(QStringLiteral(BRISCO_PATH), copy));
        QProcess program;
        startProgram(program, copy);
        QVERIFY(program.waitForStarted(kTimeout));
        QByteArray said;
        QTRY_VERIFY_WITH_TIMEOUT((said += program.readAllStandardError())
                                     .contains("The lamp library Lumbrel cannot be loaded"),
                                 kTimeout);
        // The message box waits for the operator; the process is still whole.
        QCOMPARE(program.state(), QProcess::Running);
        program.kill();
        program.waitForFinished(kTimeout);
    }
};

QTEST_GUILESS_MAIN(TestProgram)
#include "test_program.moc"
