#pragma once
// Acquisition data as JSON files: text, instrument information, results, both
// item groups and the run record, written and read back exactly. A file that
// does not hold complete data of a known version is refused with a
// host::Error naming the file and the field; nothing half-loaded is returned.
#include <memory>
#include <string>

#include "host/acq_data.h"
#include "platform/kvdova/acq_data.h"

namespace kvdova {

inline constexpr const char* kAcqDataFormat = "ORVEVIZari acquisition data";

// Takes the data of this library only (the document interface cannot list
// the instrument indexes that hold information); anything else is refused.
// Written atomically; the same data always gives the same bytes.
void SaveAcqData(const host::AcqData& data, const std::string& path);
std::shared_ptr<AcqData> LoadAcqData(const std::string& path);

std::string AcqDataToJson(const host::AcqData& data,
                          const std::string& source = "acquisition data");
std::shared_ptr<AcqData> AcqDataFromJson(const std::string& text,
                                         const std::string& source = "acquisition data");

}  // namespace kvdova
