// libFuzzer target: any bytes from a serial device server, in any pieces,
// give exactly the controller's data that RFC 854 finds in them, never a
// byte more or less, and the same answers however they are cut; any data
// escaped by one stream comes out of another unchanged. Input: byte 0 says
// where the bytes after it are cut in two.
#undef NDEBUG // the checks below hold in every build
#include "port/telnet_stream.h"

#include <cassert>
#include <cstddef>
#include <cstdint>

using brisco::port::TelnetStream;

// The data bytes of a telnet stream by RFC 854 alone: those outside commands
// and subnegotiations, IAC IAC as one 0xFF. A command other than SE inside a
// subnegotiation ends it.
static QByteArray dataOf(QByteArrayView stream) {
    enum { Data, Command, Option, Sub, SubCommand } state = Data;
    QByteArray data;
    for (const char c : stream) {
        const auto byte = static_cast<unsigned char>(c);
        switch (state) {
        case Data:
            state = byte == 255 ? Command : Data;
            if (byte != 255) {
                data += c;
            }
            break;
        case SubCommand:
            if (byte == 240 || byte == 255) {
                state = byte == 240 ? Data : Sub;
                break;
            }
            [[fallthrough]];
        case Command:
            if (byte == 255) {
                data += c;
            }
            state = byte == 250 ? Sub : (byte >= 251 && byte <= 254) ? Option : Data;
            break;
        case Option:
            state = Data;
            break;
        case Sub:
            state = byte == 255 ? SubCommand : Sub;
            break;
        }
    }
    return data;
}

struct Received {
    QByteArray data;
    QByteArray answer;
};

static Received receive(QByteArrayView first, QByteArrayView second) {
    TelnetStream stream;
    stream.start();
    Received received;
    received.data = stream.receive(first);
    received.data += stream.receive(second);
    received.answer = stream.takeOutgoing();
    return received;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const QByteArrayView input(reinterpret_cast<const char*>(bytes) + 1,
                               static_cast<qsizetype>(size - 1));
    const qsizetype cut = input.size() * bytes[0] / 256;
    const Received whole = receive(input, {});
    const Received split = receive(input.first(cut), input.sliced(cut));
    assert(whole.data == dataOf(input));
    assert(split.data == whole.data && split.answer == whole.answer);

    TelnetStream sender;
    sender.send(input);
    const QByteArray escaped = sender.takeOutgoing();
    assert(escaped.size() == input.size() + input.count('\xFF'));
    TelnetStream receiver;
    assert(receiver.receive(escaped) == input && receiver.takeOutgoing().isEmpty());
    return 0;
}
