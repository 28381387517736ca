#include "display/text_forms.h"

namespace brisco::display {

QString integerText(qint64 value) {
    return QString::number(value);
}

QString decimalText(double value, const QLocale& locale) {
    QLocale plain = locale;
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    return plain.toString(value, 'f', QLocale::FloatingPointShortest);
}

} // namespace brisco::display
