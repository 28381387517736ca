// Plots of status replies: temperatures with the cooling and heating
// set-points, TEC current, DC voltage and fan speeds, against the time of
// day, of one controller at a time, picked among those heard (the one the
// main window shows, unless the operator picks another); the session's last
// hour, live, or a replayed recording. Each line is reduced to the plot's
// width keeping every extreme; an open or shorted sensor, or a silence of
// the controller, leaves a gap. The controller's events (and the line's)
// are marks on the time axes. Dragging across a plot zooms all of them in
// time.
#pragma once

#include "app/trend_plot.h"
#include "record/trend_reduction.h"

#include <QList>
#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <utility>

class ControllerTrends;
class EventLog;
class EventsWindow;
class QComboBox;
class QLabel;
class QModelIndex;

class TrendsWindow : public QWidget {
    Q_OBJECT

public:
    // The session's trends, live, with the events of the log (none: no marks).
    TrendsWindow(const ControllerTrends& trends, EventLog* events, QWidget* parent = nullptr);
    // A recording read whole, with the events beside it if any, kept by the
    // window, which deletes itself when closed; the note says what of the
    // files was left out.
    TrendsWindow(std::unique_ptr<ControllerTrends> replay, std::unique_ptr<EventLog> events,
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
    // The operator picked the controller at this place of the list.
    void Controller_Combo_Activated(int index);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    struct Line {
        qsizetype plot;
        qsizetype index; // in its plot
        TrendValue value;
    };
    struct Told {
        qint64 time;
        std::uint8_t address;
        TrendPlot::Mark mark;
    };

    void build(const QString& shown);
    void addPlot(const QString& title, const QString& unit);
    void addLine(const QString& name, QColor colour, bool setPoint, TrendValue value);
    void listControllers();
    void zoomed(qint64 from, qint64 to);
    void eventsAdded(const QModelIndex& parent, int first, int last);

    std::unique_ptr<ControllerTrends> m_replay;
    std::unique_ptr<EventLog> m_replayEvents;
    const ControllerTrends& m_trends;
    EventLog* m_events;
    QString m_name; // of the replayed file
    QLabel* m_shown = nullptr;
    QComboBox* m_picker = nullptr;
    QList<TrendPlot*> m_plots;
    QList<Line> m_lines;
    std::deque<Told> m_told; // the events as marks, oldest first
    std::uint8_t m_picked = 0;
    std::uint8_t m_followed = 0; // as last seen: a switch picks the new one
    // The span chosen by zooming; none: all there is (the last hour, live).
    std::optional<std::pair<qint64, qint64>> m_zoom;
    bool m_refreshPending = false;
    QPointer<EventsWindow> m_eventsWindow;
};
