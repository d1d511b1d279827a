#include "platform/kvdova/method_file.h"

#include <fmt/format.h>

#include "platform/kvbase/atomic_file.h"
#include "platform/kvdova/json_values.h"

namespace kvdova {
namespace {

using nlohmann::json;

json TableToJson(const host::MethodObject& m, std::int32_t t) {
    json columns = json::array();
    for (std::int32_t c = 1; c <= m.ColumnCount(t); ++c)
        columns.push_back(ParamDefToJson(m.ColumnDef(t, c)));
    json rows = json::array();
    for (std::int32_t r = 1; r <= m.RowCount(t); ++r) {
        json row = json::array();
        for (std::int32_t c = 1; c <= m.ColumnCount(t); ++c)
            row.push_back(VariantToJson(m.Cell(t, c, r)));
        rows.push_back(std::move(row));
    }
    return {{"columns", std::move(columns)}, {"rows", std::move(rows)}};
}

json MethodDocument(const host::MethodObject& m) {
    json doc = json::object();
    WriteHeader(doc, kMethodFormat);
    doc["name"] = m.Name();
    doc["methodType"] = m.MethodType();
    doc["versionTag"] = m.VersionTag();
    doc["instruments"] = json::array();
    for (std::int32_t i = 1; i <= m.InstrumentCount(); ++i) {
        doc["instruments"].push_back(ParamSetToJson(*m.Instrument(i)));
    }
    doc["params"] = ParamSetToJson(*m.Params());
    doc["tables"] = json::array();
    for (std::int32_t t = 1; t <= m.TableCount(); ++t) doc["tables"].push_back(TableToJson(m, t));
    doc["resultDefs"] = json::array();
    for (std::int32_t i = 1; i <= m.ResultDefCount(); ++i) {
        doc["resultDefs"].push_back(ResultDefToJson(m.GetResultDef(i)));
    }
    doc["resultViews"] = json::array();
    for (std::int32_t i = 1; i <= m.ResultViewCount(); ++i) {
        doc["resultViews"].push_back(ResultViewToJson(m.GetResultView(i)));
    }
    return doc;
}

void ReadTable(const JsonField& f, MethodObject& m, std::int32_t t, const std::string& source) {
    f.ExpectObject({"columns", "rows"});
    const JsonField columns = f.Member("columns");
    const JsonField rows = f.Member("rows");
    const auto nCols = static_cast<std::int32_t>(columns.ArraySize());
    const auto nRows = static_cast<std::int32_t>(rows.ArraySize());
    f.Guard([&] {
        m.SetColumnCount(t, nCols);
        m.SetRowCount(t, nRows);
    });
    for (std::int32_t c = 1; c <= nCols; ++c) {
        m.SetColumnDef(t, c, ParamDefFromJson(columns.Element(static_cast<std::size_t>(c - 1))));
    }
    for (std::int32_t r = 1; r <= nRows; ++r) {
        const JsonField row = rows.Element(static_cast<std::size_t>(r - 1));
        if (row.ArraySize() != static_cast<std::size_t>(nCols)) {
            row.Fail(
                fmt::format("expected {} cells, one per column, found {}", nCols, row.ArraySize()));
        }
        for (std::int32_t c = 1; c <= nCols; ++c) {
            const JsonField cell = row.Element(static_cast<std::size_t>(c - 1));
            try {
                m.SetCell(t, c, r, VariantFromJson(cell));
            } catch (const host::Error& e) {
                // Named as the page shows the cell ("Ex.Wl of position 2"):
                // table 1 is the position grid, one position a row.
                std::string what = e.what();
                const std::string at = source + ": " + cell.Path();
                if (what.rfind(at, 0) == 0) {
                    what.erase(0, at.size());
                    const auto colon = what.find(": ");
                    if (colon != std::string::npos) what.erase(0, colon + 2);
                }
                const std::string caption = m.ColumnDef(t, c).caption;
                const std::string column = caption.empty() ? fmt::format("column {}", c) : caption;
                JsonField(cell.Json(), source,
                          t == 1 ? fmt::format("{} of position {}", column, r)
                                 : fmt::format("{} of row {} in table {}", column, r, t))
                    .Fail(what);
            }
        }
    }
}

std::shared_ptr<MethodObject> ReadMethod(const json& doc, const std::string& source) {
    const JsonField root(doc, source);
    CheckHeader(root, kMethodFormat);
    root.ExpectObject({"format", "formatVersion", "name", "methodType", "versionTag", "instruments",
                       "params", "tables", "resultDefs", "resultViews"});
    auto m = std::make_shared<MethodObject>();
    m->SetName(root.Member("name").Text());
    m->SetMethodType(root.Member("methodType").Text());
    m->SetVersionTag(root.Member("versionTag").Text());

    const JsonField instruments = root.Member("instruments");
    const auto nInst = static_cast<std::int32_t>(instruments.ArraySize());
    m->SetInstrumentCount(nInst);
    for (std::int32_t i = 1; i <= nInst; ++i) {
        m->SetInstrument(i, ParamSetFromJson(instruments.Element(static_cast<std::size_t>(i - 1))));
    }

    ReadParamEntries(root.Member("params"), *m->Params());

    const JsonField tables = root.Member("tables");
    const auto nTables = static_cast<std::int32_t>(tables.ArraySize());
    m->SetTableCount(nTables);
    for (std::int32_t t = 1; t <= nTables; ++t) {
        ReadTable(tables.Element(static_cast<std::size_t>(t - 1)), *m, t, source);
    }

    const JsonField defs = root.Member("resultDefs");
    const auto nDefs = static_cast<std::int32_t>(defs.ArraySize());
    m->SetResultDefCount(nDefs);
    for (std::int32_t i = 1; i <= nDefs; ++i) {
        m->SetResultDef(i, ResultDefFromJson(defs.Element(static_cast<std::size_t>(i - 1))));
    }

    const JsonField views = root.Member("resultViews");
    const auto nViews = static_cast<std::int32_t>(views.ArraySize());
    m->SetResultViewCount(nViews);
    for (std::int32_t i = 1; i <= nViews; ++i) {
        m->SetResultView(i, ResultViewFromJson(views.Element(static_cast<std::size_t>(i - 1))));
    }
    return m;
}

}  // namespace

std::string MethodToJson(const host::MethodObject& method, const std::string& source) {
    return DumpDocument(MethodDocument(method), source);
}

std::shared_ptr<MethodObject> MethodFromJson(const std::string& text, const std::string& source) {
    return ReadMethod(ParseDocument(text, source), source);
}

void SaveMethod(const host::MethodObject& method, const std::string& path) {
    kvbase::WriteFileAtomic(path, MethodToJson(method, path));
}

std::shared_ptr<MethodObject> LoadMethod(const std::string& path) {
    return MethodFromJson(kvbase::ReadFile(path), path);
}

}  // namespace kvdova
