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
    // False when the port cannot be opened; it then stays closed.
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

signals:
    // The open port went away (an adapter was unplugged); it is closed now.
    void lost();
};
