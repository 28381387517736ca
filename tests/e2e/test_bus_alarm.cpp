// The whole bus in the window against brisco-sim --bus 1,3,7, whose
// controller 7 raises its high-temperature alarm after a while: the desktop
// is told (a notification service of the test's own on a bus of its own),
// the bus row shows the alarm, the recording holds rows of 1, 3 and 7, and
// its replay shows 7's trends.
#include "live_form.h"
#include "private_bus.h"

#include "app/link_line.h"
#include "app/trend_plot.h"
#include "app/trends_window.h"
#include "bus/bus_model.h"
#include "record/session_log.h"
#include "record/status_csv.h"

#include <QComboBox>
#include <QTableView>
#include <QTest>

class TestBusAlarm : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

    PrivateBus m_bus;
    QStringList m_told;

public slots:
    uint Notify(const QString&, uint, const QString&, const QString& summary, const QString& body,
                const QStringList&, const QVariantMap&, int) {
        m_told << summary + ": " + body;
        return uint(m_told.size());
    }
    void CloseNotification(uint) {}
    QStringList GetCapabilities() { return {QStringLiteral("body")}; }

private slots:
    void initTestCase() { QVERIFY(m_bus.start(this)); }

    void alarmOnSeven() {
        LiveForm live;
        QVERIFY(live.startAndOpen({"--bus", "1,3,7", "--seed", "3", "--alarm", "7:high-temp@6"}));
        QTemporaryDir dir;
        const QString path = dir.filePath("bus.csv");
        QVERIFY(live.form->linkLine()->startRecording(path));
        live.button("ScanBus_Command")->click();

        // Once, however often 7 is polled while its lamp stays red.
        QTRY_VERIFY_WITH_TIMEOUT(
            m_told.contains("Alarm on controller 7 (TEC-60): High temp (Alerts) turned red"),
            30000);
        QTRY_VERIFY(live.form->sessionLog()->trends().find(7)->samples().size() > 3);
        QCOMPARE(m_told.filter("controller 7").size(), 1);
        QCOMPARE(m_told.filter("controller 3").size(), 0);
        const auto* table = live.form->findChild<QTableView*>("Bus_Table");
        QVERIFY(table && table->isVisible());
        const auto* rows = qobject_cast<const brisco::bus::BusModel*>(table->model());
        const int row7 = rows->rowCount() - 1;
        QCOMPARE(rows->addressAt(row7), 7);
        QVERIFY(rows->alarmed(row7));
        QVERIFY(!rows->alarmed(0));
        QVERIFY(rows->index(row7, brisco::bus::BusModel::RedAlarms)
                    .data(Qt::ToolTipRole)
                    .toString()
                    .contains("High temp"));

        // The end of the recording is told in a message box; not here.
        QObject::disconnect(live.form->sessionLog(), &SessionLog::recordingEnded, nullptr, nullptr);
        live.form->sessionLog()->stopRecordingAndWait();
        const StatusCsv::Replay replay =
            StatusCsv::readFile(path, QDateTime::currentMSecsSinceEpoch());
        QVERIFY2(replay.error.isEmpty(), qPrintable(replay.error));
        QSet<int> addresses;
        for (const StatusCsv::Row& row : replay.rows) {
            addresses << row.address;
        }
        QCOMPARE(addresses, (QSet<int>{1, 3, 7}));

        TrendsWindow* replayed = TrendsWindow::openRecording(path, live.form.get());
        QVERIFY(replayed);
        auto* picker = replayed->findChild<QComboBox*>("Controller_Combo");
        picker->setCurrentIndex(picker->findData(7));
        emit picker->activated(picker->currentIndex());
        QCOMPARE(picker->currentText(), "Controller 7 · TEC-60");
        QCOMPARE(picker->count(), 3);
        const auto* plot = replayed->findChild<TrendPlot*>("Temperatures_Chart");
        QVERIFY(plot->timeSpan().second > plot->timeSpan().first);
        replayed->close();
    }
};

QTEST_MAIN(TestBusAlarm)
#include "test_bus_alarm.moc"
