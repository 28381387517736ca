// A session bus of the test's own (dbus-daemon on a socket in a scratch
// folder), which ends with the test however it ends, and the desktop's
// notification service played on it by an object of the test.
#pragma once

#include <QDBusConnection>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/prctl.h>

#include <csignal>

struct PrivateBus {
    static inline const QString kService = QStringLiteral("org.freedesktop.Notifications");
    static inline const QString kPath = QStringLiteral("/org/freedesktop/Notifications");

    QTemporaryDir folder;
    QProcess daemon;

    ~PrivateBus() {
        daemon.kill();
        daemon.waitForFinished();
    }
    // The program's session bus from now on; service answers as the
    // notification service on it.
    bool start(QObject* service) {
        QFile config(folder.filePath("bus.conf"));
        if (!config.open(QIODevice::WriteOnly) ||
            !config.write(
                "<busconfig><type>session</type><listen>unix:dir=" + folder.path().toUtf8() +
                "</listen><policy context=\"default\"><allow send_destination=\"*\"/>"
                "<allow receive_sender=\"*\"/><allow own=\"*\"/></policy></busconfig>")) {
            return false;
        }
        config.close();
        daemon.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
        daemon.start("dbus-daemon", {"--config-file=" + config.fileName(), "--print-address",
                                     "--nofork", "--nopidfile"});
        if (!daemon.waitForReadyRead(10000)) {
            return false;
        }
        const QByteArray address = daemon.readLine().trimmed();
        qputenv("DBUS_SESSION_BUS_ADDRESS", address);
        QDBusConnection bus = QDBusConnection::connectToBus(QString(address), "service");
        return bus.registerObject(kPath, service, QDBusConnection::ExportAllSlots) &&
               bus.registerService(kService) && QDBusConnection::sessionBus().isConnected();
    }
};
