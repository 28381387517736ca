#include "lamp/lamp_shape.h"

#include <QPainter>

namespace {

// Dark enough that a white lamp stands out on a light grey window.
constexpr QRgb kOutlineRgb = 0x404040;

} // namespace

LampShape::LampShape(QWidget* parent)
    : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

QColor LampShape::fillColor() const {
    return m_fillColor;
}

void LampShape::setFillColor(const QColor& color) {
    if (color == m_fillColor)
        return;
    m_fillColor = color;
    update();
}

void LampShape::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor::fromRgb(kOutlineRgb), 1.0));
    painter.setBrush(m_fillColor);
    // Half a pixel in, so the one-pixel outline lies on whole pixels.
    painter.drawEllipse(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}
