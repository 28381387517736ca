// Set-point files: the thirteen user set-points, or the factory values, as a
// controller last reported them, with the controller they came from, in a
// small JSON file that carries its format's name and version. A file is
// written whole or not at all, and read whole or not at all: every value must
// pass the check that a typed value passes.
#pragma once

#include "settings/factory_table.h"
#include "settings/setpoint_table.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <array>
#include <optional>

namespace brisco::settings {

class SetPointFile {
public:
    enum class Kind { SetPoints, Factory };

    static constexpr int kFormatVersion = 1;
    // A set is a few hundred bytes: anything much larger is refused unread.
    static constexpr qint64 kLargestFile = 64 * 1024;

    Kind kind = Kind::SetPoints;
    QDateTime saved;
    QString model; // the plate of the controller: TextBox1 to TextBox3
    QString pcbVersion;
    QString softwareVersion;
    int address = 1; // the bus address it was reached at
    // Kind::SetPoints: in the order of the set-point table, in °C, pulses,
    // rotation speeds and A, as the display boxes show them.
    std::array<double, kSetPointCount> setPoints{};
    FactorySet factory; // Kind::Factory

    QByteArray toJson() const;
    // The set that the JSON text holds, when it is a set of this kind that
    // this program can read and every value passes its check; otherwise
    // nothing, and error says what is wrong, naming the key or value.
    static std::optional<SetPointFile> fromJson(const QByteArray& json, Kind kind, QString* error);

    // False, with the reason, when the file could not be written; a file of
    // that name is then left as it was.
    bool save(const QString& path, QString* error) const;
    // As fromJson, from a file, which is refused by its size before reading.
    static std::optional<SetPointFile> load(const QString& path, Kind kind, QString* error);
};

} // namespace brisco::settings
