#include "record/shown_time.h"

#include <QLocale>
#include <QTimeZone>

QString shownTime(const QDateTime& at) {
    return QLocale::c().toString(at.toLocalTime(), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString shownZone() {
    const QByteArray zone = QTimeZone::systemTimeZoneId();
    return zone.isEmpty() ? QStringLiteral("local time") : QString::fromUtf8(zone);
}
