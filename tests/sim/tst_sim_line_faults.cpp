// The line-fault layer on a simulated clock: echo, pieces, noise, damaged
// checksums, refusals, silence, delay and the same output for the same seed;
// and the stats file in which end-to-end tests read what went out.
#include "sim/frames.h"
#include "sim/line_faults.h"
#include "sim/sim_stats.h"
#include "sim_test_bytes.h"

#include <QBuffer>
#include <QTest>

#include <random>

using namespace brisco::sim;

namespace {

const QByteArray kPoll = hex("05010F0015");

// Replies of every kind the controller sends but refusals, with valid checksums.
const QList<QByteArray> kReplies = {
    hex("06010F001E4B462D370205DC0BB8020BB85F1E0A6407000000968A963C01E00BB80BAED5"),
    hex("06000F0101051C"),
    hex("06011E00014167"),
    hex("06011E050203E817"),
    hex("06010F030C0102030405060708090A0B0C73"),
    hex("06010F020E") + "ABC/1.0/VA2.1/" + hex("30")};

struct Timeline {
    // What went out in each call that had bytes to send, and when.
    QList<double> times;
    QList<QByteArray> pieces;
    QList<SentReply> replies;
    QByteArray bytes;
    LineFaults::Counters counters;
};

// Takes everything due, one simulated millisecond after another, up to until.
void drain(LineFaults& faults, Timeline& timeline, double from, double until) {
    for (int ms = 0; from + ms / 1000.0 <= until; ++ms) {
        const double now = from + ms / 1000.0;
        const LineOutput output = faults.takeDue(now);
        if (!output.bytes.isEmpty()) {
            timeline.times.append(now);
            timeline.pieces.append(output.bytes);
        }
        timeline.bytes += output.bytes;
        timeline.replies += output.replies;
    }
}

// A poll and its reply each simulated second; everything goes out within that second.
Timeline run(const FaultConfig& config, quint32 seed, int count) {
    std::mt19937 random(seed);
    LineFaults faults(config, random);
    Timeline timeline;
    for (int i = 0; i < count; ++i) {
        faults.requestReceived(kPoll, i);
        faults.replyReady(kReplies[i % kReplies.size()], i);
        drain(faults, timeline, i, i + 0.999);
    }
    timeline.counters = faults.counters();
    return timeline;
}

} // namespace

class TestSimLineFaults : public QObject {
    Q_OBJECT

private slots:
    void everyFaultAtOnce();
    void corruptEveryReplyWhilePiecesOverlap();
    void silence_data();
    void silence();
    void statsFile();
};

void TestSimLineFaults::everyFaultAtOnce() {
    const FaultConfig config{.echo = true,
                             .split = true,
                             .noise = true,
                             .corruptPercent = 30,
                             .refusePercent = 20,
                             .delayMs = 30};
    const Timeline timeline = run(config, 42, 600);
    const Timeline same = run(config, 42, 600);
    QVERIFY(timeline.pieces == same.pieces && timeline.times == same.times);
    QVERIFY(timeline.pieces != run(config, 43, 600).pieces);
    QCOMPARE(timeline.replies.size(), 600);

    // Each second: the echoed poll at once; 30 ms later noise that cannot start a frame, then
    // the reply in up to three pieces, of which the last one completes it.
    const QByteArray& line = timeline.bytes;
    qsizetype at = 0;
    qint64 noise = 0;
    QList<int> fates(4, 0);
    QList<int> piecesPerReply(4, 0);
    for (int i = 0; i < 600; ++i) {
        COMPARE_BYTES(line.mid(at, 5), kPoll);
        for (at += 5; at < line.size() && line[at] != 6 && line[at] != 21; ++at, ++noise)
            QVERIFY2(line[at] != 5, qPrintable(QString::number(at)));
        const SentReply& sent = timeline.replies[i];
        const QByteArray& original = kReplies[i % kReplies.size()];
        COMPARE_BYTES(line.mid(at, sent.bytes.size()), sent.bytes);
        at += sent.bytes.size();
        QCOMPARE(sent.kind, replyKind(original));
        ++fates[int(sent.fate)];
        if (sent.fate == ReplyFate::Refused) {
            COMPARE_BYTES(sent.bytes, hex("15") + original[1]);
        } else {
            // Only the checksum is ever damaged, and then it never matches.
            QCOMPARE(sent.bytes.chopped(1), original.chopped(1));
            QCOMPARE(sumOf(sent.bytes.chopped(1)) == quint8(sent.bytes.back()),
                     sent.fate == ReplyFate::Good);
        }
        QList<double> times;
        for (const double time : timeline.times) {
            if (time >= i && time < i + 1)
                times.append(time);
        }
        QVERIFY(times.size() >= 2 && times.size() <= LineFaults::kMaxPieces + 1);
        QCOMPARE(times[0], double(i));
        QCOMPARE(times[1], i + 0.030);
        QVERIFY(times.last() - times[1] <= 2 * LineFaults::kMaxGapMs / 1000.0 + 1e-9);
        QCOMPARE(sent.time, times.last());
        ++piecesPerReply[times.size() - 1];
    }
    QCOMPARE(at, line.size());
    QCOMPARE(noise, timeline.counters.noiseBytes);
    QCOMPARE(timeline.counters.echoBytes, 600 * kPoll.size());
    QVERIFY(noise > 300);
    for (const ReplyFate fate : {ReplyFate::Good, ReplyFate::Corrupted, ReplyFate::Refused})
        QVERIFY(fates[int(fate)] > 60);
    QVERIFY(piecesPerReply[1] > 0 && piecesPerReply[2] > 0 && piecesPerReply[3] > 0);
}

void TestSimLineFaults::corruptEveryReplyWhilePiecesOverlap() {
    std::mt19937 random(13);
    LineFaults faults({.echo = true, .split = true, .corruptPercent = 100}, random);
    Timeline timeline;
    for (int i = 0; i < 60; ++i) {
        // Each request comes in while the pieces of the reply before are still going out.
        const double now = i * 0.010;
        faults.requestReceived(kPoll, now);
        faults.replyReady(kReplies[i % kReplies.size()], now);
        drain(faults, timeline, now, now + 0.009);
    }
    drain(faults, timeline, 0.6, 10.0);
    QCOMPARE(timeline.replies.size(), 60);
    QByteArray expected;
    for (int i = 0; i < 60; ++i) {
        const SentReply& sent = timeline.replies[i];
        QCOMPARE(sent.fate, ReplyFate::Corrupted);
        QCOMPARE(sent.bytes.chopped(1), kReplies[i % kReplies.size()].chopped(1));
        QVERIFY(sumOf(sent.bytes.chopped(1)) != quint8(sent.bytes.back()));
        expected += kPoll + sent.bytes;
    }
    // Nothing interleaves: every echo and every reply goes out whole, in order.
    COMPARE_BYTES(timeline.bytes, expected);
}

void TestSimLineFaults::silence_data() {
    QTest::addColumn<double>("seconds");
    QTest::addColumn<double>("now");
    QTest::addColumn<bool>("silenced");

    QTest::newRow("right after start") << 2.0 << 0.0 << true;
    QTest::newRow("end of the first silence") << 2.0 << 1.999 << true;
    QTest::newRow("first answering window") << 2.0 << 2.0 << false;
    QTest::newRow("an hour later, silent") << 0.5 << 3600.25 << true;
    QTest::newRow("no silence") << 0.0 << 0.0 << false;
}

void TestSimLineFaults::silence() {
    QFETCH(double, seconds);
    QFETCH(double, now);
    QFETCH(bool, silenced);

    std::mt19937 random(12);
    LineFaults faults({.echo = true, .silenceSeconds = seconds}, random);
    QCOMPARE(faults.silentAt(now), silenced);
    faults.requestReceived(kPoll, now);
    faults.replyReady(kReplies[2], now);
    // Requests are still echoed; a silenced reply is recorded but not sent.
    const LineOutput output = faults.takeDue(now);
    COMPARE_BYTES(output.bytes, silenced ? kPoll : kPoll + kReplies[2]);
    QCOMPARE(output.replies.size(), 1);
    QCOMPARE(output.replies.first().fate, silenced ? ReplyFate::Silenced : ReplyFate::Good);
    QCOMPARE(output.replies.first().bytes, kReplies[2]);
}

void TestSimLineFaults::statsFile() {
    QBuffer file;
    QVERIFY(file.open(QIODevice::WriteOnly));
    SimStats stats(&file);
    // Kinds come from the bytes; a refusal sent instead keeps the kind of what it replaced.
    const auto record = [&stats](const char* bytes, ReplyFate fate, double time) {
        stats.record({replyKind(hex(bytes)), fate, hex(bytes), time});
    };
    record("06010F001E", ReplyFate::Good, 1.5);
    record("06010F00AB", ReplyFate::Corrupted, 12.0626);
    stats.record({ReplyKind::Status, ReplyFate::Refused, hex("1501"), 4.0});
    record("06010F0000", ReplyFate::Silenced, 3600.25);
    record("06000F0101051C", ReplyFate::Good, 6.0);
    record("06011E000141A7", ReplyFate::Corrupted, 7.0);
    stats.record({ReplyKind::Factory, ReplyFate::Refused, hex("1501"), 8.0});
    record("06010F030C", ReplyFate::Good, 9.0);
    record("06010F02012F48", ReplyFate::Good, 9.5);
    record("1501", ReplyFate::Good, 10.0);
    record("06010F0900", ReplyFate::Good, 11.0);

    const Controller::Counters controller{10, 2, 7};
    const LineFaults::Counters line{50, 9};
    stats.writeTotals(controller, line);
    const QStringList expected = {"# brisco-sim stats 1",
                                  "1.500 status good 06 01 0F 00 1E",
                                  "12.063 status corrupt 06 01 0F 00 AB",
                                  "4.000 status refused 15 01",
                                  "3600.250 status silenced 06 01 0F 00 00",
                                  "6.000 address good 06 00 0F 01 01 05 1C",
                                  "7.000 ack corrupt 06 01 1E 00 01 41 A7",
                                  "8.000 factory refused 15 01",
                                  "9.000 factory good 06 01 0F 03 0C",
                                  "9.500 info good 06 01 0F 02 01 2F 48",
                                  "10.000 refusal good 15 01",
                                  "11.000 other good 06 01 0F 09 00",
                                  "total status-good 1",
                                  "total other-good 5",
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
                                  ""};
    QCOMPARE(QString::fromUtf8(file.data()).split(QLatin1Char('\n')), expected);
}

QTEST_GUILESS_MAIN(TestSimLineFaults)
#include "tst_sim_line_faults.moc"
