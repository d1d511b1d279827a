// What a person typed wrong on the command line, said in their words: the
// closest valid command or option for a misspelt one, "not a number" for a
// number that is none.
#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include <fmt/format.h>

#include "commands.h"
#include "platform/kvbase/catalog.h"

namespace cli {
namespace {

const CLI::Option* gCatalogueOption = nullptr;

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// Edits (insert, delete, replace, swap two neighbours) from a to b.
std::size_t Distance(const std::string& a, const std::string& b) {
    const std::size_t n = a.size(), m = b.size();
    std::vector<std::vector<std::size_t>> d(n + 1, std::vector<std::size_t>(m + 1));
    for (std::size_t i = 0; i <= n; ++i) d[i][0] = i;
    for (std::size_t j = 0; j <= m; ++j) d[0][j] = j;
    for (std::size_t i = 1; i <= n; ++i) {
        for (std::size_t j = 1; j <= m; ++j) {
            const std::size_t cost = a[i - 1] == b[j - 1] ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    }
    return d[n][m];
}

// The candidate a typo most likely meant: few edits for its length, or the
// start of exactly one candidate. Empty when none is close.
std::string Closest(const std::string& typed, const std::vector<std::string>& candidates) {
    const std::string t = Lower(typed);
    std::string best;
    std::size_t bestDistance = std::numeric_limits<std::size_t>::max();
    for (const auto& c : candidates) {
        const std::size_t d = Distance(t, Lower(c));
        if (d < bestDistance) bestDistance = d, best = c;
    }
    if (!best.empty() && bestDistance <= std::max<std::size_t>(1, best.size() / 3)) return best;
    std::vector<std::string> starts;
    for (const auto& c : candidates)
        if (t.size() >= 2 && Lower(c).rfind(t, 0) == 0) starts.push_back(c);
    return starts.size() == 1 ? starts.front() : std::string();
}

struct Unknowns {
    kvbase::HostText<std::string, std::string> meant, all;
};
constexpr Unknowns kUnknownOption{"unknown option '{}'; did you mean '{}'?",
                                  "unknown option '{}'; the options here are: {}"};
constexpr Unknowns kUnknownCommand{"unknown command '{}'; did you mean '{}'?",
                                   "unknown command '{}'; the commands here are: {}"};

std::string Unknown(const Unknowns& texts, const std::string& typed,
                    const std::vector<std::string>& candidates) {
    const std::string meant = Closest(typed, candidates);
    if (!meant.empty()) return Say(texts.meant, typed, meant);
    std::string all;
    for (const auto& c : candidates) all += (all.empty() ? "" : ", ") + c;
    return Say(texts.all, typed, all);
}

bool LooksLikeNumber(const std::string& text) {
    double v = 0.0;
    return CLI::detail::lexical_cast(text, v);
}

const CLI::Option* FindOption(const std::vector<const CLI::App*>& chain, const std::string& name) {
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        if (const CLI::Option* o = (*it)->get_option_no_throw(name)) return o;
    return nullptr;
}

std::vector<std::string> OptionNames(const std::vector<const CLI::App*>& chain) {
    std::vector<std::string> names;
    for (const CLI::App* app : chain) {
        for (const CLI::Option* o : app->get_options()) {
            for (const auto& l : o->get_lnames()) names.push_back("--" + l);
            for (const auto& s : o->get_snames()) names.push_back("-" + s);
        }
    }
    return names;
}

bool HasPositionals(const CLI::App& app) {
    for (const CLI::Option* o : app.get_options())
        if (!o->nonpositional()) return true;
    return false;
}

}  // namespace

void TakeTextsFrom(const CLI::Option* catalogueOption) {
    gCatalogueOption = catalogueOption;
}

const host::TextCatalog* Texts() noexcept {
    struct Loaded {
        std::string path;
        std::unique_ptr<kvbase::Catalog> catalogue;  // nullptr: unreadable
    };
    static std::unique_ptr<Loaded> loaded;
    try {
        std::string path = ORVE_DEFAULT_CATALOGUE;
        if (gCatalogueOption != nullptr && gCatalogueOption->count() > 0)
            path = gCatalogueOption->results().back();
        if (path.empty()) return nullptr;
        if (!loaded || loaded->path != path) {
            loaded = std::make_unique<Loaded>(Loaded{path, nullptr});
            loaded->catalogue = std::make_unique<kvbase::Catalog>(kvbase::Catalog::Load(path));
        }
        return loaded->catalogue.get();
    } catch (...) {
        return nullptr;
    }
}

std::string MisspeltWord(const CLI::App& app, int argc, const char* const* argv,
                         bool somethingMissing) {
    std::vector<const CLI::App*> chain{&app};
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--") break;
        if (arg.size() > 1 && arg[0] == '-' && !LooksLikeNumber(arg)) {
            const std::string name = arg.substr(0, arg.find('='));
            const CLI::Option* o = FindOption(chain, name);
            if (!o) return Unknown(kUnknownOption, name, OptionNames(chain));
            // Its value, when it takes one and was not given with "=".
            if (name.size() == arg.size() && o->get_items_expected_max() > 0) ++i;
            continue;
        }
        const CLI::App* level = chain.back();
        const auto subs = level->get_subcommands({});
        const auto sub = std::find_if(subs.begin(), subs.end(),
                                      [&](const CLI::App* s) { return s->check_name(arg); });
        if (sub != subs.end()) {
            chain.push_back(*sub);
        } else if (!subs.empty() && !HasPositionals(*level)) {
            std::vector<std::string> names;
            for (const CLI::App* s : subs) names.push_back(s->get_name());
            return Unknown(kUnknownCommand, arg, names);
        }
    }
    // A command of commands given without one of them.
    const CLI::App* level = chain.back();
    const auto subs = level->get_subcommands({});
    if (somethingMissing && level->get_require_subcommand_min() > 0 && !subs.empty()) {
        std::string names;
        for (const CLI::App* s : subs) names += (names.empty() ? "" : ", ") + s->get_name();
        const std::string name = level == &app ? "orvevizari" : level->get_name();
        return Say("'{}' needs one of its commands: {}", name, names);
    }
    return {};
}

CLI::Validator NumberIn(double lo, double hi, bool whole) {
    return CLI::Validator(
        [lo, hi, whole](std::string& text) -> std::string {
            double v = 0.0;
            if (!CLI::detail::lexical_cast(text, v) || !std::isfinite(v))
                return Say("'{}' is not a number", text);
            if (whole && v != std::floor(v)) return Say("'{}' is not a whole number", text);
            if (v < lo || v > hi) return Say("'{}' is outside the range {} to {}", text, lo, hi);
            return {};
        },
        whole ? fmt::format("INT in [{} - {}]", lo, hi) : "NUMBER");
}

CLI::Validator PositiveNumber() {
    return CLI::Validator(
        [](std::string& text) -> std::string {
            double v = 0.0;
            if (!CLI::detail::lexical_cast(text, v) || !std::isfinite(v))
                return Say("'{}' is not a number", text);
            if (v <= 0) return Say("'{}' is not more than 0", text);
            return {};
        },
        "NUMBER>0");
}

}  // namespace cli
