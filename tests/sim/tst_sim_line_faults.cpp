// The line-fault layer on a simulated clock: echo, pieces, noise, damaged
// checksums, refusals, silence, delay, and the same output for the same seed.
#include "sim/frames.h"
#include "sim/line_faults.h"
#include "sim_test_bytes.h"

#include <QTest>

#include <random>

using namespace brisco::sim;

Q_DECLARE_METATYPE(brisco::sim::FaultConfig)

namespace {

// Replies of every kind the controller sends, with valid checksums.
QList<QByteArray> sampleReplies() {
    QByteArray status = hex("06010F001E4B462D370205DC0BB8020BB85F1E0A64070000009"
                            "68A963C01E00BB80BAE");
    status.append(static_cast<char>(sumOf(status)));
    return {status,
            hex("06000F0101051C"),
            hex("06011E00014167"),
            hex("06011E050203E817"),
            hex("06010F030C0102030405060708090A0B0C73"),
            hex("06010F020E") + "ABC/1.0/VA2.1/" + hex("30")};
}

struct Piece {
    double time;
    QByteArray bytes;

    friend bool operator==(const Piece&, const Piece&) = default;
};

struct Timeline {
    QList<Piece> pieces;
    QList<SentReply> replies;
    LineFaults::Counters counters;

    QByteArray bytes() const {
        QByteArray all;
        for (const Piece& piece : pieces)
            all += piece.bytes;
        return all;
    }
};

// Takes everything due, one simulated millisecond after another, up to until.
void drain(LineFaults& faults, Timeline& timeline, double from, double until) {
    for (int ms = 0; from + ms / 1000.0 <= until; ++ms) {
        const double now = from + ms / 1000.0;
        const LineOutput output = faults.takeDue(now);
        if (!output.bytes.isEmpty())
            timeline.pieces.append({now, output.bytes});
        timeline.replies += output.replies;
    }
}

// One reply per simulated second, each after its request was received.
Timeline runScenario(const FaultConfig& config, quint32 seed, int count) {
    std::mt19937 random(seed);
    LineFaults faults(config, random);
    const QList<QByteArray> replies = sampleReplies();
    Timeline timeline;
    for (int i = 0; i < count; ++i) {
        const double now = i * 1.0;
        faults.requestReceived(hex("05010F0015"), now);
        faults.replyReady(replies[i % replies.size()], now);
        drain(faults, timeline, now, now + 0.999);
    }
    timeline.counters = faults.counters();
    return timeline;
}

} // namespace

class TestSimLineFaults : public QObject {
    Q_OBJECT

private slots:
    void sameSeedSameOutput_data();
    void sameSeedSameOutput();
    void cleanLinePassesRepliesAtOnce();
    void corruptAll();
    void corruptShare();
    void refuseAll();
    void echoPrependsRequest_data();
    void echoPrependsRequest();
    void noiseNeverStartsAFrame();
    void splitPiecesConcatenate();
    void delay_data();
    void delay();
    void silence_data();
    void silence();
    void framesNeverInterleave();
};

void TestSimLineFaults::sameSeedSameOutput_data() {
    QTest::addColumn<FaultConfig>("config");

    FaultConfig everything;
    everything.echo = true;
    everything.split = true;
    everything.noise = true;
    everything.corruptPercent = 20;
    everything.refusePercent = 10;
    everything.delayMs = 30;
    FaultConfig pieces;
    pieces.split = true;
    pieces.noise = true;
    FaultConfig damage;
    damage.corruptPercent = 50;
    damage.refusePercent = 25;

    QTest::newRow("every fault") << everything;
    QTest::newRow("pieces and noise") << pieces;
    QTest::newRow("corrupt and refuse") << damage;
}

void TestSimLineFaults::sameSeedSameOutput() {
    QFETCH(FaultConfig, config);
    const Timeline first = runScenario(config, 42, 200);
    const Timeline second = runScenario(config, 42, 200);
    const Timeline other = runScenario(config, 43, 200);
    QCOMPARE(first.replies.size(), 200);
    QVERIFY(first.pieces == second.pieces);
    QVERIFY(first.pieces != other.pieces);
}

void TestSimLineFaults::cleanLinePassesRepliesAtOnce() {
    std::mt19937 random(1);
    LineFaults faults({}, random);
    for (const QByteArray& reply : sampleReplies()) {
        faults.requestReceived(hex("05010F0015"), 2.5);
        faults.replyReady(reply, 2.5);
        const LineOutput output = faults.takeDue(2.5);
        QCOMPARE(output.bytes, reply);
        QCOMPARE(output.replies.size(), 1);
        QCOMPARE(output.replies.first().fate, ReplyFate::Good);
        QCOMPARE(output.replies.first().bytes, reply);
        QCOMPARE(output.replies.first().kind, replyKind(reply));
        QCOMPARE(output.replies.first().time, 2.5);
        QVERIFY(!faults.nextDueTime().has_value());
    }
}

void TestSimLineFaults::corruptAll() {
    FaultConfig config;
    config.corruptPercent = 100;
    const Timeline timeline = runScenario(config, 5, 120);
    const QList<QByteArray> replies = sampleReplies();
    QCOMPARE(timeline.replies.size(), 120);
    QByteArray expected;
    for (int i = 0; i < timeline.replies.size(); ++i) {
        const SentReply& sent = timeline.replies[i];
        const QByteArray& original = replies[i % replies.size()];
        QCOMPARE(sent.fate, ReplyFate::Corrupted);
        QCOMPARE(sent.kind, replyKind(original));
        QCOMPARE(sent.bytes.size(), original.size());
        QCOMPARE(sent.bytes.chopped(1), original.chopped(1));
        QVERIFY(!checksumMatches(sent.bytes));
        expected += sent.bytes;
    }
    QCOMPARE(timeline.bytes(), expected);
}

void TestSimLineFaults::corruptShare() {
    FaultConfig config;
    config.corruptPercent = 30;
    const Timeline timeline = runScenario(config, 6, 2000);
    int corrupted = 0;
    for (const SentReply& sent : timeline.replies) {
        QCOMPARE(checksumMatches(sent.bytes), sent.fate == ReplyFate::Good);
        corrupted += sent.fate == ReplyFate::Corrupted;
    }
    QVERIFY2(corrupted > 500 && corrupted < 700, qPrintable(QString::number(corrupted)));
}

void TestSimLineFaults::refuseAll() {
    FaultConfig config;
    config.refusePercent = 100;
    config.corruptPercent = 100;
    const Timeline timeline = runScenario(config, 7, 60);
    const QList<QByteArray> replies = sampleReplies();
    QByteArray expected;
    for (int i = 0; i < timeline.replies.size(); ++i) {
        const SentReply& sent = timeline.replies[i];
        const QByteArray& original = replies[i % replies.size()];
        QCOMPARE(sent.fate, ReplyFate::Refused);
        QCOMPARE(sent.kind, replyKind(original));
        QCOMPARE(sent.bytes, QByteArray("\x15") + original[1]);
        expected += sent.bytes;
    }
    QCOMPARE(timeline.replies.size(), 60);
    QCOMPARE(timeline.bytes(), expected);
}

void TestSimLineFaults::echoPrependsRequest_data() {
    QTest::addColumn<QList<QByteArray>>("pieces");

    QTest::newRow("status poll") << QList{hex("05010F0015")};
    QTest::newRow("two-byte write") << QList{hex("05011E050203E816")};
    QTest::newRow("request in pieces") << QList{hex("05011E"), hex("0001"), hex("4166")};
    QTest::newRow("noise is echoed as well") << QList{hex("FF00") + hex("05010F0015")};
}

void TestSimLineFaults::echoPrependsRequest() {
    QFETCH(QList<QByteArray>, pieces);
    for (const bool echo : {true, false}) {
        std::mt19937 random(8);
        FaultConfig config;
        config.echo = echo;
        LineFaults faults(config, random);
        QByteArray request;
        for (const QByteArray& piece : pieces) {
            faults.requestReceived(piece, 1.0);
            request += piece;
        }
        const QByteArray reply = hex("06011E00014167");
        faults.replyReady(reply, 1.0);
        const LineOutput output = faults.takeDue(1.0);
        QCOMPARE(output.bytes, echo ? request + reply : reply);
        QCOMPARE(faults.counters().echoBytes, echo ? request.size() : 0);
    }
}

void TestSimLineFaults::noiseNeverStartsAFrame() {
    FaultConfig config;
    config.noise = true;
    const Timeline timeline = runScenario(config, 9, 1000);
    const QList<QByteArray> replies = sampleReplies();
    const QByteArray line = timeline.bytes();

    qsizetype at = 0;
    qint64 noise = 0;
    for (int i = 0; i < 1000; ++i) {
        while (at < line.size() && static_cast<quint8>(line[at]) != kReplyStart) {
            const auto byte = static_cast<quint8>(line[at]);
            QVERIFY2(byte != kRequestStart && byte != kRefusalStart,
                     qPrintable(QString::number(byte)));
            ++noise;
            ++at;
        }
        const QByteArray& reply = replies[i % replies.size()];
        QCOMPARE(line.sliced(at, reply.size()), reply);
        at += reply.size();
    }
    QCOMPARE(at, line.size());
    QCOMPARE(noise, timeline.counters.noiseBytes);
    QVERIFY(noise > 500);
}

void TestSimLineFaults::splitPiecesConcatenate() {
    FaultConfig config;
    config.split = true;
    const Timeline timeline = runScenario(config, 10, 300);
    const QList<QByteArray> replies = sampleReplies();
    QCOMPARE(timeline.replies.size(), 300);

    QList<int> piecesPerReply(4, 0);
    for (int i = 0; i < 300; ++i) {
        QByteArray joined;
        QList<double> times;
        for (const Piece& piece : timeline.pieces) {
            if (piece.time >= i && piece.time < i + 1) {
                joined += piece.bytes;
                times.append(piece.time);
            }
        }
        QCOMPARE(joined, replies[i % replies.size()]);
        QVERIFY(times.size() >= 1 && times.size() <= LineFaults::kMaxPieces);
        QCOMPARE(times.first(), double(i));
        QVERIFY(times.last() - times.first() <= 2 * LineFaults::kMaxGapMs / 1000.0 + 1e-9);
        QCOMPARE(timeline.replies[i].time, times.last());
        QCOMPARE(timeline.replies[i].bytes, joined);
        ++piecesPerReply[times.size()];
    }
    QVERIFY(piecesPerReply[1] > 0);
    QVERIFY(piecesPerReply[2] > 0);
    QVERIFY(piecesPerReply[3] > 0);
}

void TestSimLineFaults::delay_data() {
    QTest::addColumn<int>("delayMs");

    QTest::newRow("none") << 0;
    QTest::newRow("50 ms") << 50;
    QTest::newRow("250 ms") << 250;
    QTest::newRow("1.5 s") << 1500;
}

void TestSimLineFaults::delay() {
    QFETCH(int, delayMs);
    std::mt19937 random(11);
    FaultConfig config;
    config.delayMs = delayMs;
    config.echo = true;
    LineFaults faults(config, random);
    const QByteArray request = hex("05010F0318");
    const QByteArray reply = hex("06010F030C0102030405060708090A0B0C73");
    faults.requestReceived(request, 10.0);
    faults.replyReady(reply, 10.0);

    const double due = 10.0 + delayMs / 1000.0;
    const LineOutput first = faults.takeDue(10.0);
    if (delayMs == 0) {
        QCOMPARE(first.bytes, request + reply);
        QCOMPARE(first.replies.size(), 1);
        return;
    }
    QCOMPARE(first.bytes, request);
    QVERIFY(first.replies.isEmpty());
    QCOMPARE(faults.nextDueTime().value_or(-1.0), due);
    const LineOutput early = faults.takeDue(due - 0.001);
    QVERIFY(early.bytes.isEmpty());
    QVERIFY(early.replies.isEmpty());
    const LineOutput output = faults.takeDue(due);
    QCOMPARE(output.bytes, reply);
    QCOMPARE(output.replies.size(), 1);
    QCOMPARE(output.replies.first().time, due);
    QVERIFY(!faults.nextDueTime().has_value());
}

void TestSimLineFaults::silence_data() {
    QTest::addColumn<double>("seconds");
    QTest::addColumn<double>("now");
    QTest::addColumn<bool>("silenced");

    QTest::newRow("right after start") << 2.0 << 0.0 << true;
    QTest::newRow("end of the first silence") << 2.0 << 1.999 << true;
    QTest::newRow("first answering window") << 2.0 << 2.0 << false;
    QTest::newRow("late in the answering window") << 2.0 << 3.9 << false;
    QTest::newRow("second silence") << 2.0 << 4.0 << true;
    QTest::newRow("second answering window") << 2.0 << 6.5 << false;
    QTest::newRow("an hour later, silent") << 0.5 << 3600.25 << true;
    QTest::newRow("an hour later, answering") << 0.5 << 3600.75 << false;
    QTest::newRow("no silence") << 0.0 << 0.0 << false;
}

void TestSimLineFaults::silence() {
    QFETCH(double, seconds);
    QFETCH(double, now);
    QFETCH(bool, silenced);

    std::mt19937 random(12);
    FaultConfig config;
    config.silenceSeconds = seconds;
    config.echo = true;
    LineFaults faults(config, random);
    const QByteArray request = hex("05010F0015");
    const QByteArray reply = hex("06011E00014167");
    QCOMPARE(faults.silentAt(now), silenced);
    faults.requestReceived(request, now);
    faults.replyReady(reply, now);
    const LineOutput output = faults.takeDue(now);
    QCOMPARE(output.bytes, silenced ? request : request + reply);
    QCOMPARE(output.replies.size(), 1);
    QCOMPARE(output.replies.first().fate, silenced ? ReplyFate::Silenced : ReplyFate::Good);
    QCOMPARE(output.replies.first().bytes, reply);
}

void TestSimLineFaults::framesNeverInterleave() {
    std::mt19937 random(13);
    FaultConfig config;
    config.split = true;
    config.echo = true;
    LineFaults faults(config, random);
    const QList<QByteArray> replies = sampleReplies();
    const QByteArray request = hex("05010F0015");

    Timeline timeline;
    QByteArray expected;
    for (int i = 0; i < 50; ++i) {
        // Each request comes in while the pieces of the reply before are still going out.
        const double now = i * 0.010;
        faults.requestReceived(request, now);
        faults.replyReady(replies[i % replies.size()], now);
        expected += request + replies[i % replies.size()];
        drain(faults, timeline, now, now + 0.009);
    }
    drain(faults, timeline, 0.5, 10.0);
    QCOMPARE(timeline.bytes(), expected);
    QCOMPARE(timeline.replies.size(), 50);
    for (qsizetype i = 1; i < timeline.pieces.size(); ++i)
        QVERIFY(timeline.pieces[i].time > timeline.pieces[i - 1].time);
}

QTEST_GUILESS_MAIN(TestSimLineFaults)
#include "tst_sim_line_faults.moc"
