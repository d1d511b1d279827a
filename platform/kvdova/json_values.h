#pragma once
// JSON form of the values documents share: doubles (non-finite ones as the
// strings "NaN", "Infinity", "-Infinity", since JSON has no such numbers),
// variants with their kind ({"type": "double", "value": 1.5}), parameter
// definitions, parameter sets, result definitions and result views. Readers
// raise host::Error naming the file and the field on anything else.
#include <memory>

#include <nlohmann/json.hpp>

#include "host/param_set.h"
#include "host/result_view.h"
#include "platform/kvdova/json_field.h"
#include "platform/kvdova/param_set.h"

namespace kvdova {

nlohmann::json DoubleToJson(double v);
double DoubleFromJson(const JsonField& f);

nlohmann::json VariantToJson(const host::Variant& v);
host::Variant VariantFromJson(const JsonField& f);

nlohmann::json ParamDefToJson(const host::ParamDef& def);
host::ParamDef ParamDefFromJson(const JsonField& f);

nlohmann::json ParamSetToJson(const host::ParamSet& set);
std::shared_ptr<ParamSet> ParamSetFromJson(const JsonField& f);
// Appends the entries f holds to set.
void ReadParamEntries(const JsonField& f, host::ParamSet& set);

nlohmann::json ResultDefToJson(const host::ResultDef& def);
host::ResultDef ResultDefFromJson(const JsonField& f);

nlohmann::json ResultViewToJson(const host::ResultView& view);
host::ResultView ResultViewFromJson(const JsonField& f);

// The "format" and "formatVersion" fields every document file starts with.
void WriteHeader(nlohmann::json& doc, const char* format);
// Raises unless root is an object whose header names format and version 1.
void CheckHeader(const JsonField& root, const char* format);

}  // namespace kvdova
