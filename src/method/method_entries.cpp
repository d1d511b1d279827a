#include "method/method_entries.h"

#include <fmt/format.h>

#include <algorithm>
#include <vector>

#include "host/context.h"
#include "host/error.h"
#include "proxy/trap.h"

namespace method {
namespace {

struct MethodEntry {
    std::shared_ptr<host::KVEntry> Control;
    std::string ListRange;  // the list as registered; empty for a plain entry
    std::string DisplayName;
};

struct EntryTable {
    bool initialised = false;
    std::int32_t dupId = 0;
    std::int32_t emptyId = 0;
    std::int32_t invalidEntry = 0;
    std::shared_ptr<host::ResultDefList> resultDefs;
    std::vector<MethodEntry> entries;
};

thread_local EntryTable tTable;

EntryTable& Table() {
    if (!tTable.initialised) {
        throw host::Error(kErrEntriesNotReady, "the method entry table was not initialised");
    }
    return tTable;
}

host::ResultDefList& ResultDefs() {
    auto& t = Table();
    if (!t.resultDefs) {
        throw host::Error(kErrEntriesNotReady, "the method's result definitions were released");
    }
    return *t.resultDefs;
}

// Raises the registered error's status through the error service's check.
[[noreturn]] void RaiseRegistered(std::int32_t code) {
    auto& errors = host::CurrentHost().Errors();
    errors.Check(errors.StatusOf(code), "*");
    throw host::Error(host::kErrUnexpected, "a registered error gave no status");
}

// The "InvalidEntry" status, with a text that says which entry and why.
[[noreturn]] void RaiseInvalid(const std::string& why) {
    throw host::Error(host::CurrentHost().Errors().StatusOf(Table().invalidEntry), why);
}

}  // namespace

void InitEntries() {
    auto& h = host::CurrentHost();
    auto& errors = h.Errors();
    EntryTable next;
    next.dupId = errors.RegisterError("Method", "DupID", "Duplicate ID detected", true);
    next.emptyId = errors.RegisterError("Method", "EmptyID", "Empty ID detected", true);
    next.invalidEntry =
        errors.RegisterError("Method", "InvalidEntry", "Invalid entry detected", false);
    next.resultDefs = h.NewResultDefList();
    if (!next.resultDefs) {
        throw host::Error(host::kErrUnexpected, "the host created no result-definition list");
    }
    next.initialised = true;
    tTable = std::move(next);
}

void ClearEntries() noexcept {
    tTable.entries.clear();
    tTable.resultDefs.reset();
}

void AddResultDef(const host::ResultDef& def, const std::string& text, std::int32_t flag) {
    auto& list = ResultDefs();
    list.Add(def);
    auto item = list.Item(list.Count());
    item->flag = flag;
    if (!text.empty()) item->text = text;
}

host::Status AddEntry(std::shared_ptr<host::KVEntry> control, const std::string& id,
                      const std::string& displayName) {
    return proxy::Trap([&] {  // trap and return
        auto& t = Table();
        if (!control) {
            throw host::Error(kErrNoEntryControl, "no control was given to register as an entry");
        }
        // Everything is checked before the control's id is written, so a
        // refused registration changes no control, registered or not.
        const std::string entryId = id.empty() ? control->Id() : id;
        if (entryId.empty()) RaiseRegistered(t.emptyId);
        const bool sameControl =
            std::any_of(t.entries.begin(), t.entries.end(),
                        [&](const MethodEntry& e) { return e.Control == control; });
        if (sameControl || FindEntry(entryId) > 0) RaiseRegistered(t.dupId);
        if (!id.empty()) control->SetId(id);
        const std::string listRange =
            control->CtrlType() == host::kCtrlList ? control->Range() : std::string();
        t.entries.push_back({std::move(control), listRange, displayName});
    });
}

std::int32_t FindEntry(const std::string& id) {
    const auto& entries = tTable.entries;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (host::IEquals(entries[i].Control->Id(), id)) return static_cast<std::int32_t>(i + 1);
    }
    return -1;
}

host::Status EntriesToMethod(host::MethodObject& method) {
    return proxy::Trap([&] {  // trap and return
        auto& h = host::CurrentHost();
        auto& strings = h.Strings();
        auto& defs = ResultDefs();
        const std::int32_t defCount = defs.Count();
        method.SetResultDefCount(defCount);
        for (std::int32_t i = 1; i <= defCount; ++i) method.SetResultDef(i, *defs.Item(i));

        auto params = method.Params();
        for (const auto& e : Table().entries) {
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

host::Status EntriesFromMethod(host::MethodObject& method) {
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
            const MethodEntry& e = Table().entries[static_cast<std::size_t>(index - 1)];
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

host::Status ValidateEntries() {
    return proxy::Trap([&] {  // trap and return
        auto& t = Table();
        bool allValid = true;
        for (const auto& e : t.entries) {
            bool valid = false;
            try {
                valid = e.Control->IsValid();
            } catch (...) {  // an entry that cannot tell is not valid
            }
            allValid = allValid && valid;
        }
        return allValid ? 0 : host::CurrentHost().Errors().StatusOf(t.invalidEntry);
    });
}

std::int32_t EntryCount() {
    return static_cast<std::int32_t>(tTable.entries.size());
}

}  // namespace method
