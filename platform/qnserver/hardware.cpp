#include "platform/qnserver/hardware.h"

#include <fmt/format.h>
#include <algorithm>
#include <cmath>

#include "platform/kvbase/range_syntax.h"
#include "platform/qnserver/error_table.h"
#include "platform/qnserver/physics.h"

namespace qnserver {
namespace {

Planned Error(std::string_view errorKey, const std::string& detail) {
    Planned p;
    p.error = ErrorReply(errorKey, detail);
    return p;
}

double Lerp(double from, double to, double fraction) {
    return from + (to - from) * std::clamp(fraction, 0.0, 1.0);
}

}  // namespace

Hardware::Hardware(std::uint32_t noiseSeed) : plate_(PlateModel::Default()), detector_(noiseSeed) {
    ResetToDefaults();
}

void Hardware::ResetToDefaults() {
    props_.ResetDefaults();
    x_ = kParkX;
    y_ = kParkY;
    darkKnown_ = false;
    darkMeasured_ = 0.0;
    enabled_ = "Phos";
}

double Hardware::LampIntensity() const {
    return Detector::LampIntensity(props_.Get("Lamp") == "On", props_.Number("ExSlit"));
}

OpticalState Hardware::Optics() const {
    OpticalState s;
    s.concentration = plate_.ConcentrationAt(x_, y_);
    s.simFactor = props_.Number("SimFactor");
    s.exWl = props_.Number("ExWl");
    s.emWl = props_.Number("EmWl");
    s.exSlit = props_.Number("ExSlit");
    s.emSlit = props_.Number("EmSlit");
    s.intTime = props_.Number("IntTime");
    s.voltage = props_.Number("Voltage");
    s.lampOn = props_.Get("Lamp") == "On";
    s.mirrorIn = props_.Get("EmMirror") == "In";
    s.mode = props_.Get("LumMode");
    s.subtractDark = darkKnown_ && props_.Get("SubDC") == "On";
    s.darkMeasured = darkMeasured_;
    return s;
}

Planned Hardware::Plan(const Command& c) {
    switch (c.kind) {
        case Command::Kind::Set:
            return PlanSet(c);
        case Command::Kind::Get:
            return PlanGet(c);
        case Command::Kind::MoveStage:
            return PlanMove(c.a, c.b);
        case Command::Kind::MoveWl:
            return PlanWavelengths(c.a, c.b);
        case Command::Kind::Park:
            return PlanMove(kParkX, kParkY);
        case Command::Kind::Enable: {
            Planned p;
            p.action.finish = [this, mode = c.key](std::string&) { enabled_ = mode; };
            return p;
        }
        case Command::Kind::RunSubDC: {
            Planned p;
            p.action.duration = props_.Number("IntTime");
            p.action.finish = [this](std::string&) {
                darkMeasured_ =
                    detector_.MeasureDark(props_.Number("IntTime"), props_.Number("Voltage"));
                darkKnown_ = true;
            };
            return p;
        }
    }
    return Error(key::kUnknownCmd, "");
}

Planned Hardware::PlanSet(const Command& c) {
    const Property* property = PropertyTable::Find(c.key);
    if (!property) {
        for (const char* readOnly : {"Int", "WPR.POS", "WL"})
            if (host::IEquals(c.key, readOnly))
                return Error(key::kReadOnly, fmt::format("'{}'", c.key));
        return Error(key::kUnknownKey, fmt::format("'{}'", c.key));
    }
    std::string canonical;
    std::string reply = PropertyTable::Validate(*property, c.value, canonical);
    if (!reply.empty()) {
        Planned refused;
        refused.error = reply;
        return refused;
    }

    const std::string& id = property->def.id;
    Planned p;
    if (id == "ExWl" || id == "EmWl") {
        double from = props_.Number(id);
        double to = 0.0;
        ParseNumber(canonical, to);
        p.action.duration = std::abs(to - from) / kSlewRate;
        p.action.halt = [this, id, from, to](double f) {
            props_.Set(id, FormatNumber(Lerp(from, to, f), "0.0"));
        };
    } else if (id == "EmMirror" && props_.Get(id) != canonical) {
        p.action.duration = kMirrorTime;
    } else if (id == "Lamp" && canonical == "On" && props_.Get(id) == "Off") {
        p.action.duration = kLampWarmUp;
    }
    p.action.finish = [this, id, canonical](std::string&) { props_.Set(id, canonical); };
    return p;
}

Planned Hardware::PlanGet(const Command& c) {
    Planned p;
    if (host::IEquals(c.key, "Int")) {
        p.action.duration = props_.Number("IntTime");
        p.action.finish = [this](std::string& answer) {
            answer = detector_.Read(Optics()).Answer();
        };
    } else if (host::IEquals(c.key, "WPR.POS")) {
        p.action.finish = [this](std::string& answer) {
            answer = fmt::format("{:.2f};{:.2f}", x_, y_);
        };
    } else if (host::IEquals(c.key, "WL")) {
        p.action.finish = [this](std::string& answer) {
            answer = props_.Get("ExWl") + ";" + props_.Get("EmWl");
        };
    } else if (const Property* property = PropertyTable::Find(c.key)) {
        p.action.finish = [this, id = property->def.id](std::string& answer) {
            answer = props_.Get(id);
        };
    } else {
        return Error(key::kUnknownKey, fmt::format("'{}'", c.key));
    }
    return p;
}

Planned Hardware::PlanMove(double x, double y) {
    if (x < kStageMinX || x > kStageMaxX || y < kStageMinY || y > kStageMaxY) {
        return Error(key::kOutOfRange,
                     fmt::format("stage position {};{} is outside {}..{};{}..{} mm", x, y,
                                 kStageMinX, kStageMaxX, kStageMinY, kStageMaxY));
    }
    Planned p;
    double fromX = x_, fromY = y_;
    p.action.duration = std::max(std::abs(x - fromX), std::abs(y - fromY)) / kStageSpeed;
    p.action.finish = [this, x, y](std::string&) { x_ = x, y_ = y; };
    p.action.halt = [this, fromX, fromY, x, y](double f) {
        x_ = Lerp(fromX, x, f), y_ = Lerp(fromY, y, f);
    };
    return p;
}

Planned Hardware::PlanWavelengths(double ex, double em) {
    for (auto [id, v] : {std::pair{"ExWl", ex}, std::pair{"EmWl", em}}) {
        const auto& def = PropertyTable::Find(id)->def;
        if (!kvbase::InRange(def.range, host::Variant(v))) {
            return Error(key::kOutOfRange, fmt::format("{}={} is outside {}", id, v, def.range));
        }
    }
    Planned p;
    double fromEx = props_.Number("ExWl"), fromEm = props_.Number("EmWl");
    p.action.duration = std::max(std::abs(ex - fromEx), std::abs(em - fromEm)) / kSlewRate;
    p.action.finish = [this, ex, em](std::string&) {
        props_.Set("ExWl", FormatNumber(ex, "0.0"));
        props_.Set("EmWl", FormatNumber(em, "0.0"));
    };
    p.action.halt = [this, fromEx, fromEm, ex, em](double f) {
        props_.Set("ExWl", FormatNumber(Lerp(fromEx, ex, f), "0.0"));
        props_.Set("EmWl", FormatNumber(Lerp(fromEm, em, f), "0.0"));
    };
    return p;
}

}  // namespace qnserver
