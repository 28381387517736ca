#include "record/trend_reduction.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

// A step of so many tolerances cannot be straightened away.
constexpr double kBandStep = 3;

// The lowest and highest value of one column, each with its sample's
// place, which orders them (two samples may share a millisecond).
class Column {
public:
    void take(std::size_t place, qint64 time, double value) {
        if (!m_low || value < m_low->point.y()) {
            m_low = Extreme{place, QPointF(double(time), value)};
        }
        if (!m_high || value > m_high->point.y()) {
            m_high = Extreme{place, QPointF(double(time), value)};
        }
    }

    void flushTo(QList<QPointF>& points) {
        if (!m_low) {
            return;
        }
        if (m_low->place == m_high->place) {
            points << m_low->point;
        } else if (m_low->place < m_high->place) {
            points << m_low->point << m_high->point;
        } else {
            points << m_high->point << m_low->point;
        }
        m_low.reset();
        m_high.reset();
    }

private:
    struct Extreme {
        std::size_t place;
        QPointF point;
    };
    std::optional<Extreme> m_low;
    std::optional<Extreme> m_high;
};

} // namespace

QList<QList<QPointF>> reduceToColumns(const std::deque<TrendSample>& samples, TrendValue value,
                                      qint64 from, qint64 to, int columns) {
    const auto byTime = [](const TrendSample& sample, qint64 time) {
        return sample.time < time;
    };
    auto first = std::lower_bound(samples.begin(), samples.end(), from, byTime);
    auto last = std::lower_bound(first, samples.end(), to + 1, byTime);
    first = first == samples.begin() ? first : first - 1;
    last = last == samples.end() ? last : last + 1;

    const qint64 span = std::max<qint64>(1, to - from);
    QList<QList<QPointF>> stretches;
    QList<QPointF> points;
    Column column;
    qint64 columnNo = LLONG_MIN;
    qint64 brokenIn = LLONG_MIN; // the column where the line broke last
    bool gap = false;            // since the last sample taken
    for (auto sample = first; sample != last; ++sample) {
        const std::optional<double> y = value(*sample);
        gap = gap || sample->afterGap || !y;
        if (!y) {
            continue;
        }
        // Before and after the span each sample is a column of its own.
        const qint64 t = sample->time;
        const qint64 no = t < from ? -1 - (from - t)
                          : t > to ? columns + (t - to)
                                   : std::min<qint64>((t - from) * columns / span, columns - 1);
        // Once per column at most: a second gap in it is narrower than a
        // pixel, and a sensor that flaps costs no more than a column's worth.
        if (gap && no != brokenIn) {
            column.flushTo(points);
            columnNo = LLONG_MIN;
            if (!points.isEmpty()) {
                stretches << std::exchange(points, {});
                brokenIn = no;
            }
        }
        gap = false;
        if (no != columnNo) {
            column.flushTo(points);
            columnNo = no;
        }
        column.take(std::size_t(sample - samples.begin()), t, *y);
    }
    column.flushTo(points);
    if (!points.isEmpty()) {
        stretches << points;
    }
    return stretches;
}

void dropStraightRuns(QList<QPointF>& stretch, double tolerance) {
    if (stretch.size() < 3) {
        return;
    }
    // A band: few points would go, at a cost that grows with the square of them.
    qsizetype steep = 0;
    for (qsizetype i = 1; i < stretch.size(); ++i) {
        steep += std::abs(stretch[i].y() - stretch[i - 1].y()) > kBandStep * tolerance;
    }
    if (steep > stretch.size() / 2) {
        return;
    }
    QList<bool> keep(stretch.size(), false);
    keep.first() = keep.last() = true;
    QList<std::pair<qsizetype, qsizetype>> spans{{0, stretch.size() - 1}};
    while (!spans.isEmpty()) {
        const auto [first, last] = spans.takeLast();
        const QPointF a = stretch[first];
        const QPointF b = stretch[last];
        qsizetype furthest = -1;
        double most = tolerance;
        for (qsizetype i = first + 1; i < last; ++i) {
            const double along = b.x() == a.x() ? 0.5 : (stretch[i].x() - a.x()) / (b.x() - a.x());
            const double off = std::abs(stretch[i].y() - (a.y() + along * (b.y() - a.y())));
            if (off > most) {
                most = off;
                furthest = i;
            }
        }
        if (furthest >= 0) {
            keep[furthest] = true;
            spans << std::pair(first, furthest) << std::pair(furthest, last);
        }
    }
    qsizetype kept = 0;
    for (qsizetype i = 0; i < stretch.size(); ++i) {
        if (keep[i]) {
            stretch[kept++] = stretch[i];
        }
    }
    stretch.resize(kept);
}
