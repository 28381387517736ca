#include "sim_process.h"

#include <QFile>

namespace {

QString statsFile(const QTemporaryDir& dir) {
    return dir.filePath(QStringLiteral("stats.txt"));
}

} // namespace

bool SimProcess::start(const QStringList& options, QString* error) {
    m_process.setProgram(QStringLiteral(BRISCO_SIM_PATH));
    m_process.setArguments(options + QStringList{QStringLiteral("--stats-file"), statsFile(m_dir)});
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.start();
    if (!m_process.waitForStarted(5000)) {
        *error = m_process.errorString();
        return false;
    }
    while (!m_process.canReadLine()) {
        if (!m_process.waitForReadyRead(5000)) {
            *error = QStringLiteral("no device path: %1")
                         .arg(QString::fromLocal8Bit(m_process.readAllStandardError()));
            return false;
        }
    }
    m_devicePath = QString::fromLocal8Bit(m_process.readLine()).trimmed();
    return !m_devicePath.isEmpty();
}

void SimProcess::stop() {
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
}

QList<SentReply> SimProcess::sentReplies() const {
    QFile file(statsFile(m_dir));
    QList<SentReply> replies;
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return replies;
    }
    while (!file.atEnd()) {
        const QString line = QString::fromLatin1(file.readLine()).trimmed();
        const QStringList words = line.split(u' ', Qt::SkipEmptyParts);
        if (words.size() < 4 || line.startsWith(u'#') || words[0] == QLatin1String("total")) {
            continue;
        }
        replies.append(
            {words[1], words[2], QByteArray::fromHex(words.mid(3).join(QString()).toLatin1())});
    }
    return replies;
}
