#include "metrics/exposition.h"

#include "display/lamp_table.h"
#include "settings/setpoint_table.h"

#include <QLocale>

#include <algorithm>
#include <array>
#include <span>
#include <tuple>

namespace brisco::metrics {

namespace {

using display::Sensor;
using display::StatusValues;
using protocol::Encoding;

// UTF-8 with backslash, double quote and line feed escaped, as the format
// wants a label value.
QByteArray escaped(const QString& value) {
    QByteArray out;
    for (const char c : value.toUtf8()) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '"':
            out += "\\\"";
            break;
        case '\n':
            out += "\\n";
            break;
        default:
            out += c;
        }
    }
    return out;
}

QByteArray label(const char* name, const QString& value) {
    return QByteArray(name) + "=\"" + escaped(value) + '"';
}

QByteArray number(double value) {
    return QByteArray::number(value, 'g', QLocale::FloatingPointShortest);
}

class Writer {
public:
    void family(const char* name, const char* type, const char* help) {
        m_name = name;
        m_out += QByteArray("# HELP ") + name + ' ' + help + "\n# TYPE " + name + ' ' + type + '\n';
    }
    // The labels of the line or controller, then those of the sample.
    void sample(const QByteArray& labels, const QByteArray& more, const QByteArray& value) {
        m_out.append(m_name).append('{').append(labels);
        if (!more.isEmpty()) {
            m_out.append(',').append(more);
        }
        m_out.append("} ").append(value).append('\n');
    }
    QByteArray text() const { return m_out; }

private:
    QByteArray m_out;
    QByteArray m_name;
};

struct Controller {
    QByteArray labels; // line, address and model
    const ControllerSnapshot* snapshot;
};

// The families of the set-points by unit, told apart by how the controller
// encodes them.
struct SetPointFamily {
    Encoding encoding;
    const char* name;
    const char* help;
};

constexpr SetPointFamily kSetPointFamilies[] = {
    {Encoding::Plus40, "brisco_controller_setpoint_celsius",
     "Temperature set-points of its last status reply."},
    {Encoding::Word16, "brisco_controller_setpoint_rpm",
     "Fan rotation-speed set-points of its last status reply, in revolutions per minute."},
    {Encoding::Times10, "brisco_controller_setpoint_amperes",
     "TEC current limits of its last status reply."},
    {Encoding::Plain, "brisco_controller_setpoint_pulses_per_revolution",
     "Fan pulses per revolution of its last status reply."},
};

// The name of a set-point in the set-point files as well: its display box
// without "_Text".
QString setPointName(const settings::SetPoint& setPoint) {
    return QString::fromLatin1(setPoint.displayName).chopped(5);
}

void lineFamilies(Writer& out, const std::vector<const LineSnapshot*>& lines) {
    out.family("brisco_line_info", "gauge", "The device behind each line; always 1.");
    for (const LineSnapshot* line : lines) {
        out.sample(label("line", line->line), label("device", line->device), "1");
    }
    out.family("brisco_line_port_open", "gauge", "1 while the port of the line is open, else 0.");
    for (const LineSnapshot* line : lines) {
        out.sample(label("line", line->line), {}, line->portOpen ? "1" : "0");
    }
    struct Counter {
        const char* name;
        const char* help;
        qint64 LineSnapshot::*value;
    };
    static constexpr Counter kCounters[] = {
        {"brisco_line_replies_total", "Replies with a good checksum received on the line.",
         &LineSnapshot::replies},
        {"brisco_line_checksum_errors_total",
         "Replies dropped on the line because their checksum did not match.",
         &LineSnapshot::checksumErrors},
        {"brisco_line_refusals_total", "Refusals received on the line.", &LineSnapshot::refusals},
        {"brisco_line_late_replies_total",
         "Replies dropped on the line because no request waited for their address.",
         &LineSnapshot::lateReplies},
    };
    for (const Counter& counter : kCounters) {
        out.family(counter.name, "counter", counter.help);
        for (const LineSnapshot* line : lines) {
            out.sample(label("line", line->line), {}, QByteArray::number(line->*counter.value));
        }
    }
}

void statusFamilies(Writer& out, const std::vector<Controller>& heard) {
    out.family("brisco_controller_temperature_celsius", "gauge",
               "Temperatures of its last status reply: the inner and outer sensors and the "
               "control temperature. No sample for a sensor at fault.");
    for (const Controller& c : heard) {
        const StatusValues& status = *c.snapshot->status;
        const std::pair<const char*, std::optional<double>> temperatures[] = {
            {"sensor=\"inner\"", status.innerTemp},
            {"sensor=\"outer\"", status.outerTemp},
            {"sensor=\"control\"", status.controlTemp},
        };
        for (const auto& [sensor, value] : temperatures) {
            if (value) {
                out.sample(c.labels, sensor, number(*value));
            }
        }
    }
    out.family("brisco_controller_sensor_fault", "gauge",
               "1 while a temperature sensor reports this fault in its last status reply, else 0.");
    for (const Controller& c : heard) {
        const StatusValues& status = *c.snapshot->status;
        const std::pair<const char*, bool> faults[] = {
            {"sensor=\"inner\",fault=\"open\"", status.innerSensor == Sensor::Open},
            {"sensor=\"inner\",fault=\"short\"", status.innerSensor == Sensor::Short},
            {"sensor=\"outer\",fault=\"open\"", status.outerSensor == Sensor::Open},
            {"sensor=\"outer\",fault=\"short\"", status.outerSensor == Sensor::Short},
        };
        for (const auto& [fault, present] : faults) {
            out.sample(c.labels, fault, present ? "1" : "0");
        }
    }
    out.family("brisco_controller_tec_current_amperes", "gauge",
               "TEC current of its last status reply.");
    for (const Controller& c : heard) {
        out.sample(c.labels, {}, number(c.snapshot->status->tecCurrent));
    }
    out.family("brisco_controller_dc_voltage_volts", "gauge",
               "DC supply voltage of its last status reply.");
    for (const Controller& c : heard) {
        out.sample(c.labels, {}, number(c.snapshot->status->dcVoltage));
    }
    out.family("brisco_controller_fan_speed", "gauge",
               "Fan speed reading of its last status reply, in the controller's own units, "
               "not converted.");
    for (const Controller& c : heard) {
        out.sample(c.labels, "fan=\"inner\"",
                   QByteArray::number(c.snapshot->status->innerFanReading));
        out.sample(c.labels, "fan=\"outer\"",
                   QByteArray::number(c.snapshot->status->outerFanReading));
    }
    std::array<QByteArray, settings::kSetPointCount> setPointLabels;
    for (std::size_t i = 0; i < settings::kSetPointCount; ++i) {
        setPointLabels[i] = label("setpoint", setPointName(settings::setPoints()[i]));
    }
    for (const SetPointFamily& family : kSetPointFamilies) {
        out.family(family.name, "gauge", family.help);
        for (const Controller& c : heard) {
            for (std::size_t i = 0; i < settings::kSetPointCount; ++i) {
                if (settings::setPoints()[i].encoding == family.encoding) {
                    out.sample(c.labels, setPointLabels[i],
                               number(c.snapshot->status->setPoints[i]));
                }
            }
        }
    }
    // One series a lamp, its colour code (the window's and the recording's)
    // as the value: each lamp lights in one colour only, so a series per
    // colour would mostly be series that never leave 0 (88 a controller
    // instead of 22), and "== 2" finds every red alarm all the same.
    out.family("brisco_controller_lamp", "gauge",
               "Indicator lamps of its last status reply: 0 off, 1 green, 2 red, 3 yellow.");
    const std::pair<const char*, std::span<const display::LampRow>> groups[] = {
        {display::kWorkingStateGroup, display::workingStateLamps()},
        {display::kAlertsGroup, display::alertLamps()},
    };
    std::vector<std::pair<QByteArray, std::size_t>> lamps; // labels, index of its code
    for (const auto& [group, rows] : groups) {
        for (const display::LampRow& lamp : rows) {
            lamps.emplace_back(label("group", QString::fromLatin1(group)) + ',' +
                                   label("lamp", QString::fromUtf8(lamp.caption)),
                               std::size_t(lamp.number - 1));
        }
    }
    for (const Controller& c : heard) {
        for (const auto& [labels, index] : lamps) {
            out.sample(c.labels, labels, QByteArray::number(c.snapshot->status->lampCodes[index]));
        }
    }
}

} // namespace

QByteArray exposition(const Snapshot& snapshot) {
    std::vector<const LineSnapshot*> lines;
    for (const LineSnapshot& line : snapshot.lines) {
        lines.push_back(&line);
    }
    std::stable_sort(lines.begin(), lines.end(), [](const LineSnapshot* a, const LineSnapshot* b) {
        return a->line < b->line;
    });
    std::vector<const ControllerSnapshot*> controllers;
    for (const ControllerSnapshot& controller : snapshot.controllers) {
        controllers.push_back(&controller);
    }
    std::stable_sort(controllers.begin(), controllers.end(),
                     [](const ControllerSnapshot* a, const ControllerSnapshot* b) {
                         return std::tie(a->line, a->address) < std::tie(b->line, b->address);
                     });
    std::vector<Controller> all;
    std::vector<Controller> heard;
    for (const ControllerSnapshot* controller : controllers) {
        const Controller c{label("line", controller->line) + ',' +
                               label("address", QString::number(controller->address)) + ',' +
                               label("model", controller->model),
                           controller};
        all.push_back(c);
        if (controller->status) {
            heard.push_back(c);
        }
    }

    Writer out;
    lineFamilies(out, lines);
    out.family("brisco_controller_up", "gauge", "1 while the controller answers, else 0.");
    for (const Controller& c : all) {
        out.sample(c.labels, {}, c.snapshot->up ? "1" : "0");
    }
    out.family("brisco_controller_last_reply_age_seconds", "gauge",
               "Seconds since the last good reply of the controller. No sample while it was "
               "never heard.");
    for (const Controller& c : all) {
        if (c.snapshot->secondsSinceReply) {
            out.sample(c.labels, {}, number(*c.snapshot->secondsSinceReply));
        }
    }
    statusFamilies(out, heard);
    return out.text();
}

} // namespace brisco::metrics
