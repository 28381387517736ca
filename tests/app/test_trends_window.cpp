// The trends window: which controller it shows and follows, which value
// each line draws and where it leaves a gap, the width it is reduced to,
// where the events are marked, zooming, and how much of a long session it
// shows, live and replayed.
#include "form_fixture.h"

#include "app/trend_plot.h"
#include "app/trends_window.h"
#include "record/controller_trends.h"
#include "record/event_log.h"
#include "record/session_log.h"
#include "record/status_csv.h"

#include <QComboBox>

using namespace brisco;

namespace {

const QDateTime kStart(QDate(2026, 12, 7), QTime(14, 0));

display::StatusValues withInner(std::optional<double> temp) {
    display::StatusValues values;
    values.innerTemp = temp;
    values.outerTemp = 0;
    return values;
}

// Controller 1's inner temperature every `every` seconds from kStart: a
// sensor fault where value gives none, no reply where it gives NaN.
void fill(ControllerTrends& trends, int seconds, int every,
          const std::function<std::optional<double>(int)>& value) {
    for (int second = 0; second <= seconds; second += every) {
        if (const auto temp = value(second); !temp || !std::isnan(*temp)) {
            trends.append(1, {}, kStart.addSecs(second).toMSecsSinceEpoch(), withInner(temp));
        }
    }
}

// Laid out as in the pictures, and drawn.
std::unique_ptr<TrendsWindow> shown(const ControllerTrends& trends, EventLog* events = nullptr) {
    auto window = std::make_unique<TrendsWindow>(trends, events);
    window->resize(1280, 860);
    window->show();
    QCoreApplication::processEvents();
    window->refresh();
    return window;
}

const TrendPlot::Line& lineOf(const QWidget* window, const QString& name) {
    for (const TrendPlot* plot : window->findChildren<TrendPlot*>()) {
        for (const TrendPlot::Line& line : plot->lines()) {
            if (line.name == name) {
                return line;
            }
        }
    }
    qFatal("no line %s", qPrintable(name));
}

// Every value that the line draws, in order.
QList<double> drawn(const QWidget* window, const QString& name) {
    QList<double> values;
    for (const QList<QPointF>& stretch : lineOf(window, name).stretches) {
        for (const QPointF& point : stretch) {
            values << point.y();
        }
    }
    return values;
}

// The items of the controller list, the one picked starred.
QStringList listed(const QComboBox* picker) {
    QStringList items;
    for (int i = 0; i < picker->count(); ++i) {
        items << picker->itemText(i) + (i == picker->currentIndex() ? " *" : "");
    }
    return items;
}

} // namespace

class TestTrendsWindow : public QObject {
    Q_OBJECT

private slots:
    // The controller that the main window shows comes first, and again when
    // it switches; the operator picks another, whose replies it follows.
    void picksAController() {
        FormFixture f;
        f.openPort();
        SessionLog* log = f.form->sessionLog();
        f.port->feed(statusReply({{25, 81}}));
        f.tick();
        log->statusDecoded(QDateTime::currentDateTime(), 7, "TEC-48", withInner(33));
        f.button("Trends_Command")->click();
        QWidget* trends = f.window("TrendsWindow");
        auto* picker = trends->findChild<QComboBox*>("Controller_Combo");
        QCoreApplication::processEvents();
        QCOMPARE(listed(picker),
                 (QStringList{"Controller 1 (main window) *", "Controller 7 · TEC-48"}));
        QCOMPARE(drawn(trends, "Inner"), QList<double>{0.5});
        f.form->monitorController(7);
        QCoreApplication::processEvents();
        QCOMPARE(listed(picker),
                 (QStringList{"Controller 1", "Controller 7 · TEC-48 (main window) *"}));
        QCOMPARE(drawn(trends, "Inner"), QList<double>{33});
        picker->setCurrentIndex(0);
        emit picker->activated(0);
        QCOMPARE(drawn(trends, "Inner"), QList<double>{0.5});
        log->statusDecoded(QDateTime::currentDateTime(), 1, {}, withInner(1.5));
        log->statusDecoded(QDateTime::currentDateTime(), 7, {}, withInner(34));
        QCoreApplication::processEvents();
        QCOMPARE(drawn(trends, "Inner"), (QList<double>{0.5, 1.5}));
        QCOMPARE(picker->currentIndex(), 0);
    }

    // Each line draws its own value, the set-points dashed.
    void linesDrawTheirValues_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("dashed");
        QTest::newRow("inner") << "Inner" << 21.5 << false;
        QTest::newRow("outer") << "Outer" << -4.5 << false;
        QTest::newRow("control") << "Control" << 22.0 << false;
        QTest::newRow("cooling start") << "Cooling start" << 35.0 << true;
        QTest::newRow("cooling stop") << "Cooling stop" << 30.0 << true;
        QTest::newRow("heating start") << "Heating start" << 5.0 << true;
        QTest::newRow("heating stop") << "Heating stop" << 12.0 << true;
        QTest::newRow("current") << "TEC current" << 3.7 << false;
        QTest::newRow("voltage") << "DC voltage" << 48.5 << false;
        QTest::newRow("inner fan") << "Inner fan" << 1550.0 << false;
        QTest::newRow("outer fan") << "Outer fan" << 2700.0 << false;
    }
    void linesDrawTheirValues() {
        QFETCH(QString, line);
        QFETCH(double, value);
        QFETCH(bool, dashed);
        display::StatusValues values = withInner(21.5);
        values.setPoints = {35, 30, 5, 12, 2, 1500, 3100, 2, 3400, 55, -10, 1.5, 12.5};
        values.outerTemp = -4.5;
        values.controlTemp = 22;
        values.tecCurrent = 3.7;
        values.dcVoltage = 48.5;
        values.innerFanReading = 1550;
        values.outerFanReading = 2700;
        ControllerTrends trends;
        trends.append(1, {}, kStart.toMSecsSinceEpoch(), values);
        trends.append(1, {}, kStart.addSecs(1).toMSecsSinceEpoch(), values);
        TrendsWindow window(trends, nullptr);
        window.refresh();
        QCOMPARE(drawn(&window, line), QList<double>(2, value));
        QCOMPARE(lineOf(&window, line).pen.style() == Qt::DashLine, dashed);
    }

    // An hour of values that jump at every reply, and of a sensor that flaps
    // as well: two points a pixel column at most, a break a column at most.
    void reducedToTheWidth_data() {
        QTest::addColumn<bool>("flapping");
        QTest::newRow("jumping") << false;
        QTest::newRow("flapping") << true;
    }
    void reducedToTheWidth() {
        QFETCH(bool, flapping);
        ControllerTrends trends;
        fill(trends, 3599, 1, [flapping](int i) {
            return flapping && i % 2 ? std::nullopt : std::optional(20 + (i * 7919) % 101 / 10.0);
        });
        const auto window = shown(trends);
        const auto width = qsizetype(window->findChild<TrendPlot*>()->plotArea().width());
        const qsizetype points = drawn(window.get(), "Inner").size();
        const qsizetype stretches = lineOf(window.get(), "Inner").stretches.size();
        QVERIFY2(points <= 2 * width + 4 && points >= width, qPrintable(QString::number(points)));
        QVERIFY(stretches <= (flapping ? width + 2 : 1) && stretches >= (flapping ? width / 2 : 1));
    }

    // Two minutes without a reply amid ten at one a second: blank in the
    // plot, where the line is drawn either side.
    void silenceLeftBlank() {
        ControllerTrends trends;
        fill(trends, 600, 1, [](int second) { return second > 240 && second < 360 ? NAN : 20.0; });
        const auto window = shown(trends);
        auto* plot = window->findChild<TrendPlot*>();
        const QImage picture = plot->grab().toImage();
        const QRectF area = plot->plotArea();
        const auto darkest = [&](int second) {
            int gray = 255;
            for (int y = int(area.top()); y < int(area.bottom()); ++y) {
                const int x = int(area.left() + area.width() * second / 600);
                gray = std::min(gray, qGray(picture.pixel(x, y)));
            }
            return gray;
        };
        QVERIFY(darkest(120) < 100 && darkest(480) < 100 && darkest(290) > 200);
    }

    // Ten minutes of two controllers and the events of the session: the
    // picked controller's and the line's are marked where they happened,
    // as their tips and accessible names tell; a few pixels share a mark.
    void marks_data() {
        QTest::addColumn<int>("picked");
        QTest::addColumn<QList<int>>("at"); // seconds from the start
        QTest::addColumn<QStringList>("told");
        const QString link = "14:07:30  Link: replies coming → no reply for 3 s";
        const QString closed = "14:09:59  Port COM1 (/dev/ttyUSB0): open → closed";
        QTest::newRow("controller 7")
            << 7 << QList{150, 160, 450, 599}
            << QStringList{"14:02:30  Lamp Low temp: off → red",
                           "14:02:40  Lamp Low temp: red → off", link, closed};
        QTest::newRow("controller 1")
            << 1 << QList{300, 450, 599}
            << QStringList{"14:05:00  Sent Heating stop temp (°C): 12 → 14; 14:05:00  Lamp Sensor: "
                           "off → red",
                           link, closed};
    }
    void marks() {
        QFETCH(int, picked);
        QFETCH(QList<int>, at);
        QFETCH(QStringList, told);
        ControllerTrends trends;
        for (int second = 0; second <= 600; second += 5) {
            for (const std::uint8_t address : {1, 7}) {
                trends.append(address, {}, kStart.addSecs(second).toMSecsSinceEpoch(),
                              withInner(20));
            }
        }
        EventLog events;
        for (const auto& [ms, what, from, to, address] :
             std::initializer_list<std::tuple<int, QString, QString, QString, int>>{
                 {150'000, "Lamp Low temp", "off", "red", 7},
                 {160'000, "Lamp Low temp", "red", "off", 7},
                 {300'000, "Sent Heating stop temp (°C)", "12", "14", 1},
                 {300'400, "Lamp Sensor", "off", "red", 1},
                 {450'000, "Link", "replies coming", "no reply for 3 s", 0},
                 {599'000, "Port COM1 (/dev/ttyUSB0)", "open", "closed", 0}}) {
            events.add({kStart.addMSecs(ms), what, from, to, std::uint8_t(address)});
        }
        const auto window = shown(trends, &events);
        auto* picker = window->findChild<QComboBox*>("Controller_Combo");
        emit picker->activated(picker->findData(picked));
        const auto* plot = window->findChild<TrendPlot*>("Temperatures_Chart");
        const QRectF area = plot->plotArea();
        QStringList heard;
        for (const QWidget* mark : plot->findChildren<QWidget*>("Event_Mark")) {
            if (mark->isVisible()) {
                QCOMPARE(mark->toolTip(), QString(mark->accessibleName()).replace("; ", "\n"));
                const int second = at.value(heard.size());
                QVERIFY(std::abs(mark->geometry().center().x() -
                                 (area.left() + area.width() * second / 600)) <= 1.5);
                heard << mark->accessibleName();
            }
        }
        QCOMPARE(heard, told);
    }

    // Dragging across a plot shows that span in all; a right click twice
    // the span about its middle; "Whole span" all again.
    void zoomByDragging() {
        ControllerTrends trends;
        fill(trends, 3600, 10, [](int) { return 20.0; });
        const auto window = shown(trends);
        auto* plot = window->findChild<TrendPlot*>("TEC_current_Chart");
        const QRectF area = plot->plotArea();
        const int y = int(area.center().y());
        const qint64 start = kStart.toMSecsSinceEpoch();
        const qint64 pixel = qint64(3600'000 / area.width()) + 1;
        QTest::mousePress(plot, Qt::LeftButton, {}, QPoint(int(area.left() + area.width() / 4), y));
        QTest::mouseMove(plot, QPoint(int(area.left() + area.width() / 3), y));
        QTest::mouseRelease(plot, Qt::LeftButton, {}, QPoint(int(area.center().x()), y));
        QCoreApplication::processEvents();
        for (const TrendPlot* each : window->findChildren<TrendPlot*>()) {
            const auto [from, to] = each->timeSpan();
            QVERIFY(std::abs(from - (start + 900'000)) <= pixel &&
                    std::abs(to - (start + 1800'000)) <= pixel);
        }
        QTest::mouseClick(plot, Qt::RightButton, {}, QPoint(int(area.center().x()), y));
        QCoreApplication::processEvents();
        const auto [from, to] = plot->timeSpan();
        QVERIFY(std::abs(from - (start + 450'000)) <= 2 * pixel &&
                std::abs(to - (start + 2250'000)) <= 2 * pixel);
        window->findChild<QAbstractButton*>("WholeSpan_Command")->click();
        QCOMPARE(plot->timeSpan(), std::pair(start, start + 3600'000));
    }

    // Two and a half hours at a reply every 10 s: a replay shows all of
    // it, the live window the last hour.
    void longerThanAnHour_data() {
        QTest::addColumn<bool>("replay");
        QTest::newRow("replay") << true;
        QTest::newRow("live") << false;
    }
    void longerThanAnHour() {
        QFETCH(bool, replay);
        FormFixture f;
        QTemporaryDir dir;
        QFile file(dir.filePath("long.csv"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(StatusCsv::header());
        ControllerTrends live;
        const QDateTime start = QDateTime::currentDateTime().addSecs(-9000);
        for (int i = 0; i <= 900; ++i) {
            file.write(StatusCsv::row(start.addSecs(i * 10), 1, {}, withInner(i / 2.0)));
            live.append(1, {}, start.addSecs(i * 10).toMSecsSinceEpoch(), withInner(i / 2.0));
        }
        file.close();
        const auto shownLive = shown(live);
        const QWidget* window =
            replay ? TrendsWindow::openRecording(file.fileName(), f.form.get()) : shownLive.get();
        const qint64 first = replay ? 0 : 540;
        QCOMPARE(window->findChild<TrendPlot*>()->timeSpan(),
                 std::pair(start.addSecs(first * 10).toMSecsSinceEpoch(),
                           start.addSecs(9000).toMSecsSinceEpoch()));
        QCOMPARE(drawn(window, "Inner").first(), first / 2.0);
        QCOMPARE(drawn(window, "Inner").last(), 450.0);
    }
};

QTEST_MAIN(TestTrendsWindow)
#include "test_trends_window.moc"
