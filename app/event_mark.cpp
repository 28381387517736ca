#include "app/event_mark.h"

#include <QPainter>
#include <QToolTip>

EventMark::EventMark(QWidget* parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("Event_Mark"));
    setAccessibleDescription(objectName());
    setFocusPolicy(Qt::TabFocus);
    setFixedSize(kWidth, kHeight);
    setCursor(Qt::WhatsThisCursor);
}

// Told again only when it changed: a live window places its marks anew at
// every reply.
void EventMark::setEvents(const QString& text, const QColor& colour) {
    if (text != toolTip() || colour != m_colour) {
        m_colour = colour;
        setToolTip(text);
        setAccessibleName(QString(text).replace(u'\n', QStringLiteral("; ")));
        update();
    }
}

// Pointing down at the moment on the axis below.
void EventMark::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(hasFocus() ? QPen(palette().color(QPalette::Highlight), 2) : Qt::NoPen);
    painter.setBrush(m_colour);
    const QPointF corners[] = {{1, 1}, {kWidth - 1.0, 1}, {kWidth / 2.0, kHeight - 1.0}};
    painter.drawPolygon(corners, 3);
}

void EventMark::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    QToolTip::showText(mapToGlobal(QPoint(0, height())), toolTip(), this);
    update();
}

void EventMark::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    QToolTip::hideText();
    update();
}
