// The session tools of the link line on the fake port: the events window, a
// recording made from the window and a replayed recording.
#include "form_fixture.h"

#include "app/link_line.h"
#include "app/trend_plot.h"
#include "app/trends_window.h"
#include "record/event_csv.h"
#include "record/session_log.h"
#include "record/shown_time.h"
#include "record/status_csv.h"

#include <QAbstractItemView>
#include <QAccessibleTableInterface>
#include <QLabel>
#include <QTimeZone>

using namespace brisco;

class TestSessionTools : public QObject {
    Q_OBJECT

private slots:
    // Replays recorded elsewhere are shown in this zone.
    void initTestCase() { qputenv("TZ", "Asia/Kolkata"); }

    // What happens, and the events window's rows, newest first, as assistive
    // technology reads them: controller (none for the line), event, from, to.
    void events_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QStringList>("rows");
        const QString opened = " | Port COM1 (/dev/fake1) | closed | open";
        QTest::newRow("lamp") << "open; status 21=0 22=0 23=1 24=0; tick"
                              << QStringList{"1 | Lamp High temp | off | red", opened};
        QTest::newRow("stale and back")
            << "open; status 21=0 22=0 23=0 24=0; tick 13; status 21=0 22=0 23=0 24=0; tick"
            << QStringList{" | Link | no reply | replies coming",
                           " | Link | replies coming | no reply for 3 s", opened};
        QTest::newRow("set-point sent")
            << "open; status 17=90 21=0 22=0 23=0 24=0; tick; click Copy_Command; "
               "set S_TempMax_Text 55; click Setup_Command; tick; wrote 05 01 1E 0C 01 5F 90"
            << QStringList{"1 | Sent High temperature warning (°C) | 50 | 55", opened};
        QTest::newRow("unplugged")
            << "open; unplug"
            << QStringList{" | Port COM1 (/dev/fake1) | open | lost, the adapter is gone", opened};
    }
    void events() {
        QFETCH(QString, script);
        QFETCH(QStringList, rows);
        FormFixture f;
        f.run(script);
        f.button("Events_Command")->click();
        QWidget* table = f.find("Events_Table");
        QVERIFY(table->isVisible() && !table->window()->isModal());
        QAccessibleTableInterface* cells =
            QAccessible::queryAccessibleInterface(table)->tableInterface();
        QStringList shown;
        for (int row = 0; row < cells->rowCount(); ++row) {
            QStringList texts;
            for (int column = 1; column < 5; ++column) {
                texts << cells->cellAt(row, column)->text(QAccessible::Name);
            }
            shown << texts.join(" | ");
        }
        QCOMPARE(shown, rows);
    }

    // The rows reach the file, at midnight going on in "<name>-2.csv" or the
    // next name free; stopping tells where they went and how many.
    void recording() {
        FormFixture f;
        QTemporaryDir dir;
        QFile taken(dir.filePath("s-2-events.csv"));
        QVERIFY(taken.open(QIODevice::WriteOnly));
        QVERIFY(f.form->linkLine()->startRecording(dir.filePath("s.csv")));
        f.run("open; status 21=0 22=0 23=0 24=0; tick; status 21=0 22=0 23=0 24=0; tick");
        f.form->sessionLog()->statusDecoded(QDateTime::currentDateTime().addDays(1), 1, {}, {});
        f.form->sessionLog()->stopRecordingAndWait();
        f.run(QStringLiteral("told Recording stopped. 3 rows in 2 files, %1/s.csv to %1/s-3.csv, 1 "
                             "event in 2 files, %1/s-events.csv to %1/s-3-events.csv.; shows "
                             "Record_Command Record…")
                  .arg(dir.path()));
        QFile file(dir.filePath("s.csv"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().split('\n');
        QCOMPARE(lines.size(), 4); // the header, two rows, nothing after the last line's end
        QCOMPARE(lines[0] + '\n', StatusCsv::header());
    }

    // Before a recording replaces a file, of its rows or of its events, the
    // operator is asked; nothing is emptied before both files are open.
    void recordAsks_data() {
        QTest::addColumn<QStringList>("there"); // "name/" is a folder
        QTest::addColumn<QString>("script");
        QTest::addColumn<bool>("recording");
        const auto row = [](const char* name, const QString& there, const QString& answer,
                            const QString& told, bool recording) {
            QTest::newRow(name) << there.split(u' ', Qt::SkipEmptyParts)
                                << "file s.csv; answer " + answer + "; click Record_Command; " +
                                       (told.isEmpty() ? "untold" : "told " + told)
                                << recording;
        };
        const QString cannot = "; told HOME/s-events.csv cannot be written (Is a directory).";
        row("new names", "", "no", "", true);
        row("events there, kept", "s-events.csv", "no", "s-events.csv already exists. Replace it?",
            false);
        row("both there, replaced", "s.csv s-events.csv", "yes",
            "s.csv and s-events.csv already exist. Replace them?", true);
        row("events cannot be written", "s.csv s-events.csv/", "yes",
            "s.csv and s-events.csv already exist. Replace them?" + cannot, false);
        row("nor a rows file made", "s-events.csv/", "yes",
            "s-events.csv already exists. Replace it?" + cannot, false);
    }
    void recordAsks() {
        QFETCH(QStringList, there);
        QFETCH(QString, script);
        QFETCH(bool, recording);
        FormFixture f;
        for (const QString& name : there) {
            QFile file(f.home.filePath(name));
            QVERIFY(name.endsWith(u'/') ? QDir(f.home.path()).mkdir(name)
                                        : file.open(QIODevice::WriteOnly) && file.write("keep\n"));
        }
        f.run(script.replace("HOME", f.home.path()));
        QCOMPARE(f.form->sessionLog()->recording() == SessionLog::Recording::On, recording);
        f.form->sessionLog()->stopRecordingAndWait();
        for (const QString& name : {QStringLiteral("s.csv"), QStringLiteral("s-events.csv")}) {
            QFile file(f.home.filePath(name));
            QCOMPARE(file.open(QIODevice::ReadOnly), recording || there.contains(name));
            QCOMPARE(file.readAll() == "keep\n", !recording && there.contains(name));
        }
    }

    // A recording opens in a window of its own with its events, all in this
    // computer's zone; a last line cut short is left out and said so. A bad
    // file is told, with its line, and shows nothing of itself.
    void replay_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QByteArray>("events");
        QTest::addColumn<QString>("told");
        QTest::addColumn<int>("eventRows"); // -1: no window
        QTest::addColumn<QString>("shown"); // in the window's line above the plots
        display::StatusValues values;
        values.innerTemp = 21.5;
        values.outerTemp = 20;
        const QDateTime at = QDateTime::currentDateTime().addSecs(-60);
        QByteArray rows = StatusCsv::row(at, 1, "TEC-48", values);
        values.innerTemp = 0;
        rows += StatusCsv::row(at.addSecs(1), 1, "TEC-48", values);
        const QByteArray events =
            EventCsv::header() + EventCsv::row({at, "Lamp Sensor", "off", "red", 1});
        QTest::newRow("recording")
            << StatusCsv::header() + rows << events << QString() << 1
            << QStringLiteral("r.csv: 2 replies from %1 to ").arg(shownTime(at));
        QTest::newRow("last lines cut short")
            << StatusCsv::header() + rows + "2026-12" << events + "2026-12" << QString() << 1
            << "(Asia/Kolkata). r.csv: the last line, 4, was cut short and is left out. "
               "r-events.csv: the last event, from line 3 on, was cut short and is left out.";
        const QDateTime west(QDate(2026, 12, 7), QTime(9, 0), QTimeZone(-(3 * 3600 + 30 * 60)));
        values.innerTemp = 21.5;
        QTest::newRow("recorded in another zone")
            << StatusCsv::header() + StatusCsv::row(west, 1, "TEC-48", values)
            << EventCsv::header() + EventCsv::row({west, "Lamp Sensor", "off", "red", 1})
            << QString() << 1
            << "1 replies from 2026-12-07 18:00:00 to 2026-12-07 18:00:00 (Asia/Kolkata).";
        QTest::newRow("bad row")
            << StatusCsv::header() + rows + "x\n"
            << events << "DIR/r.csv cannot be replayed: line 4: 1 values where a row has 46." << -1
            << QString();
        QTest::newRow("bad events")
            << StatusCsv::header() + rows << events + "x\n"
            << "DIR/r-events.csv cannot be replayed: line 3: 1 values where an event has 5. The "
               "recording is shown without its events."
            << 0 << QString();
    }
    void replay() {
        QFETCH(QByteArray, content);
        QFETCH(QByteArray, events);
        QFETCH(QString, told);
        QFETCH(int, eventRows);
        QFETCH(QString, shown);
        FormFixture f;
        QTemporaryDir dir;
        for (const auto& [name, bytes] :
             {std::pair("r.csv", content), std::pair("r-events.csv", events)}) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        }
        TrendsWindow* window = TrendsWindow::openRecording(dir.filePath("r.csv"), f.form.get());
        f.run(told.isEmpty() ? "untold" : "told " + told.replace("DIR", dir.path()));
        QCOMPARE(window ? window->findChildren<QAbstractButton*>("Events_Command").size() : -1,
                 qMin(eventRows, 1));
        if (eventRows > 0) {
            const QString label = window->findChild<QLabel*>("Trends_Text")->text();
            QVERIFY2(label.contains(shown), qPrintable(label));
            QCOMPARE(window->findChild<TrendPlot*>()->lines().first().stretches[0][0].y(), 21.5);
            window->findChild<QAbstractButton*>("Events_Command")->click();
            const auto* table = window->findChild<QAbstractItemView*>("Events_Table");
            QCOMPARE(table->model()->rowCount(), eventRows);
            // The event and the first reply, at one moment, at one time, in the zone named.
            QVERIFY(label.contains(" from " + table->model()->index(0, 0).data().toString()));
            QCOMPARE(table->model()->headerData(0, Qt::Horizontal), "Time (Asia/Kolkata)");
        }
    }
};

QTEST_MAIN(TestSessionTools)
#include "test_session_tools.moc"
