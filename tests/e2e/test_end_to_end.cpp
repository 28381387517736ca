// Brisco's real serial port path against brisco-sim on a pseudo-terminal.
#include "live_form.h"

#include <QRadioButton>
#include <QTest>

namespace {

constexpr int kTimeout = 8000;

} // namespace

class TestEndToEnd : public QObject {
    Q_OBJECT

private slots:
    void monitorsTheController_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("lineOption");
        QTest::newRow("two-wire") << QStringList{"--seed", "1"} << "RS485Option";
        QTest::newRow("four-wire echo") << QStringList{"--seed", "2", "--echo"} << "RS422Option";
    }
    void monitorsTheController() {
        QFETCH(QStringList, options);
        QFETCH(QString, lineOption);
        LiveForm live;
        QString error;
        QVERIFY2(live.start(options, &error), qPrintable(error));

        QTRY_COMPARE(live.text("CommPortText"), QStringLiteral("COM1"));
        live.button("CommPort_ToggleButton")->click();
        QCOMPARE(live.button("CommPort_ToggleButton")->text(), QStringLiteral("StopComm"));

        QTRY_COMPARE_WITH_TIMEOUT(live.text("TextBox1"), QStringLiteral("TEC-48"), kTimeout);
        QCOMPARE(live.text("TextBox2"), QStringLiteral("1.0"));
        QCOMPARE(live.text("TextBox3"), QStringLiteral("VA2.1"));
        QCOMPARE(live.text("TextBox4"), QStringLiteral("半导体制冷制热"));

        QTRY_VERIFY_WITH_TIMEOUT(live.form->m_StatusFrameNo >= 3, kTimeout);
        const QSet<Shown> sent = live.statusShown(QStringLiteral("good"));
        QVERIFY2(sent.contains(live.shownNow()), qPrintable(live.shownNow().join(u' ')));
        QCOMPARE(live.text("CommCtr_Text"), QString::number(live.form->m_StatusFrameNo));
        QVERIFY(!live.text("IntFanSpeed_Text").isEmpty());
        QVERIFY(live.form->findChild<QRadioButton*>(lineOption)->isChecked());
        QCOMPARE(live.form->m_ChecksumErrorNo, 0);

        live.button("Addr_Command2")->click();
        QTRY_COMPARE_WITH_TIMEOUT(live.text("AddrText2"), QStringLiteral("1"), kTimeout);
        QCOMPARE(live.form->m_Address, 1);

        live.button("CommPort_ToggleButton")->click();
        QVERIFY(!live.form->commPort()->isOpen());
    }

    // Replies in pieces, noise between them and corrupted checksums: every
    // value shown was sent in a good reply, and only good replies count.
    void faultyLineShowsOnlyGoodReplies() {
        LiveForm live;
        QString error;
        QVERIFY2(live.start({"--seed", "3", "--split", "--noise", "--corrupt", "30"}, &error),
                 qPrintable(error));
        QTRY_COMPARE(live.text("CommPortText"), QStringLiteral("COM1"));
        live.button("CommPort_ToggleButton")->click();

        QTRY_VERIFY_WITH_TIMEOUT(
            live.form->m_StatusFrameNo >= 8 && live.form->m_ChecksumErrorNo >= 2, 30000);
        live.button("CommPort_ToggleButton")->click();

        const QSet<Shown> good = live.statusShown(QStringLiteral("good"));
        QVERIFY(!live.samples.isEmpty());
        for (const Shown& shown : std::as_const(live.samples)) {
            QVERIFY2(good.contains(shown), qPrintable(shown.join(u' ')));
        }
        const int goodSent = live.statusCount(QStringLiteral("good"));
        const int corruptSent = live.statusCount(QStringLiteral("corrupt"));
        QVERIFY(live.form->m_StatusFrameNo <= goodSent);
        QVERIFY(live.form->m_StatusFrameNo >= goodSent - 1); // one may be on its way
        QVERIFY(live.form->m_ChecksumErrorNo <= corruptSent);
        QVERIFY(live.form->m_ChecksumErrorNo >= corruptSent - 1);
    }
};

QTEST_MAIN(TestEndToEnd)
#include "test_end_to_end.moc"
