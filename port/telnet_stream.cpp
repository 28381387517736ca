#include "port/telnet_stream.h"

// libtelnet.h uses size_t without including its header.
#include <cstddef>
#include <libtelnet.h>

#include <new>

namespace brisco::port {

namespace {

// Binary transmission both ways and suppress-go-ahead, as servers offer it;
// COM port control on our side only; echo and every other option refused.
const telnet_telopt_t kOptions[] = {
    {TELNET_TELOPT_BINARY, TELNET_WILL, TELNET_DO},
    {TELNET_TELOPT_SGA, TELNET_WILL, TELNET_DO},
    {TelnetStream::kComPortOption, TELNET_WILL, TELNET_DONT},
    {-1, 0, 0},
};

// The controller's line, as RFC 2217 commands: SET-BAUDRATE 9600 (four
// bytes, most significant first), SET-DATASIZE 8, SET-PARITY NONE,
// SET-STOPSIZE 1, SET-CONTROL no flow control.
const QByteArrayView kLineSettings[] = {
    QByteArrayView("\x01\x00\x00\x25\x80", 5), QByteArrayView("\x02\x08", 2),
    QByteArrayView("\x03\x01", 2), QByteArrayView("\x04\x01", 2), QByteArrayView("\x05\x01", 2)};

telnet_t* newTelnet(void* self, telnet_event_handler_t handler) {
    telnet_t* telnet = telnet_init(kOptions, handler, 0, self);
    if (!telnet) {
        throw std::bad_alloc();
    }
    return telnet;
}

} // namespace

TelnetStream::TelnetStream()
    : m_telnet(newTelnet(this, &TelnetStream::onEvent), &telnet_free) {}

TelnetStream::~TelnetStream() = default;

void TelnetStream::start() {
    telnet_negotiate(m_telnet.get(), TELNET_WILL, kComPortOption);
    telnet_negotiate(m_telnet.get(), TELNET_DO, TELNET_TELOPT_BINARY);
    telnet_negotiate(m_telnet.get(), TELNET_WILL, TELNET_TELOPT_BINARY);
}

// Follows the framing of the stream only as far as needed to leave the
// subnegotiations out of what libtelnet reads.
QByteArray TelnetStream::receive(QByteArrayView bytes) {
    QByteArray passed;
    passed.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        switch (m_state) {
        case State::Data:
            if (byte == TELNET_IAC) {
                m_state = State::Command;
            } else {
                passed += c;
            }
            break;
        case State::Command:
            command(byte, passed);
            break;
        case State::Option:
            m_refused = m_refused || (m_command == TELNET_DONT && byte == kComPortOption);
            passed += c;
            m_state = State::Data;
            break;
        case State::Sub:
            if (byte == TELNET_IAC) {
                m_state = State::SubCommand;
            }
            break;
        case State::SubCommand:
            // IAC IAC is a byte of the subnegotiation; a command other than
            // SE cuts it short and is taken as a command.
            if (byte == TELNET_SE) {
                m_state = State::Data;
            } else if (byte == TELNET_IAC) {
                m_state = State::Sub;
            } else {
                command(byte, passed);
            }
            break;
        }
    }
    telnet_recv(m_telnet.get(), passed.constData(), static_cast<std::size_t>(passed.size()));
    return std::exchange(m_data, {});
}

void TelnetStream::command(unsigned char byte, QByteArray& passed) {
    if (byte == TELNET_SB) {
        m_state = State::Sub;
        return;
    }
    passed += static_cast<char>(TELNET_IAC);
    passed += static_cast<char>(byte);
    m_command = byte;
    m_state = byte >= TELNET_WILL && byte <= TELNET_DONT ? State::Option : State::Data;
}

void TelnetStream::send(QByteArrayView data) {
    telnet_send(m_telnet.get(), data.data(), static_cast<std::size_t>(data.size()));
}

void TelnetStream::configure() {
    for (const QByteArrayView setting : kLineSettings) {
        telnet_subnegotiation(m_telnet.get(), kComPortOption, setting.data(),
                              static_cast<std::size_t>(setting.size()));
    }
    m_configured = true;
}

void TelnetStream::onEvent(telnet_t*, telnet_event_t* event, void* self) {
    auto* stream = static_cast<TelnetStream*>(self);
    switch (event->type) {
    case TELNET_EV_DATA:
        stream->m_data.append(event->data.buffer, static_cast<qsizetype>(event->data.size));
        break;
    case TELNET_EV_SEND:
        stream->m_outgoing.append(event->data.buffer, static_cast<qsizetype>(event->data.size));
        break;
    case TELNET_EV_DO:
        if (event->neg.telopt == kComPortOption) {
            stream->configure();
        }
        break;
    default:
        // Other commands, and libtelnet's warnings: nothing for the line.
        break;
    }
}

} // namespace brisco::port
