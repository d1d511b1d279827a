#pragma once
// The instrument's mechanics and optics: stage, monochromators, mirror, lamp,
// detector and the plate. Plan turns a parsed command into the action that
// carries it out and the time it takes; the caller decides when time passes.
#include <cstdint>
#include <functional>
#include <string>

#include "platform/qnserver/command.h"
#include "platform/qnserver/detector.h"
#include "platform/qnserver/plate_model.h"
#include "platform/qnserver/property_table.h"

namespace qnserver {

struct Action {
    double duration = 0.0;  // seconds on the clock
    std::function<void(std::string& answer)> finish;
    // Called instead of finish when the command is stopped after that share of
    // its duration; empty when a stopped command changes nothing.
    std::function<void(double fraction)> halt;
};

struct Planned {
    Action action;
    std::string error;  // the error reply; empty when the command is valid
};

class Hardware {
  public:
    explicit Hardware(std::uint32_t noiseSeed);
    // Planned actions refer to this object.
    Hardware(const Hardware&) = delete;
    Hardware& operator=(const Hardware&) = delete;

    Planned Plan(const Command& command);
    // Properties to their defaults, stage parked, dark current forgotten.
    void ResetToDefaults();

    const PropertyTable& Properties() const { return props_; }
    double StageX() const { return x_; }
    double StageY() const { return y_; }
    const std::string& EnabledMode() const { return enabled_; }
    void SetPlate(PlateModel plate) { plate_ = std::move(plate); }
    const PlateModel& Plate() const { return plate_; }
    // Counts per second of the lamp's reference detector.
    double LampIntensity() const;

  private:
    Planned PlanSet(const Command& c);
    Planned PlanGet(const Command& c);
    Planned PlanMove(double x, double y);
    Planned PlanWavelengths(double ex, double em);
    OpticalState Optics() const;

    PropertyTable props_;
    PlateModel plate_;
    Detector detector_;
    double x_ = 0.0, y_ = 0.0;
    bool darkKnown_ = false;
    double darkMeasured_ = 0.0;
    std::string enabled_ = "Phos";
};

}  // namespace qnserver
