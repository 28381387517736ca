// brisco-sim as a child process, linked into a scratch folder, and the
// replies it reports having sent.
#pragma once

#include <QProcess>
#include <QTemporaryDir>

struct SentReply {
    QString kind; // status, address, info, factory, ack, refusal, other
    QString fate; // good, corrupt, refused, silenced
    QByteArray bytes;
};

class SimProcess {
public:
    ~SimProcess() { stop(); }

    bool start(const QStringList& options, QString* error);
    // SIGTERM; true when the simulator ended with status 0 and took its link away.
    bool stop();
    QString devicePath() const { return m_dir.filePath("tty"); }
    QList<SentReply> sentReplies() const;

private:
    QProcess m_process;
    QTemporaryDir m_dir;
};
