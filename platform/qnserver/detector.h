#pragma once
// The detector and the sample's optics: what a reading sees for a given
// instrument state. Noise comes from a seeded generator, so a run repeats.
#include <cstdint>
#include <random>
#include <string>

namespace qnserver {

struct OpticalState {
    double concentration = 0.0;  // in the well under the optics
    double simFactor = 1.0;
    double exWl = 0.0, emWl = 0.0;
    double exSlit = 10.0, emSlit = 10.0;
    double intTime = 1.0;
    double voltage = 775.0;
    bool lampOn = true;
    bool mirrorIn = true;        // the emission mirror out sends the light past the detector
    std::string mode = "Fluor";  // Fluor, Phos (time-gated) or Lum (no excitation)
    bool subtractDark = false;
    double darkMeasured = 0.0;
};

struct Reading {
    double intensity = 0.0;
    double reference = 0.0;
    bool saturated = false;  // the intensity then stays at full scale
    // "intensity,reference,flag" with flag 1 for a saturated reading.
    std::string Answer() const;
};

class Detector {
  public:
    explicit Detector(std::uint32_t seed) : rng_(seed) {}
    Reading Read(const OpticalState& s);
    // A dark reading: what "Run SubDC" stores for later subtraction.
    double MeasureDark(double intTime, double voltage);
    // Counts per second the lamp's reference detector sees (0 with the lamp off).
    static double LampIntensity(bool lampOn, double exSlit);

  private:
    double Gauss();
    std::mt19937 rng_;
};

double Gain(double voltage);

}  // namespace qnserver
