#include "sim/cabinet.h"

#include "sim/encoding.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace brisco::sim {

namespace {

// Longer steps are cut into these so the thermostat never overshoots by more
// than a few hundredths of a degree.
constexpr double kMaxStep = 0.1;

constexpr double kLowestCelsius = -40.0;
constexpr double kHighestCelsius = 86.5;

// Batteries and sun keep the closed cabinet this much above the outside air,
// which it follows with this time constant.
constexpr double kInternalGain = 10.0;
constexpr double kEnvironmentSeconds = 600.0;
constexpr double kCoolingPerSecond = 0.05;
constexpr double kHeatingPerSecond = 0.04;

constexpr double kDaySeconds = 86400.0;
// The run starts at ten in the morning; coldest at midnight, warmest at noon.
constexpr double kStartOfDay = 10.0 * 3600.0;
constexpr double kDayMeanCelsius = 22.0;
constexpr double kDaySwingCelsius = 8.0;

constexpr double kFanSeconds = 2.0;
constexpr double kFanNoise = 0.005;

constexpr double kSelfTestSeconds = 5.0;
constexpr double kVentingSeconds = 60.0;

constexpr double kCoolingAmperes = 6.0;
constexpr double kHeatingAmperes = 4.5;
constexpr double kCurrentNoise = 0.1;
constexpr double kSupplyVolts = 48.0;
constexpr double kSupplySagPerAmpere = 0.15;
constexpr double kSupplyNoise = 0.1;

double gaussian(std::mt19937& random, double sigma) {
    return std::normal_distribution<double>(0.0, sigma)(random);
}

double approach(double value, double target, double seconds, double timeConstant) {
    return value + (target - value) * (1.0 - std::exp(-seconds / timeConstant));
}

double setPoint(const Parameters& parameters, quint8 number) {
    return encoding::setPointCelsius(parameters.byte(number));
}

quint16 fanReading(double speed, std::mt19937& random) {
    if (speed < 0.5)
        return 0;
    return encoding::wordValue(speed * (1.0 + gaussian(random, kFanNoise)));
}

} // namespace

Cabinet::Cabinet(double innerCelsius)
    : m_inner(std::clamp(innerCelsius, kLowestCelsius, kHighestCelsius)) {}

void Cabinet::step(double seconds, const Parameters& parameters) {
    while (seconds > 0.0) {
        const double slice = std::min(seconds, kMaxStep);
        advance(slice, parameters);
        seconds -= slice;
    }
}

double Cabinet::outerCelsius() const {
    const double phase = 2.0 * std::numbers::pi * (m_elapsed + kStartOfDay) / kDaySeconds;
    return kDayMeanCelsius - kDaySwingCelsius * std::cos(phase);
}

void Cabinet::advance(double seconds, const Parameters& parameters) {
    switchThermostat(parameters);
    double perSecond = (outerCelsius() + kInternalGain - m_inner) / kEnvironmentSeconds;
    if (m_cooling)
        perSecond -= kCoolingPerSecond;
    if (m_heating)
        perSecond += kHeatingPerSecond;
    m_inner = std::clamp(m_inner + perSecond * seconds, kLowestCelsius, kHighestCelsius);
    m_innerFan = approach(m_innerFan, innerFanTarget(parameters), seconds, kFanSeconds);
    m_outerFan = approach(m_outerFan, outerFanTarget(parameters), seconds, kFanSeconds);
    m_elapsed += seconds;
}

void Cabinet::switchThermostat(const Parameters& parameters) {
    // A stop temperature on the wrong side of its start would make the relay
    // chatter; the start then bounds the band instead.
    const double coolStart = setPoint(parameters, parameter::TECcoolStart);
    const double coolStop = std::min(coolStart, setPoint(parameters, parameter::TECcoolStop));
    const double heatStart = setPoint(parameters, parameter::TECheatStart);
    const double heatStop = std::max(heatStart, setPoint(parameters, parameter::TECheatStop));

    if (m_cooling) {
        if (m_inner < coolStop)
            m_cooling = false;
    } else if (!m_heating && m_inner > coolStart) {
        m_cooling = true;
    }

    const bool heatingAllowed = parameters.byte(parameter::CoolingOnly) != 1;
    if (m_heating) {
        if (!heatingAllowed || m_inner > heatStop)
            m_heating = false;
    } else if (!m_cooling && heatingAllowed && m_inner < heatStart) {
        m_heating = true;
    }
}

double Cabinet::innerFanTarget(const Parameters& parameters) const {
    const bool running = m_cooling || m_heating;
    return parameters.word(running ? parameter::IntFanHighS : parameter::IntFanLowS);
}

double Cabinet::outerFanTarget(const Parameters& parameters) const {
    return m_cooling ? parameters.word(parameter::ExtFanHighS) : 0.0;
}

bool Cabinet::venting(const Parameters& parameters) const {
    // The hydrogen period is in minutes; each period starts with a minute of venting.
    const int period = parameters.byte(parameter::H_Fan);
    return period > 0 && std::fmod(m_elapsed, period * 60.0) < kVentingSeconds;
}

quint8 Cabinet::workState(const Parameters& parameters) const {
    quint8 state = 0;
    if (innerFanTarget(parameters) > 0)
        state |= work_state::InnerFan;
    if (outerFanTarget(parameters) > 0)
        state |= work_state::OuterFan;
    if (m_cooling)
        state |= work_state::Cooling;
    if (m_heating)
        state |= work_state::Heating;
    if (venting(parameters))
        state |= work_state::Hydrogen;
    if (m_elapsed < kSelfTestSeconds)
        state |= work_state::SelfTest;
    return state;
}

StatusFields Cabinet::measure(const Parameters& parameters, std::mt19937& random) {
    StatusFields fields;
    fields.setPoints = parameters.setPoints();
    fields.WorkState = workState(parameters);
    fields.Temp1 = encoding::measuredByte(m_inner);
    fields.Temp2 = encoding::measuredByte(outerCelsius());
    fields.ControlTemp = fields.Temp1;

    const bool running = m_cooling || m_heating;
    double amperes = 0.0;
    if (running)
        amperes = (m_cooling ? kCoolingAmperes : kHeatingAmperes) + gaussian(random, kCurrentNoise);
    fields.TECcurrent = encoding::tenthsByte(amperes);
    const double volts =
        kSupplyVolts - kSupplySagPerAmpere * amperes + gaussian(random, kSupplyNoise);
    fields.DCvoltage = encoding::tenthsWord(volts);
    fields.IntFanSpeed = fanReading(m_innerFan, random);
    fields.ExtFanSpeed = fanReading(m_outerFan, random);

    updateSupplyAlarms(parameters, fields.DCvoltage);
    fields.AlarmB = alarmsB(fields, m_dcLow, m_dcHigh);
    fields.AlarmA = alarmsA(fields, running);
    return fields;
}

void Cabinet::updateSupplyAlarms(const Parameters& parameters, quint16 tenthsOfVolt) {
    const int voltage = tenthsOfVolt;
    const int low = parameters.byte(parameter::DCVlow) * 10;
    const int lowClear = low + parameters.byte(parameter::DCVlowOffset) * 10;
    const int high = parameters.byte(parameter::DCVhigh) * 10;
    const int highClear = high - parameters.byte(parameter::DCVhighOffset) * 10;
    if (voltage < low)
        m_dcLow = true;
    else if (voltage >= lowClear)
        m_dcLow = false;
    if (voltage > high)
        m_dcHigh = true;
    else if (voltage <= highClear)
        m_dcHigh = false;
}

quint8 Cabinet::alarmsA(const StatusFields& fields, bool running) {
    quint8 alarms = 0;
    if (running && fields.TECcurrent < fields.setPoints[parameter::TECcurrL])
        alarms |= alarm_a::LowCurrent;
    if (running && fields.TECcurrent > fields.setPoints[parameter::TECcurrH])
        alarms |= alarm_a::HighCurrent;
    if (alarms != 0 || fields.AlarmB != 0)
        alarms |= alarm_a::General;
    return alarms;
}

quint8 Cabinet::alarmsB(const StatusFields& fields, bool dcLow, bool dcHigh) {
    // Compared in half degrees, as measured, so the alarm agrees with the reading sent.
    const int inner = fields.Temp1 - 80;
    const int highest = 2 * (fields.setPoints[parameter::TempMax] - 40);
    const int lowest = 2 * (fields.setPoints[parameter::TempMin] - 40);
    quint8 alarms = 0;
    if (inner > highest)
        alarms |= alarm_b::HighTemp;
    if (inner < lowest)
        alarms |= alarm_b::LowTemp;
    if (dcLow)
        alarms |= alarm_b::DcLow;
    if (dcHigh)
        alarms |= alarm_b::DcHigh;
    return alarms;
}

} // namespace brisco::sim
