// Catalog: reading the JSON catalogue file. A refused file names the file and
// the place as a JSON pointer ("/sections/ORVEVIZari#UCVIZari/KVEExSlit").
#include <set>

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include "host/error.h"
#include "platform/kvbase/atomic_file.h"
#include "platform/kvbase/catalog.h"
#include "platform/kvbase/error_numbers.h"

namespace kvbase {
namespace {

using Json = nlohmann::ordered_json;
using Pointer = Json::json_pointer;

[[noreturn]] void Refuse(const std::string& source, const Pointer& place, const std::string& why) {
    std::string where = place.empty() ? std::string("the top level") : place.to_string();
    throw host::Error(kErrCatalogue, fmt::format("catalogue '{}', at {}: {}", source, where, why));
}

// Runs a builder step and reports its refusal at the place it concerns.
template <class F>
void At(const std::string& source, const Pointer& place, F&& step) {
    try {
        step();
    } catch (const host::Error& e) {
        Refuse(source, place, e.Text());
    }
}

const Json& ExpectObject(const std::string& source, const Pointer& place, const Json& v,
                         const char* what) {
    if (!v.is_object()) Refuse(source, place, fmt::format("expected an object of {}", what));
    return v;
}

std::string ExpectText(const std::string& source, const Pointer& place, const Json& v) {
    if (!v.is_string())
        Refuse(source, place, fmt::format("expected a text, found {}", v.type_name()));
    return v.get<std::string>();
}

// JSON itself keeps only one of two equal keys; a catalogue must not lose a text
// that way, so equal keys are refused while parsing.
Json ParseRefusingDuplicateKeys(const std::string& json, const std::string& source) {
    struct Level {
        Pointer place;
        std::set<std::string> keys;
        std::string lastKey;
        bool object = false;
    };
    std::vector<Level> levels;
    auto callback = [&](int, Json::parse_event_t event, Json& parsed) {
        using E = Json::parse_event_t;
        if (event == E::object_start || event == E::array_start) {
            Pointer place;
            if (!levels.empty())
                place = levels.back().object ? levels.back().place / levels.back().lastKey
                                             : levels.back().place;
            levels.push_back({place, {}, {}, event == E::object_start});
        } else if (event == E::object_end || event == E::array_end) {
            levels.pop_back();
        } else if (event == E::key) {
            auto key = parsed.get<std::string>();
            if (!levels.back().keys.insert(key).second) {
                Refuse(source, levels.back().place / key, "the key appears twice");
            }
            levels.back().lastKey = key;
        }
        return true;
    };
    try {
        return Json::parse(json, callback);
    } catch (const Json::exception& e) {  // also a number beyond the range of a double
        std::string what = e.what();
        auto start = what.find("] ");  // drop the library's own tag
        throw host::Error(kErrCatalogue,
                          fmt::format("catalogue '{}' is not valid JSON: {}", source,
                                      start == std::string::npos ? what : what.substr(start + 2)));
    }
}

// "Name" or "Name(3)" -> name and index text.
std::pair<std::string, std::string> ControlKey(const std::string& source, const Pointer& place,
                                               const std::string& key) {
    auto open = key.find('(');
    if (open == std::string::npos) {
        if (key.find(')') != std::string::npos) Refuse(source, place, "a ')' without '('");
        return {key, ""};
    }
    std::string index = key.substr(open + 1, key.size() > open + 1 ? key.size() - open - 2 : 0);
    if (key.back() != ')' || index.empty() ||
        index.find_first_not_of("0123456789") != std::string::npos) {
        Refuse(source, place,
               "a control of an array is written as Name(index), the index in digits");
    }
    return {key.substr(0, open), index};
}

}  // namespace

Catalog Catalog::Load(const std::string& path) {
    std::string text;
    try {
        text = ReadFile(path);
    } catch (const host::Error& e) {
        throw host::Error(kErrCatalogue, fmt::format("catalogue: {}", e.Text()));
    }
    return FromJson(text, path);
}

Catalog Catalog::FromJson(const std::string& json, const std::string& source) {
    Json doc = ParseRefusingDuplicateKeys(json, source);
    Catalog cat;
    const Pointer top;
    ExpectObject(source, top, doc, "\"version\", \"language\", \"texts\" and \"sections\"");
    for (const auto& [name, value] : doc.items()) {
        const Pointer place = top / name;
        if (host::IEquals(name, "version")) {
            if (!value.is_number_integer() || value.get<std::int64_t>() != 1) {
                Refuse(source, place, "only version 1 is known");
            }
        } else if (host::IEquals(name, "language")) {
            cat.language_ = ExpectText(source, place, value);
        } else if (host::IEquals(name, "texts")) {
            ExpectObject(source, place, value, "texts by key");
            for (const auto& [key, text] : value.items()) {
                std::string t = ExpectText(source, place / key, text);
                At(source, place / key, [&, &k = key] { cat.AddText(k, t); });
            }
        } else if (host::IEquals(name, "sections")) {
            ExpectObject(source, place, value, "sections by key");
            for (const auto& [sectionKey, controls] : value.items()) {
                const Pointer sectionPlace = place / sectionKey;
                ExpectObject(source, sectionPlace, controls, "control entries by control name");
                CatalogNode* section = nullptr;
                At(source, sectionPlace,
                   [&, &k = sectionKey] { section = &cat.root_->AddSection(k); });
                for (const auto& [controlKey, props] : controls.items()) {
                    const Pointer controlPlace = sectionPlace / controlKey;
                    ExpectObject(source, controlPlace, props, "property texts by property name");
                    auto [controlName, index] = ControlKey(source, controlPlace, controlKey);
                    CatalogNode* control = nullptr;
                    At(source, controlPlace,
                       [&, &n = controlName, &i = index] { control = &section->AddControl(n, i); });
                    for (const auto& [prop, text] : props.items()) {
                        std::string t = ExpectText(source, controlPlace / prop, text);
                        At(source, controlPlace / prop,
                           [&, &p = prop] { control->AddProperty(p, t); });
                    }
                }
            }
        } else {
            Refuse(source, place,
                   "unknown key: expected \"version\", \"language\", \"texts\" or \"sections\"");
        }
    }
    return cat;
}

}  // namespace kvbase
