// The factory values: one table for the factory window's layout, the
// factory sender's walk and the readback of the factory reply.
#pragma once

#include "protocol/receive_ring.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <utility>

namespace brisco::settings {

// When a factory value is sent.
enum class FactoryRule {
    Numeric,         // entry e and display d as numbers: e != 0 and d != e
    FirstCharacter,  // the version's first character, by character code
    SecondCharacter, // its second character
    CheckBox,        // the two check states differ
};

struct FactoryValue {
    int parameter;           // 16..27; reply offset = parameter - 11
    const char* label;       // caption beside the pair
    const char* entryName;   // the operator's new value (a check box for the switch)
    const char* displayName; // the controller's value (the locked check box)
    FactoryRule rule;
    int column; // 0 left, 1 middle, 2 right
    int row;    // top to bottom in its column
};

inline constexpr int kFirstFactoryParameter = 16;
inline constexpr int kLastFactoryParameter = 27;

// In parameter order; the version takes 20 and 21 with the same two boxes.
const std::array<FactoryValue, 12>& factoryValues();

// The factory value under this parameter number, or nullptr outside 16..27.
const FactoryValue* factoryValueAt(int parameter);

// Its caption as a name of its own: each offset says of which limit.
QString factoryValueName(const FactoryValue& value);

// What the sender does with one factory value.
struct FactoryStep {
    // Zero: the entry holds 0 and the display another value (or none); an
    // entry of 0 is never written, and the operator is told so.
    enum What { Pass, Send, Refuse, Zero } what = Pass;
    std::uint8_t byte = 0;
};

// A numeric entry rounded half to even, a character code, or a check state;
// Refuse when the value does not fit one byte (below 0, above 255, or a
// character outside Latin-1). A character missing from the display counts as
// different from any entered one.
FactoryStep factoryStep(const FactoryValue& value, const QString& entry, const QString& display,
                        bool entryChecked, bool displayChecked);

// What the operator is told after a factory transfer that passed over
// entries holding 0, named in names.
QString zeroEntriesNotSent(const QStringList& names);

// The factory values as numbers: what a factory reply reports, or a file
// holds, for the entry boxes.
struct FactorySet {
    std::array<int, 12> numbers{}; // by parameter - 16, for the numeric values
    QString version;               // one or two Latin-1 characters
    bool coolingOnly = false;
};

// The display texts of an 18-byte factory reply at the read index, in offset
// order (the version as two Latin-1 characters), and its values.
struct FactoryReadback {
    QList<std::pair<const char*, QString>> texts;
    FactorySet values;
};
FactoryReadback readFactoryReply(const protocol::ReceiveRing& ring);

// The access code of the factory window, exactly and nothing around it.
bool accessCodeOpens(const QString& text);

} // namespace brisco::settings
