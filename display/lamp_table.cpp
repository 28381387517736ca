#include "display/lamp_table.h"

#include <array>

namespace brisco::display {

namespace {

constexpr LampRow kWorkingStateLamps[] = {
    {1, "Inner fan"}, {2, "Outer fan"}, {3, "Cooling"},      {4, "Heating"},
    {5, "Hydrogen"},  {6, "Self test"}, {18, "Analog temp"}, {19, "自检"},
};
constexpr LampRow kAlertLamps[] = {
    {7, "General"},         {8, "Sensor"},          {9, "Inner fan"},  {10, "Outer fan"},
    {11, "Low current"},    {12, "High current"},   {13, "High temp"}, {14, "Low temp"},
    {15, "DC low"},         {16, "DC high"},        {17, "AC dump"},   {20, "Entrance guard"},
    {21, "Switch value 3"}, {22, "Switch value 4"},
};

const LampRow* find(std::span<const LampRow> rows, int number) {
    for (const LampRow& row : rows) {
        if (row.number == number) {
            return &row;
        }
    }
    return nullptr;
}

bool captionIn(std::span<const LampRow> rows, const char* caption) {
    for (const LampRow& row : rows) {
        if (QString::fromUtf8(row.caption) == QString::fromUtf8(caption)) {
            return true;
        }
    }
    return false;
}

} // namespace

std::span<const LampRow> workingStateLamps() {
    return kWorkingStateLamps;
}

std::span<const LampRow> alertLamps() {
    return kAlertLamps;
}

QString lampTitle(int number) {
    const bool working = find(kWorkingStateLamps, number) != nullptr;
    const LampRow* row = working ? find(kWorkingStateLamps, number) : find(kAlertLamps, number);
    if (!row) {
        return {};
    }
    const QString caption = QString::fromUtf8(row->caption);
    if (!captionIn(working ? alertLamps() : workingStateLamps(), row->caption)) {
        return caption;
    }
    return QStringLiteral("%1 (%2)").arg(
        caption, QString::fromLatin1(working ? kWorkingStateGroup : kAlertsGroup));
}

QString lampColourWord(int code) {
    static const std::array<QString, 4> words{QStringLiteral("off"), QStringLiteral("green"),
                                              QStringLiteral("red"), QStringLiteral("yellow")};
    return code >= 0 && code < 4 ? words[static_cast<std::size_t>(code)] : QString::number(code);
}

} // namespace brisco::display
