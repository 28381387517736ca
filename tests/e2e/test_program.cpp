// The brisco program as a whole process: its command line, and what it says
// without its lamp library. How it ends on a signal is the package test's.
#include "brisco_build.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

constexpr int kTimeout = 10000;

class TestProgram : public QObject {
    Q_OBJECT

private slots:
    // Run alone, without its lamp library, on the offscreen display of the test;
    // help and version without a display. Status -1: it waits in its message box.
    void commandLine_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("said"); // on standard output for status 0, else on error
        const QByteArray version = "brisco " BRISCO_VERSION "\n";
        QTest::newRow("--help") << QStringList{"--help"} << 0 << QByteArray("BRISCO_COM1");
        QTest::newRow("-v") << QStringList{"-v"} << 0 << version;
        QTest::newRow("Qt's own option taken off")
            << QStringList{"-platform", "offscreen", "--version"} << 0 << version;
        QTest::newRow("unknown option")
            << QStringList{"--port=COM1"} << 2 << QByteArray("Unknown option 'port'");
        QTest::newRow("argument") << QStringList{"COM1"} << 2 << QByteArray("Unexpected argument");
        QTest::newRow("no lamp library")
            << QStringList{} << -1 << QByteArray("The lamp library Lumbrel cannot be loaded");
    }
    void commandLine() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, said);
        QTemporaryDir alone;
        QVERIFY(QFile::copy(BRISCO_PATH, alone.filePath("brisco")));
        QProcess program;
        if (exitCode == 0) {
            program.setProcessEnvironment(QProcessEnvironment()); // none, so no display
        }
        program.start(alone.filePath("brisco"), arguments);
        if (exitCode < 0) {
            QByteArray err;
            QTRY_VERIFY_WITH_TIMEOUT((err += program.readAllStandardError()).contains(said),
                                     kTimeout);
            QCOMPARE(program.state(), QProcess::Running);
            program.kill();
            QVERIFY(program.waitForFinished(kTimeout));
            return;
        }
        QVERIFY(program.waitForFinished(kTimeout));
        const QByteArray out = program.readAllStandardOutput();
        const QByteArray err = program.readAllStandardError();
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QVERIFY2(program.exitCode() == exitCode, err.constData());
        QVERIFY2((exitCode == 0 ? out : err).contains(said), (out + err).constData());
        QCOMPARE(out.isEmpty(), exitCode != 0);
    }
};

QTEST_GUILESS_MAIN(TestProgram)
#include "test_program.moc"
