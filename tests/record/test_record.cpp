// The session log and its files: CSV rows byte for byte and read back, the
// events told, a disk that stalls or fails, and the files a recording rolls to.
#include "file_size_limit.h"
#include "test_bytes.h"

#include "record/event_csv.h"
#include "record/session_log.h"
#include "record/status_csv.h"
#include "record/write_event.h"

#include <QDir>
#include <QRegularExpression>
#include <QSemaphore>
#include <QTemporaryDir>
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
    "short,87,0,0.1,65535,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0\n";

StatusValues valuesOf(const char* data) {
    const QByteArray reply = framed(hex("06 01 0F 00 1E") + hex(data));
    std::array<std::uint8_t, 36> bytes{};
    std::copy(reply.begin(), reply.end(), bytes.begin());
    return statusValues(bytes);
}

const QDateTime kAt(QDate(2026, 12, 7), QTime(14, 5, 9, 42), QTimeZone(5 * 3600 + 30 * 60));
const QDateTime kWest(QDate(2026, 12, 7), QTime(9, 0, 0, 5), QTimeZone(-(3 * 3600 + 30 * 60)));
const qint64 kNow = QDateTime(QDate(2026, 12, 8), QTime(0, 0), QTimeZone(0)).toMSecsSinceEpoch();

// A disk in memory, file by name, that takes each write only when the test
// lets it (unless it never stalls), and tells when a write is waiting.
struct StalledDisk {
    QSemaphore entered;
    QSemaphore allowed;
    std::mutex mutex;
    QMap<QString, QByteArray> files;
    int failAt = -1; // this write fails (counted from 0)
    bool stalls = true;
};

class StalledSink : public RecordSink {
public:
    explicit StalledSink(StalledDisk& disk)
        : m_disk(disk) {}
    bool open(const QString& path, QString*) override {
        const std::lock_guard lock(m_disk.mutex);
        m_disk.files[m_path = QFileInfo(path).fileName()];
        return true;
    }
    bool cut(qint64 size, QString*) override {
        const std::lock_guard lock(m_disk.mutex);
        m_disk.files[m_path].truncate(size);
        return true;
    }
    bool write(const QByteArray& bytes, QString* error) override {
        if (m_disk.stalls) {
            m_disk.entered.release();
            m_disk.allowed.acquire();
        }
        const std::lock_guard lock(m_disk.mutex);
        if (m_disk.failAt-- == 0) {
            *error = QStringLiteral("disk full");
            return false;
        }
        m_disk.files[m_path] += bytes;
        return true;
    }

private:
    StalledDisk& m_disk;
    QString m_path;
};

QByteArray fileContent(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

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
            << QByteArray("\xEF\xBB\xBFTime (Brisco recording 3),Address,Model,Cooling open temp "
                          "set-point (°C),Cooling stop temp set-point (°C),Heating open temp "
                          "set-point (°C),Heating stop temp set-point (°C),Inner fan pulses per "
                          "revolution,Inner fan low rotation speed (rpm),Inner fan high rotation "
                          "speed (rpm),Outer fan pulses per revolution,Outer fan high rotation "
                          "speed (rpm),High temperature warning (°C),Low temperature warning "
                          "(°C),Low current limit (A),High current limit (A),Inner temp "
                          "(°C),Outer temp (°C),Sensor fault,Control temp (°C),TEC current (A),DC "
                          "voltage (V),Inner fan speed (rpm),Outer fan speed (rpm),Lamp Inner fan "
                          "(Working state),Lamp Outer fan (Working state),Lamp Cooling,Lamp "
                          "Heating,Lamp Hydrogen,Lamp Self test,Lamp General,Lamp Sensor,Lamp "
                          "Inner fan (Alerts),Lamp Outer fan (Alerts),Lamp Low current,Lamp High "
                          "current,Lamp High temp,Lamp Low temp,Lamp DC low,Lamp DC high,Lamp AC "
                          "dump,Lamp Analog temp,Lamp 自检,Lamp Entrance guard,Lamp Switch value "
                          "3,Lamp Switch value 4\n");
        QTest::newRow("live, east of UTC")
            << StatusCsv::row(kAt, 7, "TEC-48", valuesOf(kLive))
            << "2026-12-07T14:05:09.042+05:30,7,TEC-48," + QByteArray(kLiveRow);
        QTest::newRow("sensor faults, west of UTC, a model quoted")
            << StatusCsv::row(kWest, 20, "A \"b\"\x01\n", valuesOf(kFaults))
            << "2026-12-07T09:00:00.005-03:30,20,\"A \"\"b\"\"??\"," + QByteArray(kFaultsRow);
        QTest::newRow("events header") << EventCsv::header()
                                       << QByteArray("\xEF\xBB\xBFTime (Brisco events "
                                                     "2),Address,Event,From,To\n");
        QTest::newRow("event of the line, quoted")
            << EventCsv::row({kWest, "Sent \"x\", y", "", "1,5"})
            << QByteArray("2026-12-07T09:00:00.005-03:30,,\"Sent \"\"x\"\", y\",,\"1,5\"\n");
        QTest::newRow("event of controller 20")
            << EventCsv::row({kAt, "Lamp High temp", "off", "red", 20})
            << QByteArray("2026-12-07T14:05:09.042+05:30,20,Lamp High temp,off,red\n");
    }
    void rows() {
        QFETCH(QByteArray, written);
        QFETCH(QByteArray, expected);
        QCOMPARE(written, expected);
    }

    // A file read back gives the rows written, a last line cut short left
    // out and told; a bad one gives its line and fault, and no row at all.
    void replay_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("told"); // the error, or the note
        const QByteArray header = StatusCsv::header();
        const QByteArray good = header + StatusCsv::row(kAt, 3, "TEC-48", valuesOf(kLive)) +
                                StatusCsv::row(kWest, 20, "A,\"b\"", valuesOf(kFaults)) +
                                StatusCsv::row(kAt, 3, "", valuesOf(kLive));
        const QByteArray row = "2026-12-07T14:05:09.042+05:30,3,TEC-48," + QByteArray(kLiveRow);
        const QByteArray time = row.left(29);
        const auto changed = [&row](const char* from, const QByteArray& to) {
            return QByteArray(row).replace(from, to);
        };
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
        QTest::newRow("format 2") << QByteArray(header).replace("3),Address,Model,", "2),") + time +
                                         ',' + kLiveRow
                                  << QString();
        QTest::newRow("last line cut short")
            << good + time << "the last line, 5, was cut short and is left out";
        QTest::newRow("short line with its end") << good + time + '\n'
                                                 << "line 5: 1 values where a row has 46";
        QTest::newRow("missing column") << QByteArray(header).replace(",Outer temp (°C)", "") + row
                                        << "line 1: the column \"Outer temp (°C)\" is missing";
        QTest::newRow("text for a number")
            << good + changed(",5.7,", ",5.7A,")
            << "line 5, column \"TEC current (A)\": \"5.7A\" is not a number";
        QTest::newRow("infinite") << good + changed(",-10,", ",-inf,")
                                  << "line 5, column \"Low temperature warning (°C)\": \"-inf\" "
                                     "is not a number";
        QTest::newRow("row from the future")
            << header + changed("2026-12-07T14", "2026-12-08T14")
            << "line 2: 2026-12-08T14:05:09.042+05:30 lies in the future";
        QTest::newRow("fault beside a temperature")
            << header + changed(",,30,", ",outer open,30,")
            << "line 2, column \"Outer temp (°C)\": a temperature beside the sensor fault "
               "\"outer open\"";
        QTest::newRow("lamp code") << header + changed(",3,0,2,", ",4,0,2,")
                                   << "line 2, column \"Lamp Self test\": \"4\" is not a whole "
                                      "number from 0 to 3";
        QTest::newRow("fan with a fraction")
            << header + changed(",1550,", ",1550.5,")
            << "line 2, column \"Inner fan speed (rpm)\": \"1550.5\" is not a whole number from 0 "
               "to 65535";
        QTest::newRow("short row") << header + row.left(row.lastIndexOf(',')) + '\n'
                                   << "line 2: 45 values where a row has 46";
        QTest::newRow("bad time") << header + changed("+05:30", "+05:60")
                                  << "line 2: \"2026-12-07T14:05:09.042+05:60\" is not a time "
                                     "like 2026-12-07T05:41:17.162+01:00";
        for (const char* address : {"0", "21"}) {
            QTest::addRow("address %s", address)
                << header + changed(",3,TEC", "," + QByteArray(address) + ",TEC")
                << QStringLiteral("line 2, column \"Address\": \"%1\" is not a whole number from "
                                  "1 to 20")
                       .arg(address);
        }
        QTest::newRow("controller swapped")
            << good + changed("TEC-48", "TEC-60")
            << "line 5, column \"Model\": \"TEC-60\" for controller 3, a TEC-48 in the rows before";
        QTest::newRow("quote left open")
            << header + changed("TEC-48", "\"TEC,48") << "line 2: a quote is not closed";
        QTest::newRow("newer format")
            << QByteArray("Time (Brisco recording 4),x\n") + row
            << "line 1: a recording of format 4, newer than this Brisco reads (3)";
        QByteArray garbage(10 << 20, 0);
        for (qsizetype i = 0; i < garbage.size(); ++i) {
            garbage[i] = char((i * 7919) >> 5);
        }
        QTest::newRow("10 MB of garbage") << garbage
                                          << "line 1: not a Brisco recording (whose first "
                                             "column is \"Time (Brisco recording 3)\")";
    }
    void replay() {
        QFETCH(QByteArray, content);
        QFETCH(QString, told);
        const StatusCsv::Replay replay = StatusCsv::read(content, kNow);
        QCOMPARE(replay.error + replay.note, told);
        QCOMPARE(replay.rowCount, qsizetype(replay.rows.size()));
        if (!replay.error.isEmpty()) {
            QCOMPARE(replay.rows.size(), std::size_t(0));
            return;
        }
        // Written again: the same bytes in the current format, but the cut line.
        QByteArray again = StatusCsv::header();
        for (const StatusCsv::Row& row : replay.rows) {
            again += StatusCsv::row(
                QDateTime::fromMSecsSinceEpoch(row.msecs, QTimeZone(row.offsetSeconds)),
                row.address, row.model, row.values);
        }
        const QByteArray local =
            StatusCsv::timeCell(QDateTime(QDate(2026, 12, 7), QTime(14, 5, 9, 42)));
        const QByteArray time =
            replay.format == 1 ? local : content.sliced(content.indexOf('\n') + 1, 29);
        QCOMPARE(again, replay.format == 3 ? content.chopped(replay.cutBytes)
                                           : StatusCsv::header() + time + ",0,," + kLiveRow);
    }

    // The events read back, quotes and line breaks in cells undone, an event
    // cut short at the end left out; a bad file gives its line and no event.
    void eventsReplay_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QByteArray>("again"); // written again, if not the content
        const QByteArray header = EventCsv::header();
        const QByteArray twoLines = EventCsv::row({kWest, "Sent \"x\", y", "a\nb", "1,5"});
        const QByteArray lamp = EventCsv::row({kAt, "Lamp High temp", "off", "red", 7});
        QTest::newRow("written") << header + twoLines + lamp << QString() << QByteArray();
        QTest::newRow("format 1") << QByteArray("\xEF\xBB\xBFTime (Brisco events 1),Event,From,"
                                                "To\n") +
                                         QByteArray(lamp).replace(",7,", ",")
                                  << QString() << header + QByteArray(lamp).replace(",7,", ",,");
        QTest::newRow("cut short in a cell of two lines")
            << header + lamp + twoLines.chopped(8) << QString() << header + lamp;
        QTest::newRow("after a cell of two lines")
            << header + twoLines + "x\n"
            << "line 4: 1 values where an event has 5" << QByteArray();
        QTest::newRow("quote left open") << header + lamp + twoLines.left(40) + '\n'
                                         << "line 3: a quote is not closed" << QByteArray();
        QTest::newRow("future") << header + QByteArray(lamp).replace("-07T", "-08T")
                                << "line 2: \"2026-12-08T14:05:09.042+05:30\" is not a time of "
                                   "the past like 2026-12-07T05:41:17.162+01:00"
                                << QByteArray();
        for (const char* address : {"0", "21"}) {
            QTest::addRow("address %s", address)
                << header + QByteArray(lamp).replace(",7,", "," + QByteArray(address) + ",")
                << QStringLiteral("line 2: \"%1\" is not an address from 1 to 20").arg(address)
                << QByteArray();
        }
        QTest::newRow("newer format")
            << QByteArray("Time (Brisco events 3),Address,Event,From,To\n") + lamp
            << "line 1: an event log of format 3, newer than this Brisco reads (2)" << QByteArray();
        QTest::newRow("a recording") << StatusCsv::header()
                                     << "line 1: not a Brisco event log (whose first line is "
                                        "\"Time (Brisco events 2),Address,Event,From,To\")"
                                     << QByteArray();
    }
    void eventsReplay() {
        QFETCH(QByteArray, content);
        QFETCH(QString, error);
        QFETCH(QByteArray, again);
        const EventCsv::Replay replay = EventCsv::read(content, kNow);
        QCOMPARE(replay.error, error);
        QCOMPARE(replay.note.isEmpty(), replay.cutBytes == 0);
        QByteArray written = replay.events.empty() ? QByteArray() : EventCsv::header();
        for (const SessionEvent& event : replay.events) {
            written += EventCsv::row(event);
        }
        QCOMPARE(written, !error.isEmpty() ? QByteArray() : again.isEmpty() ? content : again);
        if (replay.format == 2) {
            QCOMPARE(content.chopped(replay.cutBytes), written);
        }
    }

    // A write frame told as its controller, the parameter, what its box shows
    // (a number with a point, in any language; a text as it is), the value.
    void writes_data() {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<QString>("event"); // address|what|from|to, empty: none
        const auto row = [](const char* name, const char* frame, const char* event) {
            QTest::newRow(name) << hex(frame) << QString(event);
        };
        row("one byte", "05 01 1E 0C 01 5F 90",
            "1|Sent High temperature warning (°C)|TempMax_Text|55");
        row("to controller 20", "05 14 1E 0C 01 5F A3",
            "20|Sent High temperature warning (°C)|TempMax_Text|55");
        row("two bytes", "05 01 1E 05 02 05 DC 0C",
            "1|Sent Inner fan low rotation speed (rpm)|IntFanLowS_Text|1500");
        row("tenths", "05 01 1E 0F 01 7D B1", "1|Sent High current limit (A)|-1.5|12.5");
        row("factory offset", "05 01 1E 13 01 D2 0A",
            "1|Sent factory DC high limit offset|2.5|210");
        row("version", "05 01 1E 15 01 42 7C", "1|Sent factory Version, second character|e|B");
        row("cooling only", "05 01 1E 1A 01 00 3F", "1|Sent factory Cooling only|on|off");
        row("address", "05 01 1E 1C 01 03 44", "1|Sent bus address||3");
        row("analog", "05 01 1E 32 01 83 DA", "1|Sent analog temp (°C)||25.5");
        row("status poll", "05 01 0F 00 15", "");
    }
    void writes() {
        QFETCH(QByteArray, frame);
        QFETCH(QString, event);
        // Two boxes show numbers in the operator's notation, the others their names.
        const QMap<QByteArray, QString> shown{{"TECcurrH_Text", "-1,5"},
                                              {"DCVhighOffset_Text", "2,5"}};
        const auto told = describeWrite(
            bytesOf(frame),
            [&shown](const char* name) { return shown.value(name, QString::fromLatin1(name)); },
            [](const char* name) { return QByteArray(name) == "CheckBox2"; });
        QCOMPARE(told ? QStringLiteral("%1|%2|%3|%4")
                            .arg(told->address)
                            .arg(told->what, told->from, told->to)
                      : QString(),
                 event);
    }

    // Each controller's lamps are told against its own last reply, the
    // first against off: a change once, from and to, with its address.
    void lampEvents_data() {
        QTest::addColumn<QStringList>("replies"); // "3 13=2": controller 3, lamp 13 red
        QTest::addColumn<QStringList>("told");    // newest first
        QTest::newRow("one controller")
            << QStringList{"1 1=1 6=3 13=2", "1 1=1 6=3 14=2"}
            << QStringList{"1 Lamp Low temp off red", "1 Lamp High temp red off",
                           "1 Lamp High temp off red", "1 Lamp Self test off yellow",
                           "1 Lamp Inner fan (Working state) off green"};
        QTest::newRow("each against its own")
            << QStringList{"1 13=2", "7 13=2", "7 13=2", "1 13=2", "20 13=2 22=2", "7 13=3"}
            << QStringList{"7 Lamp High temp red yellow", "20 Lamp Switch value 4 off red",
                           "20 Lamp High temp off red", "7 Lamp High temp off red",
                           "1 Lamp High temp off red"};
        QTest::newRow("outside the bus") << QStringList{"0 13=2", "21 13=2"} << QStringList();
    }
    void lampEvents() {
        QFETCH(QStringList, replies);
        QFETCH(QStringList, told);
        SessionLog log;
        for (const QString& reply : replies) {
            StatusValues values;
            for (const QString& lamp : reply.split(u' ').mid(1)) {
                values.lampCodes[lamp.section(u'=', 0, 0).toUInt() - 1] =
                    lamp.section(u'=', 1).toInt();
            }
            log.statusDecoded(kAt, std::uint8_t(reply.section(u' ', 0, 0).toInt()), {}, values);
        }
        QStringList events;
        for (int row = 0; row < log.events()->rowCount(); ++row) {
            const SessionEvent& e = log.events()->at(row);
            events << QStringLiteral("%1 %2 %3 %4").arg(e.address).arg(e.what, e.from, e.to);
        }
        QCOMPARE(events, told);
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

    // The replies queue while the disk stalls, and reach the file in order;
    // a full queue or a failed write ends the recording, told with the rows
    // in the file and those not, nothing after it. The next starts afresh.
    void stalledDisk_data() {
        QTest::addColumn<int>("capacity");
        QTest::addColumn<int>("replies");
        QTest::addColumn<int>("failAt"); // writes from 0: both headers, rows, events …
        QTest::addColumn<int>("rowsInFile");
        QTest::addColumn<QString>("told");
        QTest::newRow("in order") << 64 << 3 << -1 << 3
                                  << "Recording stopped. 3 rows in s.csv, 8 events in "
                                     "s-events.csv.";
        QTest::newRow("queue full") << 10 << 6 << -1 << 2
                                    << "Recording stopped at 14:05:09: the disk did not keep up. "
                                       "2 rows in s.csv, 8 events in s-events.csv. Not written: "
                                       "4 rows and 0 events. Monitoring goes on.";
        QTest::newRow("rows' write fails")
            << 64 << 3 << 2 << 0
            << "Recording stopped: s.csv cannot be written (disk full). 0 rows in s.csv, 0 events "
               "in s-events.csv. Not written: 3 rows and 8 events. Monitoring goes on.";
        QTest::newRow("events' write fails")
            << 64 << 3 << 3 << 3
            << "Recording stopped: s-events.csv cannot be written (disk full). 3 rows in s.csv, 0 "
               "events in s-events.csv. Not written: 0 rows and 8 events. Monitoring goes on.";
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
            log.statusDecoded(kAt, 1, "TEC-48", values);
            rows << StatusCsv::row(kAt, 1, "TEC-48", values);
        }
        QCOMPARE(log.rowsWritten(), qint64(0));
        QStringList messages;
        connect(&log, &SessionLog::recordingEnded, this,
                [&messages](const QString& message) { messages << message; });
        disk.allowed.release(100);
        log.stopRecordingAndWait();
        QCOMPARE(messages, QStringList{told});
        QCOMPARE(disk.files["s.csv"], StatusCsv::header() + rows.mid(0, rowsInFile).join());
        QCOMPARE(log.recording(), SessionLog::Recording::Off);
        // Its lamps all going out, the reply is told in eight events.
        QVERIFY(log.startRecording(QStringLiteral("t.csv"), &error));
        log.statusDecoded(kAt, 1, "TEC-48", valuesOf(kFaults));
        log.stopRecordingAndWait();
        QCOMPARE(messages.value(1), "Recording stopped. 1 row in t.csv, 8 events in t-events.csv.");
        QCOMPARE(disk.files["t.csv"],
                 StatusCsv::header() + StatusCsv::row(kAt, 1, "TEC-48", valuesOf(kFaults)));
    }

    // A file full in a row, or whose write misses the disk, is cut back to
    // its last whole line; a pipe, which cannot be synchronised, is written.
    void fileSinkFails_data() {
        QTest::addColumn<int>("limit"); // bytes of the file, 0: none
        QTest::addColumn<int>("syncError");
        QTest::addColumn<QString>("error"); // of the second write
        QTest::newRow("full in a row") << 20 << 0 << "File too large";
        QTest::newRow("not on the disk") << 0 << EIO << "Input/output error";
        QTest::newRow("a pipe") << 0 << EINVAL << QString();
    }
    void fileSinkFails() {
        QFETCH(int, limit);
        QFETCH(int, syncError);
        QFETCH(QString, error);
        QTemporaryDir dir;
        writeFile(dir.filePath("r.csv"), "header\n");
        int syncs = 0;
        FileSink sink([&syncs, syncError](int) {
            errno = ++syncs == 2 ? syncError : 0;
            return errno == 0 ? 0 : -1;
        });
        QString told;
        QVERIFY(sink.open(dir.filePath("r.csv"), &told) && sink.write("row 1\n", &told));
        const auto full = limit > 0 ? std::make_unique<FileSizeLimit>(limit) : nullptr;
        QCOMPARE(sink.write("row 2\nrow 3\n", &told), error.isEmpty());
        QCOMPARE(told, error);
        QCOMPARE(fileContent(dir.filePath("r.csv")),
                 error.isEmpty() ? "header\nrow 1\nrow 2\nrow 3\n" : "header\nrow 1\n");
    }

    // A file never holds more lines than a replay reads: on into the next pair.
    void mostLines() {
        StalledDisk disk;
        disk.stalls = false;
        auto files = RecordingFiles::named(QStringLiteral("/nonexistent/s.csv"),
                                           [&disk] { return std::make_unique<StalledSink>(disk); });
        QString error;
        std::array<qint64, 2> written{};
        const RecordingFiles::Line line{RecordingFiles::Events, "e\n", QDate::currentDate(), 0, {}};
        QVERIFY(files->open(&error) &&
                files->write(std::deque(std::size_t(StatusCsv::kMostRows + 1), line), &written,
                             &error));
        QCOMPARE(disk.files["s-events.csv"].count('\n'), StatusCsv::kMostRows + 1);
        QCOMPARE(disk.files["s-2-events.csv"], EventCsv::header() + "e\n");
        QCOMPARE(written[RecordingFiles::Events], qint64(StatusCsv::kMostRows + 1));
    }

    // A daily recording continues the day's files of ours after a restart,
    // without a second header or a line cut short, else goes on in the
    // next pair; opening a day removes day files older than the 90 kept.
    // "D-1-events.csv" is yesterday's; H/E the headers, r/e a row/event
    // before, c a line cut short, s a row of another model, 2 a header of
    // format 2, x another program's; N/L the row and event recorded, - none.
    void dayFiles_data() {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<int>("day"); // of the reply recorded, from today
        QTest::addColumn<QStringList>("after");
        const auto row = [](const char* name, const QString& before, int day,
                            const QString& after) {
            QTest::newRow(name) << before.split(u' ', Qt::SkipEmptyParts) << day
                                << after.split(u' ');
        };
        row("none", "", 0, "D0.csv=HN D0-events.csv=EL");
        row("ours", "D0.csv=Hr D0-events.csv=Ee", 0, "D0.csv=HrN D0-events.csv=EeL");
        row("the power went", "D0.csv=Hrc D0-events.csv=Eec", 0, "D0.csv=HrN D0-events.csv=EeL");
        row("another program's", "D0.csv=x D0-events.csv=Ee", 0,
            "D0.csv=x D0-events.csv=Ee D0-2.csv=HN D0-2-events.csv=EL");
        row("events not ours", "D0.csv=Hr D0-events.csv=x", 0,
            "D0.csv=Hr D0-events.csv=x D0-2.csv=HN");
        row("an earlier format", "D0.csv=2 D0-events.csv=Ee", 0, "D0.csv=2 D0-2.csv=HN");
        row("swapped since", "D0.csv=Hs D0-events.csv=Ee", 0,
            "D0.csv=Hs D0-2.csv=HN D0-2-events.csv=EL");
        row("midnight", "D0.csv=Hr", 1, "D0.csv=Hr D1.csv=HN D1-events.csv=EL");
        row("90 days old", "D-90.csv=x", 0, "D-90.csv=x");
        row("90 days old at midnight", "D-90.csv=x", 1, "D-90.csv=-");
        row("91 days old", "D-91-events.csv=x D-91-12.csv=x", 0, "D-91-events.csv=- D-91-12.csv=-");
        row("other names", "D-91-1.csv=x D-91-backup.csv=x D-91.CSV=x 2026-02-30.csv=x", 1,
            "D-91-1.csv=x D-91-backup.csv=x D-91.CSV=x 2026-02-30.csv=x");
    }
    void dayFiles() {
        QFETCH(QStringList, before);
        QFETCH(int, day);
        QFETCH(QStringList, after);
        const QDate today = QDate::currentDate();
        const QDateTime at(today.addDays(day), QTime(0, 0, 3));
        StatusValues values = valuesOf(kFaults);
        values.lampCodes[12] = kRed;
        const QDateTime earlier(today, QTime(0, 0, 1));
        const QByteArray old = StatusCsv::row(earlier, 3, "TEC-48", valuesOf(kLive));
        const QString tokens = "HEresc2xNL-";
        const QByteArrayList texts =
            QByteArrayList() << StatusCsv::header() << EventCsv::header() << old
                             << EventCsv::row({earlier, "Link", "a", "b"})
                             << QByteArray(old).replace("TEC-48", "TEC-24") << old.left(30)
                             << QByteArray(StatusCsv::header()).replace("3),Address,Model,", "2),")
                             << "name,value\n"
                             << StatusCsv::row(at, 3, "TEC-48", values)
                             << EventCsv::row({at, "Lamp High temp", "off", "red", 3}) << "(none)";
        QTemporaryDir dir;
        const QDir folder(dir.filePath("Line 1"));
        const auto file = [&](const QString& entry, QByteArray* content) {
            const QString name = entry.section(u'=', 0, 0);
            const QRegularExpressionMatch days = QRegularExpression("^D(-?\\d+)").match(name);
            for (const QChar token : entry.section(u'=', 1)) {
                *content += texts[tokens.indexOf(token)];
            }
            return folder.filePath(
                days.hasMatch() ? today.addDays(days.captured(1).toInt()).toString(u"yyyy-MM-dd") +
                                      name.mid(days.capturedLength())
                                : name);
        };
        for (const QString& entry : before) {
            QByteArray content;
            QVERIFY(folder.mkpath("."));
            writeFile(file(entry, &content), content);
        }
        SessionLog log;
        QString error;
        QVERIFY(log.startDailyRecording(folder.path(), &error));
        log.statusDecoded(at, 3, "TEC-48", values);
        log.stopRecordingAndWait();
        for (const QString& entry : after) {
            QByteArray content;
            const QString path = file(entry, &content);
            QCOMPARE(fileContent(path), content);
        }
    }
};

QTEST_GUILESS_MAIN(TestRecord)
#include "test_record.moc"
