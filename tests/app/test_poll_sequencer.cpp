#include "form_fixture.h"

#include <QRadioButton>

namespace {

const QByteArray kStatusPoll1 = bytes({0x05, 0x01, 0x0F, 0x00, 0x15});
const QByteArray kDeviceInfoQuery1 = bytes({0x05, 0x01, 0x0F, 0x02, 0x17});
const QByteArray kAddressQuery = bytes({0x05, 0x00, 0x0F, 0x01, 0x15});

// A status reply: every data byte 0x50 unless given.
QByteArray statusReply(const QList<QPair<int, int>>& data = {}, int address = 1) {
    QByteArray frame = bytes({0x06, address, 0x0F, 0x00, 0x1E});
    frame.append(30, char(0x50));
    for (const auto& [offset, value] : data) {
        frame[offset] = static_cast<char>(value);
    }
    return withChecksum(frame);
}

QByteArray deviceInfoReply(const QByteArray& text, int address = 1) {
    QByteArray frame = bytes({0x06, address, 0x0F, 0x02, int(text.size())});
    return withChecksum(frame + text);
}

} // namespace

class TestPollSequencer : public QObject {
    Q_OBJECT

private slots:
    void firstOpeningCadence() {
        FormFixture f;
        f.openPort();
        QVERIFY(f.tickWrites().isEmpty());                              // tick 1, phase 1
        QCOMPARE(f.tickWrites(), QList<QByteArray>{kDeviceInfoQuery1}); // tick 2
        QVERIFY(f.tickWrites().isEmpty());                              // tick 3
        QCOMPARE(f.tickWrites(), QList<QByteArray>{kStatusPoll1});      // tick 4
    }

    void onePollPerFourTicks() {
        FormFixture f;
        f.openPort();
        QList<int> pollTicks;
        QList<int> queryTicks;
        for (int tick = 1; tick <= 40; ++tick) {
            for (const QByteArray& block : f.tickWrites()) {
                if (block == kStatusPoll1) {
                    pollTicks << tick;
                } else if (block == kDeviceInfoQuery1) {
                    queryTicks << tick;
                } else {
                    QFAIL(qPrintable("unexpected " + block.toHex(' ')));
                }
            }
        }
        QCOMPARE(pollTicks, (QList<int>{4, 8, 12, 16, 20, 24, 28, 32, 36, 40}));
        // Without an answer the device-information query repeats every second.
        QCOMPARE(queryTicks, (QList<int>{2, 6, 10, 14, 18, 22, 26, 30, 34, 38}));
    }

    void nothingIsSentOrCountedWhileClosed() {
        FormFixture f;
        f.tick(8);
        QVERIFY(f.port->written.isEmpty());
        QCOMPARE(f.form->m_TickNo, 0);
        f.port->feed(statusReply());
        f.tick();
        QCOMPARE(f.form->receiveRing().dataNo(), 0);
    }

    void tickCounterWrapKeepsTheRhythm() {
        FormFixture f;
        f.form->m_TickNo = 31990;
        f.openPort();
        QList<int> pollTicks;
        for (int tick = 1; tick <= 24; ++tick) {
            if (f.tickWrites().contains(kStatusPoll1)) {
                pollTicks << f.form->m_TickNo;
            }
        }
        QCOMPARE(pollTicks, (QList<int>{31992, 31996, 0, 4, 8, 12}));
        QCOMPARE(f.form->m_TickNo, 14);
    }

    void replyInThreePiecesDecodedOnTheLastTick() {
        FormFixture f;
        f.openPort();
        const QByteArray reply = statusReply({{5, 65}});
        f.port->feed(reply.left(10));
        f.tick();
        QVERIFY(f.text("TECcoolStart_Text").isEmpty());
        f.port->feed(reply.mid(10, 20));
        f.tick();
        QVERIFY(f.text("TECcoolStart_Text").isEmpty());
        QCOMPARE(f.form->receiveRing().dataNo(), 30);
        f.port->feed(reply.mid(30));
        f.tick();
        QCOMPARE(f.text("TECcoolStart_Text"), QStringLiteral("25"));
        QCOMPARE(f.text("CommCtr_Text"), QStringLiteral("1"));
        QCOMPARE(f.form->receiveRing().dataNo(), 0);
    }

    void echoThenReplyInOneTick() {
        FormFixture f;
        f.openPort();
        f.port->feed(kStatusPoll1 + statusReply({{25, 81}}));
        f.tick();
        QCOMPARE(f.text("Temp1_Text"), QStringLiteral("0.5"));
        QVERIFY(f.form->findChild<QRadioButton*>("RS422Option")->isChecked());
        QVERIFY(!f.form->findChild<QRadioButton*>("RS485Option")->isChecked());
        // Later replies never switch a four-wire line back.
        f.port->feed(statusReply());
        f.tick();
        QVERIFY(f.form->findChild<QRadioButton*>("RS422Option")->isChecked());
    }

    void replyWithoutEchoMeansTwoWire() {
        FormFixture f;
        f.openPort();
        f.port->feed(statusReply());
        f.tick();
        QVERIFY(f.form->findChild<QRadioButton*>("RS485Option")->isChecked());
        QVERIFY(!f.form->findChild<QRadioButton*>("RS422Option")->isChecked());
    }

    void twoRepliesOneTickApart() {
        FormFixture f;
        f.openPort();
        f.port->feed(statusReply({{5, 60}}) + statusReply({{5, 61}}));
        f.tick();
        QCOMPARE(f.text("TECcoolStart_Text"), QStringLiteral("20"));
        f.tick();
        QCOMPARE(f.text("TECcoolStart_Text"), QStringLiteral("21"));
        QCOMPARE(f.text("CommCtr_Text"), QStringLiteral("2"));
    }

    void corruptedReplyChangesNothing() {
        FormFixture f;
        f.openPort();
        f.port->feed(statusReply({{5, 65}, {21, 63}}));
        f.tick();
        QByteArray bad = statusReply({{5, 70}, {21, 0}});
        bad[20] = static_cast<char>(bad[20] + 1);
        f.port->feed(bad);
        f.tick();
        QCOMPARE(f.text("TECcoolStart_Text"), QStringLiteral("25"));
        QCOMPARE(f.lamp(1), 1);
        QCOMPARE(f.text("CommCtr_Text"), QStringLiteral("1"));
        QCOMPARE(f.form->m_ChecksumErrorNo, 1);
        QCOMPARE(f.form->receiveRing().dataNo(), 0);
    }

    void statusDecodedOntoTheWindow() {
        FormFixture f;
        f.openPort();
        f.port->feed(statusReply({{10, 5},
                                  {11, 220},
                                  {19, 25},
                                  {21, 63},
                                  {22, 16},
                                  {23, 36},
                                  {24, 4},
                                  {25, 254},
                                  {26, 255},
                                  {27, 254},
                                  {29, 255},
                                  {30, 255},
                                  {31, 5},
                                  {32, 220},
                                  {33, 3},
                                  {34, 232}}));
        f.tick();
        QCOMPARE(f.text("IntFanLowS_Text"), QStringLiteral("1500"));
        QCOMPARE(f.text("TECcurrL_Text"), QStringLiteral("2.5"));
        QCOMPARE(f.text("Temp1_Text"), QStringLiteral("Open"));
        QCOMPARE(f.text("Temp2_Text"), QStringLiteral("Short"));
        QCOMPARE(f.text("ControlTemp_Text"), QStringLiteral("87"));
        QCOMPARE(f.text("DCvoltage_Text"), QStringLiteral("6553.5"));
        QCOMPARE(f.text("IntFanSpeed_Text"), QStringLiteral(" 1500"));
        QCOMPARE(f.text("ExtFanSpeed_Text"), QStringLiteral(" 1000"));
        const QList<int> expected{1, 1, 1, 1, 1, 3, 0, 0, 2, 2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 0};
        for (int n = 1; n <= 22; ++n) {
            QCOMPARE(f.lamp(n), expected[n - 1]);
        }
    }

    void replyAcrossTheEndOfTheRing() {
        FormFixture f;
        f.openPort();
        // 120 noise bytes move the read index to 116 with 4 left unread, so
        // the reply that follows starts at index 120 and wraps.
        f.port->feed(QByteArray(120, char(0x33)));
        f.tick();
        QCOMPARE(f.form->receiveRing().dataPointer(), 116);
        f.port->feed(statusReply({{5, 65}, {8, 55}, {34, 0x10}}));
        f.tick();
        QCOMPARE(f.text("TECcoolStart_Text"), QStringLiteral("25"));
        QCOMPARE(f.text("TECheatStop_Text"), QStringLiteral("15"));
        QCOMPARE(f.text("CommCtr_Text"), QStringLiteral("1"));
        QCOMPARE(f.form->receiveRing().dataPointer(), 28);
    }

    void backlogHoldsThePollButNotTheCommandSlot() {
        FormFixture f;
        f.openPort();
        f.tick(3); // ticks 1-3, the query of tick 2 goes out
        // The start of a long device-information reply: the scan waits for
        // the rest, so 85 bytes stay unread.
        QByteArray partial = bytes({0x06, 0x01, 0x0F, 0x02, 100});
        partial.append(80, 'x');
        f.port->feed(partial);
        f.port->written.clear();
        QVERIFY(f.tickWrites().isEmpty()); // tick 4: poll held at 85 unread
        QCOMPARE(f.form->receiveRing().dataNo(), 85);
        QVERIFY(f.tickWrites().isEmpty());                              // tick 5
        QCOMPARE(f.tickWrites(), QList<QByteArray>{kDeviceInfoQuery1}); // tick 6: limit 100
    }

    void backlogOfOneHundredHoldsTheCommandSlotToo() {
        FormFixture f;
        f.openPort();
        QByteArray partial = bytes({0x06, 0x01, 0x0F, 0x02, 110});
        partial.append(95, 'x');
        f.port->feed(partial);
        for (int tick = 1; tick <= 7; ++tick) {
            QVERIFY(f.tickWrites().isEmpty());
        }
        QCOMPARE(f.form->receiveRing().dataNo(), 100);
    }

    void backlogLimits_data() {
        QTest::addColumn<int>("unread");
        QTest::addColumn<bool>("pollSent");
        QTest::addColumn<bool>("querySent");
        QTest::newRow("79") << 79 << true << true;
        QTest::newRow("80") << 80 << false << true;
        QTest::newRow("99") << 99 << false << true;
        QTest::newRow("100") << 100 << false << false;
    }
    void backlogLimits() {
        QFETCH(int, unread);
        QFETCH(bool, pollSent);
        QFETCH(bool, querySent);
        FormFixture f;
        f.openPort();
        // An announced device-information reply of 116 bytes that is still
        // arriving: the scan waits, so exactly this many bytes stay unread.
        QByteArray partial = bytes({0x06, 0x01, 0x0F, 0x02, 110});
        partial.append(unread - 5, 'x');
        f.tick(); // tick 1
        f.port->feed(partial);
        QCOMPARE(f.tickWrites().contains(kDeviceInfoQuery1), querySent); // tick 2
        QCOMPARE(f.form->receiveRing().dataNo(), unread);
        f.tick();                                                  // tick 3
        QCOMPARE(f.tickWrites().contains(kStatusPoll1), pollSent); // tick 4
    }

    // A corrupted length byte announces a reply longer than the backlog lets
    // arrive; once the line stays quiet the scan gives it up and polling
    // resumes.
    void stalledWaitIsGivenUp() {
        FormFixture f;
        f.openPort();
        f.edit("TextBox1")->setText(QStringLiteral("TEC")); // nothing else to ask
        QByteArray stuck = bytes({0x06, 0x01, 0x0F, 0x02, 120});
        stuck.append(80, 'x');
        f.port->feed(stuck);
        QList<int> pollTicks;
        for (int tick = 1; tick <= 16; ++tick) {
            if (f.tickWrites().contains(kStatusPoll1)) {
                pollTicks << tick;
            }
        }
        // Held for two seconds of silence, then polled again.
        QCOMPARE(pollTicks, (QList<int>{12, 16}));
        QCOMPARE(f.form->receiveRing().dataNo(), 4);
        f.port->feed(statusReply({{5, 65}}));
        f.tick();
        QCOMPARE(f.text("TECcoolStart_Text"), QStringLiteral("25"));
    }

    void waitWithBytesArrivingIsKept() {
        FormFixture f;
        f.openPort();
        QByteArray partial = bytes({0x06, 0x01, 0x0F, 0x02, 110});
        partial.append(80, 'x');
        f.port->feed(partial);
        for (int tick = 1; tick <= 30; ++tick) {
            if (tick % 3 == 0 && f.form->receiveRing().dataNo() < 116) {
                f.port->feed("y");
            }
            f.tick();
        }
        QCOMPARE(f.form->receiveRing().dataNo(), 95);
        QCOMPARE(f.form->receiveRing().dataPointer(), 0);
    }

    void getThenSendAddressOneSecondApart() {
        FormFixture f;
        f.openPort();
        f.edit("AddrText1")->setText(QStringLiteral("3"));
        f.tick(); // tick 1
        f.button("Addr_Command2")->click();
        f.button("Addr_Command1")->click();
        QCOMPARE(f.tickWrites(), QList<QByteArray>{kAddressQuery}); // tick 2
        f.tick(3);
        QCOMPARE(f.tickWrites(),
                 QList<QByteArray>{bytes({0x05, 0x01, 0x1E, 0x1C, 0x01, 0x03, 0x44})}); // tick 6
        QCOMPARE(f.form->m_Address, 1);
        QVERIFY(!f.form->f_Addr_Command1 && !f.form->f_Addr_Command2);
    }

    void buttonsDoNothingWhileClosed() {
        FormFixture f;
        f.tick();
        f.button("Addr_Command1")->click();
        f.button("Addr_Command2")->click();
        f.button("Command3")->click();
        QVERIFY(!f.form->f_Addr_Command1 && !f.form->f_Addr_Command2 && !f.form->f_Command3);
    }

    void addressReplyChangesTheAddressOfLaterRequests() {
        FormFixture f;
        f.openPort();
        f.port->feed(bytes({0x06, 0x00, 0x0F, 0x01, 0x01, 0x05, 0x1C}));
        f.tick(3);
        QCOMPARE(f.form->m_Address, 5);
        QCOMPARE(f.text("AddrText2"), QStringLiteral("5"));
        QCOMPARE(f.tickWrites(), QList<QByteArray>{bytes({0x05, 0x05, 0x0F, 0x00, 0x19})});
        // A reply for the old address is now someone else's.
        f.port->feed(statusReply({{5, 65}}, 1));
        f.tick();
        QVERIFY(f.text("TECcoolStart_Text").isEmpty());
    }

    void deviceInformationEndsTheQueryAndFreesTheSlot() {
        FormFixture f;
        f.openPort();
        f.edit("SetupT_Text")->setText(QStringLiteral("25"));
        f.button("Command3")->click();
        QCOMPARE(f.tickWrites(), QList<QByteArray>{});
        QCOMPARE(f.tickWrites(), QList<QByteArray>{kDeviceInfoQuery1}); // tick 2
        QVERIFY(f.form->f_Command3);                                    // waits for the model
        f.port->feed(deviceInfoReply("TEC-48/1.0/VA2.1/"));
        f.tick(4); // ticks 3-6: decoded on 3, the analog write on 6
        QCOMPARE(f.text("TextBox1"), QStringLiteral("TEC-48"));
        QCOMPARE(f.text("TextBox2"), QStringLiteral("1.0"));
        QCOMPARE(f.text("TextBox3"), QStringLiteral("VA2.1"));
        QCOMPARE(f.text("TextBox4"), QStringLiteral("半导体制冷制热"));
        QCOMPARE(f.port->written.last(), bytes({0x05, 0x01, 0x1E, 0x32, 0x01, 0x82, 0xD9}));
        QVERIFY(!f.form->f_Command02);
        QVERIFY(!f.form->f_Command3);
        const qsizetype before = f.port->written.size();
        f.tick(4);
        QCOMPARE(f.port->written.mid(before), QList<QByteArray>{kStatusPoll1});
    }

    void emptyModelKeepsAsking() {
        FormFixture f;
        f.openPort();
        f.button("Command3")->click();
        f.port->feed(deviceInfoReply("/1.0/VA2x"));
        int queries = 0;
        for (int tick = 1; tick <= 16; ++tick) {
            queries += int(f.tickWrites().count(kDeviceInfoQuery1));
        }
        QCOMPARE(queries, 4);
        QVERIFY(f.text("TextBox1").isEmpty());
        QCOMPARE(f.text("TextBox2"), QStringLiteral("1.0"));
        QCOMPARE(f.text("TextBox3"), QStringLiteral("VA2"));
        QCOMPARE(f.text("TextBox4"), QStringLiteral("半导体制冷制热"));
        QVERIFY(f.form->f_Command3);
    }

    void unsplittableDeviceTextChangesNoBox() {
        FormFixture f;
        f.openPort();
        f.port->feed(deviceInfoReply("NOSLASH"));
        f.tick();
        for (const char* name : {"TextBox1", "TextBox2", "TextBox3", "TextBox4"}) {
            QVERIFY(f.text(name).isEmpty());
        }
        QCOMPARE(f.form->receiveRing().dataNo(), 0);
    }

    void valueThatDoesNotFitIsNotSent_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("button");
        QTest::newRow("address 256") << "AddrText1"
                                     << "256"
                                     << "Addr_Command1";
        QTest::newRow("address negative") << "AddrText1"
                                          << "-1"
                                          << "Addr_Command1";
        QTest::newRow("analog 88") << "SetupT_Text"
                                   << "88"
                                   << "Command3";
        QTest::newRow("analog -40.5") << "SetupT_Text"
                                      << "-40.5"
                                      << "Command3";
    }
    void valueThatDoesNotFitIsNotSent() {
        QFETCH(QString, box);
        QFETCH(QString, value);
        QFETCH(QString, button);
        FormFixture f;
        f.openPort();
        f.edit("TextBox1")->setText(QStringLiteral("TEC")); // no query in the slot
        f.edit(box)->setText(value);
        f.button(button)->click();
        MessageBoxCatcher catcher;
        f.tick(2);
        QVERIFY(f.port->written.isEmpty());
        QVERIFY(!f.form->f_Addr_Command1 && !f.form->f_Command3);
        QTRY_COMPARE(catcher.texts, QStringList{QStringLiteral("Data error！")});
        QCOMPARE(catcher.titles, QStringList{QStringLiteral("Brisco_v20E")});
        QVERIFY(!catcher.anyIcon);
    }

    void analogBoundariesThatFit_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("byte");
        QTest::newRow("empty") << "" << 80;
        QTest::newRow("lowest") << "-40" << 0;
        QTest::newRow("highest") << "87.5" << 255;
        QTest::newRow("tie to even") << "0.25" << 80;
        QTest::newRow("tie up to even") << "0.75" << 82;
    }
    void analogBoundariesThatFit() {
        QFETCH(QString, value);
        QFETCH(int, byte);
        FormFixture f;
        f.openPort();
        f.edit("TextBox1")->setText(QStringLiteral("TEC"));
        f.edit("SetupT_Text")->setText(value);
        f.button("Command3")->click();
        f.tick(2);
        QCOMPARE(f.port->written,
                 QList<QByteArray>{withChecksum(bytes({0x05, 0x01, 0x1E, 0x32, 0x01, byte}))});
    }

    void counterKeepsCountingPast32767() {
        FormFixture f;
        f.openPort();
        f.form->m_StatusFrameNo = 32767;
        f.port->feed(statusReply());
        f.tick();
        QCOMPARE(f.text("CommCtr_Text"), QStringLiteral("32768"));
    }

    void closingMidwayKeepsUnreadBytes() {
        FormFixture f;
        f.openPort();
        const QByteArray reply = statusReply({{5, 65}});
        f.port->feed(reply.left(20));
        f.tick();
        f.button("CommPort_ToggleButton")->click();
        f.tick(3);
        QCOMPARE(f.form->receiveRing().dataNo(), 20);
        f.button("CommPort_ToggleButton")->click();
        f.port->feed(reply.mid(20));
        f.tick();
        QCOMPARE(f.text("TECcoolStart_Text"), QStringLiteral("25"));
    }
};

QTEST_MAIN(TestPollSequencer)
#include "test_poll_sequencer.moc"
