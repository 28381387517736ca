// The trends window: the controller it follows, the lines, their gaps and
// width, the events marked, zooming, and the span of a long session.
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

// Controller 1's inner temperature every `every` s from kStart: none a fault, NaN no reply.
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
    // The window is modeless; the controller that the main window shows
    // comes first, and again when it switches; the operator picks another,
    // whose replies it follows. A faulty sensor leaves a gap, never a number.
    void picksAController() {
        FormFixture f;
        f.openPort();
        SessionLog* log = f.form->sessionLog();
        for (const int inner : {81, 82, 254, 83}) {
            f.port->feed(statusReply({{25, inner}}));
            f.tick();
        }
        log->statusDecoded(QDateTime::currentDateTime(), 7, "TEC-48", withInner(33));
        f.button("Trends_Command")->click();
        QWidget* trends = f.window("TrendsWindow");
        QVERIFY(trends->isVisible() && !trends->isModal());
        auto* picker = trends->findChild<QComboBox*>("Controller_Combo");
        QCoreApplication::processEvents();
        QCOMPARE(listed(picker),
                 (QStringList{"Controller 1 (main window) *", "Controller 7 · TEC-48"}));
        QCOMPARE(drawn(trends, "Inner"), (QList<double>{0.5, 1, 1.5}));
        QCOMPARE(lineOf(trends, "Inner").stretches.size(), 2);
        f.port->feed(statusReply({{25, 84}}));
        f.tick();
        QCoreApplication::processEvents(); // the plots follow once the tick is over
        QCOMPARE(drawn(trends, "Inner"), (QList<double>{0.5, 1, 1.5, 2}));
        f.form->monitorController(7);
        QCoreApplication::processEvents();
        QCOMPARE(listed(picker),
                 (QStringList{"Controller 1", "Controller 7 · TEC-48 (main window) *"}));
        QCOMPARE(drawn(trends, "Inner"), QList<double>{33});
        picker->setCurrentIndex(0);
        emit picker->activated(0);
        QCOMPARE(drawn(trends, "Inner"), (QList<double>{0.5, 1, 1.5, 2}));
        // Live, the time axis ends with the latest reply, however late.
        const QDateTime later = QDateTime::currentDateTime().addSecs(600);
        log->statusDecoded(later, 1, {}, withInner(3));
        log->statusDecoded(QDateTime::currentDateTime(), 7, {}, withInner(34));
        QCoreApplication::processEvents();
        QCOMPARE(drawn(trends, "Inner"), (QList<double>{0.5, 1, 1.5, 2, 3}));
        QCOMPARE(picker->currentIndex(), 0);
        QCOMPARE(trends->findChild<TrendPlot*>()->timeSpan().second, later.toMSecsSinceEpoch());
        f.form->close();
        QVERIFY(!trends->isVisible());
    }

    // Each line draws its own value, the set-points dashed.
    void linesDrawTheirValues() {
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
        QStringList lines;
        for (const TrendPlot* plot : window.findChildren<TrendPlot*>()) {
            for (const TrendPlot::Line& line : plot->lines()) {
                QString text = line.name;
                for (const double y : drawn(&window, line.name)) {
                    text += ' ' + QString::number(y);
                }
                lines << text + (line.pen.style() == Qt::DashLine ? " dashed" : "");
            }
        }
        QCOMPARE(lines, (QStringList{"Inner 21.5 21.5", "Outer -4.5 -4.5", "Control 22 22",
                                     "Cooling start 35 35 dashed", "Cooling stop 30 30 dashed",
                                     "Heating start 5 5 dashed", "Heating stop 12 12 dashed",
                                     "TEC current 3.7 3.7", "DC voltage 48.5 48.5",
                                     "Inner fan 1550 1550", "Outer fan 2700 2700"}));
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

    // Of ten minutes of two controllers, the picked one's events and the
    // line's are marked where they happened; a few pixels share a mark.
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

    // Inner rising from 1 to 7 °C on an axis from 0 to 8 (outer at 0, below
    // the rows looked at): two minutes without a reply in an hour are blank,
    // but for a reply alone in them. A drag shows that span in all plots, a
    // right click twice it, "Whole span" all again.
    void silenceAndZoom() {
        ControllerTrends trends;
        fill(trends, 3600, 10, [](int second) {
            return second > 1500 && second < 1620 && second != 1560 ? NAN : 1 + second / 600.0;
        });
        const auto window = shown(trends);
        auto* plot = window->findChild<TrendPlot*>("Temperatures_Chart");
        const QRectF area = plot->plotArea();
        const QImage picture = plot->grab().toImage();
        // How dark the darkest pixel at a moment is, and how far above the axis.
        const auto darkest = [&](int second) {
            std::pair<int, double> found{255, 0};
            const int x = int(area.left() + area.width() * second / 3600);
            for (int y = int(area.top()); y < int(area.bottom()) - 4; ++y) {
                found = std::min(found, std::pair(qGray(picture.pixel(x, y)), area.bottom() - y));
            }
            return found;
        };
        QVERIFY(darkest(1400).first < 100 && darkest(1720).first < 100 &&
                darkest(1530).first > 200 && darkest(1560).first < 100);
        for (const int second : {30, 3570}) {
            const double above = area.height() * (1 + second / 600.0) / 8;
            QVERIFY(std::abs(darkest(second).second - above) < 3);
        }
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

    // Of two and a half hours, a replay shows all, the live window the last hour.
    void longerThanAnHour() {
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
        const QWidget* replayed = TrendsWindow::openRecording(file.fileName(), f.form.get());
        for (const auto& [window, first] :
             {std::pair(replayed, 0),
              std::pair(static_cast<const QWidget*>(shownLive.get()), 540)}) {
            QCOMPARE(window->findChild<TrendPlot*>()->timeSpan(),
                     std::pair(start.addSecs(first * 10).toMSecsSinceEpoch(),
                               start.addSecs(9000).toMSecsSinceEpoch()));
            QCOMPARE(drawn(window, "Inner").first(), first / 2.0);
            QCOMPARE(drawn(window, "Inner").last(), 450.0);
        }
    }
};

QTEST_MAIN(TestTrendsWindow)
#include "test_trends_window.moc"
