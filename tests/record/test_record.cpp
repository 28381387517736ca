// The session log and its files: CSV rows byte for byte, the replay of a
// recording and of bad ones, the reduction of a plotted line, the events
// told of lamps and writes, and a writer whose disk stalls.
#include "test_bytes.h"

#include "record/event_csv.h"
#include "record/session_log.h"
#include "record/status_csv.h"
#include "record/trend_reduction.h"
#include "record/write_event.h"

#include <QSemaphore>
#include <QTest>
#include <QTimeZone>

#include <mutex>

using namespace brisco::display;

namespace {

// Every byte given, multi-byte fields with distinct halves: 1500, 3100,
// 3400, 48.5 V, 1550 and 2700 rpm; lamps 1, 3, 6, 8, 9, 12, 13 and 20 lit.
constexpr const char* kLive = "41 3A 2F 33 02 05 DC 0C 1C 03 0D 48 5F 1E 0F 7D 25 82 11 04 "
                              "89 4F 8C 39 01 E5 06 0E 0A 8C";
constexpr const char* kLiveRow = "25,18,7,11,2,1500,3100,3,3400,55,-10,1.5,12.5,28.5,-0.5,,30,5.7,"
                                 "48.5,1550,2700,1,0,1,0,0,3,0,2,2,0,0,2,2,0,0,0,0,0,0,2,0,0\n";
// Both sensors faulty, the control temperature beyond them, no lamp lit.
constexpr const char* kFaults = "00 FF 41 33 03 FF 00 00 01 02 00 FF 00 FF 00 FF 00 00 00 00 "
                                "FE FF FE 00 00 01 FF FF 00 00";
constexpr const char* kFaultsRow =
    "-40,215,25,11,3,65280,1,2,255,-40,215,0,25.5,,,inner open outer "
    "short,87,0,0.1,65535,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,"
    "0,0,0\n";

StatusValues valuesOf(const char* data) {
    const QByteArray reply = framed(hex("06 01 0F 00 1E") + hex(data));
    std::array<std::uint8_t, 36> bytes{};
    std::copy(reply.begin(), reply.end(), bytes.begin());
    return statusValues(bytes);
}

const QDateTime kAt(QDate(2026, 12, 7), QTime(14, 5, 9, 42), QTimeZone(5 * 3600 + 30 * 60));
const QDateTime kWest(QDate(2026, 12, 7), QTime(9, 0, 0, 5), QTimeZone(-(3 * 3600 + 30 * 60)));

// A disk that takes each write only when the test lets it, and tells when
// a write is waiting.
struct StalledDisk {
    QSemaphore entered;
    QSemaphore allowed;
    std::mutex mutex;
    QList<QByteArray> files;
    int failAt = -1; // this write fails (counted from 0)
};

class StalledSink : public RecordSink {
public:
    explicit StalledSink(StalledDisk& disk)
        : m_disk(disk) {}
    bool open(const QString&, QString*) override {
        const std::lock_guard lock(m_disk.mutex);
        m_file = m_disk.files.size();
        m_disk.files.append(QByteArray());
        return true;
    }
    bool write(const QByteArray& bytes, QString* error) override {
        m_disk.entered.release();
        m_disk.allowed.acquire();
        const std::lock_guard lock(m_disk.mutex);
        if (m_disk.failAt-- == 0) {
            *error = QStringLiteral("disk full");
            return false;
        }
        m_disk.files[m_file] += bytes;
        return true;
    }

private:
    StalledDisk& m_disk;
    qsizetype m_file = 0;
};

} // namespace

class TestRecord : public QObject {
    Q_OBJECT

private slots:
    // The operator is German: a comma would separate the decimals on screen.
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }

    void rows_data() {
        QTest::addColumn<QByteArray>("written");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("header")
            << StatusCsv::header()
            << QByteArray("\xEF\xBB\xBFTime (Brisco recording 2),Cooling open temp "
                          "set-point (°C),Cooling stop temp set-point (°C),Heating "
                          "open temp set-point (°C),Heating stop temp set-point (°C),"
                          "Inner fan pulses per revolution,Inner fan low rotation "
                          "speed (rpm),Inner fan high rotation speed (rpm),Outer fan "
                          "pulses per revolution,Outer fan high rotation speed (rpm),"
                          "High temperature warning (°C),Low temperature warning "
                          "(°C),Low current limit (A),High current limit (A),Inner "
                          "temp (°C),Outer temp (°C),Sensor fault,Control temp (°C),"
                          "TEC current (A),DC voltage (V),Inner fan speed (rpm),Outer "
                          "fan speed (rpm),Lamp Inner fan (Working state),Lamp Outer "
                          "fan (Working state),Lamp Cooling,Lamp Heating,Lamp "
                          "Hydrogen,Lamp Self test,Lamp General,Lamp Sensor,Lamp Inner "
                          "fan (Alerts),Lamp Outer fan (Alerts),Lamp Low current,Lamp "
                          "High current,Lamp High temp,Lamp Low temp,Lamp DC low,Lamp "
                          "DC high,Lamp AC dump,Lamp Analog temp,Lamp 自检,Lamp "
                          "Entrance guard,Lamp Switch value 3,Lamp Switch value 4\n");
        QTest::newRow("live, east of UTC")
            << StatusCsv::row(kAt, valuesOf(kLive))
            << "2026-12-07T14:05:09.042+05:30," + QByteArray(kLiveRow);
        QTest::newRow("sensor faults, west of UTC")
            << StatusCsv::row(kWest, valuesOf(kFaults))
            << "2026-12-07T09:00:00.005-03:30," + QByteArray(kFaultsRow);
        QTest::newRow("event, quoted") << EventCsv::row({kWest, "Sent \"x\", y", "", "1,5"})
                                       << QByteArray("2026-12-07T09:00:00.005-03:30,\"Sent "
                                                     "\"\"x\"\", y\",,\"1,5\"\n");
    }
    void rows() {
        QFETCH(QByteArray, written);
        QFETCH(QByteArray, expected);
        QCOMPARE(written, expected);
    }

    // A file read back gives the rows that were written; a bad one gives the
    // line and what is wrong with it, and no row at all.
    void replay_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("error");
        const QByteArray header = StatusCsv::header();
        const QByteArray good = header + StatusCsv::row(kAt, valuesOf(kLive)) +
                                StatusCsv::row(kWest, valuesOf(kFaults));
        const QByteArray row = "2026-12-07T14:05:09.042+05:30," + QByteArray(kLiveRow);
        QTest::newRow("written file") << good << QString();
        QTest::newRow("format 1")
            << QByteArray("Time,TECcoolStart,TECcoolStop,TECheatStart,TECheatStop,IntFanPulse,"
                          "IntFanLowS,IntFanHighS,ExtFanPulse,ExtFanHighS,TempMax,TempMin,"
                          "TECcurrL,TECcurrH,Temp1,Temp2,SensorFault,ControlTemp,TECcurrent,"
                          "DCvoltage,IntFanSpeed,ExtFanSpeed,StatusBox1,StatusBox2,StatusBox3,"
                          "StatusBox4,StatusBox5,StatusBox6,StatusBox7,StatusBox8,StatusBox9,"
                          "StatusBox10,StatusBox11,StatusBox12,StatusBox13,StatusBox14,"
                          "StatusBox15,StatusBox16,StatusBox17,StatusBox18,StatusBox19,"
                          "StatusBox20,StatusBox21,StatusBox22\r\n2026-12-07 14:05:09.042,") +
                   kLiveRow
            << QString();
        QTest::newRow("missing column") << QByteArray(header).replace(",Outer temp (°C)", "") + row
                                        << "line 1: the column \"Outer temp (°C)\" is missing";
        QTest::newRow("text for a number")
            << good + QByteArray(row).replace(",5.7,", ",5.7A,")
            << "line 4, column \"TEC current (A)\": \"5.7A\" is not a number";
        QTest::newRow("infinite") << good + QByteArray(row).replace(",-10,", ",-inf,")
                                  << "line 4, column \"Low temperature warning (°C)\": \"-inf\" "
                                     "is not a number";
        QTest::newRow("row from the future")
            << header + QByteArray(row).replace("2026-12-07T14", "2026-12-08T14")
            << "line 2: 2026-12-08T14:05:09.042+05:30 lies in the future";
        QTest::newRow("fault beside a temperature")
            << header + QByteArray(row).replace(",,30,", ",outer open,30,")
            << "line 2, column \"Outer temp (°C)\": a temperature beside the sensor fault "
               "\"outer open\"";
        QTest::newRow("lamp code") << header + QByteArray(row).replace(",3,0,2,", ",4,0,2,")
                                   << "line 2, column \"Lamp Self test\": \"4\" is not a whole "
                                      "number from 0 to 3";
        QTest::newRow("fan with a fraction")
            << header + QByteArray(row).replace(",1550,", ",1550.5,")
            << "line 2, column \"Inner fan speed (rpm)\": \"1550.5\" is not a whole number from 0 "
               "to 65535";
        QTest::newRow("short row") << header + row.left(row.lastIndexOf(',')) + '\n'
                                   << "line 2: 43 values where a row has 44";
        QTest::newRow("bad time") << header + QByteArray(row).replace("+05:30", "+05:60")
                                  << "line 2: \"2026-12-07T14:05:09.042+05:60\" is not a time "
                                     "like 2026-12-07T05:41:17.162+01:00";
        QTest::newRow("newer format") << QByteArray("Time (Brisco recording 3),x\n") + row
                                      << "line 1: a recording of format 3, newer than this "
                                         "Brisco reads (2)";
        QByteArray garbage(10 << 20, 0);
        for (qsizetype i = 0; i < garbage.size(); ++i) {
            garbage[i] = char((i * 7919) >> 5);
        }
        QTest::newRow("10 MB of garbage") << garbage
                                          << "line 1: not a Brisco recording (whose first "
                                             "column is \"Time (Brisco recording 2)\")";
    }
    void replay() {
        QFETCH(QByteArray, content);
        QFETCH(QString, error);
        const qint64 now =
            QDateTime(QDate(2026, 12, 8), QTime(0, 0), QTimeZone(0)).toMSecsSinceEpoch();
        const StatusCsv::Replay replay = StatusCsv::read(content, now);
        QCOMPARE(replay.error, error);
        if (!error.isEmpty()) {
            QCOMPARE(replay.rows.size(), std::size_t(0));
            return;
        }
        // Written again from what was read: the same bytes.
        QByteArray again = StatusCsv::header();
        for (const StatusCsv::Row& row : replay.rows) {
            again += StatusCsv::row(
                QDateTime::fromMSecsSinceEpoch(row.msecs, QTimeZone(row.offsetSeconds)),
                row.values);
        }
        const QByteArray local =
            StatusCsv::timeCell(QDateTime(QDate(2026, 12, 7), QTime(14, 5, 9, 42)));
        QCOMPARE(again,
                 replay.format == 2 ? content : StatusCsv::header() + local + ',' + kLiveRow);
    }

    // The events beside a recording read back, quotes and line breaks in
    // cells undone; a bad file gives its line and no event.
    void eventsReplay_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("error");
        const QByteArray header = EventCsv::header();
        const QByteArray twoLines = EventCsv::row({kWest, "Sent \"x\", y", "a\nb", "1,5"});
        const QByteArray lamp = EventCsv::row({kAt, "Lamp High temp", "off", "red"});
        QTest::newRow("written") << header + twoLines + lamp << QString();
        QTest::newRow("after a cell of two lines") << header + twoLines + "x\n"
                                                   << "line 4: 1 values where an event has 4";
        QTest::newRow("quote left open")
            << header + lamp + twoLines.left(42) << "line 3: a quote is not closed";
        QTest::newRow("future") << header + QByteArray(lamp).replace("-07T", "-08T")
                                << "line 2: \"2026-12-08T14:05:09.042+05:30\" is not a time of "
                                   "the past like 2026-12-07T05:41:17.162+01:00";
        QTest::newRow("a recording") << StatusCsv::header()
                                     << "line 1: not a Brisco event log (whose first line is "
                                        "\"Time (Brisco events 1),Event,From,To\")";
    }
    void eventsReplay() {
        QFETCH(QByteArray, content);
        QFETCH(QString, error);
        const qint64 now =
            QDateTime(QDate(2026, 12, 8), QTime(0, 0), QTimeZone(0)).toMSecsSinceEpoch();
        const EventCsv::Replay replay = EventCsv::read(content, now);
        QCOMPARE(replay.error, error);
        QByteArray again = replay.events.empty() ? QByteArray() : EventCsv::header();
        for (const SessionEvent& event : replay.events) {
            again += EventCsv::row(event);
        }
        QCOMPARE(again, error.isEmpty() ? content : QByteArray());
    }

    // An hour of samples on a plot 400 pixels wide: a single-sample spike
    // and dip survive, a sensor fault splits the line; of the wobble within
    // a tolerance only a few points stay, the extremes among them.
    void reduction_data() {
        QTest::addColumn<int>("spikeAt");
        QTest::addColumn<double>("spike");
        QTest::addColumn<int>("gapAt");
        QTest::addColumn<QList<double>>("lowHighStretches");
        QTest::newRow("spike") << 1801 << 80.0 << -1 << QList<double>{20, 80, 1};
        QTest::newRow("dip") << 3599 << -5.0 << -1 << QList<double>{-5, 20.5, 1};
        QTest::newRow("gap") << 0 << 20.0 << 2000 << QList<double>{20, 20.5, 2};
    }
    void reduction() {
        QFETCH(int, spikeAt);
        QFETCH(double, spike);
        QFETCH(int, gapAt);
        QFETCH(QList<double>, lowHighStretches);
        TrendStore store;
        StatusValues values;
        for (int i = 0; i < 3600; ++i) {
            values.innerTemp = i == spikeAt ? spike : 20 + (i % 2) * 0.5;
            values.innerTemp = i == gapAt ? std::nullopt : values.innerTemp;
            store.append(qint64(i) * 1000, values);
        }
        const auto stretches = reduceToColumns(
            store.samples(), [](const TrendSample& s) { return s.innerTemp; }, 0, 3599000, 400);
        QList<double> ys;
        for (const auto& stretch : stretches) {
            for (const QPointF& point : stretch) {
                ys << point.y();
            }
        }
        QVERIFY(ys.size() <= 2 * 400 + 2); // two a column, and two more at a gap
        QCOMPARE((QList<double>{*std::min_element(ys.begin(), ys.end()),
                                *std::max_element(ys.begin(), ys.end()), double(stretches.size())}),
                 lowHighStretches);
        ys.clear();
        for (auto stretch : stretches) {
            dropStraightRuns(stretch, 0.6);
            for (const QPointF& point : stretch) {
                ys << point.y();
            }
        }
        QVERIFY(ys.size() <= 8);
        QCOMPARE(*std::min_element(ys.begin(), ys.end()), lowHighStretches[0]);
        QCOMPARE(*std::max_element(ys.begin(), ys.end()), lowHighStretches[1]);
    }

    // An hour at most, and never more samples than an hour of replies.
    void trendStoreBounded() {
        for (const auto& [everyMs, kept] : {std::pair{2000, 1801}, std::pair{250, 3600}}) {
            TrendStore store;
            for (int i = 0; i < 20000; ++i) {
                store.append(qint64(i) * everyMs, StatusValues{});
            }
            QCOMPARE(int(store.samples().size()), kept);
            QCOMPARE(store.samples().back().time, qint64(19999) * everyMs);
        }
    }

    // A write frame told as the parameter, the box it shows in, the value.
    void writes_data() {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<QStringList>("event");
        QTest::newRow("one byte") << hex("05 01 1E 0C 01 5F 90")
                                  << QStringList{"Sent High temperature warning (°C)",
                                                 "TempMax_Text", "55"};
        QTest::newRow("two bytes")
            << hex("05 01 1E 05 02 05 DC 0C")
            << QStringList{"Sent Inner fan low rotation speed (rpm)", "IntFanLowS_Text", "1500"};
        QTest::newRow("tenths") << hex("05 01 1E 0F 01 7D B1")
                                << QStringList{"Sent High current limit (A)", "TECcurrH_Text",
                                               "12.5"};
        QTest::newRow("factory offset")
            << hex("05 01 1E 13 01 D2 0A")
            << QStringList{"Sent factory DC high limit offset", "DCVhighOffset_Text", "210"};
        QTest::newRow("version") << hex("05 01 1E 15 01 42 7C")
                                 << QStringList{"Sent factory Version, second character", "e", "B"};
        QTest::newRow("cooling only")
            << hex("05 01 1E 1A 01 00 3F") << QStringList{"Sent factory Cooling only", "on", "off"};
        QTest::newRow("address") << hex("05 01 1E 1C 01 03 44")
                                 << QStringList{"Sent bus address", "", "3"};
        QTest::newRow("analog") << hex("05 01 1E 32 01 83 DA")
                                << QStringList{"Sent analog temp (°C)", "", "25.5"};
        QTest::newRow("status poll") << hex("05 01 0F 00 15") << QStringList();
    }
    void writes() {
        QFETCH(QByteArray, frame);
        QFETCH(QStringList, event);
        const auto told = describeWrite(
            bytesOf(frame), [](const char* name) { return QString::fromLatin1(name); },
            [](const char* name) { return QByteArray(name) == "CheckBox2"; });
        QCOMPARE(told ? QStringList({told->what, told->from, told->to}) : QStringList(), event);
    }

    // A lamp that changes colour is told once, from and to; the others not.
    void lampEvents() {
        SessionLog log;
        log.statusDecoded(kAt, valuesOf(kLive));
        StatusValues next = valuesOf(kLive);
        next.lampCodes[12] = kWhite;
        next.lampCodes[13] = kRed;
        log.statusDecoded(kAt, next);
        QStringList told;
        for (int row = 0; row < log.events()->rowCount(); ++row) {
            told << log.events()->at(row).what + ' ' + log.events()->at(row).from + ' ' +
                        log.events()->at(row).to;
        }
        QCOMPARE(told, (QStringList{"Lamp Low temp off red", "Lamp High temp red off",
                                    "Lamp Entrance guard off red", "Lamp High temp off red",
                                    "Lamp High current off red", "Lamp Inner fan (Alerts) off red",
                                    "Lamp Sensor off red", "Lamp Self test off yellow",
                                    "Lamp Cooling off green",
                                    "Lamp Inner fan (Working state) off green"}));
    }

    // The oldest events go, the newest stay first.
    void eventsBounded() {
        EventLog log;
        for (int i = 0; i <= EventLog::kCapacity; ++i) {
            log.add({kAt, QString::number(i), {}, {}});
        }
        QCOMPARE(log.rowCount(), EventLog::kCapacity);
        QCOMPARE(log.at(0).what + ' ' + log.at(EventLog::kCapacity - 1).what, "10000 1");
    }

    // The disk holds every write until the test lets it go: the status
    // replies are queued at once, and reach the file in order once it does.
    // A queue found full, or a write that fails, ends the recording, and the
    // operator is told how many rows are in the file and how many are not.
    void stalledDisk_data() {
        QTest::addColumn<int>("capacity");
        QTest::addColumn<int>("replies");
        QTest::addColumn<int>("failAt");
        QTest::addColumn<int>("rowsInFile");
        QTest::addColumn<QString>("told");
        QTest::newRow("in order") << 64 << 3 << -1 << 3
                                  << "Recording stopped. 3 rows in s.csv, 8 events in "
                                     "s-events.csv.";
        QTest::newRow("queue full") << 10 << 6 << -1 << 2
                                    << "Recording stopped at 14:05:09: the disk did not keep up. "
                                       "2 rows in s.csv, 8 events in s-events.csv. Not written: "
                                       "4 rows and 0 events. Monitoring goes on.";
        QTest::newRow("write fails") << 64 << 3 << 2 << 0
                                     << "Recording stopped: s.csv cannot be written (disk full). "
                                        "0 rows in s.csv, 0 events in s-events.csv. Not written: "
                                        "3 rows and 8 events. Monitoring goes on.";
    }
    void stalledDisk() {
        QFETCH(int, capacity);
        QFETCH(int, replies);
        QFETCH(int, failAt);
        QFETCH(int, rowsInFile);
        QFETCH(QString, told);
        StalledDisk disk;
        disk.failAt = failAt;
        SessionLog log([&disk] { return std::make_unique<StalledSink>(disk); }, capacity);
        QString error;
        QVERIFY(log.startRecording(QStringLiteral("s.csv"), &error));
        disk.entered.acquire(); // the rows' header is being written
        QList<QByteArray> rows;
        for (int i = 0; i < replies; ++i) {
            StatusValues values = valuesOf(kLive);
            values.dcVoltage = i;
            log.statusDecoded(kAt, values);
            rows << StatusCsv::row(kAt, values);
        }
        QCOMPARE(log.rowsWritten(), qint64(0));
        QStringList messages;
        connect(&log, &SessionLog::recordingEnded, this,
                [&messages](const QString& message) { messages << message; });
        disk.allowed.release(100);
        log.stopRecordingAndWait();
        QCOMPARE(messages, QStringList{told});
        QCOMPARE(disk.files[0], StatusCsv::header() + rows.mid(0, rowsInFile).join());
        QCOMPARE(log.recording(), SessionLog::Recording::Off);
    }
};

QTEST_GUILESS_MAIN(TestRecord)
#include "test_record.moc"
