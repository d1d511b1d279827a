// The text catalogue read from JSON.
//
// Input: the catalogue text.
//
// Checked: every text key of an accepted catalogue finds its text, also in
// another case, and every section, control entry and property of the
// localisation catalogue is found again by its own key and name.
#include <string>

#include "fuzz/fuzz_support.h"
#include "platform/kvbase/catalog.h"

namespace {

using fuzz::Expect;

std::string Upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

void CheckTexts(const kvbase::Catalog& cat) {
    const std::string missing = "\x01missing";
    for (const std::string& key : cat.Keys()) {
        const std::string text = cat.Text(key, missing);
        Expect(text != missing, "text key '" + key + "' is listed but not found");
        Expect(cat.Text(Upper(key), missing) == text, "text key '" + key + "' depends on case");
    }
}

void CheckNodes(const kvbase::Catalog& cat) {
    const kvbase::CatalogNode& root = cat.Root();
    for (std::int32_t s = 1; s <= root.ChildCount(); ++s) {
        const kvbase::CatalogNode& section = root.Child(s);
        Expect(root.SectionIndex(Upper(section.Key())) == s,
               "section '" + section.Key() + "' is not found at its place");
        auto node = root.Section(s);
        Expect(node != nullptr, "a counted section is missing");
        for (std::int32_t c = 1; c <= section.ChildCount(); ++c) {
            const kvbase::CatalogNode& control = section.Child(c);
            auto entry = node->ControlEntry(Upper(control.Key()), control.IndexText());
            Expect(entry != nullptr, "control entry '" + control.Key() + "' is not found");
            for (std::int32_t p = 1; p <= entry->PropertyCount(); ++p) {
                (void)fuzz::MustSucceed("reading a counted property", [&] {
                    return entry->PropertyName(p) + entry->PropertyText(p);
                });
            }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzz::Run([&] {
        const std::string json(reinterpret_cast<const char*>(data), size);
        const kvbase::Catalog cat = kvbase::Catalog::FromJson(json, "fuzz catalogue");
        CheckTexts(cat);
        CheckNodes(cat);
    });
}
