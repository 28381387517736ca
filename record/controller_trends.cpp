#include "record/controller_trends.h"

#include <algorithm>

namespace {

constexpr qint64 kShortestSpanMs = 60 * 1000;

} // namespace

ControllerTrends::ControllerTrends(Bounds bounds, QObject* parent)
    : QObject(parent)
    , m_bounds(bounds) {}

ControllerTrends::Controller* ControllerTrends::place(std::uint8_t address) {
    const auto found = m_controllers.find(address);
    if (found != m_controllers.end()) {
        return &found->second;
    }
    if (m_controllers.size() >= kMostControllers) {
        return nullptr;
    }
    Controller& added = m_controllers[address];
    if (m_bounds == Bounds::Whole) {
        added.store = TrendStore::unbounded();
    }
    return &added;
}

bool ControllerTrends::append(std::uint8_t address, const QString& model, qint64 time,
                              const brisco::display::StatusValues& values) {
    bool changed = !m_controllers.contains(address);
    Controller* controller = place(address);
    if (!controller) {
        return false;
    }
    controller->store.append(time, values);
    m_newest = std::max(m_newest, time);
    if (!model.isEmpty() && model != controller->model) {
        controller->model = model;
        changed = true;
    }
    if (changed) {
        emit controllersChanged();
    }
    emit appended(address);
    return true;
}

void ControllerTrends::follow(std::uint8_t address) {
    if (address != m_followed) {
        m_followed = address;
        place(address);
        emit controllersChanged();
    }
}

const TrendStore* ControllerTrends::find(std::uint8_t address) const {
    const auto found = m_controllers.find(address);
    return found == m_controllers.end() ? nullptr : &found->second.store;
}

bool ControllerTrends::empty() const {
    return std::all_of(m_controllers.begin(), m_controllers.end(), [](const auto& controller) {
        return controller.second.store.samples().empty();
    });
}

std::pair<qint64, qint64> ControllerTrends::wholeSpan() const {
    qint64 oldest = m_newest;
    for (const auto& [address, controller] : m_controllers) {
        if (!controller.store.samples().empty()) {
            oldest = std::min(oldest, controller.store.samples().front().time);
        }
    }
    if (m_bounds == Bounds::LastHour) {
        oldest = std::max(oldest, m_newest - TrendStore::kSpanMs);
    }
    return {std::min(oldest, m_newest - kShortestSpanMs), m_newest};
}
