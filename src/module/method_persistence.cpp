// Method persistence of UCVIZari: the page's defaults, the page <-> method
// transfer in the stored layout, and "Copy Method".
#include <fmt/format.h>

#include "host/error.h"
#include "method/method_entries.h"
#include "method/method_layout.h"
#include "module/ucvizari.h"
#include "proxy/trap.h"

namespace module {
namespace {

constexpr host::Status kErrNoMethod = 0x7FFF0911;
constexpr host::Status kErrNoPositionTable = 0x7FFF0912;

constexpr const char* kMethodType = "FLVIZari";
constexpr const char* kVersionTag = "ORVEVIZari:1.00.00";
constexpr std::int32_t kPositionTable = 1;
constexpr std::int32_t kPositionColumns = 4;

// The page's defaults, written as 16-bit integers.
constexpr std::int16_t kDefaultIntTime = 1;
constexpr std::int16_t kDefaultSlit = 10;
constexpr std::int16_t kDefaultPosition[kPositionColumns] = {10, 10, 400, 500};

host::MethodObject& Required(const std::shared_ptr<host::MethodObject>& method,
                             const char* operation) {
    if (!method) throw host::Error(kErrNoMethod, fmt::format("{} was handed no method", operation));
    return *method;
}

// A failure of the message display itself is dropped: it has nowhere to go.
void ShowFailure(host::Host& h, host::Status number) noexcept {
    try {
        h.Progress().ShowMessage(h.Errors().MessageText(number));
    } catch (...) {
    }
}

// A method whose position table cannot be read is refused before the page or
// the name change: a partial load would show the previous method's positions
// under the new method's name, and a later UpdateMethod would store them.
void RequirePositionTable(const host::MethodObject& method) {
    if (method.TableCount() < kPositionTable) {
        throw host::Error(kErrNoPositionTable,
                          fmt::format("method '{}' has no position table", method.Name()));
    }
    const std::int32_t columns = method.ColumnCount(kPositionTable);
    if (columns < kPositionColumns) {
        throw host::Error(kErrNoPositionTable,
                          fmt::format("the position table of method '{}' has {} columns, not {}",
                                      method.Name(), columns, kPositionColumns));
    }
}

// Item 1 of the entry's own list.
void SelectFirstItem(host::Host& h, host::KVEntry& entry) {
    entry.SetValue(h.Strings().ItemAt(1, entry.Range()));
}

}  // namespace

// Ends quietly at the first failure; nothing is reported.
void UCVIZari::ClearMethod() {
    try {
        auto& texts = host_.Texts();
        methodName_ = texts.Text("New", "New") + texts.Text("VIZari", "VIZari");
        page_->ucorve->Reset();
        page_->autoLampOn = true;
        SelectFirstItem(host_, *page_->kveAutoLamp);
        ResetMethodPage();
        results_->SetResultColumns();
        // The display shows what a new method stores: the page's defaults,
        // not whatever the instrument's own defaults happen to be.
        page_->ShowPageInDisplay();
    } catch (...) {
    }
}

// Traps and returns: the name and the online view report their failures, the
// transfer onto the page does not (the page may stay partly loaded). A method
// without a readable position table is refused before anything changes.
host::Status UCVIZari::LoadMethod(std::shared_ptr<host::MethodObject> pMethod) {
    return proxy::Trap([&] {
        auto& method = Required(pMethod, "LoadMethod");
        RequirePositionTable(method);
        methodName_ = method.Name();
        MethodToPage(method);
        SetOnlineResultView(method);
    });
}

// Traps and returns: an invalid entry stops it before anything is written;
// a failure while writing leaves what was written in the method.
host::Status UCVIZari::UpdateMethod(std::shared_ptr<host::MethodObject> pMethod) {
    return proxy::Trap([&] {
        auto& method = Required(pMethod, "UpdateMethod");
        auto& errors = host_.Errors();
        errors.Check(ValidatePage(), "*");
        errors.Check(PageToMethod(method), "*");
        SetOnlineResultView(method);
    });
}

// Lets a failure pass (ClearMethod ends quietly on it).
void UCVIZari::ResetMethodPage() {
    auto& p = *page_;
    p.kveIntTime->SetValue(kDefaultIntTime);
    p.kveExSlit->SetValue(kDefaultSlit);
    p.kveEmSlit->SetValue(kDefaultSlit);
    SelectFirstItem(host_, *p.kveGain);
    SelectFirstItem(host_, *p.kveAutoLamp);
    auto& grid = *p.kvsScan;
    grid.SetRowCount(1);
    grid.SetRowCaption(1, host_.Numbers().IntToText(1, ""));
    for (std::int32_t c = 1; c <= kPositionColumns; ++c)
        grid.SetCell(c, 1, kDefaultPosition[c - 1]);
}

// Traps and returns the first failure; what was loaded before it stays.
host::Status UCVIZari::MethodToPage(host::MethodObject& method) {
    return proxy::Trap([&] {
        auto& p = *page_;
        p.ucorve->LoadSetup(proxy::Required(method.Params(), "method parameters"));
        // The slits and the gain are no method entries: they reach the page
        // only from the display, which raises no change for a load by code.
        // Without this the page would show the previous method's slits and
        // gain beside the loaded positions.
        p.OnSetupChanged();
        entries_.EntriesFromMethod(method);  // its status is not examined
        p.autoLampOn = host_.Strings().ItemIndex(p.kveAutoLamp->Value().ToString(),
                                                 p.kveAutoLamp->Range()) == 1;
        auto& grid = *p.kvsScan;
        const std::int32_t rows = method.RowCount(kPositionTable);
        grid.SetRowCount(rows);
        // Filling the grid by code raises no cell-changed notification, so the
        // result columns are rebuilt here; otherwise they would keep the count
        // of the previous position list and a measurement would write past
        // them. Done before the cells, so a table that fails half-way still
        // leaves one column per row.
        results_->SetResultColumns();
        auto& numbers = host_.Numbers();
        for (std::int32_t r = 1; r <= rows; ++r) {
            grid.SetRowCaption(r, numbers.IntToText(r, ""));
            for (std::int32_t c = 1; c <= kPositionColumns; ++c)
                grid.SetCell(c, r, method.Cell(kPositionTable, c, r));
        }
    });
}

// Traps and returns the "InvalidEntry" status.
host::Status UCVIZari::ValidatePage() {
    return proxy::Trap([&] { host_.Errors().Check(entries_.ValidateEntries(), "*"); });
}

// Traps and returns the first failure; the elements written before it stay.
host::Status UCVIZari::PageToMethod(host::MethodObject& method) {
    return proxy::Trap([&] {
        auto& p = *page_;
        entries_.EntriesToMethod(method);  // its status is not examined

        // A loaded method hands the display every parameter, entries included,
        // and the display keeps them. An entry that the instrument does not
        // describe (the automatic lamp) would then come back from the display
        // with the value it was loaded with and overwrite the person's later
        // edit, so such an entry's value comes from the page alone.
        auto setup = p.ucorve->CurrentSetup();
        proxy::Required(setup, "current setup");
        auto merged = host_.NewParamSet();
        proxy::Required(merged, "parameter set");
        for (std::int32_t a = 1; a <= setup->Count(); ++a) {
            const auto def = setup->Def(a);
            const bool described = setupDesc_ && setupDesc_->IndexOf(def->id) > 0;
            if (entries_.FindEntry(def->id) > 0 && !described) continue;
            merged->Add(*def, setup->Value(a));
        }
        method::MergeSetupParams(method, *merged);

        auto& grid = *p.kvsScan;
        const std::int32_t rows = grid.RowCount();
        method.SetTableCount(1);
        method.SetColumnCount(kPositionTable, kPositionColumns);
        method.SetRowCount(kPositionTable, rows);
        for (std::int32_t c = 1; c <= kPositionColumns; ++c)
            method.SetColumnDef(kPositionTable, c, grid.ColumnDef(c));
        for (std::int32_t r = 1; r <= rows; ++r) {
            for (std::int32_t c = 1; c <= kPositionColumns; ++c)
                method.SetCell(kPositionTable, c, r, grid.Cell(c, r));
        }
        method.SetMethodType(kMethodType);
        method.SetInstrumentCount(1);
        method.SetInstrument(1, proxy::Required(instInfoParams_, "parameter set").Copy());
        method.SetName(methodName_);
        method.SetVersionTag(kVersionTag);
    });
}

// Lets a failure pass to the caller.
void UCVIZari::SetOnlineResultView(host::MethodObject& method) {
    method.SetResultViewCount(1);
    const std::string caption = host_.Texts().Text("Online Result", "Online Result");
    const auto columns = page_->kvsResult->ColumnDefs();
    auto& env = host_.Environment();
    const auto selection =
        env.NewDataSelection("", "Acq", "Any", method::ResultColumnIDs(*columns));
    const auto layout = env.NewTableLayout(*columns);
    method.SetResultView(1, env.NewView(caption, selection, layout, ""));
}

// Every failure is shown to the person as the host's message text. The page
// is not validated first: the text holds whatever the page could write.
void UCVIZari::CopyMethod() {
    try {
        auto method = host_.NewMethodObject();
        if (!method) throw host::Error(kErrNoMethod, "the host created no method");
        PageToMethod(*method);  // its status is not examined
        method::CopyMethodAsText(*method);
    } catch (const host::Error& e) {
        ShowFailure(host_, e.Number() != 0 ? e.Number() : host::kErrUnexpected);
    } catch (...) {
        ShowFailure(host_, host::kErrUnexpected);
    }
}

}  // namespace module
