#include "display/text_forms.h"

namespace brisco::display {

QString integerText(qint64 value) {
    return QString::number(value);
}

QString decimalText(double value, const QLocale& locale) {
    // Digits and sign stay ASCII as in the integer fields (and as the entry
    // boxes read them back); only the decimal separator is the operator's.
    QString text = QLocale::c().toString(value, 'f', QLocale::FloatingPointShortest);
    return text.replace(u'.', locale.decimalPoint());
}

} // namespace brisco::display
