// The round figure of an indicator lamp, filled with the lamp's colour.
#pragma once

#include "lamp/lumbrel_export.h"

#include <QColor>
#include <QWidget>

class LUMBREL_EXPORT LampShape : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QColor fillColor READ fillColor)

public:
    explicit LampShape(QWidget* parent);

    QColor fillColor() const;
    void setFillColor(const QColor& color);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_fillColor = Qt::white;
};
