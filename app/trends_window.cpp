#include "app/trends_window.h"

#include "app/events_window.h"
#include "record/controller_trends.h"
#include "record/event_csv.h"
#include "record/event_log.h"
#include "record/session_log.h"
#include "record/shown_time.h"
#include "record/status_csv.h"
#include "widgets/file_places.h"
#include "widgets/message_box.h"

#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kFewestColumns = 16;

QString localTime(qint64 msecs) {
    return shownTime(QDateTime::fromMSecsSinceEpoch(msecs));
}

QPushButton* button(const char* name, const QString& caption) {
    auto* button = new QPushButton(caption);
    button->setObjectName(QString::fromLatin1(name));
    button->setAccessibleDescription(button->objectName());
    return button;
}

// An event as its mark tells it: a lamp turning red, the link silent or the
// port lost are alarms; a value sent is a write.
TrendPlot::Mark markOf(const SessionEvent& event) {
    auto kind = TrendPlot::Kind::Other;
    if (event.what.startsWith(QLatin1String("Sent"))) {
        kind = TrendPlot::Kind::Write;
    }
    if (event.to == QLatin1String("red") || event.to.startsWith(QLatin1String("no reply")) ||
        event.to.startsWith(QLatin1String("lost"))) {
        kind = TrendPlot::Kind::Alarm;
    }
    const QString change =
        event.from.isEmpty() ? event.to : event.from + QStringLiteral(" → ") + event.to;
    return {
        event.at.toMSecsSinceEpoch(),
        QStringLiteral("%1  %2: %3")
            .arg(QLocale::c().toString(event.at, QStringLiteral("HH:mm:ss")), event.what, change),
        kind};
}

} // namespace

TrendsWindow::TrendsWindow(const ControllerTrends& trends, EventLog* events, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_trends(trends)
    , m_events(events) {
    setObjectName(QStringLiteral("TrendsWindow"));
    setWindowTitle(QStringLiteral("Trends — Brisco_v20E"));
    build(QStringLiteral("The last hour of this session, live."));
    // The time axis ends with the latest reply of any controller: one
    // that falls silent shows it.
    connect(&m_trends, &ControllerTrends::appended, this, &TrendsWindow::refreshSoon);
}

TrendsWindow::TrendsWindow(std::unique_ptr<ControllerTrends> replay,
                           std::unique_ptr<EventLog> events, const QString& path,
                           const QString& note, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_replay(std::move(replay))
    , m_replayEvents(std::move(events))
    , m_trends(*m_replay)
    , m_events(m_replayEvents.get())
    , m_name(QFileInfo(path).fileName()) {
    setObjectName(QStringLiteral("ReplayWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(m_name + QStringLiteral(" — Trends — Brisco_v20E"));
    std::size_t replies = 0;
    qint64 first = std::numeric_limits<qint64>::max();
    qint64 last = std::numeric_limits<qint64>::min();
    for (const auto& [address, controller] : m_trends.controllers()) {
        const auto& samples = controller.store.samples();
        replies += samples.size();
        first = std::min(first, samples.front().time);
        last = std::max(last, samples.back().time);
    }
    build(QStringLiteral("%1: %2 replies from %3 to %4 (%5).%6")
              .arg(m_name)
              .arg(replies)
              .arg(localTime(first), localTime(last), shownZone(), note));
}

TrendsWindow::~TrendsWindow() = default;

void TrendsWindow::build(const QString& shown) {
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
    auto* pick = new QLabel(QStringLiteral("Controller"));
    pick->setObjectName(QStringLiteral("Controller_Label"));
    pick->setAccessibleDescription(pick->objectName());
    m_picker = new QComboBox;
    m_picker->setObjectName(QStringLiteral("Controller_Combo"));
    m_picker->setAccessibleDescription(m_picker->objectName());
    m_picker->setAccessibleName(QStringLiteral("Controller"));
    m_picker->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    pick->setBuddy(m_picker);
    QPushButton* open = button("Open_Command", QStringLiteral("Open recording…"));
    QPushButton* save = button("SavePicture_Command", QStringLiteral("Save picture…"));
    QPushButton* whole = button("WholeSpan_Command", QStringLiteral("Whole span"));
    m_shown = new QLabel(shown + QStringLiteral(" Drag across a plot to zoom in."));
    m_shown->setObjectName(QStringLiteral("Trends_Text"));
    m_shown->setAccessibleDescription(m_shown->objectName());
    m_shown->setTextInteractionFlags(Qt::TextSelectableByMouse);
    for (QWidget* widget : std::initializer_list<QWidget*>{pick, m_picker, open, save, whole}) {
        tools->addWidget(widget);
    }
    if (m_replayEvents) {
        QPushButton* events = button("Events_Command", QStringLiteral("Events"));
        tools->addWidget(events);
        connect(events, &QPushButton::clicked, this, &TrendsWindow::Events_Command_Click);
    }
    tools->addWidget(m_shown);
    tools->addStretch();
    connect(m_picker, &QComboBox::activated, this, &TrendsWindow::Controller_Combo_Activated);
    connect(open, &QPushButton::clicked, this, &TrendsWindow::Open_Command_Click);
    connect(save, &QPushButton::clicked, this, &TrendsWindow::SavePicture_Command_Click);
    connect(whole, &QPushButton::clicked, this, &TrendsWindow::WholeSpan_Command_Click);

    // The temperatures across the top, the rest side by side below.
    auto* grid = new QGridLayout(this);
    const int below = int(m_plots.size() - 1);
    grid->addLayout(tools, 0, 0, 1, below);
    for (qsizetype i = 0; i < m_plots.size(); ++i) {
        m_plots[i]->setMinimumSize(i == 0 ? QSize(900, 300) : QSize(300, 250));
        if (i == 0) {
            grid->addWidget(m_plots[i], 1, 0, 1, below);
        } else {
            grid->addWidget(m_plots[i], 2, int(i - 1));
        }
        connect(m_plots[i], &TrendPlot::zoomRequested, this, &TrendsWindow::zoomed);
    }

    if (m_events) {
        eventsAdded({}, 0, m_events->rowCount() - 1);
        connect(m_events, &EventLog::rowsInserted, this, &TrendsWindow::eventsAdded);
    }
    listControllers();
    connect(&m_trends, &ControllerTrends::controllersChanged, this, [this] {
        listControllers();
        refreshSoon();
    });
}

void TrendsWindow::addPlot(const QString& title, const QString& unit) {
    // Room for five times of day across the wide plot, three on the others;
    // the wide one tells the events.
    m_plots.append(new TrendPlot(title, unit, m_plots.isEmpty() ? 5 : 3, m_plots.isEmpty()));
}

void TrendsWindow::addLine(const QString& name, QColor colour, bool setPoint, TrendValue value) {
    TrendPlot* plot = m_plots.last();
    m_lines.append({m_plots.size() - 1, plot->lines().size(), value});
    plot->addLine(name, QPen(colour, 2.0, setPoint ? Qt::DashLine : Qt::SolidLine));
}

// Rows first..last of the log are new (row 0 the newest); the oldest went
// when it was full.
void TrendsWindow::eventsAdded(const QModelIndex&, int first, int last) {
    for (int row = last; row >= first; --row) {
        const SessionEvent& event = m_events->at(row);
        m_told.push_back({event.at.toMSecsSinceEpoch(), event.address, markOf(event)});
    }
    while (m_told.size() > std::size_t(m_events->rowCount())) {
        m_told.pop_front();
    }
    refreshSoon();
}

// The controllers heard, by address; the main window's own is picked when
// it shows another, the first when the one picked is not there.
void TrendsWindow::listControllers() {
    const std::uint8_t followed = m_trends.followed();
    if (followed != m_followed && m_trends.find(followed)) {
        m_picked = followed;
    }
    m_followed = followed;
    const auto& controllers = m_trends.controllers();
    if (!m_trends.find(m_picked) && !controllers.empty()) {
        m_picked = controllers.begin()->first;
    }
    const QSignalBlocker quiet(m_picker);
    m_picker->clear();
    for (const auto& [address, controller] : controllers) {
        QString text = address == 0 ? QStringLiteral("The recorded controller")
                                    : QStringLiteral("Controller %1").arg(address);
        if (!controller.model.isEmpty()) {
            text += QStringLiteral(" · ") + controller.model;
        }
        if (!m_replay && address == followed) {
            text += QStringLiteral(" (main window)");
        }
        m_picker->addItem(text, address);
    }
    m_picker->setCurrentIndex(m_picker->findData(m_picked));
}

void TrendsWindow::Controller_Combo_Activated(int index) {
    m_picked = std::uint8_t(m_picker->itemData(index).toUInt());
    refresh();
}

// A window closed waits until it is shown again.
void TrendsWindow::refreshSoon() {
    if (isVisible() && !m_refreshPending) {
        m_refreshPending = true;
        QTimer::singleShot(0, this, &TrendsWindow::refresh);
    }
}

void TrendsWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    refreshSoon(); // the plots have other widths now
}

void TrendsWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    refreshSoon();
}

// A drag across a plot, or a right click, chose this span: all plots show
// it, reduced anew.
void TrendsWindow::zoomed(qint64 from, qint64 to) {
    m_zoom = {from, to};
    refreshSoon();
}

void TrendsWindow::Events_Command_Click() {
    if (!m_eventsWindow) {
        m_eventsWindow =
            new EventsWindow(m_events,
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

void TrendsWindow::refresh() {
    m_refreshPending = false;
    if (m_trends.empty()) {
        return;
    }
    const auto [from, to] = m_zoom.value_or(m_trends.wholeSpan());
    static const std::deque<TrendSample> none;
    const TrendStore* store = m_trends.find(m_picked);
    const std::deque<TrendSample>& samples = store ? store->samples() : none;
    // Each line to its plot's width, then the plot's value range from what
    // falls into the span shown.
    QList<QList<QList<QPointF>>> reduced;
    QList<std::pair<double, double>> ranges(m_plots.size(), {INFINITY, -INFINITY});
    for (const Line& line : std::as_const(m_lines)) {
        const int columns = std::max(kFewestColumns, int(m_plots[line.plot]->plotArea().width()));
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
    for (qsizetype l = 0; l < m_lines.size(); ++l) {
        const Line& line = m_lines[l];
        const auto [low, high] = ranges[line.plot];
        // Before the first layout no pixel is known: nothing goes.
        const double pixels =
            m_plots[line.plot]->isVisible() ? m_plots[line.plot]->plotArea().height() : 0;
        for (QList<QPointF>& stretch : reduced[l]) {
            dropStraightRuns(stretch, pixels >= 1 ? (high - low) / pixels / 3 : 0);
        }
        m_plots[line.plot]->setStretches(line.index, std::move(reduced[l]));
    }
    // The marks of the controller's events and of the line's.
    QList<TrendPlot::Mark> marks;
    for (const Told& told : m_told) {
        if ((told.address == 0 || told.address == m_picked) && told.time >= from &&
            told.time <= to) {
            marks << told.mark;
        }
    }
    std::stable_sort(marks.begin(), marks.end(),
                     [](const auto& a, const auto& b) { return a.time < b.time; });
    for (qsizetype i = 0; i < m_plots.size(); ++i) {
        m_plots[i]->setRanges(from, to, ranges[i].first, ranges[i].second);
        m_plots[i]->setMarks(marks);
    }
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
    auto trends = std::make_unique<ControllerTrends>(ControllerTrends::Bounds::Whole);
    for (const StatusCsv::Row& row : replay.rows) {
        trends->append(row.address, row.model, row.msecs, row.values);
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
    auto* window = new TrendsWindow(std::move(trends), std::move(events), path, notes, parent);
    window->show();
    window->refresh();
    return window;
}
