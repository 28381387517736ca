#include "sim/sent_reply.h"

namespace brisco::sim {

QString replyFateName(ReplyFate fate) {
    switch (fate) {
    case ReplyFate::Good:
        return QStringLiteral("good");
    case ReplyFate::Corrupted:
        return QStringLiteral("corrupt");
    case ReplyFate::Refused:
        return QStringLiteral("refused");
    case ReplyFate::Silenced:
        break;
    }
    return QStringLiteral("silenced");
}

} // namespace brisco::sim
