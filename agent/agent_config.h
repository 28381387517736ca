// What brisco-agent watches and where it serves and writes, from its
// configuration file and its command line. A configuration with anything
// wrong is refused whole, naming the file, the line and the key (or the
// option), so that the agent never starts half of it.
//
// The file is INI-like, one setting a line, # or ; starting a comment:
//   [agent]
//   listen = 127.0.0.1:9110          where /metrics is served (host:port)
//   listen-any = no                  yes: beyond the loopback without a web configuration
//   web-config-file = /etc/brisco/web.yml   TLS and basic authentication
//   records = /var/lib/brisco-agent  recordings, a folder per line
//   retention-days = 90              days of recordings kept (1..36500)
//   [line cabinet-a]                 a line and its name (letters, digits, . _ -)
//   device = /dev/ttyUSB0            a serial device, or tcp:// or rfc2217://HOST:PORT
//   addresses = 1-20                 1,3,7  1-5,9  or scan (every address, 1..20)
#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

namespace brisco::agent {

struct LineConfig {
    QString name;
    QString device;
    std::vector<std::uint8_t> addresses; // ascending, each 1..20
    // Every address, of which only those that answer count: an address that
    // never did is nobody's, not a controller down.
    bool scan = false;
};

struct AgentConfig {
    std::vector<LineConfig> lines;
    QString listen;
    bool listenAny = false;
    QString webConfigFile;
    QString records; // empty: nothing is recorded
    int retentionDays = 90;
};

// The addresses of "1-20", "1,3,7", "1-5,9" or "scan"; nothing for anything else.
std::optional<std::vector<std::uint8_t>> parseAddresses(const QString& text);

// Settings of the file's text over those of config; false, with the reason
// ("FILE:LINE: KEY: what is wrong"), when anything in it is wrong.
bool readConfigText(const QByteArray& text, const QString& fileName, AgentConfig* config,
                    QString* error);

// A line of --line: [NAME=]DEVICE@ADDRESSES; the name is taken from the
// device when not given.
std::optional<LineConfig> parseLineOption(const QString& text, QString* error);

// Two lines with one name or one device.
bool checkLines(const AgentConfig& config, QString* error);

} // namespace brisco::agent
