// What the program needs of a serial port, and nothing more.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class CommPort : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // The next open acts on "COM<number>".
    virtual void setPortNumber(int number) = 0;
    virtual int portNumber() const = 0;
    // False when the port cannot be opened; it then stays closed. A network
    // line is open at once and connects in the background: what is written
    // before it is connected is dropped, and a failure to connect is lost().
    virtual bool open() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    virtual qint64 bytesWaiting() const = 0;
    // Every waiting byte in arrival order; they are gone from the port after.
    virtual QByteArray readAll() = 0;
    // Queues the whole block for sending and returns at once.
    virtual void write(const QByteArray& block) = 0;
    // The device behind "COM<number>", for the operator's information.
    virtual QString deviceName(int number) const = 0;
    // The open line runs over a network (to a serial device server), where
    // replies take a round trip longer.
    virtual bool isNetworkLine() const { return false; }
    // Open and carrying bytes: a network line once it is connected.
    virtual bool isConnected() const { return isOpen(); }
    // A port that stands for this one device whatever number is asked (a
    // line of the agent); empty for the devices behind COM1 to COM3.
    void setFixedDevice(QString device) { m_fixedDevice = std::move(device); }
    const QString& fixedDevice() const { return m_fixedDevice; }
    // Why the last open() refused the name of the device, for the operator;
    // empty when the name was not the reason (a busy or missing serial device
    // is not told).
    virtual QString nameError() const { return {}; }

signals:
    // The open port went away (an adapter was unplugged, a network line
    // dropped or never came up); it is closed now.
    void lost();

private:
    QString m_fixedDevice;
};
