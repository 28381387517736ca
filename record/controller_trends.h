// The trends of every controller heard on the line, one store each, and
// which of them the main window shows: what the trends window picks from.
// Live, each keeps its last hour; a replay keeps the whole recording.
#pragma once

#include "record/trend_store.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <map>
#include <utility>

class ControllerTrends : public QObject {
    Q_OBJECT

public:
    // The bus has addresses 1 to 20. A reply from a 21st controller is not
    // kept while 20 others hold their places: those heard first stay whole.
    static constexpr std::size_t kMostControllers = 20;

    enum class Bounds { LastHour, Whole };

    struct Controller {
        QString model; // what its device information says; empty while unknown
        TrendStore store;
    };

    explicit ControllerTrends(Bounds bounds = Bounds::LastHour, QObject* parent = nullptr);

    // A status reply of the controller at address (0: the one controller of
    // a recording that names none); false when it was not kept.
    bool append(std::uint8_t address, const QString& model, qint64 time,
                const brisco::display::StatusValues& values);
    // The controller that the main window shows, listed even before it replies.
    void follow(std::uint8_t address);
    std::uint8_t followed() const { return m_followed; }

    // By address.
    const std::map<std::uint8_t, Controller>& controllers() const { return m_controllers; }
    // Nothing for a controller not heard.
    const TrendStore* find(std::uint8_t address) const;
    bool empty() const;
    // From the oldest sample of any controller to the newest: live, the
    // last hour of it; at least a minute.
    std::pair<qint64, qint64> wholeSpan() const;

signals:
    void appended(std::uint8_t address);
    // A controller was added, learnt its model, or the main window shows another.
    void controllersChanged();

private:
    Controller* place(std::uint8_t address);

    Bounds m_bounds;
    std::map<std::uint8_t, Controller> m_controllers;
    std::uint8_t m_followed = 0;
    qint64 m_newest = std::numeric_limits<qint64>::min();
};
