// The master side of a pseudo-terminal whose slave side a serial program opens
// as if it were a port.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;

namespace brisco::sim {

class PseudoTerminal : public QObject {
    Q_OBJECT

public:
    explicit PseudoTerminal(QObject* parent = nullptr);
    ~PseudoTerminal() override;

    bool open(QString* error);
    QString slavePath() const { return m_slavePath; }

    // Queues bytes; whatever the terminal does not take at once goes out when it can.
    void write(const QByteArray& bytes);

signals:
    void received(const QByteArray& bytes);

private:
    void readAvailable();
    void writePending();
    void watchClients();
    void releaseExclusiveMode();

    int m_master = -1;
    // Held open so that a client closing its side never leaves the master
    // without a slave, which would make every read fail with EIO.
    int m_slave = -1;
    // Reports every close of the slave device by a client.
    int m_closeWatch = -1;
    QString m_slavePath;
    QByteArray m_outgoing;
    QSocketNotifier* m_readNotifier = nullptr;
    QSocketNotifier* m_writeNotifier = nullptr;
    QSocketNotifier* m_closeNotifier = nullptr;
};

} // namespace brisco::sim
