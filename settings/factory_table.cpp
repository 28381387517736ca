#include "settings/factory_table.h"

#include "protocol/frames.h"
#include "settings/number_reading.h"

namespace brisco::settings {

namespace {

constexpr int kReplyOffsetOfParameter16 = 5;

FactoryStep characterStep(const QString& entry, const QString& display, qsizetype index) {
    if (entry.size() <= index) {
        return {};
    }
    const char16_t entered = entry[index].unicode();
    if (index < display.size() && display[index].unicode() == entered) {
        return {};
    }
    if (entered > 0xFF) {
        return {FactoryStep::Refuse};
    }
    return {FactoryStep::Send, static_cast<std::uint8_t>(entered)};
}

} // namespace

const std::array<FactoryValue, 12>& factoryValues() {
    using enum FactoryRule;
    // clang-format off
    static const std::array<FactoryValue, 12> table{{
        {16, "DC low limit", "S_DCVlow_Text", "DCVlow_Text", Numeric, 1, 0},
        {17, "Offset", "S_DCVlowOffset_Text", "DCVlowOffset_Text", Numeric, 2, 0},
        {18, "DC high limit", "S_DCVhigh_Text", "DCVhigh_Text", Numeric, 1, 1},
        {19, "Offset", "S_DCVhighOffset_Text", "DCVhighOffset_Text", Numeric, 2, 1},
        {20, "Version", "S_Ver_Text", "Ver_Text", FirstCharacter, 1, 3},
        {21, "Version", "S_Ver_Text", "Ver_Text", SecondCharacter, 1, 3},
        {22, "Inner sensor calib", "S_Temp1Calib_Text", "Temp1Calib_Text", Numeric, 0, 0},
        {23, "Outer sensor calib", "S_Temp2Calib_Text", "Temp2Calib_Text", Numeric, 0, 1},
        {24, "DC voltage calib", "S_DCVcalib_Text", "DCVcalib_Text", Numeric, 0, 3},
        {25, "TEC current calib", "S_TECcurrCalib_Text", "TECcurrCalib_Text", Numeric, 0, 2},
        {26, "Cooling only", "CheckBox1", "CheckBox2", CheckBox, 2, 3},
        {27, "Hydrogen period", "S_H_Fan_Text", "H_Fan_Text", Numeric, 1, 2},
    }};
    // clang-format on
    return table;
}

const FactoryValue* factoryValueAt(int parameter) {
    if (parameter < kFirstFactoryParameter || parameter > kLastFactoryParameter) {
        return nullptr;
    }
    return &factoryValues()[static_cast<std::size_t>(parameter - kFirstFactoryParameter)];
}

QString factoryValueName(const FactoryValue& value) {
    const QString label = QString::fromUtf8(value.label);
    // The two offsets share one caption and follow their limits.
    if (label == QLatin1String("Offset")) {
        return QString::fromUtf8(factoryValueAt(value.parameter - 1)->label) +
               QStringLiteral(" offset");
    }
    return label;
}

QString zeroEntriesNotSent(const QStringList& names) {
    return QStringLiteral("Not sent, as an entry of 0 is never written: %1.")
        .arg(names.join(QStringLiteral(", ")));
}

FactoryStep factoryStep(const FactoryValue& value, const QString& entry, const QString& display,
                        bool entryChecked, bool displayChecked) {
    switch (value.rule) {
    case FactoryRule::FirstCharacter:
        return characterStep(entry, display, 0);
    case FactoryRule::SecondCharacter:
        return characterStep(entry, display, 1);
    case FactoryRule::CheckBox:
        if (entryChecked == displayChecked) {
            return {};
        }
        return {FactoryStep::Send, static_cast<std::uint8_t>(entryChecked ? 1 : 0)};
    case FactoryRule::Numeric:
        break;
    }
    const double entered = readNumber(entry);
    if (entered == 0) {
        const bool told = leadingNumber(entry) == 0.0 && leadingNumber(display) != 0.0;
        return {told ? FactoryStep::Zero : FactoryStep::Pass};
    }
    if (readNumber(display) == entered) {
        return {};
    }
    const double byte = protocol::roundHalfEven(entered);
    if (!(byte >= 0 && byte <= 255)) {
        return {FactoryStep::Refuse};
    }
    return {FactoryStep::Send, static_cast<std::uint8_t>(byte)};
}

FactoryReadback readFactoryReply(const protocol::ReceiveRing& ring) {
    FactoryReadback shown;
    for (const FactoryValue& value : factoryValues()) {
        const std::uint8_t byte =
            ring.at(value.parameter - kFirstFactoryParameter + kReplyOffsetOfParameter16);
        switch (value.rule) {
        case FactoryRule::Numeric:
            shown.texts.append({value.displayName, QString::number(byte)});
            shown.values
                .numbers[static_cast<std::size_t>(value.parameter - kFirstFactoryParameter)] = byte;
            break;
        case FactoryRule::FirstCharacter:
            shown.texts.append({value.displayName, QString(QChar(byte))});
            break;
        case FactoryRule::SecondCharacter:
            shown.texts.last().second += QChar(byte);
            shown.values.version = shown.texts.last().second;
            break;
        case FactoryRule::CheckBox:
            shown.values.coolingOnly = byte == 1;
            break;
        }
    }
    return shown;
}

bool accessCodeOpens(const QString& text) {
    return text == QLatin1String("KT508");
}

} // namespace brisco::settings
