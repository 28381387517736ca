// The library's own registry of creatable classes and its count of live
// objects, behind the entry points of lumbrel_api.h.
#pragma once

#include "lamp/lumbrel_api.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace lumbrel {

class ClassRegistry {
public:
    struct ClassInfo {
        // Handed to hosts as is, so it must have static storage.
        const char* description;
        LumbrelCreateInstanceFn createInstance;
    };

    // The one registry of the loaded library.
    static ClassRegistry& instance();

    ClassRegistry(const ClassRegistry&) = delete;
    ClassRegistry& operator=(const ClassRegistry&) = delete;

    void add(std::string_view classId, const ClassInfo& info);
    void remove(std::string_view classId);
    std::optional<ClassInfo> find(std::string_view classId) const;

    void objectCreated();
    void objectDestroyed();
    int liveObjects() const;

private:
    ClassRegistry() = default;

    std::map<std::string, ClassInfo, std::less<>> m_classes;
    int m_liveObjects = 0;
};

} // namespace lumbrel
