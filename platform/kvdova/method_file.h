#pragma once
// Method documents as JSON files. Every field of the method is written and
// read back exactly; a file that does not hold a complete method of a known
// version is refused with a host::Error naming the file and the field, and
// nothing half-loaded is returned.
#include <memory>
#include <string>

#include "host/method_object.h"
#include "platform/kvdova/method_object.h"

namespace kvdova {

inline constexpr const char* kMethodFormat = "ORVEVIZari method";

// Written atomically; the same method always gives the same bytes.
void SaveMethod(const host::MethodObject& method, const std::string& path);
std::shared_ptr<MethodObject> LoadMethod(const std::string& path);

// The same document as a text, for embedding a method elsewhere; `source`
// names the text in error messages.
std::string MethodToJson(const host::MethodObject& method, const std::string& source = "method");
std::shared_ptr<MethodObject> MethodFromJson(const std::string& text,
                                             const std::string& source = "method");

}  // namespace kvdova
