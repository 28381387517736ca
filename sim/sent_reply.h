// What became of one reply of the controller on its way onto the line.
#pragma once

#include "sim/frames.h"

#include <QByteArray>
#include <QString>

namespace brisco::sim {

enum class ReplyFate {
    Good,
    // Sent with a damaged checksum.
    Corrupted,
    // A refusal went out in its place.
    Refused,
    // Withheld: nothing went out.
    Silenced,
};

QString replyFateName(ReplyFate fate);

struct SentReply {
    // Kind of the reply the controller gave, also when a refusal replaced it.
    ReplyKind kind = ReplyKind::Other;
    ReplyFate fate = ReplyFate::Good;
    // The bytes that went onto the line, or the withheld reply when silenced.
    QByteArray bytes;
    // Seconds since start at which its last byte went out.
    double time = 0.0;
};

} // namespace brisco::sim
