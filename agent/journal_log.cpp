#include "agent/journal_log.h"

#include <cstdio>

namespace brisco::agent {

QString oneLine(const QString& text) {
    QString line = text;
    for (QChar& c : line) {
        if (c.category() == QChar::Other_Control) {
            c = u'?';
        }
    }
    return line;
}

namespace {

LogHandler& handler() {
    static LogHandler instance;
    return instance;
}

} // namespace

void setLogHandler(LogHandler logHandler) {
    handler() = std::move(logHandler);
}

void logLine(Priority priority, const QString& text) {
    if (handler()) {
        handler()(priority, oneLine(text));
        return;
    }
    static const bool journal = qEnvironmentVariableIsSet("JOURNAL_STREAM");
    const QByteArray line = oneLine(text).toUtf8();
    if (journal) {
        std::fprintf(stderr, "<%d>%s\n", static_cast<int>(priority), line.constData());
    } else {
        std::fprintf(stderr, "%s\n", line.constData());
    }
    std::fflush(stderr);
}

} // namespace brisco::agent
