// The battery cabinet around the controller and what the controller does to
// it: inner temperature, thermostat, fans, supply, hydrogen venting and the
// measurements that end up in the status reply. Time is simulated; step()
// moves it on.
#pragma once

#include "sim/parameters.h"
#include "sim/status_fields.h"

#include <random>

namespace brisco::sim {

class Cabinet {
public:
    static constexpr double kDefaultInnerCelsius = 32.0;

    explicit Cabinet(double innerCelsius = kDefaultInnerCelsius);

    void step(double seconds, const Parameters& parameters);

    // Takes one set of readings. Only measurement noise draws on random, so
    // the draws follow the replies, not the pace at which time is stepped.
    StatusFields measure(const Parameters& parameters, std::mt19937& random);

    double elapsed() const { return m_elapsed; }
    double innerCelsius() const { return m_inner; }
    double outerCelsius() const;
    bool cooling() const { return m_cooling; }
    bool heating() const { return m_heating; }

private:
    void advance(double seconds, const Parameters& parameters);
    void switchThermostat(const Parameters& parameters);
    double innerFanTarget(const Parameters& parameters) const;
    double outerFanTarget(const Parameters& parameters) const;
    bool venting(const Parameters& parameters) const;
    quint8 workState(const Parameters& parameters) const;
    void updateSupplyAlarms(const Parameters& parameters, quint16 tenthsOfVolt);
    static quint8 alarmsA(const StatusFields& fields, bool running);
    static quint8 alarmsB(const StatusFields& fields, bool dcLow, bool dcHigh);

    double m_elapsed = 0.0;
    double m_inner;
    double m_innerFan = 0.0;
    double m_outerFan = 0.0;
    bool m_cooling = false;
    bool m_heating = false;
    bool m_dcLow = false;
    bool m_dcHigh = false;
};

} // namespace brisco::sim
