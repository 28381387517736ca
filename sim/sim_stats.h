// Counts of what the simulator did, the summary line printed on exit and the
// stats file that end-to-end tests read back:
//   # brisco-sim stats 1
//   <seconds> <kind> <fate> <hex bytes>     one line per reply, as it goes out
//   total <name> <count>                    one line per counter, on exit
#pragma once

#include "sim/controller.h"
#include "sim/line_faults.h"
#include "sim/sent_reply.h"

#include <QIODevice>
#include <QString>

#include <array>

namespace brisco::sim {

class SimStats {
public:
    // log may be null; otherwise every line is written to it and flushed at once.
    explicit SimStats(QIODevice* log = nullptr);

    void record(const SentReply& reply);

    qint64 statusCount(ReplyFate fate) const;
    qint64 otherCount(ReplyFate fate) const;

    QString summaryLine(const Controller::Counters& controller,
                        const LineFaults::Counters& line) const;
    void writeTotals(const Controller::Counters& controller, const LineFaults::Counters& line);

    static QString replyLine(const SentReply& reply);

private:
    void writeLine(const QString& line);

    static constexpr int kFateCount = 4;

    QIODevice* m_log;
    std::array<qint64, kFateCount> m_status{};
    std::array<qint64, kFateCount> m_other{};
};

} // namespace brisco::sim
