// Notifications on the desktop through the freedesktop notification service
// on the session bus. Nothing waits on the bus: the calls go out and their
// answers come when they come, so a service that is missing, slow or answers
// with an error only means that nothing shows on the desktop.
#pragma once

#include <QDBusConnection>
#include <QHash>
#include <QObject>
#include <QString>

class DesktopNotifier : public QObject {
    Q_OBJECT

public:
    explicit DesktopNotifier(const QDBusConnection& bus, QObject* parent = nullptr);

    // Shows summary and body, in place of what key showed before.
    void notify(quint32 key, const QString& summary, const QString& body);
    // Takes what key shows off the desktop.
    void withdraw(quint32 key);

private:
    struct Shown {
        quint32 id = 0;       // the service's, once it has answered
        bool asking = false;  // a call is on its way
        bool wanted = false;  // to be on the desktop
        bool changed = false; // asked again while a call was on its way
        QString summary;
        QString body;
    };

    void send(quint32 key);
    void answered(quint32 key, bool ok, quint32 id);

    QDBusConnection m_bus;
    QHash<quint32, Shown> m_shown;
};
