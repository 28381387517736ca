#include "app/trends_window.h"

#include <QChart>
#include <QChartView>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QGridLayout>
#include <QLegendMarker>
#include <QLineSeries>
#include <QTimer>
#include <QValueAxis>

#include <algorithm>

namespace {

constexpr qint64 kShortestSpanMs = 60 * 1000;

} // namespace

TrendsWindow::TrendsWindow(const TrendStore& store, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_store(store) {
    setObjectName(QStringLiteral("TrendsWindow"));
    setWindowTitle(QStringLiteral("Trends — Brisco_v20E"));
    addPlot(QStringLiteral("Temperatures"), QStringLiteral("°C"));
    addLine(QStringLiteral("Inner"), QColor(0xd62728), false,
            [](const TrendSample& s) { return s.innerTemp; });
    addLine(QStringLiteral("Outer"), QColor(0x1f77b4), false,
            [](const TrendSample& s) { return s.outerTemp; });
    addLine(QStringLiteral("Control"), QColor(0x2ca02c), false,
            [](const TrendSample& s) { return std::optional(s.controlTemp); });
    addLine(QStringLiteral("Cooling start"), QColor(0x1f77b4), true,
            [](const TrendSample& s) { return std::optional(s.coolStart); });
    addLine(QStringLiteral("Cooling stop"), QColor(0x9ecae1), true,
            [](const TrendSample& s) { return std::optional(s.coolStop); });
    addLine(QStringLiteral("Heating start"), QColor(0xd62728), true,
            [](const TrendSample& s) { return std::optional(s.heatStart); });
    addLine(QStringLiteral("Heating stop"), QColor(0xfc9272), true,
            [](const TrendSample& s) { return std::optional(s.heatStop); });
    addPlot(QStringLiteral("TEC current"), QStringLiteral("A"));
    addLine(QStringLiteral("TEC current"), QColor(0x9467bd), false,
            [](const TrendSample& s) { return std::optional(s.tecCurrent); });
    addPlot(QStringLiteral("DC voltage"), QStringLiteral("V"));
    addLine(QStringLiteral("DC voltage"), QColor(0x8c564b), false,
            [](const TrendSample& s) { return std::optional(s.dcVoltage); });
    addPlot(QStringLiteral("Fan speeds"), QStringLiteral("units"));
    addLine(QStringLiteral("Inner fan"), QColor(0xff7f0e), false,
            [](const TrendSample& s) { return std::optional<double>(s.innerFan); });
    addLine(QStringLiteral("Outer fan"), QColor(0x17becf), false,
            [](const TrendSample& s) { return std::optional<double>(s.outerFan); });

    // The temperatures across the top, the rest side by side below.
    auto* grid = new QGridLayout(this);
    for (qsizetype i = 0; i < m_plots.size(); ++i) {
        auto* view = new QChartView(m_plots[i].chart);
        view->setRenderHint(QPainter::Antialiasing);
        view->setMinimumSize(i == 0 ? QSize(900, 280) : QSize(300, 240));
        if (i == 0) {
            grid->addWidget(view, 0, 0, 1, int(m_plots.size() - 1));
        } else {
            grid->addWidget(view, 1, int(i - 1));
        }
    }
}

void TrendsWindow::addPlot(const QString& title, const QString& unit) {
    auto* chart = new QChart;
    chart->setTitle(title);
    chart->legend()->setAlignment(Qt::AlignBottom);
    auto* time = new QDateTimeAxis;
    time->setTitleText(QStringLiteral("Time"));
    time->setFormat(QStringLiteral("HH:mm:ss"));
    // Room for five times of day across the wide plot, three on the others.
    time->setTickCount(m_plots.isEmpty() ? 5 : 3);
    auto* value = new QValueAxis;
    value->setTitleText(unit);
    chart->addAxis(time, Qt::AlignBottom);
    chart->addAxis(value, Qt::AlignLeft);
    m_plots.append({chart, time, value});
}

void TrendsWindow::addLine(const QString& name, QColor colour, bool reference,
                           std::function<std::optional<double>(const TrendSample&)> value) {
    QPen pen(colour, reference ? 1.0 : 2.0, reference ? Qt::DashLine : Qt::SolidLine);
    m_lines.append({int(m_plots.size() - 1), name, std::move(value), pen, {}});
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

// Every line is drawn from runs of consecutive samples: the mean of each
// run, or a gap where a run holds a sample without a value.
void TrendsWindow::refresh() {
    m_refreshPending = false;
    const auto& samples = m_store.samples();
    if (samples.empty()) {
        return;
    }
    const qsizetype count = qsizetype(samples.size());
    const qsizetype run = (count + kMostPoints - 1) / kMostPoints;
    QList<std::pair<double, double>> ranges(m_plots.size(), {0.0, 0.0});
    QList<bool> any(m_plots.size(), false);
    for (Line& line : m_lines) {
        QList<QList<QPointF>> stretches{QList<QPointF>()};
        for (qsizetype first = 0; first < count; first += run) {
            const qsizetype end = std::min(count, first + run);
            double sum = 0;
            bool gap = false;
            for (qsizetype i = first; i < end && !gap; ++i) {
                const std::optional<double> value = line.value(samples[std::size_t(i)]);
                gap = !value;
                sum += value.value_or(0);
            }
            if (gap) {
                if (!stretches.last().isEmpty()) {
                    stretches.append(QList<QPointF>());
                }
                continue;
            }
            const double mean = sum / double(end - first);
            stretches.last().append(QPointF(double(samples[std::size_t(end - 1)].time), mean));
            auto& [low, high] = ranges[line.plot];
            low = any[line.plot] ? std::min(low, mean) : mean;
            high = any[line.plot] ? std::max(high, mean) : mean;
            any[line.plot] = true;
        }
        for (qsizetype i = 0; i < std::max(stretches.size(), line.segments.size()); ++i) {
            segment(line, i)->replace(i < stretches.size() ? stretches[i] : QList<QPointF>());
        }
    }
    const qint64 last = samples.back().time;
    for (qsizetype i = 0; i < m_plots.size(); ++i) {
        const Plot& plot = m_plots[i];
        plot.time->setRange(
            QDateTime::fromMSecsSinceEpoch(std::min(samples.front().time, last - kShortestSpanMs)),
            QDateTime::fromMSecsSinceEpoch(last));
        const auto [low, high] = ranges[i];
        const double margin = std::max(1.0, (high - low) * 0.1);
        // Values that are never negative keep the axis at zero or above.
        plot.value->setRange(low >= 0 ? std::max(0.0, low - margin) : low - margin,
                             high + margin);
        plot.value->applyNiceNumbers();
    }
}
