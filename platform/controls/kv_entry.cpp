#include "platform/controls/kv_entry.h"

#include "platform/controls/value_check.h"
#include "platform/kvbase/range_syntax.h"

namespace controls {
namespace {

std::vector<PropSpec> EntrySpecs() {
    using T = PropType;
    return {
        {"caption", T::Text, std::string()},
        {"range", T::Text, std::string()},
        {"unit", T::Text, std::string()},
        {"outformat", T::Text, std::string()},
        {"datatype", T::Int, host::kTypeText},
        {"ctrltype", T::Int, host::kCtrlEdit},
        {"labelwidth", T::Int, 0},
        {"leftaligned", T::Bool, false},
        {"labelbold", T::Bool, false},
        {"locked", T::Bool, false},
        {"forcevalid", T::Bool, false},
        {"isformula", T::Bool, false},
        {"maxlength", T::Int, 0},
        {"interval", T::Any, std::string()},
        {"tooltiptext", T::Text, std::string()},
        {"description", T::Text, std::string()},
        {"id", T::Text, std::string()},
        {"forecolor", T::Any, {}},
        {"whatsthishelpid", T::Int, 0},
        {"autotype", T::Any, {}},
        {"font", T::Any, {}},
        {"_extentx", T::Any, {}},
        {"_extenty", T::Any, {}},
    };
}

}  // namespace

KVEntry::KVEntry(std::string name, std::int32_t index, std::string parent)
    : ControlBase(host::ControlKind::KVEntry, std::move(name), index, std::move(parent),
                  EntrySpecs()) {}

host::Variant KVEntry::Value() const {
    if (CtrlType() != host::kCtrlList) return value_;
    const std::string text = value_.ToString();
    try {
        const auto range = kvbase::ParseRange(Range());
        for (const auto& item : range.items)
            if (host::IEquals(item, text)) return item;
    } catch (const host::Error&) {
        // A malformed list leaves the text as it is; IsValid reports it.
    }
    return text;
}

void KVEntry::SetValue(const host::Variant& v) {
    value_ = v;
    Changed();
}

host::ParamDef KVEntry::Definition() const {
    host::ParamDef def;
    def.id = Id();
    def.dataType = DataType();
    def.caption = Caption();
    def.unit = Unit();
    def.ctrlType = CtrlType();
    def.format = OutFormat();
    def.locked = Locked();
    def.range = Range();
    return def;
}

std::string KVEntry::Refusal(const host::Variant& v) const {
    return controls::Refusal(Definition(), v);
}

bool KVEntry::IsValid() const {
    return Refusal(value_).empty();
}

void KVEntry::OnValueChanged(std::function<void()> handler) {
    valueChanged_.Connect(std::move(handler));
}

void KVEntry::UserSetValue(const host::Variant& v) {
    RequireInteractive("input");
    if (Locked()) Raise(kErrInputRefused, "'{}' is locked and takes no input", Label());
    // A view hands over typed text; the entry keeps it as its data type.
    const host::Variant stored =
        v.GetKind() == host::Variant::Kind::Text ? AsType(Definition(), v) : v;
    if (props_.Bool("forcevalid")) {
        const auto why = Refusal(stored);
        if (!why.empty()) Raise(kErrInputRefused, "'{}' does not take the value: {}", Label(), why);
    }
    value_ = stored;
    Changed();
    valueChanged_.Raise();
}

bool KVEntry::ReadSpecial(const std::string& name, host::Variant& out) const {
    if (!host::IEquals(name, "value")) return false;
    out = Value();
    return true;
}

bool KVEntry::WriteSpecial(const std::string& name, const host::Variant& v) {
    if (host::IEquals(name, "value")) {
        value_ = v;
        return true;
    }
    if (host::IEquals(name, "datatype")) {
        const auto code = Int(name, v);
        if (code != host::kTypeBoolean && code != host::kTypeNumber && code != host::kTypeText &&
            code != host::kTypeDate) {
            Raise(kErrPropertyValue,
                  "datatype {} of '{}' is not 1 (boolean), 2 (number), 4 (text) or 5 (date)", code,
                  Label());
        }
        props_.Set(name, code);
        return true;
    }
    if (host::IEquals(name, "ctrltype")) {
        const auto code = Int(name, v);
        if (code != host::kCtrlEdit && code != host::kCtrlCheck && code != host::kCtrlList) {
            Raise(kErrPropertyValue,
                  "ctrltype {} of '{}' is not 1 (edit field), 3 (check box) or 5 (list)", code,
                  Label());
        }
        props_.Set(name, code);
        return true;
    }
    return false;
}

bool KVEntry::ReleaseExtender() {
    valueChanged_.Clear();
    DropStateListeners();
    return true;
}

}  // namespace controls
