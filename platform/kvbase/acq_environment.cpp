#include "platform/kvbase/acq_environment.h"

#include "platform/kvbase/string_tools.h"

namespace kvbase {

host::DataSelection Environment::NewDataSelection(const std::string& name,
                                                  const std::string& source,
                                                  const std::string& kind,
                                                  const std::string& ids) const {
    Strings::ListItems(ids);  // refuses a selection nobody could read back
    return host::DataSelection{name, source, kind, ids};
}

host::TableLayout Environment::NewTableLayout(const host::ParamDefList& columns) const {
    host::TableLayout layout;
    for (std::int32_t i = 1; i <= columns.Count(); ++i) layout.columns.push_back(*columns.Item(i));
    return layout;
}

host::ResultView Environment::NewView(const std::string& caption,
                                      const host::DataSelection& selection,
                                      const host::TableLayout& layout,
                                      const std::string& text) const {
    return host::ResultView{caption, selection, layout, text};
}

}  // namespace kvbase
