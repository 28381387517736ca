// One plot of the trends window: a title, the time of day across, a value
// axis with round numbers, lines drawn from stretches of points, a legend,
// and the events of the controller as marks on the time axis. Painted here:
// a line whose points fill their pixel columns is drawn a column at a time,
// the others segment by segment, so that a redraw costs what the pixels
// cost, however the values jump. Dragging across the plot asks for that
// span; a right click for twice the span shown.
#pragma once

#include <QHash>
#include <QImage>
#include <QList>
#include <QPen>
#include <QPointF>
#include <QStaticText>
#include <QWidget>

#include <optional>
#include <utility>

class EventMark;
class QRubberBand;

class TrendPlot : public QWidget {
    Q_OBJECT

public:
    struct Line {
        QString name;
        QPen pen; // dashed for a set-point
        // x the time in milliseconds since the epoch, y the value.
        QList<QList<QPointF>> stretches;
    };
    // The more pressing kinds come later: a mark for several events is in
    // the colour of the most pressing.
    enum class Kind { Other, Write, Alarm };
    struct Mark {
        qint64 time;
        QString text; // what happened, as the tip says it
        Kind kind;
    };

    // timeTicks: how many times of day the axis names, its ends included.
    // Every plot marks the moments of the events across it; the one that
    // tells them has the marks that show what they were, the others only
    // the lines (one set of marks is read out, not one a plot).
    TrendPlot(const QString& title, const QString& unit, int timeTicks, bool tellsEvents,
              QWidget* parent = nullptr);

    void addLine(const QString& name, const QPen& pen);
    void setStretches(qsizetype line, QList<QList<QPointF>> stretches);
    // The span of time shown and the values; the value axis widens to
    // round numbers.
    void setRanges(qint64 from, qint64 to, double low, double high);
    // In the order of time.
    void setMarks(QList<Mark> marks);

    const QList<Line>& lines() const { return m_lines; }
    std::pair<qint64, qint64> timeSpan() const { return {m_from, m_to}; }
    // Where the lines are drawn, in the widget.
    QRectF plotArea() const { return m_area; }

signals:
    void zoomRequested(qint64 from, qint64 to);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void paintLine(QPainter& painter, const Line& line, QPoint origin);
    void fillColumn(int column, double top, double bottom, const QColor& colour, QPoint origin);
    void paintLegend(QPainter& painter, const QRectF& area);
    void drawText(QPainter& painter, QPointF at, Qt::Alignment alignment, const QString& text);
    QRectF legendArea() const;
    double xOf(double time) const;
    double yOf(double value) const;
    qint64 timeAt(double x) const;
    void relayout();
    void placeMarks();

    QString m_title;
    QString m_unit;
    int m_timeTicks;
    bool m_tellsEvents;
    QList<Line> m_lines;
    qint64 m_from = 0;
    qint64 m_to = 60 * 1000;
    double m_low = 0;
    double m_high = 1;
    double m_step = 0.25; // between the value axis's ticks
    QRectF m_area;
    QImage m_layer; // the lines, painted over the grid
    QHash<QString, QStaticText> m_texts;
    QList<Mark> m_marks;
    QList<EventMark*> m_markWidgets;             // as many as the marks need, the rest hidden
    QList<std::pair<double, Kind>> m_markPlaces; // x of each mark shown
    QRubberBand* m_band = nullptr;
    std::optional<double> m_dragFrom; // x where a drag began
};
