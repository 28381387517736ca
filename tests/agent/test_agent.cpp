// The agent on fake lines, tick by tick: what /metrics is given of
// controllers that answer, never did or went down, and how often a port that
// cannot be opened or went away is tried again.
#include "test_bytes.h"

#include "agent/agent.h"
#include "agent/journal_log.h"
#include "app/fake_comm_port.h"

#include <QDir>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QTemporaryDir>
#include <QTest>

using namespace brisco::agent;

namespace {

// Controllers on each fake line that answer the read addressed to them on
// the next tick.
struct Site {
    QList<FakeCommPort*> ports;
    QSet<int> powered{1};
    qint64 read = 0; // replies fed and read by a tick since
    Agent agent{[this](const LineConfig&) {
        auto port = std::make_unique<FakeCommPort>();
        port->available = {1};
        ports << port.get();
        return port;
    }};

    explicit Site(const QStringList& lines, const QString& records = {}) {
        AgentConfig config;
        config.listen = QStringLiteral("127.0.0.1:0");
        config.records = records;
        config.retentionDays = 60;
        QString error;
        for (const QString& text : lines) {
            config.lines.push_back(*parseLineOption(text, &error));
        }
        if (!agent.start(config, &error)) {
            qFatal("%s", qPrintable(error));
        }
    }
    void run(int ticks) {
        for (int i = 0; i < ticks; ++i) {
            QList<qsizetype> before;
            for (FakeCommPort* port : std::as_const(ports)) {
                read += port->bytesWaiting() > 0;
                before << port->written.size();
            }
            agent.tick();
            for (qsizetype p = 0; p < ports.size(); ++p) {
                FakeCommPort* port = ports[p];
                if (port->written.size() == before[p] ||
                    !powered.contains(port->written.last()[1])) {
                    continue;
                }
                const QByteArray& frame = port->written.last();
                port->feed(frame[3] == 2 ? deviceInfoReply("TEC-48/1.0/VA2.1/", frame[1])
                                         : statusReply({}, frame[1]));
            }
        }
    }
    // "address:up:age:values" of each controller shown, "-" for what is not.
    QStringList shown() const {
        QStringList all;
        for (const auto& c : agent.snapshot().controllers) {
            all << QStringLiteral("%1:%2:%3:%4")
                       .arg(c.address)
                       .arg(c.up)
                       .arg(c.secondsSinceReply ? "age" : "-")
                       .arg(c.status ? "values" : "-");
        }
        return all;
    }
};

} // namespace

class TestAgent : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        qputenv("QT_LOGGING_RULES", "*.debug=false");
        setLogHandler([this](Priority, const QString& text) { m_log << text; });
    }
    void init() { m_log.clear(); }

    // A listed address that never answered is a controller down; a scanned
    // one is nobody's.
    void shown_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("controllers");
        QTest::newRow("listed") << "a=/dev/a@1,2" << QStringList{"1:1:age:values", "2:0:-:-"};
        QTest::newRow("scanned") << "a=/dev/a@scan" << QStringList{"1:1:age:values"};
    }
    void shown() {
        QFETCH(QString, line);
        QFETCH(QStringList, controllers);
        Site site({line});
        site.run(120);
        QCOMPARE(site.shown(), controllers);
        const auto snapshot = site.agent.snapshot();
        QCOMPARE(snapshot.lines.size(), 1u);
        QVERIFY(snapshot.lines[0].portOpen);
        QCOMPARE(snapshot.lines[0].replies, site.read);
        // What a scrape gets, from the listener's own thread.
        QNetworkAccessManager web;
        web.setProxy(QNetworkProxy::NoProxy);
        const std::unique_ptr<QNetworkReply> scrape(web.get(QNetworkRequest(
            QStringLiteral("http://127.0.0.1:%1/metrics").arg(site.agent.metricsPort()))));
        QTRY_VERIFY(scrape->isFinished());
        QVERIFY(scrape->readAll().contains(
            "brisco_controller_up{line=\"a\",address=\"1\",model=\"TEC-48\"} 1\n"));
    }

    // Down: still heard of, no values; its line lost: all down, tried again
    // every 5 s, a network line after 1, 2, 4 … s up to 30 s.
    void retries_data() {
        QTest::addColumn<QString>("device");
        QTest::addColumn<QList<int>>("opens"); // ticks after the loss at which an open is tried
        QTest::newRow("serial") << "/dev/a" << QList<int>{20, 40, 60, 80, 100, 120, 140, 160};
        QTest::newRow("network") << "tcp://host:4001"
                                 << QList<int>{4, 12, 28, 60, 124, 244, 364, 484};
    }
    void retries() {
        QFETCH(QString, device);
        QFETCH(QList<int>, opens);
        Site site({"a=" + device + "@1"});
        site.run(40);
        site.powered.clear();
        site.run(20);
        QCOMPARE(site.shown(), QStringList{"1:0:age:-"});
        // A serial port that cannot be opened, a network line that opens
        // and never connects.
        FakeCommPort* port = site.ports[0];
        const bool network = device.startsWith("tcp:");
        port->available = network ? QSet<int>{1} : QSet<int>{};
        port->connects = !network;
        port->unplug();
        QList<int> tried;
        for (int tick = 1; tick <= opens.last(); ++tick) {
            const int calls = port->openCalls;
            site.run(1);
            if (port->openCalls != calls) {
                tried << tick;
                if (network) {
                    port->unplug();
                }
            }
        }
        QCOMPARE(tried, opens);
        // Each change of state told once, however often the port is tried.
        const auto told = [this](qsizetype from) {
            QStringList all;
            for (const QString& line : m_log.mid(from)) {
                all << line.section("): ", 1).section(u';', 0, 0);
            }
            return all;
        };
        QCOMPARE(told(0), (QStringList{"open, watching 1 address", "controller 1 (TEC-48) answers",
                                       "controller 1 (TEC-48) is down", "went away"}));
        QVERIFY(!site.agent.snapshot().lines[0].portOpen);
        port->available = {1};
        port->connects = true;
        site.powered = {1};
        site.run(opens.last() - opens[opens.size() - 2] + 40);
        QCOMPARE(site.shown(), QStringList{"1:1:age:values"});
        // Lost again after carrying bytes: told again, its controller down,
        // and tried after the first pause, not the longest.
        const int calls = port->openCalls;
        const qsizetype before = m_log.size();
        port->unplug();
        site.run(opens[0]);
        QCOMPARE(port->openCalls, calls + 1);
        QCOMPARE(told(before).mid(0, 2),
                 (QStringList{"went away", "controller 1 (TEC-48) is down"}));
    }

    // A folder a line, a file a day, the days of the configuration kept.
    void records() {
        QTemporaryDir dir;
        const QString old = QDate::currentDate().addDays(-30).toString(Qt::ISODate) + ".csv";
        QVERIFY(QDir(dir.path()).mkpath("a"));
        QFile(dir.filePath("a/" + old)).open(QIODevice::WriteOnly);
        {
            Site site({"a=/dev/a@1"}, dir.path());
            site.run(20);
            site.agent.stop();
        }
        QVERIFY(QFile::exists(dir.filePath("a/" + old)));
        QFile file(dir.filePath("a/" + QDate::currentDate().toString(Qt::ISODate) + ".csv"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList rows = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
        QVERIFY(rows.size() > 10);
        QVERIFY(rows.last().section(u',', 1, 2) == "1,TEC-48");
    }

private:
    QStringList m_log;
};

QTEST_GUILESS_MAIN(TestAgent)
#include "test_agent.moc"
