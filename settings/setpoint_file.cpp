#include "settings/setpoint_file.h"

#include "settings/entry_rules.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <algorithm>
#include <climits>
#include <cmath>

namespace brisco::settings {

namespace {

const QString kSetPointFormat = QStringLiteral("brisco-set-points");
const QString kFactoryFormat = QStringLiteral("brisco-factory-values");
const QString kCoolingOnly = QStringLiteral("CoolingOnly");
constexpr int kLargestByte = 255;

// A value's key: the name of its display box without "_Text".
QString keyOf(const char* displayName) {
    return QString::fromLatin1(displayName).chopped(5);
}

QString quoted(const QString& text) {
    return u'"' + text + u'"';
}

// Each reader leaves the first error that was found alone and gives nothing
// once there is one, so that the message names the first thing wrong.
std::optional<QJsonValue> valueOf(const QJsonObject& object, const QString& key, QString* error) {
    if (!error->isEmpty()) {
        return std::nullopt;
    }
    const auto found = object.constFind(key);
    if (found == object.constEnd()) {
        *error = QStringLiteral("the key %1 is missing").arg(quoted(key));
        return std::nullopt;
    }
    return *found;
}

QString textOf(const QJsonObject& object, const QString& key, QString* error) {
    const std::optional<QJsonValue> value = valueOf(object, key, error);
    if (value && !value->isString()) {
        *error = QStringLiteral("%1 is not a text").arg(quoted(key));
    }
    return value ? value->toString() : QString();
}

std::optional<double> numberOf(const QJsonObject& object, const QString& key, QString* error) {
    const std::optional<QJsonValue> value = valueOf(object, key, error);
    if (value && !value->isDouble()) {
        *error = QStringLiteral("%1 is not a number").arg(quoted(key));
        return std::nullopt;
    }
    return value ? std::optional(value->toDouble()) : std::nullopt;
}

int wholeOf(const QJsonObject& object, const QString& key, int lowest, int highest,
            QString* error) {
    const std::optional<double> number = numberOf(object, key, error);
    if (number && !(*number == std::floor(*number) && *number >= lowest && *number <= highest)) {
        *error = QStringLiteral("%1 is %2, not a whole number from %3 to %4")
                     .arg(quoted(key), QString::number(*number))
                     .arg(lowest)
                     .arg(highest);
        return 0;
    }
    return number ? static_cast<int>(*number) : 0;
}

QJsonObject objectOf(const QJsonObject& object, const QString& key, QString* error) {
    const std::optional<QJsonValue> value = valueOf(object, key, error);
    if (value && !value->isObject()) {
        *error = QStringLiteral("%1 is not a group of values").arg(quoted(key));
    }
    return value ? value->toObject() : QJsonObject();
}

// The same check as an entry box's, on the number in the file.
double setPointOf(const QJsonObject& values, const SetPoint& setPoint, QString* error) {
    const QString key = keyOf(setPoint.displayName);
    const std::optional<double> number = numberOf(values, key, error);
    if (number && !withinRange(setPoint.range, *number)) {
        *error =
            QStringLiteral("%1 is %2, outside %3 to %4")
                .arg(quoted(key), QString::number(*number), QString::number(setPoint.range.minimum),
                     QString::number(setPoint.range.maximum));
    }
    return number.value_or(0);
}

// As the factory sender takes them: whole bytes, the hydrogen period within
// its entry range, one or two Latin-1 characters of version, a switch.
FactorySet factoryOf(const QJsonObject& values, QString* error) {
    FactorySet set;
    for (const FactoryValue& value : factoryValues()) {
        switch (value.rule) {
        case FactoryRule::Numeric: {
            const int highest = value.parameter == kLastFactoryParameter
                                    ? static_cast<int>(kHydrogenPeriodRange.maximum)
                                    : kLargestByte;
            set.numbers[static_cast<std::size_t>(value.parameter - kFirstFactoryParameter)] =
                wholeOf(values, keyOf(value.displayName), 0, highest, error);
            break;
        }
        case FactoryRule::FirstCharacter: {
            const QString key = keyOf(value.displayName);
            set.version = textOf(values, key, error);
            const bool latin1 = std::all_of(set.version.begin(), set.version.end(),
                                            [](QChar c) { return c.unicode() <= kLargestByte; });
            if (error->isEmpty() && (set.version.isEmpty() || set.version.size() > 2 || !latin1)) {
                *error = QStringLiteral("%1 is %2, not one or two Latin-1 characters")
                             .arg(quoted(key), quoted(set.version));
            }
            break;
        }
        case FactoryRule::SecondCharacter:
            break;
        case FactoryRule::CheckBox: {
            const std::optional<QJsonValue> checked = valueOf(values, kCoolingOnly, error);
            if (checked && !checked->isBool()) {
                *error = QStringLiteral("%1 is not true or false").arg(quoted(kCoolingOnly));
            }
            set.coolingOnly = checked && checked->toBool();
            break;
        }
        }
    }
    return set;
}

} // namespace

QByteArray SetPointFile::toJson() const {
    QJsonObject values;
    if (kind == Kind::SetPoints) {
        for (std::size_t i = 0; i < setPoints.size(); ++i) {
            values.insert(keyOf(settings::setPoints()[i].displayName), setPoints[i]);
        }
    } else {
        for (const FactoryValue& value : factoryValues()) {
            if (value.rule == FactoryRule::Numeric) {
                values.insert(keyOf(value.displayName),
                              factory.numbers[static_cast<std::size_t>(value.parameter -
                                                                       kFirstFactoryParameter)]);
            } else if (value.rule == FactoryRule::FirstCharacter) {
                values.insert(keyOf(value.displayName), factory.version);
            }
        }
        values.insert(kCoolingOnly, factory.coolingOnly);
    }
    const QJsonObject root{
        {QStringLiteral("format"), kind == Kind::SetPoints ? kSetPointFormat : kFactoryFormat},
        {QStringLiteral("version"), kFormatVersion},
        // With the offset from UTC, so that the time says when wherever it is read.
        {QStringLiteral("saved"),
         saved.toOffsetFromUtc(saved.offsetFromUtc()).toString(Qt::ISODate)},
        {QStringLiteral("model"), model},
        {QStringLiteral("pcbVersion"), pcbVersion},
        {QStringLiteral("softwareVersion"), softwareVersion},
        {QStringLiteral("address"), address},
        {QStringLiteral("values"), values},
    };
    return QJsonDocument(root).toJson();
}

std::optional<SetPointFile> SetPointFile::fromJson(const QByteArray& json, Kind kind,
                                                   QString* error) {
    error->clear();
    QJsonParseError parsed{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &parsed);
    if (parsed.error != QJsonParseError::NoError) {
        *error = QStringLiteral("it is not JSON (%1 at byte %2)")
                     .arg(parsed.errorString())
                     .arg(parsed.offset);
        return std::nullopt;
    }
    if (!document.isObject()) {
        *error = QStringLiteral("it holds no set");
        return std::nullopt;
    }
    const QJsonObject root = document.object();
    const QString wanted = kind == Kind::SetPoints ? kSetPointFormat : kFactoryFormat;
    const QString format = textOf(root, QStringLiteral("format"), error);
    if (error->isEmpty() && format != wanted) {
        *error =
            format == kFactoryFormat
                ? QStringLiteral("it holds factory values, which the factory window loads")
            : format == kSetPointFormat
                ? QStringLiteral("it holds user set-points, which the main window loads")
                : QStringLiteral("its format is %1, not %2").arg(quoted(format), quoted(wanted));
    }
    const int version = wholeOf(root, QStringLiteral("version"), 1, INT_MAX, error);
    if (error->isEmpty() && version > kFormatVersion) {
        *error = QStringLiteral("it is in format version %1, of a newer Brisco; this one reads "
                                "version %2")
                     .arg(version)
                     .arg(kFormatVersion);
    }

    SetPointFile file;
    file.kind = kind;
    file.saved = QDateTime::fromString(textOf(root, QStringLiteral("saved"), error), Qt::ISODate);
    if (error->isEmpty() && !file.saved.isValid()) {
        *error = QStringLiteral("\"saved\" is not a date and time");
    }
    file.model = textOf(root, QStringLiteral("model"), error);
    file.pcbVersion = textOf(root, QStringLiteral("pcbVersion"), error);
    file.softwareVersion = textOf(root, QStringLiteral("softwareVersion"), error);
    file.address = wholeOf(root, QStringLiteral("address"), 0, kLargestByte, error);
    const QJsonObject values = objectOf(root, QStringLiteral("values"), error);
    if (kind == Kind::SetPoints) {
        for (std::size_t i = 0; i < file.setPoints.size(); ++i) {
            file.setPoints[i] = setPointOf(values, settings::setPoints()[i], error);
        }
    } else {
        file.factory = factoryOf(values, error);
    }
    if (!error->isEmpty()) {
        return std::nullopt;
    }
    return file;
}

// QSaveFile::commit() does not see a write that fails as its buffer is
// flushed (a full disk takes part of it) and would put the short file in
// place: the flush is checked first, and a file not committed is dropped.
bool SetPointFile::save(const QString& path, QString* error) const {
    QSaveFile file(path);
    const QByteArray json = toJson();
    if (!file.open(QIODevice::WriteOnly) || file.write(json) != json.size()) {
        *error = file.errorString();
        return false;
    }
    if (!file.flush()) {
        *error = QStringLiteral("not all of it could be written");
        return false;
    }
    if (!file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

std::optional<SetPointFile> SetPointFile::load(const QString& path, Kind kind, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return std::nullopt;
    }
    if (file.size() > kLargestFile) {
        *error = QStringLiteral("it is %1 bytes long, far longer than a set").arg(file.size());
        return std::nullopt;
    }
    const QByteArray json = file.read(kLargestFile + 1);
    if (json.isEmpty()) {
        *error = QStringLiteral("it is empty");
        return std::nullopt;
    }
    if (json.size() > kLargestFile) {
        *error = QStringLiteral("it is far longer than a set");
        return std::nullopt;
    }
    return fromJson(json, kind, error);
}

} // namespace brisco::settings
