// A mark on a plot's time axis for the events of a moment (those that fall
// on a few pixels together): a small triangle in the colour of the most
// pressing of them. Its tip and its accessible name tell what they were;
// it takes the focus by Tab, and then shows its tip too.
#pragma once

#include <QColor>
#include <QWidget>

class EventMark : public QWidget {
    Q_OBJECT

public:
    static constexpr int kWidth = 11;
    static constexpr int kHeight = 9;

    explicit EventMark(QWidget* parent = nullptr);

    // What the mark stands for, as its tip tells it, in the colour given.
    void setEvents(const QString& text, const QColor& colour);

protected:
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    QColor m_colour;
};
