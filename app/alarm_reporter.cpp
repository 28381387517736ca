#include "app/alarm_reporter.h"

#include "app/desktop_notifier.h"
#include "app/link_line.h"

#include <QApplication>
#include <QWidget>

using brisco::station::LampAlarm;

namespace {

// One notification per lamp of each controller.
quint32 keyOf(const LampAlarm& alarm) {
    return quint32{alarm.address} << 8 | quint32(alarm.lamp);
}

} // namespace

AlarmReporter::AlarmReporter(brisco::station::AlarmWatch& watch, LinkLine& line, QWidget* window,
                             const QDBusConnection& bus)
    : QObject(window)
    , m_notifier(new DesktopNotifier(bus, this))
    , m_line(line)
    , m_window(window)
    , m_attention([](QWidget* asking) { QApplication::alert(asking); }) {
    connect(&watch, &brisco::station::AlarmWatch::raised, this, &AlarmReporter::raised);
    connect(&watch, &brisco::station::AlarmWatch::cleared, this, &AlarmReporter::cleared);
}

void AlarmReporter::raised(const LampAlarm& alarm) {
    m_red.append(alarm);
    m_notifier->notify(keyOf(alarm), alarm.summary(), alarm.body());
    m_line.showAlarm(alarm.text(), true);
    if (!m_window->isActiveWindow()) {
        m_attention(m_window);
    }
}

// The line shows the newest alarm still on, and nothing once none is.
void AlarmReporter::cleared(const LampAlarm& alarm) {
    m_red.removeIf([&alarm](const LampAlarm& red) { return keyOf(red) == keyOf(alarm); });
    m_notifier->withdraw(keyOf(alarm));
    m_line.showAlarm(m_red.isEmpty() ? QString() : m_red.last().text(), false);
}
