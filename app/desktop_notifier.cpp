#include "app/desktop_notifier.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace {

QDBusMessage serviceCall(const QString& method) {
    const QString service = QStringLiteral("org.freedesktop.Notifications");
    return QDBusMessage::createMethodCall(service, QStringLiteral("/org/freedesktop/Notifications"),
                                          service, method);
}

} // namespace

DesktopNotifier::DesktopNotifier(const QDBusConnection& bus, QObject* parent)
    : QObject(parent)
    , m_bus(bus) {}

void DesktopNotifier::notify(quint32 key, const QString& summary, const QString& body) {
    Shown& shown = m_shown[key];
    shown.wanted = true;
    shown.summary = summary;
    shown.body = body;
    if (shown.asking) {
        shown.changed = true; // sent again once the id of the first is known
        return;
    }
    send(key);
}

// In place of the key's last notification where the service still has it.
void DesktopNotifier::send(quint32 key) {
    if (!m_bus.isConnected()) {
        return; // no session bus: nothing to show it on
    }
    Shown& shown = m_shown[key];
    shown.asking = true;
    shown.changed = false;
    QDBusMessage message = serviceCall(QStringLiteral("Notify"));
    const QVariantMap hints{{QStringLiteral("desktop-entry"), QStringLiteral("brisco")},
                            {QStringLiteral("category"), QStringLiteral("device.error")}};
    message << QStringLiteral("Brisco") << shown.id << QStringLiteral("brisco") << shown.summary
            << shown.body << QStringList() << hints << qint32{-1};
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(message), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, key](QDBusPendingCallWatcher* call) {
                call->deleteLater();
                const QDBusPendingReply<quint32> reply = *call;
                answered(key, !reply.isError(), reply.isError() ? 0 : reply.value());
            });
}

void DesktopNotifier::answered(quint32 key, bool ok, quint32 id) {
    Shown& shown = m_shown[key];
    shown.asking = false;
    if (ok) {
        shown.id = id;
    }
    if (!shown.wanted) {
        withdraw(key);
    } else if (shown.changed) {
        send(key);
    }
}

void DesktopNotifier::withdraw(quint32 key) {
    const auto shown = m_shown.find(key);
    if (shown == m_shown.end()) {
        return;
    }
    shown->wanted = false;
    // One on its way is withdrawn once its id is known.
    if (!shown->asking && shown->id != 0 && m_bus.isConnected()) {
        QDBusMessage message = serviceCall(QStringLiteral("CloseNotification"));
        message << shown->id;
        m_bus.send(message);
    }
}
