#include "record/write_event.h"

#include "display/status_decoder.h"
#include "display/text_forms.h"
#include "protocol/frames.h"
#include "record/status_csv.h"
#include "settings/factory_table.h"
#include "settings/setpoint_table.h"

#include <array>

using namespace brisco;

namespace {

QString number(double value) {
    return display::decimalText(value, QLocale::c());
}

// What a box shows of a number, in the operator's notation, as a number
// with a point, as the value sent is; a text that is no number stays.
QString shownNumber(const QString& shown) {
    QLocale locale;
    locale.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double value = locale.toDouble(shown, &ok);
    return ok ? number(value) : shown;
}

QString onOff(bool on) {
    return on ? QStringLiteral("on") : QStringLiteral("off");
}

// A factory value by its name, the version's two characters apart.
QString factoryName(const settings::FactoryValue& value) {
    const QString name = settings::factoryValueName(value);
    switch (value.rule) {
    case settings::FactoryRule::FirstCharacter:
        return name + QStringLiteral(", first character");
    case settings::FactoryRule::SecondCharacter:
        return name + QStringLiteral(", second character");
    case settings::FactoryRule::Numeric:
    case settings::FactoryRule::CheckBox:
        break;
    }
    return name;
}

SessionEvent factoryEvent(const settings::FactoryValue& value, int sent, const ShownText& shownText,
                          const ShownChecked& shownChecked) {
    const QString what = QStringLiteral("Sent factory ") + factoryName(value);
    const QString shown = shownText(value.displayName);
    switch (value.rule) {
    case settings::FactoryRule::FirstCharacter:
        return {{}, what, shown.left(1), QString(QChar(sent))};
    case settings::FactoryRule::SecondCharacter:
        return {{}, what, shown.mid(1, 1), QString(QChar(sent))};
    case settings::FactoryRule::CheckBox:
        return {{}, what, onOff(shownChecked(value.displayName)), onOff(sent != 0)};
    case settings::FactoryRule::Numeric:
        break;
    }
    return {{}, what, shownNumber(shown), number(sent)};
}

SessionEvent describe(std::span<const std::uint8_t> frame, const ShownText& shownText,
                      const ShownChecked& shownChecked) {
    const int parameter = frame[3];
    const bool word = frame[4] == 2 && frame.size() >= 8;
    const int sent = word ? frame[5] * 256 + frame[6] : frame[5];
    if (const settings::SetPoint* setPoint = settings::setPointAt(parameter)) {
        // The status reply carries the set-points in the bytes of a write.
        std::array<std::uint8_t, protocol::kStatusReplyLength> reply{};
        reply[std::size_t(5 + parameter)] = frame[5];
        reply[std::size_t(6 + parameter)] = word ? frame[6] : 0;
        const int index = int(setPoint - settings::setPoints().data());
        return {{},
                QStringLiteral("Sent ") + StatusCsv::setPointColumn(index),
                shownNumber(shownText(setPoint->displayName)),
                number(display::setPointValue(*setPoint, reply))};
    }
    if (const settings::FactoryValue* value = settings::factoryValueAt(parameter)) {
        return factoryEvent(*value, sent, shownText, shownChecked);
    }
    if (parameter == protocol::kParamBusAddress) {
        return SessionEvent{{}, QStringLiteral("Sent bus address"), {}, number(sent)};
    }
    if (parameter == protocol::kParamAnalogTemp) {
        return SessionEvent{
            {}, QStringLiteral("Sent analog temp (°C)"), {}, number((sent - 80) / 2.0)};
    }
    return SessionEvent{{}, QStringLiteral("Sent parameter %1").arg(parameter), {}, number(sent)};
}

} // namespace

// The event concerns the controller that the frame goes to.
std::optional<SessionEvent> describeWrite(std::span<const std::uint8_t> frame,
                                          const ShownText& shownText,
                                          const ShownChecked& shownChecked) {
    if (frame.size() < 7 || frame[0] != protocol::kStartRequest ||
        frame[2] != protocol::kCommandWrite) {
        return std::nullopt;
    }
    SessionEvent event = describe(frame, shownText, shownChecked);
    event.address = frame[1] <= StatusCsv::kLastAddress ? frame[1] : 0;
    return event;
}
