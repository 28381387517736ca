// One plotted line reduced to the plot's width: in every pixel column the
// lowest and the highest value that fall into it, in the order they came.
// The drawn line so passes through every extreme, and a spike of a single
// sample stays visible whatever the span shown. Then the points that lie on
// the line between their neighbours, to within a fraction of a pixel, go:
// a flat or slowly moving line needs a few points, not two in every column.
#pragma once

#include "record/trend_store.h"

#include <QList>
#include <QPointF>

#include <deque>
#include <optional>

// The value of a line in a sample; nothing where the sensor had a fault.
using TrendValue = std::optional<double> (*)(const TrendSample&);

// The samples from `from` to `to` (milliseconds since the epoch) in `columns`
// columns, as stretches of points (x the time): a sample without a value, or
// a gap in the replies, ends a stretch, once per column at most, so that
// there are never more stretches than columns and two. The sample just
// before `from` and the one just after `to` come along, so that the line
// runs to the plot's edges.
QList<QList<QPointF>> reduceToColumns(const std::deque<TrendSample>& samples, TrendValue value,
                                      qint64 from, qint64 to, int columns);

// Drops the points whose value lies within tolerance of the straight line
// through the points kept on either side (Ramer, Douglas and Peucker, by
// value): every point further off than that stays, the first and last too.
// A stretch that jumps by more than three tolerances at most of its steps is
// a band, drawn column by column: it stays whole.
void dropStraightRuns(QList<QPointF>& stretch, double tolerance);
