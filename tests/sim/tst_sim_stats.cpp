// The counters, the summary line and the stats file that end-to-end tests read.
#include "sim/sim_stats.h"
#include "sim_test_bytes.h"

#include <QBuffer>
#include <QTest>

using namespace brisco::sim;

namespace {

SentReply sent(ReplyKind kind, ReplyFate fate, const QByteArray& bytes, double time) {
    return {kind, fate, bytes, time};
}

} // namespace

Q_DECLARE_METATYPE(brisco::sim::SentReply)

class TestSimStats : public QObject {
    Q_OBJECT

private slots:
    void replyLine_data();
    void replyLine();
    void countsAndFile();
    void withoutFile();
};

void TestSimStats::replyLine_data() {
    QTest::addColumn<SentReply>("reply");
    QTest::addColumn<QString>("line");

    QTest::newRow("good status") << sent(ReplyKind::Status, ReplyFate::Good, hex("06010F001E"), 1.5)
                                 << "1.500 status good 06 01 0F 00 1E";
    QTest::newRow("corrupted ack")
        << sent(ReplyKind::WriteAck, ReplyFate::Corrupted, hex("06011E000141A7"), 12.0626)
        << "12.063 ack corrupt 06 01 1E 00 01 41 A7";
    QTest::newRow("refused factory")
        << sent(ReplyKind::Factory, ReplyFate::Refused, hex("1501"), 0.0)
        << "0.000 factory refused 15 01";
    QTest::newRow("silenced address")
        << sent(ReplyKind::Address, ReplyFate::Silenced, hex("06000F0101051C"), 3600.25)
        << "3600.250 address silenced 06 00 0F 01 01 05 1C";
    QTest::newRow("info") << sent(ReplyKind::DeviceInfo, ReplyFate::Good, hex("06010F02"), 2.0)
                          << "2.000 info good 06 01 0F 02";
}

void TestSimStats::replyLine() {
    QFETCH(SentReply, reply);
    QFETCH(QString, line);
    QCOMPARE(SimStats::replyLine(reply), line);
}

void TestSimStats::countsAndFile() {
    QBuffer file;
    QVERIFY(file.open(QIODevice::WriteOnly));
    SimStats stats(&file);
    stats.record(sent(ReplyKind::Status, ReplyFate::Good, hex("0601"), 1.0));
    stats.record(sent(ReplyKind::Status, ReplyFate::Good, hex("0602"), 2.0));
    stats.record(sent(ReplyKind::Status, ReplyFate::Corrupted, hex("0603"), 3.0));
    stats.record(sent(ReplyKind::Status, ReplyFate::Refused, hex("1501"), 4.0));
    stats.record(sent(ReplyKind::Status, ReplyFate::Silenced, hex("0605"), 5.0));
    stats.record(sent(ReplyKind::Address, ReplyFate::Good, hex("0606"), 6.0));
    stats.record(sent(ReplyKind::WriteAck, ReplyFate::Corrupted, hex("0607"), 7.0));
    stats.record(sent(ReplyKind::Factory, ReplyFate::Refused, hex("1501"), 8.0));

    QCOMPARE(stats.statusCount(ReplyFate::Good), 2);
    QCOMPARE(stats.statusCount(ReplyFate::Corrupted), 1);
    QCOMPARE(stats.statusCount(ReplyFate::Refused), 1);
    QCOMPARE(stats.statusCount(ReplyFate::Silenced), 1);
    QCOMPARE(stats.otherCount(ReplyFate::Good), 1);
    QCOMPARE(stats.otherCount(ReplyFate::Corrupted), 1);
    QCOMPARE(stats.otherCount(ReplyFate::Refused), 1);
    QCOMPARE(stats.otherCount(ReplyFate::Silenced), 0);

    const Controller::Counters controller{10, 2, 7};
    const LineFaults::Counters line{50, 9};
    QCOMPARE(stats.summaryLine(controller, line),
             "brisco-sim: status replies sent 3 (good 2, corrupted 1), refused 1, silenced 1; "
             "other replies sent 2 (good 1, corrupted 1), refused 1, silenced 0; "
             "requests accepted 10, ignored 2; bytes skipped 7, echoed 50, noise 9");

    stats.writeTotals(controller, line);
    const QStringList lines = QString::fromUtf8(file.data()).split(QLatin1Char('\n'));
    const QStringList expected = {
        "# brisco-sim stats 1",
        "1.000 status good 06 01",
        "2.000 status good 06 02",
        "3.000 status corrupt 06 03",
        "4.000 status refused 15 01",
        "5.000 status silenced 06 05",
        "6.000 address good 06 06",
        "7.000 ack corrupt 06 07",
        "8.000 factory refused 15 01",
        "total status-good 2",
        "total other-good 1",
        "total status-corrupt 1",
        "total other-corrupt 1",
        "total status-refused 1",
        "total other-refused 1",
        "total status-silenced 1",
        "total other-silenced 0",
        "total requests-accepted 10",
        "total requests-ignored 2",
        "total bytes-skipped 7",
        "total bytes-echoed 50",
        "total bytes-noise 9",
        "",
    };
    QCOMPARE(lines, expected);
}

void TestSimStats::withoutFile() {
    SimStats stats;
    stats.record(sent(ReplyKind::Status, ReplyFate::Good, hex("0601"), 1.0));
    stats.writeTotals({}, {});
    QCOMPARE(stats.statusCount(ReplyFate::Good), 1);
    QVERIFY(stats.summaryLine({}, {}).startsWith("brisco-sim: status replies sent 1 (good 1,"));
}

QTEST_GUILESS_MAIN(TestSimStats)
#include "tst_sim_stats.moc"
