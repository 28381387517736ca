// The simulator's command line: every option, what is refused, and the help text.
#include "sim/sim_options.h"

#include <QTest>

using namespace brisco::sim;

class TestSimOptions : public QObject {
    Q_OBJECT

private slots:
    void everyOption();
    void refused_data();
    void refused();
    void help();
};

void TestSimOptions::everyOption() {
    const ParsedOptions parsed = parseSimOptions(
        {"brisco-sim", "--address",    "7",         "--info",       "XYZ/2.0/VA2.5/", "--echo",
         "--split",    "--noise",      "--corrupt", "15",           "--refuse",       "5",
         "--silence",  "2.5",          "--delay",   "40",           "--seed",         "4294967295",
         "--link",     "/tmp/tty-sim", "--trace",   "--stats-file", "/tmp/stats"});
    QVERIFY2(parsed.options.has_value(), qPrintable(parsed.message));
    const SimOptions& options = *parsed.options;
    QCOMPARE(options.controller.address, 7);
    QCOMPARE(options.controller.deviceInfo, QByteArray("XYZ/2.0/VA2.5/"));
    QVERIFY(options.faults.echo && options.faults.split && options.faults.noise);
    QCOMPARE(options.faults.corruptPercent, 15);
    QCOMPARE(options.faults.refusePercent, 5);
    QCOMPARE(options.faults.silenceSeconds, 2.5);
    QCOMPARE(options.faults.delayMs, 40);
    QCOMPARE(options.seed.value_or(0), 4294967295u);
    QCOMPARE(options.linkPath, "/tmp/tty-sim");
    QCOMPARE(options.statsPath, "/tmp/stats");
    QVERIFY(options.trace);
}

void TestSimOptions::refused_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("mentions");

    QTest::newRow("address 0") << QStringList{"--address", "0"} << "--address";
    QTest::newRow("empty info") << QStringList{"--info", ""} << "--info";
    QTest::newRow("info of 256 characters") << QStringList{"--info", QString(256, 'x')} << "--info";
    QTest::newRow("info outside Latin-1") << QStringList{"--info", "温度/1/2/"} << "--info";
    QTest::newRow("corrupt 101") << QStringList{"--corrupt", "101"} << "--corrupt";
    QTest::newRow("refuse not a number") << QStringList{"--refuse", "half"} << "--refuse";
    QTest::newRow("endless silence") << QStringList{"--silence", "inf"} << "--silence";
    QTest::newRow("delay beyond a minute") << QStringList{"--delay", "60001"} << "--delay";
    QTest::newRow("seed beyond 32 bits") << QStringList{"--seed", "4294967296"} << "--seed";
    QTest::newRow("unknown option") << QStringList{"--baud", "19200"} << "baud";
    QTest::newRow("positional argument") << QStringList{"/dev/ttyS0"} << "/dev/ttyS0";
}

void TestSimOptions::refused() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, mentions);
    const ParsedOptions parsed = parseSimOptions(QStringList{"brisco-sim"} + arguments);
    QVERIFY(!parsed.options.has_value());
    QVERIFY(!parsed.helpRequested);
    QVERIFY2(parsed.message.contains(mentions), qPrintable(parsed.message));
}

void TestSimOptions::help() {
    const ParsedOptions parsed = parseSimOptions({"brisco-sim", "--help"});
    QVERIFY(parsed.helpRequested && !parsed.options.has_value());
    QVERIFY(parsed.message.contains("--stats-file") && parsed.message.contains("total <name>"));
}

QTEST_GUILESS_MAIN(TestSimOptions)
#include "tst_sim_options.moc"
