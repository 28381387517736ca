// ser2net (the Debian package) in front of a device, raw ("tcp") or with
// telnet and RFC 2217 ("rfc2217"), on a free port of 127.0.0.1 only; stopped
// when it goes out of scope.
#pragma once

#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtCore/qtestsupport_core.h>

struct Ser2netProcess {
    QProcess process;
    QTemporaryDir dir;
    QString line; // the name of the line to it

    ~Ser2netProcess() { stop(); }
    bool stop() {
        process.terminate();
        return process.waitForFinished(5000);
    }
    // True once it listens, as its port in the kernel's table of sockets shows.
    bool start(const QString& kind, const QString& device) {
        QTcpServer free;
        free.listen(QHostAddress::LocalHost, 0);
        const quint16 port = free.serverPort();
        free.close();
        line = kind + "://127.0.0.1:" + QString::number(port);
        QFile config(dir.filePath("ser2net.yaml"));
        config.open(QIODevice::WriteOnly);
        config.write(QStringLiteral("connection: &line\n  accepter: %1tcp,127.0.0.1,%2\n"
                                    "  connector: serialdev,%3,9600n81,local\n")
                         .arg(kind == "rfc2217" ? "telnet(rfc2217)," : "")
                         .arg(port)
                         .arg(device)
                         .toUtf8());
        config.close();
        process.start("ser2net", {"-n", "-d", "-c", config.fileName(), "-P", dir.filePath("pid")});
        process.waitForStarted(5000);
        const QByteArray listening = QStringLiteral(" 0100007F:%1 00000000:0000 0A ")
                                         .arg(port, 4, 16, QChar(u'0'))
                                         .toUpper()
                                         .toLatin1();
        QFile table(QStringLiteral("/proc/net/tcp"));
        return QTest::qWaitFor(
                   [&] {
                       table.close();
                       return process.state() == QProcess::NotRunning ||
                              (table.open(QIODevice::ReadOnly) &&
                               table.readAll().contains(listening));
                   },
                   5000) &&
               process.state() == QProcess::Running;
    }
};
