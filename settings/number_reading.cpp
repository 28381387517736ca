#include "settings/number_reading.h"

#include <cmath>

namespace brisco::settings {

namespace {

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

} // namespace

double readNumber(const QString& text, const QLocale& locale) {
    return leadingNumber(text, locale).value_or(0.0);
}

std::optional<double> leadingNumber(const QString& text, const QLocale& locale) {
    const QString separator = locale.decimalPoint();
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text[i] == u' ' || text[i] == u'\t')) {
        ++i;
    }

    QString number;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        number += text[i++];
    }
    bool anyDigit = false;
    while (i < n && isDigit(text[i])) {
        number += text[i++];
        anyDigit = true;
    }
    if (i < n && (text[i] == u'.' || text.mid(i, separator.size()) == separator)) {
        i += text[i] == u'.' ? 1 : separator.size();
        number += u'.';
        while (i < n && isDigit(text[i])) {
            number += text[i++];
            anyDigit = true;
        }
    }
    if (!anyDigit) {
        return std::nullopt;
    }
    // An exponent counts only when digits follow it: "12e" reads as 12.
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        qsizetype j = i + 1;
        QString exponent = QStringLiteral("e");
        if (j < n && (text[j] == u'+' || text[j] == u'-')) {
            exponent += text[j++];
        }
        const qsizetype digitsStart = j;
        while (j < n && isDigit(text[j])) {
            exponent += text[j++];
        }
        if (j > digitsStart) {
            number += exponent;
        }
    }
    bool ok = false;
    const double value = number.toDouble(&ok);
    // Overflowing exponents give infinity: no entry box takes such a value,
    // and every range check and encoder refuses a non-finite number.
    return ok ? value : (std::isinf(value) ? value : 0.0);
}

} // namespace brisco::settings
