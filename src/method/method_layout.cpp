#include "method/method_layout.h"

#include "host/context.h"

namespace method {

void MergeSetupParams(host::MethodObject& method, const host::ParamSet& setup) {
    auto params = method.Params();
    const std::int32_t count = setup.Count();
    for (std::int32_t a = 1; a <= count; ++a) {
        const auto def = setup.Def(a);
        std::int32_t i = params->IndexOf(def->id);
        if (i < 1) {
            i = params->Count() + 1;
            params->SetCount(i);
        }
        params->SetDef(i, *def);
        params->Def(i)->flag = false;
        params->SetValue(i, setup.Value(a));
    }
}

void CopyMethodAsText(host::MethodObject& method) {
    auto& h = host::CurrentHost();
    auto& numbers = h.Numbers();
    const auto params = method.Params();
    std::string text;
    const std::int32_t count = params->Count();
    for (std::int32_t i = 1; i <= count; ++i) {
        const auto def = params->Def(i);
        text += def->name;
        text += '\t';
        text += numbers.FormatByDef(params->Value(i), def->Format(), true);
        text += '\n';
    }
    auto& clipboard = h.GetClipboard();
    clipboard.Clear();
    clipboard.SetText(text);
}

std::string ResultColumnIDs(const host::ParamDefList& columns) {
    auto& strings = host::CurrentHost().Strings();
    std::string ids = strings.ListOpening();
    const std::int32_t count = columns.Count();
    for (std::int32_t i = 1; i <= count; ++i) ids += columns.Item(i)->id + ";";
    return strings.CloseList(ids);
}

}  // namespace method
