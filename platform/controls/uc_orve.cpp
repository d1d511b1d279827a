#include "platform/controls/uc_orve.h"

#include "platform/controls/value_check.h"
#include "platform/kvdova/documents.h"

namespace controls {

UCORVE::UCORVE(std::string name, std::int32_t index, std::string parent,
               const host::TextCatalog& texts)
    : ControlBase(host::ControlKind::UCORVE, std::move(name), index, std::move(parent), {}),
      texts_(texts),
      setup_(kvdova::NewParamSet()) {}

host::Variant UCORVE::DefaultOf(const host::ParamDef& def) {
    const host::Variant text(def.text1);
    try {
        switch (def.dataType) {
            case host::kTypeNumber:
                return def.text1.empty() ? 0.0 : text.ToDouble();
            case host::kTypeBoolean:
                return def.text1.empty() ? false : text.ToBool();
            case host::kTypeDate:
                return def.text1.empty() ? host::Date{} : text.ToDate();
            default:
                return text;
        }
    } catch (const host::Error& e) {
        Raise(kErrArgument, "setup item '{}': default '{}' does not read as its type: {}", def.id,
              def.text1, e.Text());
    }
}

std::shared_ptr<host::ParamSet> UCORVE::Build(bool keepValues) const {
    auto next = kvdova::NewParamSet();
    const std::int32_t n = description_ ? description_->Count() : 0;
    for (std::int32_t i = 1; i <= n; ++i) {
        host::ParamDef def = *description_->Item(i);
        if (def.id.empty())
            Raise(kErrArgument, "{}: setup description item {} has no ID", Label(), i);
        if (next->IndexOf(def.id) > 0) {
            Raise(kErrArgument, "{}: setup description lists '{}' twice", Label(), def.id);
        }
        const std::int32_t held = keepValues ? setup_->IndexOf(def.id) : 0;
        const host::Variant value = held > 0 ? setup_->Value(held) : DefaultOf(def);
        if (localized_) def.name = texts_.Text(def.id, def.name);
        next->Add(def, value);
    }
    if (keepValues) {
        for (std::int32_t i = 1; i <= setup_->Count(); ++i) {
            const auto def = setup_->Def(i);
            if (next->IndexOf(def->id) == 0) next->Add(*def, setup_->Value(i));
        }
    }
    return next;
}

void UCORVE::Rebuild(bool keepValues) {
    setup_ = Build(keepValues);
    Changed();
}

void UCORVE::Reset() {
    Rebuild(false);
}

void UCORVE::LoadSetup(const host::ParamSet& setup) {
    auto next = setup_->Copy();
    for (std::int32_t i = 1; i <= setup.Count(); ++i) {
        const auto def = setup.Def(i);
        if (def->id.empty())
            Raise(kErrArgument, "{}: setup entry {} to load has no key", Label(), i);
        const std::int32_t held = next->IndexOf(def->id);
        if (held > 0) {
            next->SetValue(held, setup.Value(i));
        } else {
            next->Add(*def, setup.Value(i));
        }
    }
    setup_ = next;
    Changed();
}

std::shared_ptr<host::ParamSet> UCORVE::CurrentSetup() const {
    return setup_->Copy();
}

void UCORVE::SetSetupValue(const std::string& key, const host::Variant& v) {
    if (key.empty()) Raise(kErrArgument, "{}: a setup value needs a key", Label());
    const std::int32_t held = setup_->IndexOf(key);
    if (held > 0) {
        setup_->SetValue(held, v);
    } else {
        host::ParamDef def;
        def.id = key;
        def.name = key;
        def.dataType = v.IsNumeric()                              ? host::kTypeNumber
                       : v.GetKind() == host::Variant::Kind::Bool ? host::kTypeBoolean
                       : v.GetKind() == host::Variant::Kind::Date ? host::kTypeDate
                                                                  : host::kTypeText;
        setup_->Add(def, v);
    }
    Changed();
}

void UCORVE::SetInstrumentInfo(std::shared_ptr<host::InstrumentInfo> info) {
    info_ = std::move(info);
    Changed();
}

void UCORVE::Update() {
    Rebuild(true);
}

void UCORVE::SetSetupDescription(std::shared_ptr<host::ParamDefList> desc) {
    auto previous = std::move(description_);
    description_ = std::move(desc);
    try {
        Rebuild(true);
    } catch (...) {
        description_ = std::move(previous);
        throw;
    }
}

void UCORVE::SetMode(std::int32_t mode) {
    mode_ = mode;
    Changed();
}

void UCORVE::Localize() {
    localized_ = true;
    for (std::int32_t i = 1; i <= setup_->Count(); ++i) {
        const auto def = setup_->Def(i);
        def->name = texts_.Text(def->id, def->name);
    }
    Changed();
}

void UCORVE::SetItemName(const std::string& key, const std::string& name) {
    const std::int32_t i = setup_->IndexOf(key);
    if (i == 0) Raise(kErrArgument, "{}: no setup value '{}' is shown", Label(), key);
    auto def = *setup_->Def(i);
    if (def.name == name) return;
    def.name = name;
    setup_->SetDef(i, def);
    Changed();
}

void UCORVE::OnSetupChanged(std::function<void()> handler) {
    setupChanged_.Connect(std::move(handler));
}

void UCORVE::UserEditValue(const std::string& key, const host::Variant& v) {
    RequireInteractive("input");
    const std::int32_t i = setup_->IndexOf(key);
    if (i == 0) Raise(kErrInputRefused, "{}: no setup value '{}' is shown", Label(), key);
    const auto def = setup_->Def(i);
    const auto why = Refusal(*def, v);
    if (!why.empty()) {
        Raise(kErrInputRefused, "{}: setup value '{}' does not take the value: {}", Label(), key,
              why);
    }
    setup_->SetValue(i, AsType(*def, v));
    Changed();
    setupChanged_.Raise();
}

bool UCORVE::ReadSpecial(const std::string& name, host::Variant& out) const {
    if (!host::IEquals(name, "mode")) return false;
    out = mode_;
    return true;
}

bool UCORVE::WriteSpecial(const std::string& name, const host::Variant& v) {
    if (!host::IEquals(name, "mode")) return false;
    mode_ = Int(name, v);
    return true;
}

bool UCORVE::ReleaseExtender() {
    setupChanged_.Clear();
    DropStateListeners();
    info_.reset();
    description_.reset();
    return true;
}

}  // namespace controls
