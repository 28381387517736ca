// The scan, the bus table, the polls in turn and switching, tick by tick,
// against a stand-in for the windows and controllers that answer.
#include "test_bytes.h"

#include "sequencer/poll_sequencer.h"

#include <QTest>

using namespace brisco::protocol;
using namespace brisco::sequencer;
using brisco::bus::BusModel;

namespace {

using Feeds = QHash<int, QByteArray>;

// Bytes 22..26, 29 and 30 (alarms, inputs, inner and outer temperature, DC voltage).
QByteArray status(int address, const char* values) {
    QByteArray body = statusReply({}, address).chopped(1);
    const QByteArray bytes = hex(values);
    for (int i = 0; i < 7; ++i) {
        body[i < 5 ? 22 + i : 24 + i] = bytes[i];
    }
    return framed(body);
}

QString request(int address, int sub) {
    QByteArray body = hex("05 00 0F 00");
    body[1] = char(address);
    body[3] = char(sub);
    return hexOf(framed(body));
}

class Line : public SequencerHost {
public:
    PollSequencer sequencer{*this};
    QHash<QByteArray, QString> texts{{"TextBox1", "TEC"}};
    QHash<QString, QByteArray> answers; // reply on the next tick, by request
    QStringList shown;                  // "tick:address" of each reply handed to the window
    QByteArray answer;                  // to the request of the last tick
    int ticks = 0;

    void DispatchReply(ReplyKind, const ReceiveRing& ring) override {
        shown << QStringLiteral("%1:%2").arg(ticks).arg(ring.at(1));
    }
    QString boxText(const char* name) const override { return texts.value(name); }
    bool boxChecked(const char*) const override { return false; }
    bool factoryFormShown() const override { return false; }

    // "tick: bytes" of each write up to tick last; tick n reads feeds[n], then answers.
    QStringList runTo(int last, const Feeds& feeds = {}) {
        QStringList writes;
        while (ticks < last) {
            ++ticks;
            const TickResult result =
                sequencer.tick(bytesOf(feeds.value(ticks) + std::exchange(answer, {})));
            if (result.write) {
                const QString frame = hexOf(QByteArray(
                    reinterpret_cast<const char*>(result.write->data()), result.write->size()));
                writes << QStringLiteral("%1: %2").arg(ticks).arg(frame);
                answer = answers.value(frame);
            }
        }
        return writes;
    }
    // Each row of the bus table, its first columns joined by "|".
    QStringList rows(int columns = BusModel::ColumnCount) {
        const auto& model = sequencer.busModel();
        QStringList all;
        for (int row = 0; row < model.rowCount(); ++row) {
            QStringList cells;
            for (int column = 0; column < columns; ++column) {
                cells << model.index(row, column).data().toString();
            }
            all << cells.join(u'|');
        }
        return all;
    }
    // 1, 3 and 7 found by tick 40, then watched: 3 polled on tick 41, 7 on 43.
    void findOneThreeSeven() {
        for (const auto& [address, text] :
             {std::pair(1, "TEC-48/1.0/VA2.1/"), std::pair(3, "TEC-24/1.1/VA2.3/"),
              std::pair(7, "TEC-60/2.0/VB1.0/")}) {
            answers[request(address, 2)] = deviceInfoReply(text, address);
        }
        answers[request(1, 0)] = status(1, "00 00 00 A0 64 02 03");
        sequencer.startBusScan();
        sequencer.watchBus(true);
        runTo(40);
    }
};

} // namespace

class TestBus : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    // Address k goes on the k-th free tick of phases 1 and 3, the polls of
    // the controller shown keep phase 0, and a running transfer goes first.
    void scanTicks_data() {
        QTest::addColumn<QByteArray>("transfer"); // "settings", "factory" or none
        QTest::addColumn<int>("first");           // tick of the first scan request
        QTest::addColumn<QStringList>("frames");  // of the transfer
        QTest::newRow("idle") << QByteArray() << 1 << QStringList();
        QTest::newRow("during a settings transfer")
            << QByteArray("settings") << 3 << QStringList{"1: 05 01 1E 0D 01 1E 50"};
        QTest::newRow("during a factory transfer")
            << QByteArray("factory") << 7 << QStringList{"2: 05 01 1E 10 01 D2 07"};
    }
    void scanTicks() {
        QFETCH(QByteArray, transfer);
        QFETCH(int, first);
        QFETCH(QStringList, frames);
        Line line;
        line.texts["S_TempMin_Text"] = "-10";
        line.texts["S_DCVlow_Text"] = "210";
        line.texts["DCVlow_Text"] = "200";
        if (transfer == "settings") {
            line.sequencer.requestSettings();
        } else if (transfer == "factory") {
            line.sequencer.requestFactorySettings();
        }
        line.sequencer.startBusScan();
        QStringList expected = frames;
        for (int tick = 1; tick <= first + 44; ++tick) {
            const int address = (tick - first) / 2 + 1;
            if (tick % 4 == 0) {
                expected << QStringLiteral("%1: 05 01 0F 00 15").arg(tick);
            } else if (tick >= first && tick % 2 == first % 2 && address <= 20) {
                expected << QStringLiteral("%1: %2").arg(tick).arg(request(address, 2));
            }
        }
        QStringList writes = line.runTo(first + 12);
        QCOMPARE(line.sequencer.busSchedule().scanned(), 7); // "Scanning 7 of 20"
        QCOMPARE(writes + line.runTo(first + 44), expected);
    }

    // What the replies to a scan (address k asked on tick 2k - 1) leave in
    // the table: a row for each sound device information, none for garbage.
    void scanRows_data() {
        QTest::addColumn<Feeds>("feeds");
        QTest::addColumn<QStringList>("rows"); // address|model|board|software
        QTest::addColumn<int>("foreign");
        QTest::addColumn<int>("checksumErrors");
        const auto row = [](const char* name, const Feeds& feeds, const QStringList& rows,
                            int foreign, int checksumErrors) {
            QTest::newRow(name) << feeds << rows << foreign << checksumErrors;
        };
        const QByteArray three = deviceInfoReply("TEC-24/1.1/VA2.3/", 3);
        const QStringList rowThree{"3|TEC-24|1.1|VA2.3"};
        row("1, 3 and 7",
            {{2, deviceInfoReply("TEC-48/1.0/VA2.1/", 1)},
             {6, three},
             {14, deviceInfoReply("TEC-60/2.0/VB1.0/", 7)}},
            {"1|TEC-48|1.0|VA2.1", "3|TEC-24|1.1|VA2.3", "7|TEC-60|2.0|VB1.0"}, 0, 0);
        row("in two pieces, the last on the second tick", {{6, three.left(9)}, {7, three.mid(9)}},
            rowThree, 0, 0);
        row("a tick too late", {{8, three}}, {}, 1, 0);
        row("too late, in two pieces, the first 2 s after the request",
            {{13, three.left(9)}, {14, three.mid(9)}}, {}, 1, 0);
        row("too late, the first piece later still", {{14, three.left(9)}, {15, three.mid(9)}}, {},
            0, 0);
        row("from 7 while 3 is awaited", {{6, deviceInfoReply("TEC-60/2.0/VB1.0/", 7)}}, {}, 1, 0);
        // TEC-24/1.1/VA2.3/ and TEC-60/2.0/VB1.0/ from 3 at once, the bits ORed.
        row("two controllers at 3 collide",
            {{6, hex("06 03 0F 02 11 54 45 43 2D 36 34 2F 33 2E 31 2F 56 43 33 2E 33 2F FF")}}, {},
            0, 1);
        row("corrupted checksum", {{6, three.chopped(1) + char(three.back() ^ 0x40)}}, {}, 0, 1);
        row("answered twice", {{6, three}, {7, three}}, rowThree, 1, 0);
        row("from the broadcast address", {{2, deviceInfoReply("TEC-48/1.0/VA2.1/", 0)}}, {}, 0, 0);
        row("text without separators", {{6, deviceInfoReply("TEC-24 1.1", 3)}}, {}, 0, 0);
    }
    void scanRows() {
        QFETCH(Feeds, feeds);
        QFETCH(QStringList, rows);
        QFETCH(int, foreign);
        QFETCH(int, checksumErrors);
        Line line;
        line.sequencer.startBusScan();
        line.runTo(44, feeds);
        QCOMPARE(line.rows(4), rows);
        QCOMPARE(line.sequencer.counters().foreignReplies, foreign);
        QCOMPARE(line.sequencer.counters().checksumErrors, checksumErrors);
    }

    // 1 (shown), 3 and 7: 3 and 7 take turns, each row keeps its own values,
    // a row is stale once its poll went unanswered and its last reply is
    // over 3 s old, and unwatched the bus leaves every tick as before.
    void pollsInTurn() {
        Line line;
        line.answers[request(3, 0)] = status(3, "11 01 04 7F 48 01 E3");
        line.answers[request(7, 0)] = status(7, "20 10 00 FE 5A 02 01");
        line.findOneThreeSeven();
        QCOMPARE(line.runTo(48),
                 (QStringList{"41: 05 03 0F 00 17", "43: 05 07 0F 00 1B", "44: 05 01 0F 00 15",
                              "45: 05 03 0F 00 17", "47: 05 07 0F 00 1B", "48: 05 01 0F 00 15"}));
        line.answers.remove(request(7, 0));
        line.runTo(60);
        QCOMPARE(line.rows(), (QStringList{"1|TEC-48|1.0|VA2.1|40|10|51.5|0|just now|monitored",
                                           "3|TEC-24|1.1|VA2.3|23.5|-4|48.3|4|just now|live",
                                           "7|TEC-60|2.0|VB1.0|Open|5|51.3|2|3 s ago|live"}));
        line.runTo(61);
        QCOMPARE(line.rows().last().section(u'|', 8), "3 s ago|stale");
        line.answers[request(7, 0)] = status(7, "00 00 00 50 5A 02 01");
        line.runTo(64);
        QCOMPARE(line.rows().last().section(u'|', 4), "0|5|51.3|0|just now|live");
        line.sequencer.watchBus(false);
        QStringList polls;
        for (int tick = 68; tick <= 460; tick += 4) {
            polls << QStringLiteral("%1: 05 01 0F 00 15").arg(tick);
        }
        QCOMPARE(line.runTo(460), polls);
        // Not asked, not stale; asked again, not stale while its answer may come.
        QCOMPARE(line.rows()[1].section(u'|', 8), "99 s ago|live");
        line.sequencer.watchBus(true);
        QCOMPARE(line.runTo(461), QStringList{"461: 05 03 0F 00 17"});
        QCOMPARE(line.rows()[1].section(u'|', 8), "99 s ago|live");
    }

    // Read on ticks 44 and 45: L the reply of 3 after its wait (whole or cut),
    // S a status of 1, N a frame head and U a reply from nobody, A the answer
    // of 7 within its wait, B a reply of 7 with a wrong checksum. L is dropped
    // whole and counted once, A is credited, the window takes one S a tick.
    void lateAndAwaitedReplies_data() {
        QTest::addColumn<QByteArray>("first"); // read on tick 44
        QTest::addColumn<QByteArray>("then");  // on tick 45
        QTest::addColumn<QString>("handed");   // tick:address of each reply to the window
        QTest::addColumn<QString>("counted");  // late, refusals, bad checksums, status of 1
        // Data that start frames when scanned: refusals, status reply heads of 1 and 0.
        QByteArray late = statusReply({}, 3).chopped(1);
        late.replace(9, 4, hex("06 01 0F 00")).replace(26, 4, hex("06 00 0F 00"));
        late[7] = late[20] = late[33] = 0x15;
        const QHash<char, QByteArray> parts{{'L', framed(late)},
                                            {'S', status(1, "00 00 00 A0 64 02 03")},
                                            {'N', hex("06 63 0F 00 77 15 00")},
                                            {'U', hex("06 63 0F 01 01 05 7F")},
                                            {'A', status(7, "20 10 00 FE 5A 02 01")},
                                            {'B', hex("06 07 0F 01 01 07 26")}};
        for (int cut = 1; cut < 36; ++cut) {
            QTest::addRow("L cut after %d, S", cut)
                << parts['L'].left(cut) << parts['L'].mid(cut) + parts['S'] << "45:1"
                << "1 0 0 11";
        }
        const auto row = [&](const char* read, const char* handed, const char* counted) {
            QByteArray bytes;
            for (const char* part = read; *part; ++part) {
                bytes += parts[*part];
            }
            QTest::newRow(read) << QByteArray() << bytes << handed << counted;
        };
        row("LA", "", "1 0 0 10");
        row("SA", "45:1", "0 0 0 11");
        row("SLA", "45:1", "1 0 0 11");
        row("SSA", "45:1 46:1", "0 0 0 12");
        row("SBSA", "45:1 46:1", "0 0 1 12");
        row("NA", "", "0 1 0 10");
        row("UA", "", "1 0 0 10");
    }
    void lateAndAwaitedReplies() {
        QFETCH(QByteArray, first);
        QFETCH(QByteArray, then);
        QFETCH(QString, handed);
        QFETCH(QString, counted);
        Line line;
        line.findOneThreeSeven();
        line.answers.clear();
        line.runTo(43);
        line.shown.clear();
        line.runTo(48, {{44, first}, {45, then}});
        QCOMPARE(line.shown.join(u' '), handed);
        const LinkCounters& c = line.sequencer.counters();
        QCOMPARE(QString::asprintf("%lld %lld %lld %lld", c.foreignReplies, c.refusals,
                                   c.checksumErrors, c.statusFrameNo),
                 counted);
        QCOMPARE(line.rows()[2].section(u'|', 4, 7), first.isEmpty() ? "Open|5|51.3|2" : "|||");
    }

    // A controller's answer is taken two ticks after its request on a serial
    // line and four on a network line, where the scan asks the next address
    // only then; a later one is foreign. The row of a controller asked and
    // silent turns stale only once its wait is over.
    void answerWait_data() {
        QTest::addColumn<bool>("network");
        QTest::addColumn<int>("late");    // ticks from the request to address 3 to its answer
        QTest::addColumn<int>("staleAt"); // 0: no row
        // Asked again after the scan, at 41 (serial) or 81, first stale at
        // 43 or 85, its last answer more than 12 ticks old by then.
        QTest::newRow("serial line, 2 ticks") << false << 2 << 43;
        QTest::newRow("serial line, 3 ticks") << false << 3 << 0;
        QTest::newRow("network line, 4 ticks") << true << 4 << 85;
        QTest::newRow("network line, 5 ticks") << true << 5 << 0;
    }
    void answerWait() {
        QFETCH(bool, network);
        QFETCH(int, late);
        QFETCH(int, staleAt);
        Line line;
        line.sequencer.setNetworkLine(network);
        line.sequencer.startBusScan();
        line.sequencer.watchBus(true);
        const int asked = network ? 9 : 5;
        const QStringList writes =
            line.runTo(asked + late, {{asked + late, deviceInfoReply("TEC-24/1.1/VA2.3/", 3)}});
        QVERIFY(writes.contains(QStringLiteral("%1: %2").arg(asked).arg(request(3, 2))));
        QCOMPARE(line.rows(1), staleAt ? QStringList{"3"} : QStringList());
        QCOMPARE(line.sequencer.counters().foreignReplies, staleAt ? 0 : 1);
        while (staleAt && line.ticks < 200 && !line.sequencer.busModel().stale(0)) {
            line.runTo(line.ticks + 1);
        }
        QCOMPARE(line.ticks, staleAt ? staleAt : asked + late);
    }

    // Switching to 3: an analog write still waiting for 1 is given up, the
    // next write goes to 3, and a reply still on its way from 1 reaches nobody.
    void switching() {
        Line line;
        line.texts["AddrText1"] = "5";
        line.sequencer.requestAnalogWrite();
        QVERIFY(line.sequencer.writesPending());
        line.sequencer.switchTo(3);
        QVERIFY(!line.sequencer.writesPending());
        line.sequencer.requestAddressWrite();
        QCOMPARE(line.runTo(2, {{2, status(1, "00 00 00 A0 64 02 03")}}),
                 QStringList{"2: 05 03 1E 1C 01 05 48"});
        QCOMPARE(line.sequencer.counters().foreignReplies, 1);
        QVERIFY(line.shown.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestBus)
#include "test_bus.moc"
