// The client's side of a telnet stream to a serial device server, with the
// COM port control option (RFC 2217): bytes from the server in, the
// controller's data and the bytes to answer with out. It holds no socket, so
// that every byte of it can be tried without a network.
//
// libtelnet negotiates the options and escapes and unescapes the 0xFF data
// bytes. Subnegotiations never reach it: the program needs none of the
// server's (they only confirm the settings sent), and libtelnet 0.21 would
// let the tail of an overlong one out as data and, on a compression marker,
// read the rest of the stream as zlib whether or not that was agreed.
#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <memory>
#include <utility>

struct telnet_t;
union telnet_event_t;

namespace brisco::port {

class TelnetStream {
public:
    // The telnet option of RFC 2217.
    static constexpr unsigned char kComPortOption = 44;

    TelnetStream();
    ~TelnetStream();
    TelnetStream(const TelnetStream&) = delete;
    TelnetStream& operator=(const TelnetStream&) = delete;

    // The opening: binary transmission both ways, COM port control offered.
    void start();
    // Bytes from the server; returns the controller's data among them.
    QByteArray receive(QByteArrayView bytes);
    // Data for the controller, escaped into the stream.
    void send(QByteArrayView data);
    // What is to go to the server since the last call.
    QByteArray takeOutgoing() { return std::exchange(m_outgoing, {}); }

    // The server took COM port control, and the line's settings were sent.
    bool configured() const { return m_configured; }
    // The server refused COM port control: it cannot set the line.
    bool refused() const { return m_refused; }

private:
    enum class State { Data, Command, Option, Sub, SubCommand };

    static void onEvent(telnet_t* telnet, telnet_event_t* event, void* self);
    void command(unsigned char byte, QByteArray& passed);
    void configure();

    std::unique_ptr<telnet_t, void (*)(telnet_t*)> m_telnet;
    State m_state = State::Data;
    unsigned char m_command = 0; // of an option being negotiated
    QByteArray m_data;
    QByteArray m_outgoing;
    bool m_configured = false;
    bool m_refused = false;
};

} // namespace brisco::port
