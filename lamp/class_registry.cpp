#include "lamp/class_registry.h"

namespace lumbrel {

ClassRegistry& ClassRegistry::instance() {
    static ClassRegistry registry;
    return registry;
}

void ClassRegistry::add(std::string_view classId, const ClassInfo& info) {
    m_classes.insert_or_assign(std::string(classId), info);
}

void ClassRegistry::remove(std::string_view classId) {
    if (const auto it = m_classes.find(classId); it != m_classes.end())
        m_classes.erase(it);
}

std::optional<ClassRegistry::ClassInfo> ClassRegistry::find(std::string_view classId) const {
    if (const auto it = m_classes.find(classId); it != m_classes.end())
        return it->second;
    return std::nullopt;
}

void ClassRegistry::objectCreated() {
    ++m_liveObjects;
}

void ClassRegistry::objectDestroyed() {
    --m_liveObjects;
}

int ClassRegistry::liveObjects() const {
    return m_liveObjects;
}

} // namespace lumbrel
