#include "station/alarm_watch.h"

#include "display/lamp_table.h"

#include <utility>

namespace brisco::station {

namespace {

// "High temp (Alerts)": the caption and the group it stands in.
QString lampWithGroup(int number) {
    for (const auto& [lamps, group] :
         {std::pair{display::workingStateLamps(), display::kWorkingStateGroup},
          std::pair{display::alertLamps(), display::kAlertsGroup}}) {
        for (const display::LampRow& row : lamps) {
            if (row.number == number) {
                return QStringLiteral("%1 (%2)").arg(QString::fromUtf8(row.caption),
                                                     QString::fromLatin1(group));
            }
        }
    }
    return {};
}

constexpr std::uint32_t bit(int lamp) {
    return std::uint32_t{1} << (lamp - 1);
}

} // namespace

QString LampAlarm::summary() const {
    const QString controller = QStringLiteral("Alarm on controller %1").arg(address);
    return model.isEmpty() ? controller : QStringLiteral("%1 (%2)").arg(controller, model);
}

QString LampAlarm::body() const {
    return lampWithGroup(lamp) + QStringLiteral(" turned red");
}

QString LampAlarm::text() const {
    return summary() + QStringLiteral(": ") + body();
}

void AlarmWatch::statusDecoded(std::uint8_t address, const QString& model,
                               const display::StatusValues& values) {
    std::uint32_t now = 0;
    for (int lamp = 1; lamp <= display::kLampCount; ++lamp) {
        if (values.lampCodes[static_cast<std::size_t>(lamp - 1)] == display::kRed) {
            now |= bit(lamp);
        }
    }
    const std::uint32_t before = m_red.value(address).lamps;
    if (now == 0) {
        m_red.remove(address);
    } else {
        m_red.insert(address, {model, now});
    }
    for (int lamp = 1; lamp <= display::kLampCount; ++lamp) {
        const LampAlarm alarm{address, model, lamp};
        if ((before & ~now) & bit(lamp)) {
            emit cleared(alarm);
        } else if ((now & ~before) & bit(lamp)) {
            emit raised(alarm);
        }
    }
}

void AlarmWatch::forget() {
    const QMap<std::uint8_t, Red> red = std::exchange(m_red, {});
    for (auto it = red.begin(); it != red.end(); ++it) {
        for (int lamp = 1; lamp <= display::kLampCount; ++lamp) {
            if (it->lamps & bit(lamp)) {
                emit cleared({it.key(), it->model, lamp});
            }
        }
    }
}

} // namespace brisco::station
