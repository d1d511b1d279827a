#pragma once
// Acquisition data as JSON files: text, instrument information, results, both
// item groups and the run record, written and read back exactly. A file that
// does not hold complete data of a known version is refused with a
// host::Error naming the file and the field; nothing half-loaded is returned.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "host/acq_data.h"
#include "platform/kvdova/acq_data.h"
#include "platform/kvdova/json_field.h"

namespace kvdova {

inline constexpr const char* kAcqDataFormat = "ORVEVIZari acquisition data";

// Takes the data of this library only (the document interface cannot list
// the instrument indexes that hold information); anything else is refused.
// Written atomically; the same data always gives the same bytes.
void SaveAcqData(const host::AcqData& data, const std::string& path);
std::shared_ptr<AcqData> LoadAcqData(const std::string& path);

// The run record in a file. In memory every value is text; the values of the
// structured keys (the method as an object, the sample IDs as an array, counts
// and times as numbers, the failed commands and overflowed readings as arrays)
// hold JSON text and are written as the JSON they hold, so a data tool reads
// them as they are. Reading gives such a value back as its compact JSON text
// (other keys must hold strings); files written before sample IDs were an array hold them as one
// ";"-joined string, which reads back as the array it meant.
nlohmann::json RunInfoToJson(const std::map<std::string, std::string>& info);
// Raises naming the field for a repeated key.
void RunInfoFromJson(const JsonField& f, host::AcqData& data);
// The sample IDs a run record holds, in order; empty when it holds none.
std::vector<std::string> RunSampleIds(const std::map<std::string, std::string>& info);

std::string AcqDataToJson(const host::AcqData& data,
                          const std::string& source = "acquisition data");
std::shared_ptr<AcqData> AcqDataFromJson(const std::string& text,
                                         const std::string& source = "acquisition data");

}  // namespace kvdova
