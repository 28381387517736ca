#include "sim/sim_options.h"
#include "brisco_build.h"

#include "sim/controller_bus.h"
#include "sim/encoding.h"
#include "sim/frames.h"

#include <QCommandLineParser>

#include <cmath>
#include <type_traits>

namespace brisco::sim {

namespace {

constexpr qsizetype kMaxBusControllers = 32;

const char* const kDescription = R"(Virtual TEC controller on a pseudo-terminal.

Prints the path of the terminal's slave side as the first line of standard
output, then plays the controller's side of the serial protocol on it until
SIGINT or SIGTERM. Diagnostics, the trace and the totals printed on exit go
to standard error. The readings drift slowly with the time since start.

The controller answers requests to its bus address; the address query is also
taken at address 0, and its answer always leaves from address 0. Requests with
a bad checksum or for another address are ignored. Unknown read sub-commands,
writes outside parameters 0..28 and 50, and writes of address 0 are refused
with 21 followed by the address.

With --bus, several controllers share the line, each with its own address,
device information, cooling set-points and drift; the first is the default
controller, the others have models and versions of their own. Each sees every
request and only the one addressed answers. Replies given at once (the
address query, which every controller takes at address 0, or two controllers
given one address) collide into one frame whose checksum fails.

One controller can be made to answer late (--delay-of) or to raise an alarm
(--alarm), the others going on as before.

Line faults are off by default. Percentages draw independently per reply: first
--refuse, then --corrupt among the replies not refused. --seed makes every
random choice and the drift repeat from run to run.

Stats file (--stats-file), one line each, flushed as written so that it can be
read while the simulator runs:
  # brisco-sim stats 1
  <seconds> <kind> <fate> <hex bytes>
      for every reply, when its last byte has been handed to the terminal;
      seconds since start with three decimals; kind is status, address, info,
      factory, ack, refusal or other (the kind of reply the controller gave,
      also when a refusal replaced it); fate is good (sent intact), corrupt
      (sent with a damaged checksum), refused (the refusal shown went out
      instead) or silenced (the reply shown was withheld); hex bytes in upper
      case separated by single spaces.
  total <name> <count>
      on exit, for status-good, other-good, status-corrupt, other-corrupt,
      status-refused, other-refused, status-silenced, other-silenced,
      requests-accepted, requests-ignored, bytes-skipped, bytes-echoed,
      bytes-noise and collisions.
A master may count exactly the status lines marked good, and may show only
values carried by one of them.)";

// --delay-of and --alarm, each for a controller on the line; false, with the
// reason in *message, when one is wrong.
bool parseControllerFaults(const QCommandLineParser& parser, SimOptions& options,
                           QString* message) {
    QList<quint8> line = options.bus;
    if (line.isEmpty())
        line.append(options.controller.address);
    const auto onLine = [&](uint address, const char* option) {
        if (line.contains(address))
            return true;
        *message = QStringLiteral("--%1: no controller at %2").arg(option).arg(address);
        return false;
    };
    for (const QString& item : parser.values("delay-of")) {
        bool ok = false;
        const uint address = item.section(u':', 0, 0).toUInt(&ok);
        const uint ms = ok ? item.section(u':', 1).toUInt(&ok) : 0;
        if (!ok || item.count(u':') != 1 || ms > 60000 || options.delayOf.contains(address)) {
            *message =
                QStringLiteral("--delay-of must be ADDR:MS, MS 0..60000, once for each ADDR");
            return false;
        }
        if (!onLine(address, "delay-of"))
            return false;
        options.delayOf.insert(static_cast<quint8>(address), static_cast<int>(ms));
    }
    for (const QString& item : parser.values("alarm")) {
        const std::optional<LampAlarm> alarm = parseLampAlarm(item);
        if (!alarm) {
            *message = QStringLiteral("--alarm must be ADDR:NAME or ADDR:NAME@SECONDS, NAME one "
                                      "of %1")
                           .arg(lampAlarmNames());
            return false;
        }
        if (!onLine(alarm->address, "alarm"))
            return false;
        options.alarms.append(*alarm);
    }
    return true;
}

// Each controller with the alarms for its address.
QList<ControllerConfig> withAlarms(QList<ControllerConfig> controllers,
                                   const QList<LampAlarm>& alarms) {
    for (ControllerConfig& controller : controllers) {
        for (const LampAlarm& alarm : alarms) {
            if (alarm.address == controller.address)
                controller.alarms.append(alarm);
        }
    }
    return controllers;
}

} // namespace

ParsedOptions parseSimOptions(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromLatin1(kDescription));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions({
        {"address", "Bus address at start, 1..255 (default 1).", "N"},
        {"bus",
         "Several controllers on the line, at these distinct addresses (1..255, comma-separated, "
         "at most 32), instead of the one of --address and --info.",
         "LIST"},
        {"info",
         QStringLiteral("Device-information text, sent byte for byte, terminating byte included; "
                        "1..255 Latin-1 characters (default \"%1\").")
             .arg(kDefaultDeviceInfo),
         "TEXT"},
        {"echo", "Echo every byte received before the reply, as a four-wire line does."},
        {"split", QStringLiteral("Send each reply in 1 to %1 pieces, 0 to %2 ms apart.")
                      .arg(LineFaults::kMaxPieces)
                      .arg(LineFaults::kMaxGapMs)},
        {"noise", QStringLiteral("Send 0 to %1 random bytes before each reply, never 5, 6 or 21, "
                                 "so noise cannot start a frame.")
                      .arg(LineFaults::kMaxNoiseBytes)},
        {"corrupt", "Damage the checksum byte of PERCENT of the replies (0..100).", "PERCENT"},
        {"refuse",
         "Send the refusal 21 a (a: the address) instead of PERCENT of the replies (0..100).",
         "PERCENT"},
        {"silence",
         "Send no replies during the first SECONDS after start, answer for the next SECONDS, "
         "and so on alternately. Requests are still carried out and echoed.",
         "SECONDS"},
        {"silence-period",
         "With --silence: be silent for SECONDS at the start of every PERIOD seconds instead.",
         "PERIOD"},
        {"delay", "Hold each reply back MS milliseconds, 0..60000 (default 0).", "MS"},
        {"delay-of",
         "Hold the replies of the controller at ADDR to the requests sent to ADDR back MS "
         "milliseconds (0..60000) instead of --delay; may be given again for other controllers.",
         "ADDR:MS"},
        {"alarm",
         QStringLiteral("Light an alarm lamp in the status replies of the controller at ADDR, "
                        "from SECONDS after start on (default 0); may be given again. NAME is "
                        "one of %1.")
             .arg(lampAlarmNames()),
         "ADDR:NAME[@SECONDS]"},
        {"sensor-fault",
         "A sensor of the controller at fault: inner-open, inner-short, outer-open or "
         "outer-short. Its temperature byte is then 254 (open) or 255 (shorted).",
         "FAULT"},
        {"seed", "Seed of the run, 0..4294967295 (default: drawn, and printed on standard error).",
         "N"},
        {"link",
         "Make PATH a symbolic link to the slave side, removed on exit. A dangling link there "
         "is replaced; anything else is an error.",
         "PATH"},
        {"trace", "Log to standard error, with seconds since start: rx (bytes read), req "
                  "(request answered), tx (bytes written) and reply (kind and fate) lines in hex."},
        {"stats-file", "Write every reply and, on exit, the totals to PATH (format above).",
         "PATH"},
    });

    ParsedOptions parsed;
    if (!parser.parse(arguments)) {
        parsed.message = parser.errorText();
        return parsed;
    }
    if (parser.isSet("help")) {
        parsed.helpRequested = true;
        parsed.message = parser.helpText();
        return parsed;
    }
    if (parser.isSet("version")) {
        parsed.helpRequested = true;
        parsed.message = QStringLiteral("brisco-sim %1\n").arg(QLatin1String(BRISCO_VERSION));
        return parsed;
    }
    if (!parser.positionalArguments().isEmpty()) {
        parsed.message = "Unexpected argument: " + parser.positionalArguments().first();
        return parsed;
    }

    SimOptions options;
    // Reads a whole number in low..high into target when the option is set.
    const auto integer = [&](const char* name, qint64 low, qint64 high, auto& target) {
        if (!parser.isSet(name))
            return true;
        bool ok = false;
        const qint64 value = parser.value(name).toLongLong(&ok);
        if (!ok || value < low || value > high) {
            parsed.message = QStringLiteral("--%1 must be %2..%3").arg(name).arg(low).arg(high);
            return false;
        }
        target = static_cast<std::remove_reference_t<decltype(target)>>(value);
        return true;
    };
    FaultConfig& faults = options.faults;
    if (!integer("address", 1, 255, options.controller.address) ||
        !integer("corrupt", 0, 100, faults.corruptPercent) ||
        !integer("refuse", 0, 100, faults.refusePercent) ||
        !integer("delay", 0, 60000, faults.delayMs) ||
        !integer("seed", 0, 4294967295, options.seed))
        return parsed;
    bool ok = true;
    if (parser.isSet("bus")) {
        if (parser.isSet("address") || parser.isSet("info")) {
            parsed.message = QStringLiteral("--bus excludes --address and --info");
            return parsed;
        }
        for (const QString& item : parser.value("bus").split(u',')) {
            const uint address = item.toUInt(&ok);
            if (!ok || address < 1 || address > 255 || options.bus.contains(address) ||
                options.bus.size() == kMaxBusControllers) {
                parsed.message = QStringLiteral(
                    "--bus must list 1..32 distinct addresses 1..255, separated by commas");
                return parsed;
            }
            options.bus.append(static_cast<quint8>(address));
        }
    }
    if (parser.isSet("info")) {
        const QString text = parser.value("info");
        options.controller.deviceInfo = text.toLatin1();
        if (text.isEmpty() || text.size() > kMaxTextLength ||
            QString::fromLatin1(options.controller.deviceInfo) != text) {
            parsed.message = QStringLiteral("--info must be 1..255 Latin-1 characters");
            return parsed;
        }
    }
    if (parser.isSet("sensor-fault")) {
        const QString fault = parser.value("sensor-fault");
        const quint8 code = fault.endsWith(QLatin1String("-open")) ? encoding::kOpenSensor
                                                                   : encoding::kShortedSensor;
        if (fault == "inner-open" || fault == "inner-short") {
            options.controller.innerSensorCode = code;
        } else if (fault == "outer-open" || fault == "outer-short") {
            options.controller.outerSensorCode = code;
        } else {
            parsed.message = QStringLiteral(
                "--sensor-fault must be inner-open, inner-short, outer-open or outer-short");
            return parsed;
        }
    }
    faults.silenceSeconds = parser.isSet("silence") ? parser.value("silence").toDouble(&ok) : 0.0;
    if (!ok || !std::isfinite(faults.silenceSeconds) || faults.silenceSeconds < 0.0) {
        parsed.message = QStringLiteral("--silence must be a number of seconds, 0 or more");
        return parsed;
    }
    faults.silencePeriod =
        parser.isSet("silence-period") ? parser.value("silence-period").toDouble(&ok) : 0.0;
    if (!ok || !std::isfinite(faults.silencePeriod) || faults.silencePeriod < 0.0) {
        parsed.message = QStringLiteral("--silence-period must be a number of seconds, 0 or more");
        return parsed;
    }
    if (!parseControllerFaults(parser, options, &parsed.message))
        return parsed;
    faults.echo = parser.isSet("echo");
    faults.split = parser.isSet("split");
    faults.noise = parser.isSet("noise");
    options.trace = parser.isSet("trace");
    options.linkPath = parser.value("link");
    options.statsPath = parser.value("stats-file");
    parsed.options = options;
    return parsed;
}

QList<ControllerConfig> lineControllers(const SimOptions& options) {
    if (options.bus.isEmpty())
        return withAlarms({options.controller}, options.alarms);
    QList<ControllerConfig> controllers;
    for (qsizetype i = 0; i < options.bus.size(); ++i)
        controllers.append(busController(static_cast<int>(i), options.bus[i]));
    return withAlarms(controllers, options.alarms);
}

} // namespace brisco::sim
