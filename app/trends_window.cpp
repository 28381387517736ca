#include "app/trends_window.h"

#include "app/events_window.h"
#include "record/event_csv.h"
#include "record/event_log.h"
#include "record/session_log.h"
#include "record/shown_time.h"
#include "record/status_csv.h"
#include "widgets/file_places.h"
#include "widgets/message_box.h"

#include <QChart>
#include <QChartView>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPushButton>
#include <QTimer>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace {

constexpr qint64 kShortestSpanMs = 60 * 1000;
constexpr int kFewestColumns = 16;

QString timeFormat(qint64 spanMs) {
    if (spanMs <= 10 * 60 * 1000) {
        return QStringLiteral("HH:mm:ss");
    }
    return spanMs <= 2 * 86'400'000 ? QStringLiteral("HH:mm") : QStringLiteral("MM-dd HH:mm");
}

QString localTime(qint64 msecs) {
    return shownTime(QDateTime::fromMSecsSinceEpoch(msecs));
}

QPushButton* button(const char* name, const QString& caption) {
    auto* button = new QPushButton(caption);
    button->setObjectName(QString::fromLatin1(name));
    button->setAccessibleDescription(button->objectName());
    return button;
}

} // namespace

TrendsWindow::TrendsWindow(const TrendStore& store, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_store(store) {
    setObjectName(QStringLiteral("TrendsWindow"));
    setWindowTitle(QStringLiteral("Trends — Brisco_v20E"));
    build(QStringLiteral("The last hour of this session, live."), false);
}

TrendsWindow::TrendsWindow(std::unique_ptr<TrendStore> replay, std::unique_ptr<EventLog> events,
                           const QString& path, const QString& note, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_replay(std::move(replay))
    , m_events(std::move(events))
    , m_name(QFileInfo(path).fileName())
    , m_store(*m_replay) {
    setObjectName(QStringLiteral("ReplayWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(m_name + QStringLiteral(" — Trends — Brisco_v20E"));
    const auto& samples = m_store.samples();
    build(QStringLiteral("%1: %2 replies from %3 to %4 (%5).%6")
              .arg(m_name)
              .arg(samples.size())
              .arg(localTime(samples.front().time), localTime(samples.back().time), shownZone(),
                   note),
          m_events != nullptr);
}

TrendsWindow::~TrendsWindow() = default;

void TrendsWindow::build(const QString& shown, bool withEvents) {
    addPlot(QStringLiteral("Temperatures"), QStringLiteral("°C"));
    addLine(QStringLiteral("Inner"), QColor(0x303030), false,
            [](const TrendSample& s) { return s.innerTemp; });
    addLine(QStringLiteral("Outer"), QColor(0x2ca02c), false,
            [](const TrendSample& s) { return s.outerTemp; });
    addLine(QStringLiteral("Control"), QColor(0x9467bd), false,
            [](const TrendSample& s) { return std::optional(s.controlTemp); });
    // The set-points in the colours of cooling and heating, dashed.
    addLine(QStringLiteral("Cooling start"), QColor(0x1f77b4), true,
            [](const TrendSample& s) { return std::optional(s.coolStart); });
    addLine(QStringLiteral("Cooling stop"), QColor(0x74b9e8), true,
            [](const TrendSample& s) { return std::optional(s.coolStop); });
    addLine(QStringLiteral("Heating start"), QColor(0xd62728), true,
            [](const TrendSample& s) { return std::optional(s.heatStart); });
    addLine(QStringLiteral("Heating stop"), QColor(0xfd8d3c), true,
            [](const TrendSample& s) { return std::optional(s.heatStop); });
    addPlot(QStringLiteral("TEC current"), QStringLiteral("A"));
    addLine(QStringLiteral("TEC current"), QColor(0xe377c2), false,
            [](const TrendSample& s) { return std::optional(s.tecCurrent); });
    addPlot(QStringLiteral("DC voltage"), QStringLiteral("V"));
    addLine(QStringLiteral("DC voltage"), QColor(0x17becf), false,
            [](const TrendSample& s) { return std::optional(s.dcVoltage); });
    addPlot(QStringLiteral("Fan speeds"), QStringLiteral("rpm"));
    addLine(QStringLiteral("Inner fan"), QColor(0x8c564b), false,
            [](const TrendSample& s) { return std::optional<double>(s.innerFan); });
    addLine(QStringLiteral("Outer fan"), QColor(0x7f7f7f), false,
            [](const TrendSample& s) { return std::optional<double>(s.outerFan); });

    auto* tools = new QHBoxLayout;
    QPushButton* open = button("Open_Command", QStringLiteral("Open recording…"));
    QPushButton* save = button("SavePicture_Command", QStringLiteral("Save picture…"));
    QPushButton* whole = button("WholeSpan_Command", QStringLiteral("Whole span"));
    m_shown = new QLabel(shown + QStringLiteral(" Drag across a plot to zoom in."));
    m_shown->setObjectName(QStringLiteral("Trends_Text"));
    m_shown->setAccessibleDescription(m_shown->objectName());
    m_shown->setTextInteractionFlags(Qt::TextSelectableByMouse);
    for (QWidget* widget : {static_cast<QWidget*>(open), static_cast<QWidget*>(save),
                            static_cast<QWidget*>(whole), static_cast<QWidget*>(m_shown)}) {
        tools->addWidget(widget);
    }
    tools->addStretch();
    connect(open, &QPushButton::clicked, this, &TrendsWindow::Open_Command_Click);
    connect(save, &QPushButton::clicked, this, &TrendsWindow::SavePicture_Command_Click);
    connect(whole, &QPushButton::clicked, this, &TrendsWindow::WholeSpan_Command_Click);
    if (withEvents) {
        QPushButton* events = button("Events_Command", QStringLiteral("Events"));
        tools->insertWidget(3, events);
        connect(events, &QPushButton::clicked, this, &TrendsWindow::Events_Command_Click);
    }

    // The temperatures across the top, the rest side by side below.
    auto* grid = new QGridLayout(this);
    grid->addLayout(tools, 0, 0, 1, int(m_plots.size() - 1));
    for (qsizetype i = 0; i < m_plots.size(); ++i) {
        auto* view = new QChartView(m_plots[i].chart);
        const QString title = m_plots[i].chart->title();
        view->setObjectName(QString(title).replace(u' ', u'_') + QStringLiteral("_Chart"));
        view->setAccessibleDescription(view->objectName());
        view->setAccessibleName(title + QStringLiteral(" plot"));
        m_plots[i].view = view;
        view->setRubberBand(QChartView::HorizontalRubberBand);
        view->setMinimumSize(i == 0 ? QSize(900, 300) : QSize(300, 250));
        if (i == 0) {
            grid->addWidget(view, 1, 0, 1, int(m_plots.size() - 1));
        } else {
            grid->addWidget(view, 2, int(i - 1));
        }
    }
}

void TrendsWindow::addPlot(const QString& title, const QString& unit) {
    auto* chart = new QChart;
    chart->setTitle(title);
    chart->legend()->setAlignment(Qt::AlignBottom);
    // A short piece of each line, so that the dashes of the set-points show.
    chart->legend()->setMarkerShape(QLegend::MarkerShapeFromSeries);
    auto* time = new QDateTimeAxis;
    time->setTitleText(QStringLiteral("Time"));
    // Room for five times of day across the wide plot, three on the others.
    time->setTickCount(m_plots.isEmpty() ? 5 : 3);
    auto* value = new QValueAxis;
    value->setTitleText(unit);
    value->setLabelFormat(QStringLiteral("%g"));
    chart->addAxis(time, Qt::AlignBottom);
    chart->addAxis(value, Qt::AlignLeft);
    connect(time, &QDateTimeAxis::rangeChanged, this, &TrendsWindow::zoomed);
    m_plots.append({chart, time, value, nullptr});
}

void TrendsWindow::addLine(const QString& name, QColor colour, bool setPoint, TrendValue value) {
    QPen pen(colour, 2.0, setPoint ? Qt::DashLine : Qt::SolidLine);
    m_lines.append({int(m_plots.size() - 1), name, value, pen, {}});
}

QLineSeries* TrendsWindow::segment(Line& line, qsizetype index) {
    while (line.segments.size() <= index) {
        const Plot& plot = m_plots[line.plot];
        auto* series = new QLineSeries;
        series->setName(line.name);
        series->setPen(line.pen);
        plot.chart->addSeries(series);
        series->attachAxis(plot.time);
        series->attachAxis(plot.value);
        // One legend entry per line, whatever its gaps.
        if (!line.segments.isEmpty()) {
            plot.chart->legend()->markers(series).first()->setVisible(false);
        }
        line.segments.append(series);
    }
    return line.segments[index];
}

void TrendsWindow::refreshSoon() {
    if (!m_refreshPending) {
        m_refreshPending = true;
        QTimer::singleShot(0, this, &TrendsWindow::refresh);
    }
}

void TrendsWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    refreshSoon(); // the plots have other widths now
}

// A drag across a plot (or a right click, which zooms out) set this span on
// one plot: all of them show it, reduced anew.
void TrendsWindow::zoomed(const QDateTime& from, const QDateTime& to) {
    if (!m_settingRanges) {
        m_zoom = {from.toMSecsSinceEpoch(), to.toMSecsSinceEpoch()};
        refreshSoon();
    }
}

void TrendsWindow::Events_Command_Click() {
    if (!m_eventsWindow) {
        m_eventsWindow =
            new EventsWindow(m_events.get(),
                             QStringLiteral("Newest first: the events of %1 (the last %2 at most).")
                                 .arg(m_name)
                                 .arg(EventLog::kCapacity),
                             this);
        m_eventsWindow->setWindowTitle(m_name + QStringLiteral(" — Events — Brisco_v20E"));
    }
    m_eventsWindow->show();
    m_eventsWindow->raise();
    m_eventsWindow->activateWindow();
}

void TrendsWindow::WholeSpan_Command_Click() {
    m_zoom.reset();
    refresh();
}

std::pair<qint64, qint64> TrendsWindow::span() const {
    if (m_zoom) {
        return *m_zoom;
    }
    const auto& samples = m_store.samples();
    const qint64 last = samples.back().time;
    return {std::min(samples.front().time, last - kShortestSpanMs), last};
}

void TrendsWindow::refresh() {
    m_refreshPending = false;
    const auto& samples = m_store.samples();
    if (samples.empty()) {
        return;
    }
    const auto [from, to] = span();
    // Series attached to the axes below move them too: that is no zoom.
    m_settingRanges = true;
    // Each line to its plot's width, then the plot's value range from what
    // falls into the span shown.
    QList<QList<QList<QPointF>>> reduced;
    QList<std::pair<double, double>> ranges(m_plots.size(), {INFINITY, -INFINITY});
    for (const Line& line : std::as_const(m_lines)) {
        const Plot& plot = m_plots[line.plot];
        const int columns = std::max(kFewestColumns, int(plot.chart->plotArea().width()));
        reduced << reduceToColumns(samples, line.value, from, to, columns);
        auto& [low, high] = ranges[line.plot];
        for (const QList<QPointF>& stretch : std::as_const(reduced.last())) {
            for (const QPointF& point : stretch) {
                if (point.x() >= double(from) && point.x() <= double(to)) {
                    low = std::min(low, point.y());
                    high = std::max(high, point.y());
                }
            }
        }
    }
    for (auto& [low, high] : ranges) {
        if (low > high) {
            low = high = 0;
        }
        const double margin = std::max(1.0, (high - low) * 0.1);
        // Values that are never negative keep the axis at zero or above.
        low = low >= 0 ? std::max(0.0, low - margin) : low - margin;
        high += margin;
    }
    // What lies within a third of a pixel of a straight run is not drawn.
    // A line that fills its pixel columns up and down is a band: smoothing
    // its edges would cost much and show nothing.
    QList<bool> dense(m_plots.size(), false);
    for (qsizetype l = 0; l < m_lines.size(); ++l) {
        Line& line = m_lines[l];
        const auto [low, high] = ranges[line.plot];
        // Before the first layout no pixel is known: nothing goes.
        const double pixels = m_plots[line.plot].chart->plotArea().height();
        QList<QList<QPointF>>& stretches = reduced[l];
        for (QList<QPointF>& stretch : stretches) {
            dropStraightRuns(stretch, pixels >= 1 ? (high - low) / pixels / 3 : 0);
        }
        qsizetype points = 0;
        for (qsizetype i = 0; i < std::max(stretches.size(), line.segments.size()); ++i) {
            QLineSeries* series = segment(line, i);
            series->replace(i < stretches.size() ? stretches[i] : QList<QPointF>());
            points += series->count();
            // A stretch of one sample between two gaps is a dot.
            series->setPointsVisible(series->count() == 1);
        }
        dense[line.plot] =
            dense[line.plot] || points > m_plots[line.plot].chart->plotArea().width();
    }
    for (qsizetype i = 0; i < m_plots.size(); ++i) {
        const Plot& plot = m_plots[i];
        plot.time->setFormat(timeFormat(to - from));
        plot.time->setRange(QDateTime::fromMSecsSinceEpoch(from),
                            QDateTime::fromMSecsSinceEpoch(to));
        plot.value->setRange(ranges[i].first, ranges[i].second);
        plot.value->applyNiceNumbers();
        plot.view->setRenderHint(QPainter::Antialiasing, !dense[i]);
    }
    m_settingRanges = false;
}

void TrendsWindow::SavePicture_Command_Click() {
    const QString name = QDateTime::currentDateTime().toString(
        QStringLiteral("'brisco-trends-'yyyy-MM-dd-HHmmss'.png'"));
    const QString path = askSavePath(this, QStringLiteral("Save the trends as a picture"),
                                     QStandardPaths::PicturesLocation, name,
                                     QStringLiteral("PNG images (*.png)"), QStringLiteral("png"));
    if (!path.isEmpty() && !grab().save(path, "PNG")) {
        showMessage(this,
                    QStringLiteral("%1 cannot be written.").arg(QDir::toNativeSeparators(path)));
    }
}

void TrendsWindow::Open_Command_Click() {
    const QString path = QFileDialog::getOpenFileName(
        this, QStringLiteral("Open a recording"), folderFor(QStandardPaths::DocumentsLocation),
        QStringLiteral("Brisco recordings (*.csv);;All files (*)"));
    if (!path.isEmpty()) {
        openRecording(path, parentWidget());
    }
}

TrendsWindow* TrendsWindow::openRecording(const QString& path, QWidget* parent) {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    StatusCsv::Replay replay = StatusCsv::readFile(path, QDateTime::currentMSecsSinceEpoch());
    QGuiApplication::restoreOverrideCursor();
    const QString file = QDir::toNativeSeparators(path);
    if (!replay.error.isEmpty()) {
        showMessage(parent, QStringLiteral("%1 cannot be replayed: %2.").arg(file, replay.error));
        return nullptr;
    }
    if (replay.rows.empty()) {
        showMessage(parent, QStringLiteral("%1 holds no status replies.").arg(file));
        return nullptr;
    }
    // A clock set back while recording leaves rows out of order.
    const auto earlier = [](const StatusCsv::Row& a, const StatusCsv::Row& b) {
        return a.msecs < b.msecs;
    };
    if (!std::is_sorted(replay.rows.begin(), replay.rows.end(), earlier)) {
        std::stable_sort(replay.rows.begin(), replay.rows.end(), earlier);
    }
    // A file cut short by a full disk or a power cut shows its whole lines.
    QString notes;
    if (!replay.note.isEmpty()) {
        notes += QStringLiteral(" %1: %2.").arg(QFileInfo(path).fileName(), replay.note);
    }
    auto store = std::make_unique<TrendStore>(TrendStore::unbounded());
    for (const StatusCsv::Row& row : replay.rows) {
        store->append(row.msecs, row.values);
    }
    // The events beside the recording, if it has them, whole or not at all.
    std::unique_ptr<EventLog> events;
    const QString eventsPath = SessionLog::eventsPath(path);
    if (QFileInfo::exists(eventsPath)) {
        const EventCsv::Replay told =
            EventCsv::readFile(eventsPath, QDateTime::currentMSecsSinceEpoch());
        if (told.error.isEmpty()) {
            events = std::make_unique<EventLog>();
            for (const SessionEvent& event : told.events) {
                events->add(event);
            }
            if (!told.note.isEmpty()) {
                notes +=
                    QStringLiteral(" %1: %2.").arg(QFileInfo(eventsPath).fileName(), told.note);
            }
        } else {
            showMessage(parent, QStringLiteral("%1 cannot be replayed: %2. The recording is "
                                               "shown without its events.")
                                    .arg(QDir::toNativeSeparators(eventsPath), told.error));
        }
    }
    auto* window = new TrendsWindow(std::move(store), std::move(events), path, notes, parent);
    window->show();
    window->refresh();
    return window;
}
