// Reading the number that an operator typed into a box.
#pragma once

#include <QLocale>
#include <QString>

#include <optional>

namespace brisco::settings {

// The leading numeric part of the text: optional leading blanks, sign,
// digits, decimal point and exponent; the rest is ignored. An empty text or
// one without a leading number gives 0. The decimal point is "." or the
// locale's separator, so that a value shown in the operator's own notation
// reads back as the same number.
double readNumber(const QString& text, const QLocale& locale = QLocale());

// The same leading number, or nothing when the text begins with none.
std::optional<double> leadingNumber(const QString& text, const QLocale& locale = QLocale());

} // namespace brisco::settings
