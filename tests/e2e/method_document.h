#pragma once
// A method as the page would store it, with its setup values and positions;
// for the scenario tests and the benchmarks.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/host.h"

struct Position {
    double x, y, ex, em;
};

struct MethodSetup {
    double exWl = 400.0, emWl = 500.0;
    std::string lumMode = "Fluor";
    bool autoLamp = true;
    std::string name = "Test method";
};

inline std::shared_ptr<host::MethodObject> MethodDocument(host::Host& h,
                                                          const std::vector<Position>& positions,
                                                          const MethodSetup& setup = {}) {
    auto m = h.NewMethodObject();
    auto add = [&](const char* id, std::int32_t type, host::Variant v) {
        host::ParamDef d;
        d.id = id;
        d.dataType = type;
        m->Params()->Add(d, v);
    };
    add("ExWl", host::kTypeNumber, setup.exWl);
    add("EmWl", host::kTypeNumber, setup.emWl);
    add("ExSlit", host::kTypeNumber, 10.0);
    add("EmSlit", host::kTypeNumber, 10.0);
    add("IntTime", host::kTypeNumber, 0.1);
    add("Voltage", host::kTypeNumber, 775.0);
    add("Lamp", host::kTypeText, "On");
    add("EmMirror", host::kTypeText, "In");
    add("LumMode", host::kTypeText, host::Variant(setup.lumMode));
    add("AutoLamp", host::kTypeText, setup.autoLamp ? "On" : "Off");
    m->SetMethodType("FLVIZari");
    m->SetName(setup.name);
    m->SetTableCount(1);
    m->SetColumnCount(1, 4);
    m->SetRowCount(1, static_cast<std::int32_t>(positions.size()));
    for (std::size_t r = 0; r < positions.size(); ++r) {
        const auto& p = positions[r];
        const double cells[] = {p.x, p.y, p.ex, p.em};
        for (int c = 0; c < 4; ++c)
            m->SetCell(1, c + 1, static_cast<std::int32_t>(r + 1), cells[c]);
    }
    return m;
}
