// The poll sequencer tick by tick, against a plain stand-in for the windows.
#include "test_bytes.h"

#include "sequencer/poll_sequencer.h"

#include <QHash>
#include <QSet>
#include <QTest>

using namespace brisco::protocol;
using namespace brisco::sequencer;

namespace {

const QByteArray kPoll1 = hex("05 01 0F 00 15");
const QByteArray kInfoQuery1 = hex("05 01 0F 02 17");

class Harness : public SequencerHost {
public:
    PollSequencer sequencer{*this};
    QHash<QByteArray, QString> texts;
    QSet<QByteArray> checked;
    bool factoryShown = false;
    QList<ReplyKind> decoded; // every reply handed over
    QStringList messages;     // what the ticks asked to show
    int ticks = 0;

    void DispatchReply(ReplyKind kind, const ReceiveRing&) override { decoded.append(kind); }
    QString boxText(const char* name) const override { return texts.value(name); }
    bool boxChecked(const char* name) const override { return checked.contains(name); }
    bool factoryFormShown() const override { return factoryShown; }

    // One tick; what it wrote (empty when nothing).
    QByteArray tick(const QByteArray& input = {}) {
        ++ticks;
        const TickResult result = sequencer.tick(bytesOf(input));
        messages << result.message << result.factoryMessage;
        messages.removeAll(QString());
        return result.write ? QByteArray(reinterpret_cast<const char*>(result.write->data()),
                                         static_cast<qsizetype>(result.write->size()))
                            : QByteArray();
    }
    // "tick: bytes" of every write over count ticks.
    QStringList writes(int count) {
        QStringList seen;
        for (int i = 0; i < count; ++i) {
            const QByteArray written = tick();
            if (!written.isEmpty()) {
                seen << QStringLiteral("%1: %2").arg(ticks).arg(hexOf(written));
            }
        }
        return seen;
    }
};

} // namespace

class TestPollSequencer : public QObject {
    Q_OBJECT

private slots:
    void tickCounterWrapKeepsTheRhythm() {
        Harness h;
        h.texts["TextBox1"] = "TEC";
        h.writes(31980);
        QStringList polls;
        for (int tick = 31984; tick <= 32012; tick += 4) {
            polls << QStringLiteral("%1: 05 01 0F 00 15").arg(tick);
        }
        QCOMPARE(h.writes(32), polls);
    }

    void addressReplyMovesLaterRequests() {
        Harness h;
        h.tick(hex("06 00 0F 01 01 05 1C"));
        QCOMPARE(h.sequencer.address(), 5);
        QCOMPARE(h.writes(3), (QStringList{"2: 05 05 0F 02 1B", "4: 05 05 0F 00 19"}));
        // A reply for the old address is now someone else's.
        h.tick(statusReply({}, 1));
        QCOMPARE(h.decoded.size(), 1);
    }

    void backlogLimits_data() {
        QTest::addColumn<int>("unread");
        QTest::addColumn<bool>("querySent"); // phase 2, limit 100
        QTest::addColumn<bool>("pollSent");  // phase 0, limit 80
        QTest::newRow("79") << 79 << true << true;
        QTest::newRow("80") << 80 << true << false;
        QTest::newRow("99") << 99 << true << false;
        QTest::newRow("100") << 100 << false << false;
    }
    void backlogLimits() {
        QFETCH(int, unread);
        QFETCH(bool, querySent);
        QFETCH(bool, pollSent);
        Harness h;
        // The head of a device-information reply of 116 bytes: the scan waits.
        h.tick(hex("06 01 0F 02 6E") + QByteArray(unread - 5, 'x'));
        QCOMPARE(h.tick() == kInfoQuery1, querySent);
        h.tick();
        QCOMPARE(h.tick() == kPoll1, pollSent);
    }

    // A corrupted length byte announces a reply longer than the backlog lets
    // arrive: after eight ticks (two seconds) without a byte the scan gives
    // it up, and the reply behind it gets through.
    void stalledWaitIsGivenUp() {
        Harness h;
        h.texts["TextBox1"] = "TEC";
        h.tick(hex("06 01 0F 02 78") + QByteArray(80, 'x'));
        QCOMPARE(h.writes(7), QStringList{}); // held by the backlog
        h.tick(statusReply({{5, 65}}));       // a byte came: the wait starts again
        QCOMPARE(h.writes(8), QStringList{});
        QVERIFY(h.decoded.isEmpty());
        h.tick();
        QCOMPARE(h.decoded, QList<ReplyKind>{ReplyKind::Status});
        QCOMPARE(h.writes(2), QStringList{"20: 05 01 0F 00 15"});
    }

    // The link's counters four ticks after the replies came at once (one
    // reply is taken per tick): decoded, bad checksums, refusals, ticks
    // since the last status reply.
    void linkCounters_data() {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("counted");
        const QByteArray ack = hex("06 01 1E 0C 01 5F 00");
        const auto spoiled = [](QByteArray reply) {
            reply.back() = char(reply.back() + 1);
            return reply;
        };
        QTest::newRow("acknowledgements, command 45, an address reply")
            << ack + hex("06 01 1E 05 02 05 DC 00 06 01 2D 00 00 06 00 0F 01 01 05 1C")
            << "0 0 0 4";
        QTest::newRow("refusals around a status reply")
            << hex("15 00") + statusReply() + hex("15 00") + ack << "1 0 2 3";
        QTest::newRow("an acknowledgement after a status reply")
            << statusReply() + ack << "1 0 0 3";
        QTest::newRow("a bad checksum on each kind that has one")
            << spoiled(statusReply()) + spoiled(hex("06 00 0F 01 01 05 1C")) +
                   spoiled(framed(hex("06 01 0F 03 0C") + QByteArray(12, 'x'))) +
                   spoiled(deviceInfoReply("TEC"))
            << "0 4 0 4";
    }
    void linkCounters() {
        QFETCH(QByteArray, input);
        QFETCH(QString, counted);
        Harness h;
        h.tick(input);
        h.writes(3);
        const LinkCounters& c = h.sequencer.counters();
        QCOMPARE(QString::asprintf("%lld %lld %lld %lld", c.statusFrameNo, c.checksumErrors,
                                   c.refusals, c.ticksSinceStatus),
                 counted);
    }

    // The command slot serves one request per second, in priority order.
    void commandSlotOrder() {
        Harness h;
        h.texts["AddrText1"] = "3";
        h.texts["SetupT_Text"] = "25";
        h.factoryShown = true;
        h.sequencer.requestAnalogWrite();
        h.sequencer.requestAddressWrite();
        h.sequencer.requestAddressQuery();
        QCOMPARE(h.writes(8), (QStringList{"2: 05 00 0F 01 15", "4: 05 01 0F 00 15",
                                           "6: 05 01 1E 1C 01 03 44", "8: 05 01 0F 00 15"}));
        // The analog write and the factory query wait for the model.
        QCOMPARE(h.writes(4), (QStringList{"10: 05 01 0F 02 17", "12: 05 01 0F 00 15"}));
        h.texts["TextBox1"] = "TEC-48";
        h.tick(deviceInfoReply("TEC-48/1.0/VA2.1/"));
        QCOMPARE(h.decoded, QList<ReplyKind>{ReplyKind::DeviceInfo});
        QCOMPARE(h.writes(7), (QStringList{"14: 05 01 1E 32 01 82 D9", "16: 05 01 0F 00 15",
                                           "18: 05 01 0F 03 18", "20: 05 01 0F 00 15"}));
        h.factoryShown = false;
        QCOMPARE(h.writes(4), QStringList{"24: 05 01 0F 00 15"});
    }

    // "Send set" with "Get addr" pending: the transfer sends one changed
    // set-point per tick, in parameter order, and the command slot serves the
    // query only once a call has found nothing left to send.
    void settingsTransfer_data() {
        QTest::addColumn<QStringList>("boxes"); // name=text; every other box is empty
        QTest::addColumn<QStringList>("writes");
        QTest::addColumn<QString>("message");
        const QString poll = "05 01 0F 00 15", query = "05 00 0F 01 15";
        const auto row = [&](const char* name, const QStringList& boxes, QStringList writes,
                             const QString& message = {}) {
            QTest::newRow(name) << boxes << writes << message;
        };
        // The transfer's frames, then what follows once it has ended.
        const auto then = [&](QStringList frames) {
            return frames + QStringList{"4: " + poll, "6: " + query, "8: " + poll};
        };
        row("high temperature warning 55", {"S_TempMax_Text=55"},
            then({"1: 05 01 1E 0C 01 5F 90"}));
        row("inner fan speeds take two numbers each",
            {"S_IntFanLowS_Text=1500", "S_IntFanHighS_Text=3000"},
            then({"1: 05 01 1E 05 02 05 DC 0C", "2: 05 01 1E 07 02 0B B8 F0"}));
        row("low temperature warning alone", {"S_TempMin_Text=-10"},
            then({"1: 05 01 1E 0D 01 1E 50"}));
        row("the last set-point ends it", {"S_TECcurrH_Text=2.5"},
            {"1: 05 01 1E 0F 01 19 4D", "2: " + query, "4: " + poll, "8: " + poll});
        row("nothing changed", {}, {"2: " + query, "4: " + poll, "8: " + poll});
        row("texts compared, not numbers",
            {"S_TECcoolStart_Text=25", "TECcoolStart_Text=25.0", "S_TECcoolStop_Text=30",
             "TECcoolStop_Text=30"},
            then({"1: 05 01 1E 00 01 41 66"}));
        row("letters count as 0", {"S_TECheatStart_Text=abc"}, then({"1: 05 01 1E 02 01 28 4F"}));
        row("five in ascending order",
            {"S_TECcurrH_Text=3", "S_TempMax_Text=60", "S_ExtFanPulse_Text=2",
             "S_IntFanPulse_Text=3", "S_TECcoolStart_Text=30"},
            {"1: 05 01 1E 00 01 46 6B", "2: 05 01 1E 04 01 03 2C", "3: 05 01 1E 09 01 02 30",
             "4: 05 01 1E 0C 01 64 95", "5: 05 01 1E 0F 01 1E 52", "6: " + query, "8: " + poll});
        row("neighbours 4 and 5, 9 and 10, 14 and 15",
            {"S_IntFanPulse_Text=3", "S_IntFanLowS_Text=1500", "S_ExtFanPulse_Text=2",
             "S_ExtFanHighS_Text=2500", "S_TECcurrL_Text=1.5", "S_TECcurrH_Text=12.25"},
            {"1: 05 01 1E 04 01 03 2C", "2: 05 01 1E 05 02 05 DC 0C", "3: 05 01 1E 09 01 02 30",
             "4: 05 01 1E 0A 02 09 C4 FD", "5: 05 01 1E 0E 01 0F 42", "6: 05 01 1E 0F 01 7A AE",
             "8: " + poll});
        row("a value that does not fit ends it", {"S_TECcoolStart_Text=20", "S_TempMax_Text=216"},
            then({"1: 05 01 1E 00 01 3C 61"}), "Data error！");
    }
    void settingsTransfer() {
        QFETCH(QStringList, boxes);
        QFETCH(QStringList, writes);
        QFETCH(QString, message);
        Harness h;
        h.texts["TextBox1"] = "TEC";
        for (const QString& box : boxes) {
            h.texts[box.section(u'=', 0, 0).toLatin1()] = box.section(u'=', 1);
        }
        h.sequencer.requestSettings();
        h.sequencer.requestAddressQuery();
        QCOMPARE(h.writes(8), writes);
        QCOMPARE(h.messages.join(u' '), message);
        // "Send set" again starts again at parameter 0.
        h.sequencer.requestSettings();
        const QString first = writes.first().section(u' ', 1);
        const bool sent = first.startsWith("05 01 1E");
        QCOMPARE(h.writes(1), sent ? QStringList{"9: " + first} : QStringList{});
    }

    // "Send setup" with the factory window shown: one changed factory value
    // per command slot, then a slot that finds nothing left and ends the
    // transfer; the factory queries wait for it.
    void factoryTransfer_data() {
        QTest::addColumn<QStringList>("boxes"); // name=text, or a check box name: ticked
        QTest::addColumn<QStringList>("writes");
        QTest::addColumn<QString>("message");
        const QString poll = "05 01 0F 00 15", query = "05 01 0F 03 18";
        const auto row = [&](const char* name, const QStringList& boxes, QStringList writes,
                             const QString& message = {}) {
            QTest::newRow(name) << boxes << writes << message;
        };
        const QStringList nothing{"4: " + poll, "6: " + query, "8: " + poll, "10: " + query,
                                  "12: " + poll};
        const auto oneFrame = [&](const QString& frame) {
            return QStringList{"2: " + frame, "4: " + poll, "8: " + poll, "10: " + query,
                               "12: " + poll};
        };
        row("DC low limit 210 against 200", {"S_DCVlow_Text=210", "DCVlow_Text=200"},
            oneFrame("05 01 1E 10 01 D2 07"));
        row("version B2 against A2", {"S_Ver_Text=B2", "Ver_Text=A2"},
            oneFrame("05 01 1E 14 01 42 7B"));
        row("version A2 against none yet", {"S_Ver_Text=A2"},
            {"2: 05 01 1E 14 01 41 7A", "4: " + poll, "6: 05 01 1E 15 01 32 6C", "8: " + poll,
             "12: " + poll});
        row("cooling only ticked", {"CheckBox1"}, oneFrame("05 01 1E 1A 01 01 40"));
        row("cooling only cleared", {"CheckBox2"}, oneFrame("05 01 1E 1A 01 00 3F"));
        row("hydrogen period 30 against 25", {"S_H_Fan_Text=30", "H_Fan_Text=25"},
            oneFrame("05 01 1E 1B 01 1E 5E"));
        row("12.5 and 13.5 to even", {"S_DCVlow_Text=12.5", "S_DCVhigh_Text=13.5"},
            {"2: 05 01 1E 10 01 0C 41", "4: " + poll, "6: 05 01 1E 12 01 0E 45", "8: " + poll,
             "12: " + poll});
        row("nothing changed", {}, nothing);
        const QString zeros = "Not sent, as an entry of 0 is never written: ";
        row("0, empty and letters never sent",
            {"S_DCVlow_Text=0", "DCVlow_Text=200", "DCVhigh_Text=100", "S_Temp1Calib_Text=x",
             "Temp1Calib_Text=5"},
            nothing, zeros + "DC low limit.");
        row("entries holding 0 told once, where the controller has another value",
            {"S_DCVlowOffset_Text=0.0", "S_DCVhighOffset_Text=-0", "DCVhighOffset_Text=0",
             "S_TECcurrCalib_Text=7", "TECcurrCalib_Text=0", "S_H_Fan_Text= 0e3 min",
             "H_Fan_Text=25"},
            oneFrame("05 01 1E 19 01 07 45"), zeros + "DC low limit offset, Hydrogen period.");
        row("compared as numbers", {"S_DCVlow_Text=200.0", "DCVlow_Text=200"}, nothing);
        row("what does not fit is passed over, told once",
            {"S_DCVlow_Text=256", "S_DCVhigh_Text=30", "S_Temp1Calib_Text=-1"},
            oneFrame("05 01 1E 12 01 1E 55"), "数据错误！");
        row("a version character outside Latin-1", {"S_Ver_Text=€2", "Ver_Text=A2"}, nothing,
            "数据错误！");
    }
    void factoryTransfer() {
        QFETCH(QStringList, boxes);
        QFETCH(QStringList, writes);
        QFETCH(QString, message);
        Harness h;
        h.texts["TextBox1"] = "TEC";
        h.factoryShown = true;
        for (const QString& box : boxes) {
            if (box.contains(u'=')) {
                h.texts[box.section(u'=', 0, 0).toLatin1()] = box.section(u'=', 1);
            } else {
                h.checked << box.toLatin1();
            }
        }
        h.sequencer.requestFactorySettings();
        QCOMPARE(h.writes(12), writes);
        QCOMPARE(h.messages.join(u' '), message);
        // "Send setup" again walks again from parameter 16.
        h.sequencer.requestFactorySettings();
        const bool sent = writes.first().startsWith("2: 05 01 1E");
        QCOMPARE(h.writes(2), sent ? QStringList{"14: " + writes.first().mid(3)} : QStringList{});
        // Pressed again while it may still run, it walks afresh and tells the same.
        h.sequencer.requestFactorySettings();
        h.messages.clear();
        h.writes(12);
        QCOMPARE(h.messages.join(u' '), message);
    }

    // Sent in the next command slot or refused, the request is consumed.
    void valueThatDoesNotFitIsNotSent_data() {
        QTest::addColumn<QByteArray>("box");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("frame"); // empty: refused
        const auto row = [](const char* name, const char* box, const char* value,
                            const char* frame) {
            QTest::newRow(name) << QByteArray(box) << QString(value) << QString(frame);
        };
        row("address 20", "AddrText1", "20", "05 01 1E 1C 01 14 55");
        row("address 2.5 to even", "AddrText1", "2.5", "05 01 1E 1C 01 02 43");
        row("address 21", "AddrText1", "21", "");
        row("analog 88", "SetupT_Text", "88", "");
        row("analog empty", "SetupT_Text", "", "05 01 1E 32 01 50 A7");
        row("analog 87.5", "SetupT_Text", "87.5", "05 01 1E 32 01 FF 56");
    }
    void valueThatDoesNotFitIsNotSent() {
        QFETCH(QByteArray, box);
        QFETCH(QString, value);
        QFETCH(QString, frame);
        Harness h;
        h.texts["TextBox1"] = "TEC";
        h.texts[box] = value;
        if (box == "AddrText1") {
            h.sequencer.requestAddressWrite();
        } else {
            h.sequencer.requestAnalogWrite();
        }
        const QStringList polls{"4: 05 01 0F 00 15", "8: 05 01 0F 00 15"};
        QCOMPARE(h.writes(8), frame.isEmpty() ? polls : QStringList{"2: " + frame} + polls);
        QCOMPARE(h.messages, frame.isEmpty() ? QStringList{"Data error！"} : QStringList{});
    }
};

QTEST_GUILESS_MAIN(TestPollSequencer)
#include "test_poll_sequencer.moc"
