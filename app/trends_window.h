// Plots of status replies: temperatures with the cooling and heating
// set-points, TEC current, DC voltage and fan speeds, against the time of
// day; the session's last hour, live, or a replayed recording. Each line is
// reduced to the plot's width keeping every extreme; an open or shorted
// sensor leaves a gap. Dragging across a plot zooms all of them in time.
#pragma once

#include "record/trend_reduction.h"

#include <QList>
#include <QPen>
#include <QPointer>
#include <QWidget>

#include <memory>
#include <optional>
#include <utility>

class EventLog;
class EventsWindow;
class QChart;
class QChartView;
class QDateTimeAxis;
class QLabel;
class QLineSeries;
class QValueAxis;

class TrendsWindow : public QWidget {
    Q_OBJECT

public:
    // The session's trends, live.
    explicit TrendsWindow(const TrendStore& store, QWidget* parent = nullptr);
    // A recording read whole, with the events beside it if any, kept by the
    // window, which deletes itself when closed; the note says what of the
    // files was left out.
    TrendsWindow(std::unique_ptr<TrendStore> replay, std::unique_ptr<EventLog> events,
                 const QString& path, const QString& note = {}, QWidget* parent = nullptr);
    ~TrendsWindow() override;

    // A window replaying the recording at path, shown; nullptr, with the
    // operator told what is wrong with the file, when it cannot be replayed.
    static TrendsWindow* openRecording(const QString& path, QWidget* parent);

    // Draws what the store holds now.
    void refresh();
    // The same, once the event loop is free (many calls, one refresh).
    void refreshSoon();

    void Open_Command_Click();
    void SavePicture_Command_Click();
    void WholeSpan_Command_Click();
    void Events_Command_Click();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Plot {
        QChart* chart;
        QDateTimeAxis* time;
        QValueAxis* value;
        QChartView* view = nullptr;
    };
    struct Line {
        int plot;
        QString name;
        TrendValue value;
        QPen pen;
        QList<QLineSeries*> segments; // one per stretch without a gap
    };

    void build(const QString& shown, bool withEvents);
    void addPlot(const QString& title, const QString& unit);
    void addLine(const QString& name, QColor colour, bool setPoint, TrendValue value);
    QLineSeries* segment(Line& line, qsizetype index);
    void zoomed(const QDateTime& from, const QDateTime& to);
    std::pair<qint64, qint64> span() const;

    std::unique_ptr<TrendStore> m_replay;
    std::unique_ptr<EventLog> m_events;
    QString m_name; // of the replayed file
    const TrendStore& m_store;
    QLabel* m_shown = nullptr;
    QList<Plot> m_plots;
    QList<Line> m_lines;
    // The span chosen by zooming; none: all there is (the last hour, live).
    std::optional<std::pair<qint64, qint64>> m_zoom;
    bool m_settingRanges = false;
    bool m_refreshPending = false;
    QPointer<EventsWindow> m_eventsWindow;
};
