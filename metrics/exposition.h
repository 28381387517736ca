// A snapshot in the text exposition format of Prometheus, version 0.0.4.
#pragma once

#include "metrics/metrics_snapshot.h"

#include <QByteArray>

namespace brisco::metrics {

inline constexpr char kExpositionContentType[] = "text/plain; version=0.0.4; charset=utf-8";

// Every family with its HELP and TYPE, lines in name order, controllers by
// line and address: the same snapshot always gives the same bytes. A value
// that is not known (a sensor at fault, a controller never heard) has no
// sample at all.
QByteArray exposition(const Snapshot& snapshot);

} // namespace brisco::metrics
