#include "method/method_entries.h"

#include <fmt/format.h>

#include <algorithm>
#include <vector>

#include "host/context.h"
#include "host/error.h"
#include "proxy/trap.h"

namespace method {
namespace {

// Raises the registered error's status through the error service's check.
[[noreturn]] void RaiseRegistered(std::int32_t code) {
    auto& errors = host::CurrentHost().Errors();
    errors.Check(errors.StatusOf(code), "*");
    throw host::Error(host::kErrUnexpected, "a registered error gave no status");
}

}  // namespace

void MethodEntries::RequireInitialised() const {
    if (!initialised_) {
        throw host::Error(kErrEntriesNotReady,
                          "the method entry table is not initialised or was released");
    }
}

host::ResultDefList& MethodEntries::ResultDefs() {
    RequireInitialised();
    if (!resultDefs_) {
        throw host::Error(kErrEntriesNotReady, "the method's result definitions were released");
    }
    return *resultDefs_;
}

// The "InvalidEntry" status, with a text that says which entry and why.
void MethodEntries::RaiseInvalid(const std::string& why) const {
    throw host::Error(host::CurrentHost().Errors().StatusOf(invalidEntry_), why);
}

void MethodEntries::InitEntries() {
    auto& h = host::CurrentHost();
    auto& errors = h.Errors();
    const std::int32_t dupId =
        errors.RegisterError("Method", "DupID", "Duplicate ID detected", true);
    const std::int32_t emptyId =
        errors.RegisterError("Method", "EmptyID", "Empty ID detected", true);
    const std::int32_t invalidEntry =
        errors.RegisterError("Method", "InvalidEntry", "Invalid entry detected", false);
    auto resultDefs = h.NewResultDefList();
    if (!resultDefs) {
        throw host::Error(host::kErrUnexpected, "the host created no result-definition list");
    }
    dupId_ = dupId;
    emptyId_ = emptyId;
    invalidEntry_ = invalidEntry;
    resultDefs_ = std::move(resultDefs);
    entries_.clear();
    initialised_ = true;
}

void MethodEntries::ClearEntries() noexcept {
    entries_.clear();
    resultDefs_.reset();
    initialised_ = false;
}

void MethodEntries::AddResultDef(const host::ResultDef& def, const std::string& text,
                                 std::int32_t flag) {
    auto& list = ResultDefs();
    list.Add(def);
    auto item = list.Item(list.Count());
    item->flag = flag;
    if (!text.empty()) item->text = text;
}

host::Status MethodEntries::AddEntry(std::shared_ptr<host::KVEntry> control, const std::string& id,
                                     const std::string& displayName) {
    return proxy::Trap([&] {  // trap and return
        RequireInitialised();
        if (!control) {
            throw host::Error(kErrNoEntryControl, "no control was given to register as an entry");
        }
        // Everything is checked before the control's id is written, so a
        // refused registration changes no control, registered or not.
        const std::string entryId = id.empty() ? control->Id() : id;
        if (entryId.empty()) RaiseRegistered(emptyId_);
        const bool sameControl =
            std::any_of(entries_.begin(), entries_.end(),
                        [&](const MethodEntry& e) { return e.Control == control; });
        if (sameControl || FindEntry(entryId) > 0) RaiseRegistered(dupId_);
        if (!id.empty()) control->SetId(id);
        const std::string listRange =
            control->CtrlType() == host::kCtrlList ? control->Range() : std::string();
        entries_.push_back({std::move(control), listRange, displayName});
    });
}

std::int32_t MethodEntries::FindEntry(const std::string& id) const {
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (host::IEquals(entries_[i].Control->Id(), id)) return static_cast<std::int32_t>(i + 1);
    }
    return -1;
}

host::Status MethodEntries::EntriesToMethod(host::MethodObject& method) {
    return proxy::Trap([&] {  // trap and return
        auto& h = host::CurrentHost();
        auto& strings = h.Strings();
        auto& defs = ResultDefs();
        const std::int32_t defCount = defs.Count();
        method.SetResultDefCount(defCount);
        for (std::int32_t i = 1; i <= defCount; ++i) method.SetResultDef(i, *defs.Item(i));

        auto params = method.Params();
        for (const auto& e : entries_) {
            const host::ParamDef def = e.Control->Definition();
            std::int32_t i = params->IndexOf(def.id);
            if (i < 1) {
                i = params->Count() + 1;
                params->SetCount(i);
                params->SetDef(i, def);
            }
            if (!e.ListRange.empty()) {
                const std::string value = e.Control->Value().ToString();
                const std::string range = e.Control->Range();
                const std::string stored =
                    strings.ItemAt(strings.ItemIndex(value, range), e.ListRange);
                if (stored.empty()) {
                    RaiseInvalid(fmt::format("entry '{}' holds '{}', which has no item in {}",
                                             def.id, value, e.ListRange));
                }
                params->SetValue(i, stored);
                params->Def(i)->range = e.ListRange;
            } else {
                params->SetValue(i, e.Control->Value());
            }
            host::ParamDef named = *params->Def(i);
            named.name = e.DisplayName;
            params->SetDef(i, named);
        }
    });
}

host::Status MethodEntries::EntriesFromMethod(host::MethodObject& method) {
    host::Status last = 0;
    // Each step on its own: a failing one is skipped and its number remembered.
    auto step = [&](auto&& body) {
        const host::Status s = proxy::Trap(body);
        if (s != 0) last = s;
        return s == 0;
    };
    std::shared_ptr<host::ParamSet> params;
    std::int32_t count = 0;
    if (!step([&] {
            params = method.Params();
            count = params->Count();
        })) {
        return last;
    }
    for (std::int32_t i = 1; i <= count; ++i) {
        std::int32_t index = -1;
        if (!step([&] { index = FindEntry(params->Def(i)->id); })) continue;
        if (index < 1) continue;
        step([&] {
            const MethodEntry& e = entries_[static_cast<std::size_t>(index - 1)];
            const host::Variant value = params->Value(i);
            if (e.ListRange.empty()) {
                e.Control->SetValue(value);
                return;
            }
            auto& strings = host::CurrentHost().Strings();
            const std::int32_t position = strings.ItemIndex(value.ToString(), e.ListRange);
            const std::string item = strings.ItemAt(position, e.Control->Range());
            e.Control->SetValue(item);
            if (item.empty()) {
                RaiseInvalid(fmt::format("stored value '{}' of '{}' has no item in {}",
                                         value.ToString(), e.Control->Id(), e.Control->Range()));
            }
        });
    }
    return last;
}

host::Status MethodEntries::ValidateEntries() const {
    return proxy::Trap([&] {  // trap and return
        RequireInitialised();
        bool allValid = true;
        for (const auto& e : entries_) {
            bool valid = false;
            try {
                valid = e.Control->IsValid();
            } catch (...) {  // an entry that cannot tell is not valid
            }
            allValid = allValid && valid;
        }
        return allValid ? 0 : host::CurrentHost().Errors().StatusOf(invalidEntry_);
    });
}

std::int32_t MethodEntries::EntryCount() const {
    return static_cast<std::int32_t>(entries_.size());
}

}  // namespace method
