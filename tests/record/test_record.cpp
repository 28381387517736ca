// The CSV recording and the trend store, fed with decoded status replies.
#include "test_bytes.h"

#include "record/status_recorder.h"
#include "record/trend_store.h"

#include <QTest>

using namespace brisco::display;

namespace {

StatusValues valuesOf(const QByteArray& reply) {
    std::array<std::uint8_t, 36> bytes{};
    std::copy(reply.begin(), reply.end(), bytes.begin());
    return statusValues(bytes);
}

} // namespace

class TestRecord : public QObject {
    Q_OBJECT

private slots:
    // The operator is German: a comma would separate the decimals on screen.
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }

    // Plain numbers with a point in any locale; a faulty sensor is an empty
    // cell and a word in SensorFault, never a made-up number.
    void rows_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QByteArray>("row");
        QTest::newRow("live") << statusReply({{19, 25}, {25, 81}, {26, 60}, {28, 57}})
                              << QByteArray("2026-12-07 14:05:09.042,13,14,15,16,57,14907,15421,"
                                            "62,16192,25,26,2.5,6.8,0.5,-10,,-2.5,5.7,1979,20304,"
                                            "20818,1,0,1,0,0,0,0,2,0,0,2,0,2,2,2,0,2,0,0,0,0,0\n");
        QTest::newRow("sensors open and short")
            << statusReply({{25, 254}, {26, 255}, {27, 254}})
            << QByteArray("2026-12-07 14:05:09.042,13,14,15,16,57,14907,15421,62,16192,25,26,6.7,"
                          "6.8,,,inner open outer short,87,7.6,1979,20304,20818,"
                          "1,0,1,0,0,0,0,2,0,0,2,0,2,2,2,0,2,0,0,0,0,0\n");
    }
    void rows() {
        QFETCH(QByteArray, reply);
        QFETCH(QByteArray, row);
        const QDateTime at(QDate(2026, 12, 7), QTime(14, 5, 9, 42));
        QCOMPARE(StatusRecorder::row(at, valuesOf(reply)), row);
    }

    // A file that cannot take the header: no recording, and the reason.
    void fullDisk() {
        StatusRecorder recorder;
        QString error;
        QVERIFY(!recorder.start(QStringLiteral("/dev/full"), &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!recorder.recording());
    }

    // An hour at most, and never more samples than an hour of replies.
    void trendStoreIsBounded_data() {
        QTest::addColumn<int>("replies");
        QTest::addColumn<int>("everyMs");
        QTest::addColumn<int>("kept");
        QTest::newRow("one every two seconds") << 3000 << 2000 << 1801;
        QTest::newRow("four a second") << 20000 << 250 << 3600;
    }
    void trendStoreIsBounded() {
        QFETCH(int, replies);
        QFETCH(int, everyMs);
        QFETCH(int, kept);
        TrendStore store;
        const StatusValues values = valuesOf(statusReply());
        for (int i = 0; i < replies; ++i) {
            store.append(qint64(i) * everyMs, values);
        }
        QCOMPARE(int(store.samples().size()), kept);
        QCOMPARE(store.samples().back().time, qint64(replies - 1) * everyMs);
    }
};

QTEST_GUILESS_MAIN(TestRecord)
#include "test_record.moc"
