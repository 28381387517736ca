#include "sim/sim_options.h"
#include "brisco_build.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

#include <cmath>

namespace brisco::sim {

namespace {

const char* const kDescription = R"(Virtual TEC controller on a pseudo-terminal.

Prints the path of the terminal's slave side as the first line of standard
output, then plays the controller's side of the serial protocol on it until
SIGINT or SIGTERM. Diagnostics, the trace and the summary line of the counters
printed on exit go to standard error.

The controller answers requests to its bus address; the address query is also
taken at address 0, and its answer always leaves from address 0. Requests with
a bad checksum or for another address are ignored. Unknown read sub-commands,
writes outside parameters 0..28 and 50, and writes of address 0 are refused
with 21 followed by the address.

Line faults are off by default. Percentages draw independently per reply: first
--refuse, then --corrupt among the replies not refused. --seed makes every
random choice (faults and measurement noise) repeat from run to run.

Stats file (--stats-file), one line each, flushed as written so that it can be
read while the simulator runs:
  # brisco-sim stats 1
  <seconds> <kind> <fate> <hex bytes>
      for every reply, written when its last byte has been handed to the
      terminal; seconds since start with three decimals; kind is status,
      address, info, factory, ack, refusal or other (the kind of reply the
      controller gave, also when a refusal replaced it); fate is good (sent
      intact), corrupt (sent with a damaged checksum), refused (the refusal
      shown went out instead) or silenced (the reply shown was withheld);
      hex bytes in upper case separated by single spaces.
  total <name> <count>
      on exit, for status-good, other-good, status-corrupt, other-corrupt,
      status-refused, other-refused, status-silenced, other-silenced,
      requests-accepted, requests-ignored, bytes-skipped, bytes-echoed and
      bytes-noise.
A master may count exactly the status lines marked good, and may show only
values carried by one of them.)";

struct Percent {
    int value = 0;
    bool ok = false;
};

Percent percent(const QString& text) {
    bool ok = false;
    const int value = text.toInt(&ok);
    return {value, ok && value >= 0 && value <= 100};
}

} // namespace

ParsedOptions parseSimOptions(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromLatin1(kDescription));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();

    const QCommandLineOption address(QStringLiteral("address"),
                                     QStringLiteral("Bus address at start, 1..255 (default 1)."),
                                     QStringLiteral("N"));
    const QCommandLineOption info(
        QStringLiteral("info"),
        QStringLiteral("Device-information text, sent byte for byte, terminating byte included; "
                       "1..255 Latin-1 characters (default \"%1\").")
            .arg(QString::fromLatin1(kDefaultDeviceInfo)),
        QStringLiteral("TEXT"));
    const QCommandLineOption echo(
        QStringLiteral("echo"),
        QStringLiteral("Echo every byte received before the reply, as a four-wire line does."));
    const QCommandLineOption split(
        QStringLiteral("split"),
        QStringLiteral("Send each reply in 1 to %1 pieces, %2 to %3 ms apart.")
            .arg(LineFaults::kMaxPieces)
            .arg(0)
            .arg(LineFaults::kMaxGapMs));
    const QCommandLineOption noise(
        QStringLiteral("noise"),
        QStringLiteral("Send 0 to %1 random bytes before each reply, never 5, 6 or 21, so noise "
                       "cannot start a frame.")
            .arg(LineFaults::kMaxNoiseBytes));
    const QCommandLineOption corrupt(
        QStringLiteral("corrupt"),
        QStringLiteral("Damage the checksum byte of PERCENT of the replies (0..100)."),
        QStringLiteral("PERCENT"));
    const QCommandLineOption refuse(
        QStringLiteral("refuse"),
        QStringLiteral("Send the refusal 21 a (a: the address) instead of PERCENT of the "
                       "replies (0..100)."),
        QStringLiteral("PERCENT"));
    const QCommandLineOption silence(
        QStringLiteral("silence"),
        QStringLiteral("Send no replies during the first SECONDS after start, answer for the next "
                       "SECONDS, and so on alternately. Requests are still carried out and "
                       "echoed."),
        QStringLiteral("SECONDS"));
    const QCommandLineOption delay(
        QStringLiteral("delay"),
        QStringLiteral("Hold each reply back MS milliseconds, 0..60000 (default 0)."),
        QStringLiteral("MS"));
    const QCommandLineOption seed(
        QStringLiteral("seed"),
        QStringLiteral("Seed of the run's one random generator, 0..4294967295 (default: drawn, "
                       "and printed on standard error)."),
        QStringLiteral("N"));
    const QCommandLineOption link(
        QStringLiteral("link"),
        QStringLiteral("Make PATH a symbolic link to the slave side, removed on exit. A dangling "
                       "link there is replaced; anything else is an error."),
        QStringLiteral("PATH"));
    const QCommandLineOption trace(
        QStringLiteral("trace"),
        QStringLiteral("Log to standard error, with seconds since start: rx (bytes read), req "
                       "(request answered), tx (bytes written) and reply (kind and fate) lines "
                       "in hex."));
    const QCommandLineOption stats(
        QStringLiteral("stats-file"),
        QStringLiteral("Write every reply and, on exit, the counters to PATH (format above)."),
        QStringLiteral("PATH"));
    parser.addOptions({address, info, echo, split, noise, corrupt, refuse, silence, delay, seed,
                       link, trace, stats});

    ParsedOptions parsed;
    const auto fail = [&parsed](const QString& message) {
        parsed.message = message;
        return parsed;
    };
    if (!parser.parse(arguments))
        return fail(parser.errorText());
    if (parser.isSet(help)) {
        parsed.helpRequested = true;
        parsed.message = parser.helpText();
        return parsed;
    }
    if (parser.isSet(version)) {
        parsed.helpRequested = true;
        parsed.message = QStringLiteral("brisco-sim %1\n").arg(QLatin1String(BRISCO_VERSION));
        return parsed;
    }
    if (!parser.positionalArguments().isEmpty())
        return fail(
            QStringLiteral("Unexpected argument: %1").arg(parser.positionalArguments().first()));

    SimOptions options;
    if (parser.isSet(address)) {
        bool ok = false;
        const uint value = parser.value(address).toUInt(&ok);
        if (!ok || value < 1 || value > 255)
            return fail(QStringLiteral("--address must be 1..255"));
        options.controller.address = static_cast<quint8>(value);
    }
    if (parser.isSet(info)) {
        const QString text = parser.value(info);
        const QByteArray bytes = text.toLatin1();
        if (bytes.isEmpty() || bytes.size() > kMaxTextLength || QString::fromLatin1(bytes) != text)
            return fail(QStringLiteral("--info must be 1..255 Latin-1 characters"));
        options.controller.deviceInfo = bytes;
    }
    options.faults.echo = parser.isSet(echo);
    options.faults.split = parser.isSet(split);
    options.faults.noise = parser.isSet(noise);
    if (parser.isSet(corrupt)) {
        const Percent value = percent(parser.value(corrupt));
        if (!value.ok)
            return fail(QStringLiteral("--corrupt must be 0..100"));
        options.faults.corruptPercent = value.value;
    }
    if (parser.isSet(refuse)) {
        const Percent value = percent(parser.value(refuse));
        if (!value.ok)
            return fail(QStringLiteral("--refuse must be 0..100"));
        options.faults.refusePercent = value.value;
    }
    if (parser.isSet(silence)) {
        bool ok = false;
        const double value = parser.value(silence).toDouble(&ok);
        if (!ok || !std::isfinite(value) || value < 0.0)
            return fail(QStringLiteral("--silence must be a number of seconds, 0 or more"));
        options.faults.silenceSeconds = value;
    }
    if (parser.isSet(delay)) {
        bool ok = false;
        const int value = parser.value(delay).toInt(&ok);
        if (!ok || value < 0 || value > 60000)
            return fail(QStringLiteral("--delay must be 0..60000"));
        options.faults.delayMs = value;
    }
    if (parser.isSet(seed)) {
        bool ok = false;
        const uint value = parser.value(seed).toUInt(&ok);
        if (!ok)
            return fail(QStringLiteral("--seed must be 0..4294967295"));
        options.seed = value;
    }
    options.linkPath = parser.value(link);
    options.statsPath = parser.value(stats);
    options.trace = parser.isSet(trace);
    parsed.options = options;
    return parsed;
}

} // namespace brisco::sim
