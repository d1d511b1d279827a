#pragma once
// The acquisition environment: the host's standard parameter keys, the stop
// request of a running acquisition, and the value types of stored result views.
//
// Standard keys: "SampleID", "Concentration", "InstName", "InstID", "InstType",
// "LastValidated".
#include <string>

#include "host/services.h"

namespace kvbase {

class Environment : public host::AcqEnvironment {
  public:
    bool StopRequested() const override { return stop_; }
    void RequestStop(bool stop) override { stop_ = stop; }
    std::string SampleIdKey() const override { return "SampleID"; }
    std::string ConcentrationKey() const override { return "Concentration"; }
    std::string InstNameKey() const override { return "InstName"; }
    std::string InstIdKey() const override { return "InstID"; }
    std::string InstTypeKey() const override { return "InstType"; }
    std::string LastValidationKey() const override { return "LastValidated"; }
    // Raises host::Error when ids is not a list text ("{a;b}").
    host::DataSelection NewDataSelection(const std::string& name, const std::string& source,
                                         const std::string& kind,
                                         const std::string& ids) const override;
    // Copies of the list's definitions, in order.
    host::TableLayout NewTableLayout(const host::ParamDefList& columns) const override;
    host::ResultView NewView(const std::string& caption, const host::DataSelection& selection,
                             const host::TableLayout& layout,
                             const std::string& text) const override;

  private:
    bool stop_ = false;
};

}  // namespace kvbase
