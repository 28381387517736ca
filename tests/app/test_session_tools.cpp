// The session tools of the link line on the fake port: the events window, a
// recording made from the window, the live trends and a replayed recording.
#include "form_fixture.h"

#include "app/link_line.h"
#include "app/trend_plot.h"
#include "app/trends_window.h"
#include "record/event_csv.h"
#include "record/session_log.h"
#include "record/status_csv.h"

#include <QAbstractItemView>
#include <QAccessibleTableInterface>

using namespace brisco;

namespace {

// The values of each stretch of a plotted line, in the window that has it.
QList<QList<qreal>> stretches(const QWidget* window, const QString& name) {
    QList<QList<qreal>> found;
    for (const TrendPlot* plot : window->findChildren<TrendPlot*>()) {
        for (const TrendPlot::Line& line : plot->lines()) {
            if (line.name == name) {
                for (const QList<QPointF>& stretch : line.stretches) {
                    found.append(QList<qreal>());
                    for (const QPointF& point : stretch) {
                        found.last() << point.y();
                    }
                }
            }
        }
    }
    return found;
}

} // namespace

class TestSessionTools : public QObject {
    Q_OBJECT

private slots:
    // What the operator and the line do, and the events window's rows,
    // newest first, as assistive technology reads them: event, from, to.
    void events_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QStringList>("rows");
        const QString opened = "Port COM1 (/dev/fake1) | closed | open";
        QTest::newRow("lamp") << "open; status 21=0 22=0 23=1 24=0; tick"
                              << QStringList{"Lamp High temp | off | red", opened};
        QTest::newRow("stale and back")
            << "open; status 21=0 22=0 23=0 24=0; tick 13; status 21=0 22=0 23=0 24=0; tick"
            << QStringList{"Link | no reply | replies coming",
                           "Link | replies coming | no reply for 3 s", opened};
        QTest::newRow("set-point sent")
            << "open; status 17=90 21=0 22=0 23=0 24=0; tick; click Copy_Command; "
               "set S_TempMax_Text 55; click Setup_Command; tick; wrote 05 01 1E 0C 01 5F 90"
            << QStringList{"Sent High temperature warning (°C) | 50 | 55", opened};
        QTest::newRow("unplugged")
            << "open; unplug"
            << QStringList{"Port COM1 (/dev/fake1) | open | lost, the adapter is gone", opened};
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
            for (int column = 1; column < 4; ++column) {
                texts << cells->cellAt(row, column)->text(QAccessible::Name);
            }
            shown << texts.join(" | ");
        }
        QCOMPARE(shown, rows);
    }

    // The rows reach the file; stopping tells where it went and how many.
    void recording() {
        FormFixture f;
        QTemporaryDir dir;
        const QString path = dir.filePath("session.csv");
        QVERIFY(f.form->linkLine()->startRecording(path));
        f.run("open; status 21=0 22=0 23=0 24=0; tick; status 21=0 22=0 23=0 24=0; tick");
        f.form->sessionLog()->stopRecordingAndWait();
        f.run("told Recording stopped. 2 rows in " + path + ", 1 event in " +
              dir.filePath("session-events.csv") + ".; shows Record_Command Record…");
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().split('\n');
        QCOMPARE(lines.size(), 4); // the header, two rows, nothing after the last line's end
        QCOMPARE(lines[0] + '\n', StatusCsv::header());
    }

    // The trends window is modeless and plots the session; a faulty sensor
    // leaves a gap, never a number.
    void trends() {
        FormFixture f;
        f.openPort();
        for (const int inner : {81, 82, 254, 83}) {
            f.port->feed(statusReply({{25, inner}}));
            f.tick();
        }
        f.button("Trends_Command")->click();
        QWidget* trends = f.window("TrendsWindow");
        QVERIFY(trends->isVisible() && !trends->isModal());
        QCoreApplication::processEvents(); // shown and laid out: no redraw pending
        QCOMPARE(stretches(trends, "Inner"), (QList<QList<qreal>>{{0.5, 1}, {1.5}}));
        f.port->feed(statusReply({{25, 84}}));
        f.tick();
        QCoreApplication::processEvents(); // the plots follow once the tick is over
        QCOMPARE(stretches(trends, "Inner"), (QList<QList<qreal>>{{0.5, 1}, {1.5, 2}}));
        // Live, the time axis ends with the latest reply, however late.
        const QDateTime later = QDateTime::currentDateTime().addSecs(600);
        f.form->sessionLog()->statusDecoded(later, 1, {}, display::StatusValues{});
        QCoreApplication::processEvents();
        QCOMPARE(trends->findChild<TrendPlot*>()->timeSpan().second, later.toMSecsSinceEpoch());
        f.form->close();
        QVERIFY(!trends->isVisible());
    }

    // A recording opens in a window of its own, with the events beside it;
    // a bad file is told, with its line, and shows nothing of itself.
    void replay_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QByteArray>("events");
        QTest::addColumn<QString>("told");
        QTest::addColumn<int>("eventRows"); // -1: no window
        display::StatusValues values;
        values.innerTemp = 21.5;
        values.outerTemp = 20;
        const QDateTime at = QDateTime::currentDateTime().addSecs(-60);
        QByteArray rows = StatusCsv::row(at, values);
        values.innerTemp = 0;
        rows += StatusCsv::row(at.addSecs(1), values);
        const QByteArray events =
            EventCsv::header() + EventCsv::row({at, "Lamp Sensor", "off", "red"});
        QTest::newRow("recording") << StatusCsv::header() + rows << events << QString() << 1;
        QTest::newRow("bad row")
            << StatusCsv::header() + rows + "x\n"
            << events
            << "DIR/r.csv cannot be replayed: line 4: 1 values where a row has "
               "44."
            << -1;
        QTest::newRow("bad events")
            << StatusCsv::header() + rows << events + "x\n"
            << "DIR/r-events.csv cannot be replayed: line 3: 1 values where "
               "an event has 4. The recording is shown without its events."
            << 0;
    }
    void replay() {
        QFETCH(QByteArray, content);
        QFETCH(QByteArray, events);
        QFETCH(QString, told);
        QFETCH(int, eventRows);
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
            QCOMPARE(stretches(window, "Inner"), (QList<QList<qreal>>{{21.5, 0}}));
            window->findChild<QAbstractButton*>("Events_Command")->click();
            QCOMPARE(window->findChild<QAbstractItemView*>("Events_Table")->model()->rowCount(),
                     eventRows);
        }
    }
};

QTEST_MAIN(TestSessionTools)
#include "test_session_tools.moc"
