#include "app/trend_plot.h"

#include "app/event_mark.h"

#include <QDateTime>
#include <QMouseEvent>
#include <QPainter>
#include <QRubberBand>
#include <QStaticText>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kMargin = 9;   // around the white card
constexpr double kPadding = 12; // inside it
constexpr double kGap = 5;
constexpr double kRadius = 5; // of the card's corners
// About so many steps between round values up the value axis.
constexpr double kValueSteps = 5;
// Texts whose layout is kept, at most.
constexpr qsizetype kMostTexts = 200;
constexpr double kLegendMarker = 24;
constexpr double kLegendSpacing = 14;
// Events closer than this on the axis share one mark.
constexpr double kMarkSpread = EventMark::kWidth - 3;
// So many events a mark's tip tells; the others are counted.
constexpr int kMostTold = 12;
// A stretch with more points than this for every pixel it spans fills its
// columns: it is drawn a column at a time.
constexpr double kDense = 1.2;
// A dashed line of more points than this is drawn segment by segment.
constexpr qsizetype kMostDashedPoints = 100;
const QColor kMarkColours[] = {QColor(0x7f7f7f), QColor(0x1f77b4), QColor(0xd62728)};
const QColor kCard(0xffffff);
const QColor kGrid(0xe4e4e4);
const QColor kAxis(0xb0b0b0);
const QColor kText(0x404040);

QString timeFormat(qint64 spanMs) {
    if (spanMs <= 10 * 60 * 1000) {
        return QStringLiteral("HH:mm:ss");
    }
    return spanMs <= 2 * 86'400'000 ? QStringLiteral("HH:mm") : QStringLiteral("MM-dd HH:mm");
}

// 1, 2 or 5 times a power of ten, the smallest not below step.
double roundStep(double step) {
    const double power = std::pow(10.0, std::floor(std::log10(step)));
    for (const double factor : {1.0, 2.0, 5.0}) {
        if (factor * power >= step * (1 - 1e-9)) {
            return factor * power;
        }
    }
    return 10 * power;
}

QString valueText(double value) {
    return QString::number(std::abs(value) < 1e-12 ? 0.0 : value, 'g', 6);
}

} // namespace

TrendPlot::TrendPlot(const QString& title, const QString& unit, int timeTicks, bool tellsEvents,
                     QWidget* parent)
    : QWidget(parent)
    , m_title(title)
    , m_unit(unit)
    , m_timeTicks(std::max(2, timeTicks))
    , m_tellsEvents(tellsEvents) {
    setObjectName(QString(title).replace(u' ', u'_') + QStringLiteral("_Chart"));
    setAccessibleDescription(objectName());
    setAccessibleName(title + QStringLiteral(" plot"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    relayout();
}

void TrendPlot::addLine(const QString& name, const QPen& pen) {
    m_lines.append({name, pen, {}});
    relayout();
}

void TrendPlot::setStretches(qsizetype line, QList<QList<QPointF>> stretches) {
    m_lines[line].stretches = std::move(stretches);
    update();
}

void TrendPlot::setRanges(qint64 from, qint64 to, double low, double high) {
    m_from = from;
    m_to = std::max(to, from + 1);
    m_step = roundStep(std::max(high - low, 1e-9) / kValueSteps);
    m_low = std::floor(low / m_step) * m_step;
    m_high = std::max(std::ceil(high / m_step) * m_step, m_low + m_step);
    relayout();
    update();
}

void TrendPlot::setMarks(QList<Mark> marks) {
    m_marks = std::move(marks);
    placeMarks();
    update();
}

QRectF TrendPlot::legendArea() const {
    const QFontMetricsF metrics(font());
    const double width = this->width() - 2 * (kMargin + kPadding);
    double x = 0;
    int rows = 1;
    for (const Line& line : m_lines) {
        const double entry = kLegendMarker + kGap + metrics.horizontalAdvance(line.name);
        if (x > 0 && x + entry > width) {
            ++rows;
            x = 0;
        }
        x += entry + kLegendSpacing;
    }
    const double height = rows * (metrics.height() + 4);
    return {kMargin + kPadding, this->height() - kMargin - kPadding - height, width, height};
}

// The plot's place depends on the size, the font, the legend and the widest value.
void TrendPlot::relayout() {
    const QFontMetricsF metrics(font());
    double labels = 0;
    for (double value = m_low; value <= m_high + m_step / 2; value += m_step) {
        labels = std::max(labels, metrics.horizontalAdvance(valueText(value)));
    }
    const double left = kMargin + kPadding + metrics.height() + kGap + labels + kGap;
    const double top = kMargin + kPadding + metrics.height() + kGap + EventMark::kHeight + 1;
    const double right =
        width() - kMargin - kPadding - metrics.horizontalAdvance(QStringLiteral("00:00:00")) / 2;
    const double bottom = legendArea().top() - 2 * kGap - 2 * metrics.height() - kGap;
    m_area =
        QRectF(QPointF(left, top), QPointF(std::max(left + 1, right), std::max(top + 1, bottom)));
    placeMarks();
}

double TrendPlot::xOf(double time) const {
    return m_area.left() + (time - double(m_from)) / double(m_to - m_from) * m_area.width();
}

double TrendPlot::yOf(double value) const {
    return m_area.bottom() - (value - m_low) / (m_high - m_low) * m_area.height();
}

qint64 TrendPlot::timeAt(double x) const {
    return m_from +
           qint64(std::llround((x - m_area.left()) / m_area.width() * double(m_to - m_from)));
}

void TrendPlot::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // The white card with round corners on the window's colour: its straight
    // parts filled, its corners alone smoothed, as they cost little so.
    const QRectF card = QRectF(rect()).adjusted(kMargin, kMargin, -kMargin, -kMargin);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    painter.fillRect(card.adjusted(kRadius, 0, -kRadius, 0), kCard);
    painter.fillRect(card.adjusted(0, kRadius, 0, -kRadius), kCard);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kCard);
    const QRectF centres = card.adjusted(kRadius, kRadius, -kRadius, -kRadius);
    for (const QPointF& centre :
         {centres.topLeft(), centres.topRight(), centres.bottomLeft(), centres.bottomRight()}) {
        painter.drawEllipse(centre, kRadius, kRadius);
    }
    painter.setRenderHint(QPainter::Antialiasing, false);

    const QFontMetricsF metrics(font());
    const QRectF area = plotArea();
    painter.setPen(kText);
    drawText(painter, QPointF(width() / 2.0, kMargin + kPadding), Qt::AlignHCenter, m_title);

    // The grid and the values along it.
    for (double value = m_low; value <= m_high + m_step / 2; value += m_step) {
        const double y = std::round(yOf(value));
        painter.setPen(kGrid);
        painter.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
        painter.setPen(kText);
        drawText(painter, QPointF(area.left() - kGap, y), Qt::AlignRight | Qt::AlignVCenter,
                 valueText(value));
    }
    const QString format = timeFormat(m_to - m_from);
    for (int i = 0; i < m_timeTicks; ++i) {
        const qint64 time = m_from + (m_to - m_from) * i / (m_timeTicks - 1);
        const double x = std::round(xOf(double(time)));
        painter.setPen(kGrid);
        painter.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
        painter.setPen(kText);
        drawText(painter, QPointF(x, area.bottom() + kGap), Qt::AlignHCenter,
                 QDateTime::fromMSecsSinceEpoch(time).toString(format));
    }
    painter.setPen(kAxis);
    painter.drawLine(area.bottomLeft(), area.bottomRight());
    painter.drawLine(area.bottomLeft(), area.topLeft());

    QFont bold = font();
    bold.setBold(true);
    painter.setFont(bold);
    painter.setPen(kText);
    drawText(painter, QPointF(area.center().x(), area.bottom() + 2 * kGap + metrics.height()),
             Qt::AlignHCenter, QStringLiteral("Time"));
    painter.save();
    painter.translate(kMargin + kPadding, area.center().y());
    painter.rotate(-90);
    drawText(painter, QPointF(0, 0), Qt::AlignHCenter, m_unit);
    painter.restore();
    painter.setFont(font());

    // The moments of the events, across the plot.
    for (const auto& [x, kind] : std::as_const(m_markPlaces)) {
        painter.setPen(QPen(kMarkColours[int(kind)], 1, Qt::DotLine));
        painter.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
    }

    // The lines on a layer of their own, where a band's columns are written
    // directly: they may cover much of the plot, many times over.
    const QRect target = area.adjusted(-1, -1, 1, 1).toAlignedRect();
    const qreal ratio = painter.device()->devicePixelRatioF();
    const QSize pixels = (QSizeF(target.size()) * ratio).toSize();
    if (m_layer.size() != pixels) {
        m_layer = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
    }
    m_layer.setDevicePixelRatio(ratio);
    m_layer.fill(Qt::transparent);
    {
        QPainter layer(&m_layer);
        layer.translate(-target.topLeft());
        for (const Line& line : m_lines) {
            paintLine(layer, line, target.topLeft());
        }
    }
    painter.drawImage(target.topLeft(), m_layer);
    paintLegend(painter, legendArea());
}

// Each stretch in pixels: a single point as a dot, a stretch that fills its
// columns a column at a time (the span of the line in each), the others as
// segments. One wide polyline would cost far more: its outline is computed
// whole, crossings and all.
void TrendPlot::paintLine(QPainter& painter, const Line& line, QPoint origin) {
    const QColor colour = line.pen.color();
    const double half = line.pen.widthF() / 2;
    QList<QLineF> segments;
    QList<QPointF> dots;
    for (const QList<QPointF>& stretch : line.stretches) {
        QPolygonF points;
        points.reserve(stretch.size());
        for (const QPointF& point : stretch) {
            points << QPointF(xOf(point.x()), yOf(point.y()));
        }
        if (points.size() == 1) {
            dots << points.first();
            continue;
        }
        const double pixels = points.last().x() - points.first().x();
        if (double(points.size()) > kDense * pixels + 2) {
            // The segment into a column counts for it; a jump over columns is a segment.
            int column = int(std::floor(points.first().x()));
            double low = points.first().y();
            double high = low;
            for (qsizetype i = 1; i < points.size(); ++i) {
                const QPointF& a = points[i - 1];
                const QPointF& b = points[i];
                const int next = int(std::floor(b.x()));
                if (next != column) {
                    fillColumn(column, low - half, high + half, colour, origin);
                    if (next > column + 1) {
                        segments << QLineF(a, b);
                        low = high = b.y();
                    } else {
                        low = std::min(a.y(), b.y());
                        high = std::max(a.y(), b.y());
                    }
                    column = next;
                }
                low = std::min(low, b.y());
                high = std::max(high, b.y());
            }
            fillColumn(column, low - half, high + half, colour, origin);
        } else if (line.pen.style() != Qt::SolidLine && points.size() <= kMostDashedPoints) {
            // Whole, so that the dashes run on from one segment to the next.
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setPen(line.pen);
            painter.drawPolyline(points);
        } else {
            for (qsizetype i = 1; i < points.size(); ++i) {
                segments << QLineF(points[i - 1], points[i]);
            }
        }
    }
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(line.pen);
    painter.drawLines(segments);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    // Many dots are a sensor that flaps: squares cost less than discs.
    for (const QPointF& dot : std::as_const(dots)) {
        if (dots.size() > 64) {
            painter.fillRect(QRectF(std::floor(dot.x()) - 1, std::floor(dot.y()) - 1, 3, 3),
                             colour);
        } else {
            painter.drawEllipse(dot, half + 1, half + 1);
        }
    }
}

// One pixel column of the plot from top to bottom (in the widget), written
// into the layer whose top left corner is at origin.
void TrendPlot::fillColumn(int column, double top, double bottom, const QColor& colour,
                           QPoint origin) {
    const qreal ratio = m_layer.devicePixelRatio();
    const int left = std::max(0, int(std::floor((column - origin.x()) * ratio)));
    const int right = std::min(
        m_layer.width(), std::max(left + 1, int(std::floor((column + 1 - origin.x()) * ratio))));
    const int first = std::max(0, int(std::floor((top - origin.y()) * ratio)));
    const int last = std::min(m_layer.height(), int(std::ceil((bottom - origin.y()) * ratio)));
    const QRgb pixel = colour.rgba(); // opaque: premultiplied as it is
    uchar* bits = m_layer.bits();
    const qsizetype stride = m_layer.bytesPerLine();
    for (int y = first; y < last; ++y) {
        auto* row = reinterpret_cast<QRgb*>(bits + y * stride);
        std::fill(row + left, row + right, pixel);
    }
}

// Its layout is kept: most texts come again at the next paint.
void TrendPlot::drawText(QPainter& painter, QPointF at, Qt::Alignment alignment,
                         const QString& text) {
    const QString key = (painter.font().bold() ? QStringLiteral("b") : QStringLiteral("n")) + text;
    auto found = m_texts.find(key);
    if (found == m_texts.end()) {
        if (m_texts.size() > kMostTexts) {
            m_texts.clear();
        }
        QStaticText laid(text);
        laid.setTextFormat(Qt::PlainText);
        laid.prepare(QTransform(), painter.font());
        found = m_texts.insert(key, laid);
    }
    const QSizeF size = found->size();
    if (alignment & Qt::AlignHCenter) {
        at.rx() -= size.width() / 2;
    } else if (alignment & Qt::AlignRight) {
        at.rx() -= size.width();
    }
    if (alignment & Qt::AlignVCenter) {
        at.ry() -= size.height() / 2;
    }
    painter.drawStaticText(at, *found);
}

void TrendPlot::paintLegend(QPainter& painter, const QRectF& area) {
    const QFontMetricsF metrics(font());
    QList<QList<std::pair<const Line*, double>>> rows{{}};
    QList<double> widths{0};
    for (const Line& line : m_lines) {
        const double entry = kLegendMarker + kGap + metrics.horizontalAdvance(line.name);
        if (widths.last() > 0 && widths.last() + entry > area.width()) {
            rows.emplace_back();
            widths.append(0);
        }
        widths.last() += (widths.last() > 0 ? kLegendSpacing : 0);
        rows.last().append(std::pair(&line, widths.last()));
        widths.last() += entry;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    for (qsizetype row = 0; row < rows.size(); ++row) {
        const double left = area.left() + (area.width() - widths[row]) / 2;
        const double y = area.top() + double(row) * (metrics.height() + 4);
        for (const auto& [line, x] : rows[row]) {
            QPen pen = line->pen;
            pen.setCapStyle(Qt::FlatCap);
            painter.setPen(pen);
            const double middle = std::round(y + metrics.height() / 2) + 0.5;
            painter.drawLine(QPointF(left + x, middle), QPointF(left + x + kLegendMarker, middle));
            painter.setPen(kText);
            drawText(painter, QPointF(left + x + kLegendMarker + kGap, y + metrics.height() / 2),
                     Qt::AlignLeft | Qt::AlignVCenter, line->name);
        }
    }
}

// The events that fall on a few pixels together share a mark.
void TrendPlot::placeMarks() {
    const QRectF area = plotArea();
    m_markPlaces.clear();
    for (qsizetype i = 0; i < m_marks.size();) {
        const double x = std::round(xOf(double(m_marks[i].time)));
        if (x < area.left() - 0.5 || x > area.right() + 0.5) {
            ++i;
            continue;
        }
        QStringList told;
        Kind kind = m_marks[i].kind;
        qsizetype count = 0;
        for (; i < m_marks.size() && xOf(double(m_marks[i].time)) < x + kMarkSpread; ++i) {
            if (told.size() < kMostTold) {
                told << m_marks[i].text;
            }
            ++count;
            kind = std::max(kind, m_marks[i].kind);
        }
        if (count > told.size()) {
            told << QStringLiteral("… and %1 more").arg(count - told.size());
        }
        m_markPlaces.append(std::pair(x + 0.5, kind));
        if (!m_tellsEvents) {
            continue;
        }
        if (m_markPlaces.size() > m_markWidgets.size()) {
            m_markWidgets.append(new EventMark(this));
        }
        EventMark* mark = m_markWidgets[m_markPlaces.size() - 1];
        mark->setEvents(told.join(u'\n'), kMarkColours[int(kind)]);
        mark->move(int(x) - EventMark::kWidth / 2, int(area.top()) - EventMark::kHeight - 1);
        mark->show();
    }
    for (qsizetype i = m_markPlaces.size(); i < m_markWidgets.size(); ++i) {
        m_markWidgets[i]->hide();
    }
}

void TrendPlot::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    relayout();
}

void TrendPlot::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        relayout();
    }
}

void TrendPlot::mousePressEvent(QMouseEvent* event) {
    const QRectF area = plotArea();
    const double x = event->position().x();
    if (event->button() == Qt::RightButton) {
        const qint64 span = m_to - m_from;
        const qint64 middle = m_from + span / 2;
        emit zoomRequested(middle - span, middle + span);
    } else if (event->button() == Qt::LeftButton && area.contains(event->position())) {
        m_dragFrom = x;
        if (!m_band) {
            m_band = new QRubberBand(QRubberBand::Rectangle, this);
        }
        m_band->setGeometry(QRectF(x, area.top(), 0, area.height()).toRect());
        m_band->show();
    }
}

void TrendPlot::mouseMoveEvent(QMouseEvent* event) {
    if (m_dragFrom) {
        const QRectF area = plotArea();
        const double x = std::clamp(event->position().x(), area.left(), area.right());
        m_band->setGeometry(QRectF(QPointF(std::min(x, *m_dragFrom), area.top()),
                                   QPointF(std::max(x, *m_dragFrom), area.bottom()))
                                .toRect());
    }
}

void TrendPlot::mouseReleaseEvent(QMouseEvent* event) {
    if (!m_dragFrom || event->button() != Qt::LeftButton) {
        return;
    }
    const QRectF area = plotArea();
    const double x = std::clamp(event->position().x(), area.left(), area.right());
    const double from = std::exchange(m_dragFrom, std::nullopt).value();
    m_band->hide();
    // A click is no drag.
    if (std::abs(x - from) >= 3) {
        emit zoomRequested(timeAt(std::min(x, from)), timeAt(std::max(x, from)));
    }
}
