// Live plots of this session's status replies: temperatures with the
// cooling and heating set-points, TEC current, DC voltage and fan speeds,
// against the time of day. An open or shorted sensor leaves a gap.
#pragma once

#include "record/trend_store.h"

#include <QList>
#include <QPen>
#include <QWidget>

#include <functional>
#include <optional>

class QChart;
class QLineSeries;
class QDateTimeAxis;
class QValueAxis;

class TrendsWindow : public QWidget {
    Q_OBJECT

public:
    TrendsWindow(const TrendStore& store, QWidget* parent = nullptr);

    // Draws what the store holds now.
    void refresh();
    // The same, once the event loop is free (many calls, one refresh).
    void refreshSoon();

private:
    struct Plot {
        QChart* chart;
        QDateTimeAxis* time;
        QValueAxis* value;
    };
    struct Line {
        int plot;
        QString name;
        std::function<std::optional<double>(const TrendSample&)> value;
        QPen pen;
        QList<QLineSeries*> segments; // one per stretch without a gap
    };

    void addPlot(const QString& title, const QString& unit);
    void addLine(const QString& name, QColor colour, bool reference,
                 std::function<std::optional<double>(const TrendSample&)> value);
    QLineSeries* segment(Line& line, qsizetype index);

    const TrendStore& m_store;
    QList<Plot> m_plots;
    QList<Line> m_lines;
    // A plot is some hundred pixels wide: more points than this per line
    // would cost drawing time and show nothing more.
    static constexpr qsizetype kMostPoints = 480;
    bool m_refreshPending = false;
};
