// libFuzzer target: any bytes from a serial device server, cut anywhere,
// give exactly the controller's data that RFC 854 finds in them and the
// same answers, and data escaped by one stream comes out of another
// unchanged. Input: byte 0 says where the bytes after it are cut in two.
#undef NDEBUG // the checks below hold in every build
#include "port/telnet_stream.h"

#include <cassert>
#include <cstdint>

using brisco::port::TelnetStream;

// The data of a telnet stream by RFC 854 alone: the bytes outside commands
// and subnegotiations, IAC IAC as one 0xFF. In a subnegotiation, a command
// other than SE ends it.
static QByteArray dataOf(QByteArrayView stream) {
    enum { Data, Command, Option, Sub, SubCommand } state = Data;
    QByteArray data;
    for (const char c : stream) {
        const auto byte = static_cast<unsigned char>(c);
        if (state == Data || (state == Command && byte == 255)) {
            data += byte == 255 && state == Data ? QByteArray() : QByteArray(1, c);
            state = byte == 255 && state == Data ? Command : Data;
        } else if (state == Sub || (state == SubCommand && (byte == 240 || byte == 255))) {
            state = state == Sub ? (byte == 255 ? SubCommand : Sub) : (byte == 240 ? Data : Sub);
        } else if (state == Option) {
            state = Data;
        } else {
            state = byte == 250 ? Sub : (byte >= 251 && byte <= 254) ? Option : Data;
        }
    }
    return data;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const QByteArrayView input(reinterpret_cast<const char*>(bytes) + 1,
                               static_cast<qsizetype>(size - 1));
    const qsizetype cut = input.size() * bytes[0] / 256;
    TelnetStream whole;
    TelnetStream split;
    assert(whole.receive(input) == dataOf(input));
    assert(split.receive(input.first(cut)) + split.receive(input.sliced(cut)) == dataOf(input));
    assert(whole.takeOutgoing() == split.takeOutgoing());

    TelnetStream sender;
    sender.send(input);
    const QByteArray escaped = sender.takeOutgoing();
    assert(escaped.size() == input.size() + input.count('\xFF'));
    TelnetStream receiver;
    assert(receiver.receive(escaped) == input && receiver.takeOutgoing().isEmpty());
    return 0;
}
