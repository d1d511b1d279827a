#pragma once
// The instrument's settable properties: their definitions, ranges (in the
// platform's range syntax), defaults and current values. The first entries
// form the setup description the host reads with GetSetupDesc.
#include <map>
#include <string>
#include <vector>

#include "host/param_def.h"

namespace qnserver {

struct Property {
    host::ParamDef def;  // id (also the name), data type, English caption, unit, format, range;
                         // text1 is the default
    bool inSetupDesc = false;
};

class PropertyTable {
  public:
    PropertyTable();

    static const std::vector<Property>& All();
    // The setup description: every property marked for it, in table order.
    static std::vector<host::ParamDef> SetupDescription();
    // nullptr when the key is not a property.
    static const Property* Find(const std::string& key);

    // Checks value against the property's range and gives its canonical text
    // (numbers in the property's format, list items as the range spells them).
    // Returns "" when the value fits, else the error reply.
    static std::string Validate(const Property& property, const std::string& value,
                                std::string& canonical);

    // Current value text; raises host::Error for a key that is not a property.
    const std::string& Get(const std::string& key) const;
    double Number(const std::string& key) const;
    // Stores a value that Validate accepted.
    void Set(const std::string& key, const std::string& canonical);
    void ResetDefaults();

  private:
    std::map<std::string, std::string> values_;  // by the property's own spelling of its key
};

// Formats v with a format pattern ("", "0", "0.0", "0.00", ...).
std::string FormatNumber(double v, const std::string& pattern);
// Reads a decimal number with a point; false for anything else (also inf and NaN).
bool ParseNumber(const std::string& text, double& v);

}  // namespace qnserver
