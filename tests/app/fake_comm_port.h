// An in-memory serial port: tests choose which ports exist, feed received
// bytes in pieces and read back every block the program wrote.
#pragma once

#include "port/comm_port.h"

#include <QHash>
#include <QList>
#include <QSet>

class FakeCommPort : public CommPort {
    Q_OBJECT

public:
    QSet<int> available;          // port numbers that open
    QSet<int> failing;            // port numbers that refuse to open from now on
    QHash<int, QString> badNames; // port numbers whose device name is refused, and why
    bool network = false;         // every port a network line
    QList<QByteArray> written;
    QByteArray incoming;
    int number = 1;
    int openedNumber = 0;
    int openCalls = 0;
    bool opened = false;
    bool connects = true; // false: a network line that opens and never connects
    QString nameRefused;

    void setPortNumber(int n) override { number = n; }
    int portNumber() const override { return number; }
    bool open() override {
        ++openCalls;
        nameRefused = badNames.value(number);
        if (!available.contains(number) || failing.contains(number) || !nameRefused.isEmpty()) {
            return false;
        }
        opened = true;
        openedNumber = number;
        return true;
    }
    void close() override { opened = false; }
    bool isOpen() const override { return opened; }
    bool isConnected() const override { return opened && connects; }
    // Bytes wait whether or not the port is open, so that reading a closed
    // port would show.
    qint64 bytesWaiting() const override { return incoming.size(); }
    QByteArray readAll() override { return std::exchange(incoming, {}); }
    void write(const QByteArray& block) override { written.append(block); }
    QString deviceName(int n) const override { return QStringLiteral("/dev/fake%1").arg(n); }
    bool isNetworkLine() const override { return network; }
    QString nameError() const override { return nameRefused; }

    void feed(const QByteArray& bytes) { incoming += bytes; }
    void unplug() {
        opened = false;
        emit lost();
    }
};
