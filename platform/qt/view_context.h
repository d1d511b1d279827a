#pragma once
// What every view shares: where the failure of a person's action is reported,
// the registry of windows by handle, and the text catalogue. A view never lets an exception out of
// a slot or an event handler: it runs the model call through Guard, which
// turns host::Error and any standard exception into a report.
#include <functional>
#include <string>
#include <utility>

#include "host/error.h"
#include "host/services.h"

namespace qtview {

class WindowRegistry;

using TextSink = std::function<void(const std::string&)>;

struct ViewContext {
    // Shows the text of a failed action; empty: a warning box over the active
    // window, opened once the event loop runs again.
    TextSink report;
    // Where forms register their windows (for owners of dialogs); may be null.
    WindowRegistry* windows = nullptr;
    // The texts the views show of their own (list items, headings, menus);
    // null: the English ones.
    const host::TextCatalog* texts = nullptr;

    // Never raises: a failing sink is ignored.
    void Report(const std::string& text) const noexcept;
};

// Runs a person's action. Failure policy: trap and report; true when it succeeded.
template <class F>
bool Guard(const ViewContext& context, F&& action) noexcept {
    try {
        std::forward<F>(action)();
        return true;
    } catch (const host::Error& e) {
        context.Report(e.what());
    } catch (const std::exception& e) {
        context.Report(e.what());
    } catch (...) {
        context.Report("The action failed for an unknown reason.");
    }
    return false;
}

}  // namespace qtview
