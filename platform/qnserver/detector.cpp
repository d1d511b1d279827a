#include "platform/qnserver/detector.h"

#include <fmt/format.h>
#include <algorithm>
#include <cmath>

#include "host/types.h"
#include "platform/qnserver/physics.h"

namespace qnserver {
namespace {

double Band(double wl, double peak, double width) {
    double d = (wl - peak) / width;
    return std::exp(-0.5 * d * d);
}

}  // namespace

std::string Reading::Answer() const {
    return fmt::format("{:.1f},{:.1f},{}", intensity, reference, saturated ? 1 : 0);
}

double Gain(double voltage) {
    return std::pow(voltage / kReferenceVoltage, kGainExponent);
}

double Detector::LampIntensity(bool lampOn, double exSlit) {
    return lampOn ? kReferenceCounts * exSlit / 10.0 : 0.0;
}

// Box-Muller on the generator's raw output, so the sequence is the same with
// every standard library.
double Detector::Gauss() {
    constexpr double kTwoPi = 6.283185307179586;
    double u1 = (static_cast<double>(rng_()) + 0.5) / 4294967296.0;
    double u2 = (static_cast<double>(rng_()) + 0.5) / 4294967296.0;
    return std::sqrt(-2.0 * std::log(u1)) * std::cos(kTwoPi * u2);
}

Reading Detector::Read(const OpticalState& s) {
    double perSecond = 0.0;
    double sample = s.concentration * s.simFactor * kCountsPerConc;
    double emission = Band(s.emWl, kEmPeak, kEmWidth) * s.emSlit / 10.0;
    if (host::IEquals(s.mode, "Lum")) {
        perSecond = sample * emission;
    } else if (s.lampOn) {
        perSecond = sample * Band(s.exWl, kExPeak, kExWidth) * s.exSlit / 10.0 * emission;
        if (host::IEquals(s.mode, "Phos")) perSecond *= kPhosFraction;
    }
    if (!s.mirrorIn) perSecond = 0.0;

    double gain = Gain(s.voltage);
    double expected = (perSecond + kDarkCurrent) * s.intTime * gain;
    double raw = expected + (std::sqrt(expected) + kReadNoise) * Gauss();

    Reading r;
    double reference = LampIntensity(s.lampOn, s.exSlit) * s.intTime;
    r.reference = std::max(0.0, reference + std::sqrt(reference) * Gauss());
    if (raw >= kFullScale) {
        r.saturated = true;
        r.intensity = kFullScale;
    } else {
        r.intensity = raw - (s.subtractDark ? s.darkMeasured : 0.0);
    }
    return r;
}

double Detector::MeasureDark(double intTime, double voltage) {
    double expected = kDarkCurrent * intTime * Gain(voltage);
    return expected + (std::sqrt(expected) + kReadNoise) * Gauss();
}

}  // namespace qnserver
