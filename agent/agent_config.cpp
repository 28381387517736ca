#include "agent/agent_config.h"

#include "bus/bus_schedule.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace brisco::agent {

namespace {

const QRegularExpression kLineName(QStringLiteral("^[A-Za-z0-9._-]{1,64}$"));

std::optional<int> addressOf(const QString& text) {
    bool ok = false;
    const int address = text.trimmed().toInt(&ok);
    if (!ok || address < bus::kFirstAddress || address > bus::kLastAddress) {
        return std::nullopt;
    }
    return address;
}

bool yesNo(const QString& text, bool* value) {
    static const QStringList yes{QStringLiteral("yes"), QStringLiteral("true"),
                                 QStringLiteral("on"), QStringLiteral("1")};
    static const QStringList no{QStringLiteral("no"), QStringLiteral("false"),
                                QStringLiteral("off"), QStringLiteral("0")};
    if (yes.contains(text, Qt::CaseInsensitive)) {
        *value = true;
    } else if (no.contains(text, Qt::CaseInsensitive)) {
        *value = false;
    } else {
        return false;
    }
    return true;
}

// "ttyUSB0" of /dev/ttyUSB0, "host-4001" of tcp://host:4001.
QString nameOfDevice(const QString& device) {
    QString name = device.contains(QLatin1String("://")) ? device.section(QLatin1String("://"), 1)
                                                         : QFileInfo(device).fileName();
    name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9._-]+")), QStringLiteral("-"));
    return name;
}

struct Reader {
    QString fileName;
    AgentConfig* config;
    QString* error;
    int lineNo = 0;

    bool fail(const QString& key, const QString& what) {
        *error = QStringLiteral("%1:%2: %3%4")
                     .arg(fileName)
                     .arg(lineNo)
                     .arg(key.isEmpty() ? QString() : key + QStringLiteral(": "), what);
        return false;
    }

    bool agentKey(const QString& key, const QString& value) {
        if (key == QLatin1String("listen")) {
            config->listen = value;
        } else if (key == QLatin1String("listen-any")) {
            if (!yesNo(value, &config->listenAny)) {
                return fail(key, QStringLiteral("\"%1\" is neither yes nor no").arg(value));
            }
        } else if (key == QLatin1String("web-config-file")) {
            config->webConfigFile = value;
        } else if (key == QLatin1String("records")) {
            config->records = value;
        } else if (key == QLatin1String("retention-days")) {
            bool ok = false;
            const int days = value.toInt(&ok);
            if (!ok || days < 1 || days > 36500) {
                return fail(key,
                            QStringLiteral("\"%1\" is not a number of days, 1..36500").arg(value));
            }
            config->retentionDays = days;
        } else {
            return fail(key, QStringLiteral("unknown setting of [agent]"));
        }
        return true;
    }

    bool lineKey(LineConfig& line, const QString& key, const QString& value) {
        if (key == QLatin1String("device")) {
            if (value.isEmpty()) {
                return fail(key, QStringLiteral("no device named"));
            }
            line.device = value;
        } else if (key == QLatin1String("addresses")) {
            const auto addresses = parseAddresses(value);
            if (!addresses) {
                return fail(key, QStringLiteral("\"%1\" is not 1..20 as a list (1,3,7), a range "
                                                "(1-20) or scan")
                                     .arg(value));
            }
            line.addresses = *addresses;
            line.scan = value == QLatin1String("scan");
        } else {
            return fail(key, QStringLiteral("unknown setting of a line"));
        }
        return true;
    }

    bool read(const QByteArray& text) {
        enum class Section { None, Agent, Line } section = Section::None;
        QStringList seen;
        int sectionLine = 0;
        const auto lineDone = [&]() {
            if (section != Section::Line) {
                return true;
            }
            const LineConfig& line = config->lines.back();
            const int at = std::exchange(lineNo, sectionLine);
            const bool complete = !line.device.isEmpty() && !line.addresses.empty();
            if (!complete) {
                fail({}, QStringLiteral("line %1 needs a device and its addresses").arg(line.name));
            }
            lineNo = at;
            return complete;
        };
        for (const QByteArray& raw : text.split('\n')) {
            ++lineNo;
            const QString line = QString::fromUtf8(raw).trimmed();
            if (line.isEmpty() || line.startsWith(u'#') || line.startsWith(u';')) {
                continue;
            }
            if (line.startsWith(u'[')) {
                if (!lineDone()) {
                    return false;
                }
                if (!line.endsWith(u']')) {
                    return fail({}, QStringLiteral("a section without its closing ]"));
                }
                const QStringList words = line.mid(1, line.size() - 2).simplified().split(u' ');
                seen.clear();
                sectionLine = lineNo;
                if (words.size() == 1 && words[0] == QLatin1String("agent")) {
                    section = Section::Agent;
                } else if (words.size() == 2 && words[0] == QLatin1String("line")) {
                    if (!kLineName.match(words[1]).hasMatch()) {
                        return fail({}, QStringLiteral("\"%1\" is not a line name (letters, "
                                                       "digits, . _ -)")
                                            .arg(words[1]));
                    }
                    section = Section::Line;
                    config->lines.push_back({words[1], {}, {}});
                } else {
                    return fail({}, QStringLiteral("unknown section %1").arg(line));
                }
                continue;
            }
            const qsizetype equals = line.indexOf(u'=');
            if (equals < 0) {
                return fail({}, QStringLiteral("\"%1\" is not key = value").arg(line));
            }
            const QString key = line.left(equals).trimmed();
            const QString value = line.mid(equals + 1).trimmed();
            if (section == Section::None) {
                return fail(key, QStringLiteral("a setting before any section"));
            }
            if (seen.contains(key)) {
                return fail(key, QStringLiteral("given twice in one section"));
            }
            seen << key;
            const bool ok = section == Section::Agent ? agentKey(key, value)
                                                      : lineKey(config->lines.back(), key, value);
            if (!ok) {
                return false;
            }
        }
        return lineDone();
    }
};

} // namespace

std::optional<std::vector<std::uint8_t>> parseAddresses(const QString& text) {
    std::vector<std::uint8_t> addresses;
    const QString trimmed = text.trimmed();
    if (trimmed == QLatin1String("scan")) {
        for (int address = bus::kFirstAddress; address <= bus::kLastAddress; ++address) {
            addresses.push_back(static_cast<std::uint8_t>(address));
        }
        return addresses;
    }
    for (const QString& part : trimmed.split(u',')) {
        const QStringList ends = part.split(u'-');
        const auto first = addressOf(ends.first());
        const auto last = addressOf(ends.last());
        if (ends.size() > 2 || !first || !last || *first > *last) {
            return std::nullopt;
        }
        for (int address = *first; address <= *last; ++address) {
            addresses.push_back(static_cast<std::uint8_t>(address));
        }
    }
    std::sort(addresses.begin(), addresses.end());
    addresses.erase(std::unique(addresses.begin(), addresses.end()), addresses.end());
    return addresses;
}

bool readConfigText(const QByteArray& text, const QString& fileName, AgentConfig* config,
                    QString* error) {
    Reader reader{fileName, config, error};
    return reader.read(text);
}

std::optional<LineConfig> parseLineOption(const QString& text, QString* error) {
    const qsizetype at = text.lastIndexOf(u'@');
    const QString head = text.left(at);
    const qsizetype equals = head.indexOf(u'=');
    LineConfig line;
    line.device = head.mid(equals + 1);
    line.name = equals >= 0 ? head.left(equals) : nameOfDevice(line.device);
    const auto addresses = at < 0 ? std::nullopt : parseAddresses(text.mid(at + 1));
    if (line.device.isEmpty() || !addresses) {
        *error = QStringLiteral("--line: \"%1\" is not [NAME=]DEVICE@ADDRESSES, the addresses "
                                "1..20 as a list (1,3,7), a range (1-20) or scan")
                     .arg(text);
        return std::nullopt;
    }
    if (!kLineName.match(line.name).hasMatch()) {
        *error = QStringLiteral("--line: \"%1\" is not a line name (letters, digits, . _ -)")
                     .arg(line.name);
        return std::nullopt;
    }
    line.addresses = *addresses;
    line.scan = text.mid(at + 1).trimmed() == QLatin1String("scan");
    return line;
}

bool checkLines(const AgentConfig& config, QString* error) {
    for (std::size_t i = 0; i < config.lines.size(); ++i) {
        for (std::size_t j = 0; j < i; ++j) {
            const LineConfig& a = config.lines[i];
            const LineConfig& b = config.lines[j];
            if (a.name == b.name || a.device == b.device) {
                *error = a.name == b.name ? QStringLiteral("line %1: given twice").arg(a.name)
                                          : QStringLiteral("line %1: %2 is line %3 already")
                                                .arg(a.name, a.device, b.name);
                return false;
            }
        }
    }
    if (config.lines.empty()) {
        *error = QStringLiteral("no line to watch: name one in the configuration file "
                                "([line NAME] with device and addresses) or with --line");
        return false;
    }
    return true;
}

} // namespace brisco::agent
