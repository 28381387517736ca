// The CSV recording and the trend store, fed with decoded status replies.
#include "test_bytes.h"

#include "record/status_recorder.h"
#include "record/trend_store.h"

#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

using namespace brisco::display;

namespace {

StatusValues valuesOf(const QByteArray& reply) {
    std::array<std::uint8_t, 36> bytes{};
    std::copy(reply.begin(), reply.end(), bytes.begin());
    return statusValues(bytes);
}

const QDateTime kAt(QDate(2026, 12, 7), QTime(14, 5, 9, 42));

} // namespace

class TestRecord : public QObject {
    Q_OBJECT

private slots:
    void header() {
        QCOMPARE(StatusRecorder::header(),
                 "Time,TECcoolStart,TECcoolStop,TECheatStart,TECheatStop,IntFanPulse,IntFanLowS,"
                 "IntFanHighS,ExtFanPulse,ExtFanHighS,TempMax,TempMin,TECcurrL,TECcurrH,Temp1,"
                 "Temp2,SensorFault,ControlTemp,TECcurrent,DCvoltage,IntFanSpeed,ExtFanSpeed,"
                 "StatusBox1,StatusBox2,StatusBox3,StatusBox4,StatusBox5,StatusBox6,StatusBox7,"
                 "StatusBox8,StatusBox9,StatusBox10,StatusBox11,StatusBox12,StatusBox13,"
                 "StatusBox14,StatusBox15,StatusBox16,StatusBox17,StatusBox18,StatusBox19,"
                 "StatusBox20,StatusBox21,StatusBox22\n");
    }

    // Plain numbers with a point in any locale; a faulty sensor is an empty
    // cell and a word in SensorFault, never a made-up number.
    void rows_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QByteArray>("row");
        QTest::newRow("live") << statusReply({{10, 5},
                                              {11, 220},
                                              {19, 25},
                                              {21, 5},
                                              {22, 16},
                                              {25, 81},
                                              {26, 60},
                                              {28, 57},
                                              {29, 1},
                                              {30, 224},
                                              {31, 5},
                                              {32, 220},
                                              {33, 0},
                                              {34, 0}})
                              << QByteArray("2026-12-07 14:05:09.042,40,40,40,40,80,1500,20560,"
                                            "80,20560,40,40,2.5,8,0.5,-10,,0,5.7,48,1500,0,"
                                            "1,0,1,0,0,0,0,0,2,0,0,0,0,0,0,0,2,0,0,0,0,0\n");
        QTest::newRow("sensors open and short")
            << statusReply({{25, 254}, {26, 255}, {27, 254}})
            << QByteArray("2026-12-07 14:05:09.042,40,40,40,40,80,20560,20560,80,20560,40,40,8,8,"
                          ",,inner open outer short,87,8,2056,20560,20560,"
                          "0,0,0,0,1,0,0,0,2,0,2,0,0,0,0,0,2,0,0,0,0,0\n");
    }
    void rows() {
        QFETCH(QByteArray, reply);
        QFETCH(QByteArray, row);
        const auto restore = qScopeGuard([previous = QLocale()] { QLocale::setDefault(previous); });
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(StatusRecorder::row(kAt, valuesOf(reply)), row);
    }

    void recordsRowByRow() {
        QTemporaryDir dir;
        const QString path = dir.filePath("session.csv");
        StatusRecorder recorder;
        QString error;
        QVERIFY(recorder.start(path, &error));
        for (int i = 0; i < 3; ++i) {
            QVERIFY(recorder.record(kAt.addSecs(i), valuesOf(statusReply()), &error));
            // On the disk before the next reply, with nothing held back.
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll().count('\n'), i + 2);
        }
        QCOMPARE(recorder.rows(), 3);
        recorder.stop();
        QVERIFY(!recorder.recording());
    }

    // A folder that does not exist, and a disk that is full.
    void fileThatCannotBeWritten_data() {
        QTest::addColumn<QString>("path");
        QTest::newRow("no such folder") << "/nonexistent/brisco/session.csv";
        QTest::newRow("a full disk") << "/dev/full";
    }
    void fileThatCannotBeWritten() {
        QFETCH(QString, path);
        StatusRecorder recorder;
        QString error;
        QVERIFY(!recorder.start(path, &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!recorder.recording());
    }

    // An hour at most, and never more samples than an hour of replies.
    void trendStoreIsBounded_data() {
        QTest::addColumn<int>("replies");
        QTest::addColumn<int>("everyMs");
        QTest::addColumn<int>("kept");
        QTest::newRow("an hour, one a second") << 3600 << 1000 << 3600;
        QTest::newRow("two hours, one a second") << 7200 << 1000 << 3600;
        QTest::newRow("one every two seconds") << 3000 << 2000 << 1801;
        QTest::newRow("four a second") << 20000 << 250 << 3600;
    }
    void trendStoreIsBounded() {
        QFETCH(int, replies);
        QFETCH(int, everyMs);
        QFETCH(int, kept);
        TrendStore store;
        const StatusValues values = valuesOf(statusReply({{25, 254}}));
        for (int i = 0; i < replies; ++i) {
            store.append(qint64(i) * everyMs, values);
        }
        QCOMPARE(int(store.samples().size()), kept);
        QCOMPARE(store.samples().back().time, qint64(replies - 1) * everyMs);
        QVERIFY(!store.samples().back().innerTemp);
        QCOMPARE(*store.samples().back().outerTemp, 0.0);
    }
};

QTEST_GUILESS_MAIN(TestRecord)
#include "test_record.moc"
