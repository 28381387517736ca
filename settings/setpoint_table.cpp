#include "settings/setpoint_table.h"

namespace brisco::settings {

using protocol::Encoding;

const std::array<SetPoint, kSetPointCount>& setPoints() {
    // clang-format off
    static const std::array<SetPoint, kSetPointCount> table{{
        {0, "Cooling", "Open tmep", "S_TECcoolStart_Text", "TECcoolStart_Text",
         Encoding::Plus40, {20, 45, RangeForm::Decimal}},
        {1, "Cooling", "Stop temp", "S_TECcoolStop_Text", "TECcoolStop_Text",
         Encoding::Plus40, {10, 35, RangeForm::Decimal}},
        {2, "Heating", "Open temp", "S_TECheatStart_Text", "TECheatStart_Text",
         Encoding::Plus40, {0, 15, RangeForm::Decimal}},
        {3, "Heating", "Stop temp", "S_TECheatStop_Text", "TECheatStop_Text",
         Encoding::Plus40, {10, 20, RangeForm::Decimal}},
        {4, "Inner fan", " Pulse per revolution", "S_IntFanPulse_Text", "IntFanPulse_Text",
         Encoding::Plain, {2, 3, RangeForm::Whole}},
        {5, "Inner fan", "Low rotation speed", "S_IntFanLowS_Text", "IntFanLowS_Text",
         Encoding::Word16, {600, 5500, RangeForm::Decimal}},
        {7, "Inner fan", "High rotation speed", "S_IntFanHighS_Text", "IntFanHighS_Text",
         Encoding::Word16, {1500, 5500, RangeForm::Decimal}},
        {9, "Outer fan", " Pulse per revolution", "S_ExtFanPulse_Text", "ExtFanPulse_Text",
         Encoding::Plain, {2, 3, RangeForm::Whole}},
        {10, "Outer fan", "High rotation speed", "S_ExtFanHighS_Text", "ExtFanHighS_Text",
         Encoding::Word16, {2000, 5500, RangeForm::Whole}},
        {12, "Warning", "High temperature warning", "S_TempMax_Text", "TempMax_Text",
         Encoding::Plus40, {30, 80, RangeForm::Decimal}},
        {13, "Warning", "Low temperature warning", "S_TempMin_Text", "TempMin_Text",
         Encoding::Plus40, {-40, 30, RangeForm::Decimal}},
        {14, "Semiconductor module", "Low current limit", "S_TECcurrL_Text", "TECcurrL_Text",
         Encoding::Times10, {0.1, 10, RangeForm::Decimal}},
        {15, "Semiconductor module", "High current limit", "S_TECcurrH_Text", "TECcurrH_Text",
         Encoding::Times10, {2, 20, RangeForm::Decimal}},
    }};
    // clang-format on
    return table;
}

const SetPoint* setPointAt(int parameter) {
    for (const SetPoint& setPoint : setPoints()) {
        if (setPoint.parameter == parameter) {
            return &setPoint;
        }
    }
    return nullptr;
}

} // namespace brisco::settings
