// How values read from the controller are written into display boxes.
#pragma once

#include <QLocale>
#include <QString>

namespace brisco::display {

// Decimal digits, a minus sign when negative, no blank, no grouping.
QString integerText(qint64 value);

// Shortest decimal form: no trailing zeros, no point for whole numbers, the
// locale's decimal separator, no grouping, ASCII digits and minus sign.
QString decimalText(double value, const QLocale& locale);

} // namespace brisco::display
