// brisco-sim as a child process: its device path, and the replies it
// reports having sent.
#pragma once

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

struct SentReply {
    QString kind; // status, address, info, factory, ack, refusal, other
    QString fate; // good, corrupt, refused, silenced
    QByteArray bytes;
};

class SimProcess {
public:
    ~SimProcess() { stop(); }

    // Starts the simulator with these options and waits for its device path.
    bool start(const QStringList& options, QString* error);
    void stop();

    QString devicePath() const { return m_devicePath; }
    // Every reply line of the stats file written so far.
    QList<SentReply> sentReplies() const;

private:
    QProcess m_process;
    QTemporaryDir m_dir;
    QString m_devicePath;
};
