#include "sim_process.h"

#include <QFile>
#include <QFileInfo>

bool SimProcess::start(const QStringList& options, QString* error) {
    m_process.start(BRISCO_SIM_PATH, options + QStringList{"--link", devicePath(), "--stats-file",
                                                           m_dir.filePath("stats")});
    // The simulator prints its terminal once it serves it.
    while (!m_process.canReadLine()) {
        if (!m_process.waitForReadyRead(5000)) {
            *error = m_process.errorString() + ' ' + m_process.readAllStandardError();
            return false;
        }
    }
    return true;
}

bool SimProcess::stop() {
    m_process.terminate();
    return m_process.waitForFinished(5000) && m_process.exitStatus() == QProcess::NormalExit &&
           m_process.exitCode() == 0 && !QFileInfo(devicePath()).isSymLink();
}

QList<SentReply> SimProcess::sentReplies() const {
    QFile file(m_dir.filePath("stats"));
    QList<SentReply> replies;
    file.open(QIODevice::ReadOnly);
    for (const QByteArray& line : file.readAll().split('\n')) {
        // "<seconds> <kind> <fate> <hex bytes>"; the heading and the totals have fewer words.
        const QList<QByteArray> words = line.split(' ');
        if (words.size() > 4) {
            replies.append({words[1], words[2], QByteArray::fromHex(words.mid(3).join())});
        }
    }
    return replies;
}
