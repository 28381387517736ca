// libFuzzer target: any bytes, read as a set-point file and as a factory
// file, are refused with a reason or taken whole, every set-point within its
// entry range; and a set taken is written back as the same set.
#undef NDEBUG // the checks below hold in every build
#include "settings/entry_rules.h"
#include "settings/setpoint_file.h"

#include <cassert>

using namespace brisco::settings;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray json(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    for (const auto kind : {SetPointFile::Kind::SetPoints, SetPointFile::Kind::Factory}) {
        QString error;
        const std::optional<SetPointFile> set = SetPointFile::fromJson(json, kind, &error);
        assert(set.has_value() == error.isEmpty());
        if (!set) {
            continue;
        }
        for (std::size_t i = 0; kind == SetPointFile::Kind::SetPoints && i < kSetPointCount; ++i) {
            assert(withinRange(setPoints()[i].range, set->setPoints[i]));
        }
        const std::optional<SetPointFile> again =
            SetPointFile::fromJson(set->toJson(), kind, &error);
        assert(again && again->toJson() == set->toJson());
    }
    return 0;
}
