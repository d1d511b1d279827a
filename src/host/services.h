#pragma once
// The host's base services. Unless a line says otherwise an operation raises
// host::Error with a clear text on bad arguments.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/param_def.h"
#include "host/param_set.h"
#include "host/result_view.h"
#include "host/variant.h"

namespace host {

class Control;
class LocaleNode;

class ORVE_API ErrorService {
  public:
    virtual ~ErrorService() = default;
    // Registering the same section and key again returns the same code.
    virtual std::int32_t RegisterError(const std::string& section, const std::string& key,
                                       const std::string& message, bool flag) = 0;
    // Status of a registered code: a stable non-zero number.
    virtual Status StatusOf(std::int32_t code) const = 0;
    // Code of an instrument reply's error key; unknown keys are registered on the fly.
    virtual std::int32_t CodeOfReply(const std::string& key, const std::string& message) = 0;
    // Returns for 0; raises host::Error(status, message text) for anything else.
    virtual void Check(Status status, const std::string& filter) const = 0;
    // Message text of an error number, also of numbers it did not register.
    virtual std::string MessageText(Status number) const = 0;
    // Keeps the text an unregistered error number was last raised with, so
    // MessageText can give it back after a trap turned the error into a number.
    virtual void NoteRaised(Status number, const std::string& text) = 0;
    virtual void ReportFailedCommand(const std::string& command) = 0;
    virtual std::vector<std::string> FailedCommands() const = 0;
    // Registered (section, key, message, code) entries, in registration order.
    struct Entry {
        std::string section, key, message;
        bool flag = false;
        std::int32_t code = 0;
        Status status = 0;
    };
    virtual std::vector<Entry> Entries() const = 0;
};

class ORVE_API TextCatalog {
  public:
    virtual ~TextCatalog() = default;
    virtual std::string Text(const std::string& key, const std::string& def) const = 0;
    // The localisation catalogue's root node.
    virtual std::shared_ptr<LocaleNode> LocaleCatalog() const = 0;
    // Sets the named property of a control to a text; raises when it has no such property.
    virtual void ApplyText(Control& control, const std::string& property,
                           const std::string& text) const = 0;
};

// The localisation catalogue: root → sections → control entries → properties.
class ORVE_API LocaleNode {
  public:
    virtual ~LocaleNode() = default;
    virtual std::int32_t SectionIndex(const std::string& key) const = 0;  // negative when absent
    virtual std::shared_ptr<LocaleNode> Section(std::int32_t index) const = 0;
    // nullptr when absent.
    virtual std::shared_ptr<LocaleNode> ControlEntry(const std::string& name,
                                                     const std::string& indexText) const = 0;
    virtual std::int32_t PropertyCount() const = 0;
    virtual std::string PropertyName(std::int32_t i) const = 0;  // from 1
    virtual std::string PropertyText(std::int32_t i) const = 0;  // from 1
};

class ORVE_API NumberFormat {
  public:
    virtual ~NumberFormat() = default;
    virtual std::string IntToText(std::int32_t v, const std::string& pattern) const = 0;
    virtual std::string DoubleToText(double v, const std::string& pattern,
                                     std::int32_t option) const = 0;
    virtual std::string ValueToText(const Variant& v, std::int32_t dataType,
                                    const std::string& pattern, std::int32_t option) const = 0;
    virtual Variant TextToValue(const std::string& text, std::int32_t dataType,
                                const std::string& pattern, std::int32_t option) const = 0;
    virtual std::string FormatByDef(const Variant& v, const FormatDescriptor& fmt,
                                    bool flag) const = 0;
    virtual double TextToDouble(const std::string& text, std::int32_t option) const = 0;
    virtual Variant DefaultValue(std::int32_t valueType) const = 0;
};

class ORVE_API ProgressDisplay {
  public:
    virtual ~ProgressDisplay() = default;
    // Returns after that much clock time; the host keeps its user interface running.
    virtual void Wait(double seconds) = 0;
    virtual bool AbortRequested() const = 0;
    virtual std::int32_t AbortErrorCode() const = 0;
    // Clears an abort request (the host does this before a new run).
    virtual void ClearAbort() = 0;
    virtual void ShowProgress(const std::string& text) = 0;
    virtual void ShowMessage(const std::string& text) = 0;
    virtual void ShowStatusText(const std::string& text) = 0;
    virtual std::shared_ptr<ParamDef> CreateParamDef(const std::string& id, std::int32_t valueType,
                                                     const std::string& caption,
                                                     const std::string& unit, std::int32_t ctrlType,
                                                     const std::string& format,
                                                     const std::string& text1,
                                                     const std::string& text2, bool locked,
                                                     bool flag1, bool flag2) = 0;
    virtual std::shared_ptr<ResultDef> CreateResultDef(const std::string& id,
                                                       std::int32_t valueType,
                                                       const std::string& caption,
                                                       const std::string& unit,
                                                       const std::string& format) = 0;
};

class ORVE_API StringTools {
  public:
    virtual ~StringTools() = default;
    // The text before the first separator; text keeps the rest (empty when there is none).
    virtual std::string NextToken(std::string& text, const std::string& separator) const = 0;
    // Position (from 1) of item in a list text "{a;b}"; 0 when absent. Raises for a text without
    // braces.
    virtual std::int32_t ItemIndex(const std::string& item, const std::string& list) const = 0;
    // Item at a position; empty when out of range. Raises for a text without braces.
    virtual std::string ItemAt(std::int32_t position, const std::string& list) const = 0;
    virtual std::vector<std::string> Split(const std::string& text,
                                           const std::string& separator) const = 0;
    virtual std::string ListOpening() const = 0;
    // Closes a list text built from the opening and items each followed by ";".
    virtual std::string CloseList(const std::string& text) const = 0;
};

class ORVE_API AcqEnvironment {
  public:
    virtual ~AcqEnvironment() = default;
    virtual bool StopRequested() const = 0;
    virtual void RequestStop(bool stop) = 0;
    virtual std::string SampleIdKey() const = 0;
    virtual std::string ConcentrationKey() const = 0;
    virtual std::string InstNameKey() const = 0;
    virtual std::string InstIdKey() const = 0;
    virtual std::string InstTypeKey() const = 0;
    virtual std::string LastValidationKey() const = 0;
    virtual DataSelection NewDataSelection(const std::string& name, const std::string& source,
                                           const std::string& kind,
                                           const std::string& ids) const = 0;
    virtual TableLayout NewTableLayout(const ParamDefList& columns) const = 0;
    virtual ResultView NewView(const std::string& caption, const DataSelection& selection,
                               const TableLayout& layout, const std::string& text) const = 0;
};

class ORVE_API MathTools {
  public:
    virtual ~MathTools() = default;
    virtual double Max(double a, double b) const = 0;
};

class ORVE_API PathTools {
  public:
    virtual ~PathTools() = default;
    // The given directory when it exists, else the user's home directory.
    virtual std::string InitialDirectory(const std::string& dir) const = 0;
};

// Time for waits and for the simulated instrument.
class ORVE_API Clock {
  public:
    virtual ~Clock() = default;
    virtual double Now() const = 0;  // seconds since the clock's start
    // Blocks (or runs the host's event loop) for that long; a virtual clock advances at once.
    virtual void Sleep(double seconds) = 0;
};

}  // namespace host
