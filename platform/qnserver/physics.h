#pragma once
// The constants the simulated plate reader's physics is made of. Times are in
// seconds on the host's clock, positions in mm, wavelengths in nm.
#include <cstdint>

namespace qnserver {

// Stage: the plate carrier travels over the standard 127.76 x 85.48 mm plate
// footprint; both axes move at once, so a move lasts as long as its longer axis.
inline constexpr double kStageMinX = 0.0;
inline constexpr double kStageMaxX = 127.76;
inline constexpr double kStageMinY = 0.0;
inline constexpr double kStageMaxY = 85.48;
inline constexpr double kStageSpeed = 50.0;  // mm/s per axis: a 9 mm well step takes 0.18 s
inline constexpr double kParkX = 0.0;
inline constexpr double kParkY = 0.0;

// Monochromators: both slew together, a move lasts as long as the longer one.
inline constexpr double kSlewRate = 200.0;  // nm/s
inline constexpr double kMirrorTime = 0.2;  // emission mirror in or out

// Lamp and start-up.
inline constexpr double kLampWarmUp = 1.5;  // switching the lamp on from off
inline constexpr double kInitTime = 5.0;    // initialisation after power-on or reset
inline constexpr double kStallTime = 10.0;  // a stalled synchronous command gives up after this
// A held synchronous command that nothing stops (a clock no other call
// reaches) gives up after this.
inline constexpr double kHoldTime = 3600.0;

// Detector: counts scale with integration time and with the photomultiplier
// gain, (voltage / kReferenceVoltage) ^ kGainExponent.
inline constexpr double kFullScale = 1.0e6;   // counts; the detector saturates here
inline constexpr double kDarkCurrent = 50.0;  // counts/s at the reference voltage
inline constexpr double kReadNoise = 5.0;     // counts rms added to every reading
inline constexpr double kReferenceVoltage = 775.0;
inline constexpr double kGainExponent = 7.0;
inline constexpr double kReferenceCounts =
    5.0e4;  // lamp reference detector, counts/s at 10 nm slit
inline constexpr std::uint32_t kNoiseSeed = 20240601;
inline constexpr double kTemperature = 25.0;  // degrees C reported by the status query

// Sample: one fluorophore. Signal in counts per concentration unit and second
// at both spectral peaks, 10 nm slits, reference voltage and SimFactor 1.
inline constexpr double kCountsPerConc = 100.0;
inline constexpr double kExPeak = 485.0;
inline constexpr double kExWidth = 25.0;  // Gaussian sigma, nm
inline constexpr double kEmPeak = 520.0;
inline constexpr double kEmWidth = 30.0;
inline constexpr double kPhosFraction = 0.05;  // share of the signal left in time-gated (Phos) mode
inline constexpr double kWellRadiusFraction = 0.38;  // well radius as a share of the pitch

// Clock comparisons allow for the rounding of summed waits.
inline constexpr double kTimeEpsilon = 1e-9;

}  // namespace qnserver
