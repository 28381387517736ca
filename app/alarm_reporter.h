// What the operator gets of an alarm, a lamp of any controller watched that
// turns red: a notification on the desktop (withdrawn when the lamp goes
// back), the alarm on the link line, read out by a screen reader, and the
// main window asking for attention while another window is active.
#pragma once

#include "station/alarm_watch.h"

#include <QDBusConnection>
#include <QList>
#include <QObject>

#include <functional>

class DesktopNotifier;
class LinkLine;
class QWidget;

class AlarmReporter : public QObject {
    Q_OBJECT

public:
    // How a window asks for attention; the desktop's (QApplication::alert) by default.
    using Attention = std::function<void(QWidget* window)>;

    AlarmReporter(brisco::station::AlarmWatch& watch, LinkLine& line, QWidget* window,
                  const QDBusConnection& bus = QDBusConnection::sessionBus());

    void setAttention(Attention attention) { m_attention = std::move(attention); }

private:
    void raised(const brisco::station::LampAlarm& alarm);
    void cleared(const brisco::station::LampAlarm& alarm);

    DesktopNotifier* m_notifier;
    LinkLine& m_line;
    QWidget* m_window;
    Attention m_attention;
    QList<brisco::station::LampAlarm> m_red; // in the order they came
};
