// ser2net in front of a device, raw or with telnet and RFC 2217, listening
// on a free port of 127.0.0.1 only; stopped when it goes out of scope.
#pragma once

#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtCore/qtestsupport_core.h>

class Ser2netProcess {
public:
    ~Ser2netProcess() { stop(); }

    // kind: "tcp" or "rfc2217", as the line's name says it.
    bool start(const QString& kind, const QString& device, QString* error) {
        QTcpServer free;
        free.listen(QHostAddress::LocalHost, 0);
        m_port = free.serverPort();
        free.close();
        m_line = QStringLiteral("%1://127.0.0.1:%2").arg(kind).arg(m_port);
        QFile config(m_dir.filePath("ser2net.yaml"));
        config.open(QIODevice::WriteOnly);
        config.write(QStringLiteral("connection: &line\n"
                                    "  accepter: %1tcp,127.0.0.1,%2\n"
                                    "  connector: serialdev,%3,9600n81,local\n")
                         .arg(kind == "rfc2217" ? "telnet(rfc2217)," : "")
                         .arg(m_port)
                         .arg(device)
                         .toUtf8());
        config.close();
        m_process.start("ser2net",
                        {"-n", "-d", "-c", config.fileName(), "-P", m_dir.filePath("pid")});
        const bool settled = QTest::qWaitFor(
            [this] { return listening() || m_process.state() == QProcess::NotRunning; }, 5000);
        if (!settled || !listening()) {
            *error = QStringLiteral("ser2net (Debian package ser2net) is not listening: ") +
                     m_process.errorString() + ' ' + m_process.readAllStandardError();
            return false;
        }
        return true;
    }
    bool stop() {
        m_process.terminate();
        return m_process.waitForFinished(5000);
    }
    // The name of the line to it.
    QString line() const { return m_line; }

private:
    // Once its port shows in the kernel's table of listening TCP sockets.
    bool listening() const {
        QFile table(QStringLiteral("/proc/net/tcp"));
        table.open(QIODevice::ReadOnly);
        return m_process.state() == QProcess::Running &&
               table.readAll().contains(QStringLiteral(" 0100007F:%1 00000000:0000 0A ")
                                            .arg(m_port, 4, 16, QChar(u'0'))
                                            .toUpper()
                                            .toLatin1());
    }

    QProcess m_process;
    QTemporaryDir m_dir;
    quint16 m_port = 0;
    QString m_line;
};
