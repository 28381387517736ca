// Alarms tick by tick, with controllers 1 (shown), 3 and 7 on the bus: what
// reaches the desktop, the bus window, the link line and a screen reader.
#include "form_fixture.h"
#include "hearing.h"
#include "private_bus.h"

#include "app/alarm_reporter.h"
#include "bus/bus_model.h"

#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QLabel>
#include <QTableView>

// Controllers 1, 3 and 7 answer every request: their device information
// ("TEC-7"), and status replies with alarm bytes (offsets 22 to 24) of the
// test's choice, all clear at first.
struct Bus {
    FormFixture& f;
    QMap<int, QByteArray> alarms{{1, {3, 0}}, {3, {3, 0}}, {7, {3, 0}}};

    // One tick, answered; whether it polled the status of address.
    bool tick(int address = 0) {
        f.tick();
        const QByteArray asked = f.port->written.value(f.port->written.size() - 1, {5, 0});
        f.port->written.clear();
        const QByteArray a = alarms.value(asked[1]);
        if (!a.isEmpty()) {
            f.port->feed(asked[3] ? deviceInfoReply("TEC-" + QByteArray::number(asked[1]) + "/1/V/",
                                                    asked[1])
                                  : statusReply({{22, a[0]}, {23, a[1]}, {24, a[2]}}, asked[1]));
        }
        return asked[3] == 0 && asked[1] == address;
    }
    // "7:000100": 7's alarm bytes in hex until its next status reply is read.
    void answer(const QString& step) {
        alarms[step.left(1).toInt()] = QByteArray::fromHex(step.mid(2).toLatin1());
        for (int i = 0; i < 40 && !tick(step.left(1).toInt()); ++i) {
        }
        tick();
    }
};

// Also the desktop's notification service, on a bus of the test's own:
// each call as "REPLACES 7 (TEC-7) High temp (Alerts)" or "Close ID",
// answered with an id, with an error, or held until the test answers.
class TestAlarms : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

    PrivateBus m_bus;
    QStringList m_calls;
    QString m_mode;
    QList<QDBusMessage> m_held;
    uint m_lastId = 0;

    // The event loop's turn between two ticks: every call of the program so
    // far has reached the service, and what it answered the program.
    void settle() {
        const QDBusPendingCall ping =
            QDBusConnection::sessionBus().asyncCall(QDBusMessage::createMethodCall(
                PrivateBus::kService, PrivateBus::kPath, PrivateBus::kService, "GetCapabilities"));
        QTRY_VERIFY(ping.isFinished());
        QCoreApplication::processEvents();
    }

public slots:
    uint Notify(const QString& app, uint replaces, const QString& icon, const QString& summary,
                const QString& body, const QStringList&, const QVariantMap&, int timeout) {
        const bool ours = app + icon + QString::number(timeout) == "Briscobrisco-1";
        m_calls << QStringLiteral("%1 %2 %3")
                       .arg(ours ? replaces : 99)
                       .arg(summary.mid(20), body.chopped(11));
        if (m_mode == "fails") {
            sendErrorReply(QDBusError::Failed, QStringLiteral("no"));
        } else if (m_mode == "holds") {
            setDelayedReply(true);
            m_held << message();
        }
        return replaces ? replaces : ++m_lastId;
    }
    void CloseNotification(uint id) { m_calls << QStringLiteral("Close %1").arg(id); }
    QStringList GetCapabilities() { return {QStringLiteral("body")}; }

private slots:
    void initTestCase() { QVERIFY(m_bus.start(this)); }

    // One notification per lamp that turns red, never one per poll; the
    // service answers, fails, holds its answers until "release" or is absent;
    // "alone": 1 without the bus window, the main window active. At the end:
    // the newest alarm on the link line, 7's count of red lamps, the alerts.
    void alarms_data() {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("calls");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("count7");
        QTest::addColumn<int>("alerts");
        const auto row = [](const char* name, const QString& steps, const QString& calls,
                            const QString& line, const QString& count7, int alerts) {
            QTest::newRow(name) << steps << calls << line << count7 << alerts;
        };
        const QString h7 = "0 7 (TEC-7) High temp (Alerts)", one = "1 red: High temp",
                      line7 = "Alarm on controller 7 (TEC-7): High temp (Alerts) turned red";
        row("answers",
            "answers 7:000100 7:000100 7:000000 7:000100 3:000500 3:000600 monitor=7 7:000100 "
            "monitor=1 3:000000 reopen 7:000100",
            h7 + "; Close 1; 1 7 (TEC-7) High temp (Alerts); 0 3 (TEC-3) High temp (Alerts); "
                 "0 3 (TEC-3) DC low (Alerts); Close 2; 0 3 (TEC-3) Low temp (Alerts); Close 4; "
                 "Close 3; Close 1; 1 7 (TEC-7) High temp (Alerts)",
            line7, one, 6);
        row("newest on", "answers 7:020400 1:000100 1:000000",
            "0 7 (TEC-7) Sensor (Alerts); 0 7 (TEC-7) DC low (Alerts); "
            "0 1 (TEC-1) High temp (Alerts); Close 3",
            "Alarm on controller 7 (TEC-7): DC low (Alerts) turned red", "2 red: Sensor, DC low",
            3);
        row("alone", "alone 1:010001 1:010001",
            "0 1 (TEC-1) General (Alerts); 0 1 (TEC-1) Switch value 4 (Alerts)",
            "Alarm on controller 1 (TEC-1): Switch value 4 (Alerts) turned red", "", 2);
        row("fails", "fails 7:000100 7:000000 7:000100", h7 + "; " + h7, line7, one, 2);
        row("slow, back", "holds 7:000100 7:000000 release", h7 + "; Close 1", "hidden", "", 1);
        row("slow, again", "holds 7:000100 7:000000 7:000100 release",
            h7 + "; 1 7 (TEC-7) High temp (Alerts)", line7, one, 2);
        row("absent", "absent 7:000100 7:000000 7:000100", "", line7, one, 2);
    }
    void alarms() {
        QFETCH(QString, steps);
        QFETCH(QString, calls);
        QFETCH(QString, count7);
        QFETCH(int, alerts);
        m_mode = steps.section(u' ', 0, 0);
        m_calls.clear();
        m_lastId = 0;
        QDBusConnection service("service");
        if (m_mode == "absent") {
            service.unregisterService(PrivateBus::kService);
        }
        FormFixture f;
        Bus bus{f};
        int asked = 0; // for attention, by the main window
        f.form->findChild<AlarmReporter*>()->setAttention(
            [&](QWidget* w) { asked += w == f.form.get(); });
        f.run(m_mode == "alone" ? "show; open" : "show; open; click ScanBus_Command");
        for (int i = 0; i < 80 && m_mode != "alone"; ++i) {
            bus.tick(); // the scan
        }
        settle();
        heard("");
        for (const QString& step : steps.split(u' ')) {
            if (step == "release") {
                for (const QDBusMessage& call : std::exchange(m_held, {})) {
                    service.send(call.createReply(m_lastId));
                }
            } else if (step == "reopen") {
                f.run("toggle; toggle");
            } else if (step.startsWith("monitor")) {
                f.form->monitorController(std::uint8_t(step.back().digitValue()));
            } else if (step[1] == u':') {
                bus.answer(step);
            }
            settle();
        }
        QTRY_COMPARE(m_calls.join("; "), calls);
        settle();
        QCOMPARE(m_calls.join("; "), calls);
        QCOMPARE(f.messages.texts, QStringList());
        auto* shown = f.find<QLabel>("Alarm_Text");
        QTEST(shown->isVisibleTo(f.form.get()) ? shown->text() : "hidden", "line");
        QCOMPARE(heard("Alarm_Text 2").size(), alerts);
        QCOMPARE(asked, m_mode == "alone" ? 0 : alerts);
        // Each row in the alarm colour while its count of red lamps names them.
        auto* table = f.find<QTableView>("Bus_Table");
        for (int row = 0; table && row < 3; ++row) {
            const QModelIndex count = table->model()->index(row, brisco::bus::BusModel::RedAlarms);
            const QString named = count.data(Qt::AccessibleTextRole).toString();
            QCOMPARE(count.data(Qt::ToolTipRole).toString(), named);
            QCOMPARE(row == 2 ? named : count7, count7);
            const QImage shot = table->viewport()->grab().toImage();
            const QPoint cell =
                table->visualRect(count.siblingAtColumn(5)).topLeft() + QPoint(2, 2);
            QCOMPARE(shot.pixelColor(cell * shot.devicePixelRatio()) == QColor(255, 200, 200),
                     !named.isEmpty());
        }
    }
};

Q_IMPORT_PLUGIN(HearingPlugin)
QTEST_MAIN(TestAlarms)
#include "test_alarms.moc"
