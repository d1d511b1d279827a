// orvevizari method new | show: builds a method on the module's page the way a
// person would, and shows a method file as the page reads it.
#include <charconv>
#include <cmath>
#include <iostream>
#include <optional>
#include <vector>

#include <fmt/format.h>

#include "commands.h"
#include "host/error.h"
#include "platform/controls/context_menu.h"
#include "platform/kvdova/method_file.h"
#include "platform/loader/host_session.h"
#include "platform/loader/measurement_run.h"
#include "platform/loader/method_check.h"
#include "platform/loader/page_typing.h"
#include "platform/plates/plate_format.h"

namespace cli {
namespace {

// Bad input found by this host itself, before or while it works the page.
constexpr host::Status kErrBadInput = 0x7FFF0F01;

[[noreturn]] void BadInput(const std::string& text) {
    throw host::Error(kErrBadInput, text);
}

using Position = loader::TypedPosition;

struct NewArgs {
    std::string out;
    std::optional<std::string> positions;
    int plate = 0;
    std::optional<double> ex, em;
    std::string voltage;
    std::string intTime, exSlit, emSlit, gain, autoLamp, lumMode, name;
    bool overwrite = false;
} gNew;

std::string gShowFile;
CLI::App* gNewCmd = nullptr;
CLI::App* gShowCmd = nullptr;

// ---- positions ----

std::string Trim(const std::string& s) {
    const auto b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return "";
    return s.substr(b, s.find_last_not_of(" \t") - b + 1);
}

bool IsNumber(const std::string& text) {
    double v = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, v);
    return !text.empty() && ec == std::errc() && ptr == end && std::isfinite(v);
}

// "x,y,ex,em;x,y,ex,em;..." with an optional trailing ";".
std::vector<Position> ParsePositions(const std::string& text) {
    static const char* kNames[4] = {"x", "y", "ex", "em"};
    if (Trim(text).empty()) BadInput(Say("--positions: no positions given"));
    std::vector<Position> out;
    std::vector<std::string> items;
    std::size_t start = 0;
    while (start <= text.size()) {
        const auto semi = text.find(';', start);
        items.push_back(
            text.substr(start, semi == std::string::npos ? std::string::npos : semi - start));
        if (semi == std::string::npos) break;
        start = semi + 1;
    }
    if (items.size() > 1 && Trim(items.back()).empty()) items.pop_back();
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (Trim(items[i]).empty()) BadInput(Say("--positions: position {} is empty", i + 1));
        std::vector<std::string> fields;
        std::string rest = items[i];
        for (std::size_t comma; (comma = rest.find(',')) != std::string::npos;
             rest.erase(0, comma + 1))
            fields.push_back(Trim(rest.substr(0, comma)));
        fields.push_back(Trim(rest));
        if (fields.size() != 4) {
            BadInput(
                Say("--positions: position {} ('{}') has {} values; each position needs x,y,ex,em",
                    i + 1, Trim(items[i]), fields.size()));
        }
        Position p;
        for (int c = 0; c < 4; ++c) {
            if (!IsNumber(fields[c])) {
                BadInput(Say("--positions: position {}: {} '{}' is not a number", i + 1, kNames[c],
                             fields[c]));
            }
            p.cells[c] = fields[c];
        }
        out.push_back(p);
    }
    return out;
}

// Every well of a plate, row by row from A1.
std::vector<Position> PlatePositions(int wells, double ex, double em) {
    const plates::PlateFormat* format = plates::FindFormat(wells);
    if (!format)
        BadInput(Say("--plate: {} wells is no plate this host knows; use 96, 384 or 1536", wells));
    std::vector<Position> out;
    for (const auto& cells : plates::PlatePositions(*format, ex, em))
        out.push_back({{cells[0], cells[1], cells[2], cells[3]}});
    return out;
}

// A file that cannot be read or written is the person's to fix.
template <class F>
auto FileStep(F&& f) {
    try {
        return f();
    } catch (const host::Error& e) {
        BadInput(e.Text());
    }
}

// ---- the page, through a person's input ----

template <class T>
std::shared_ptr<T> Find(loader::HostSession& s, const char* name) {
    auto c = host::As<T>(s.Page().Find(name));
    if (!c)
        throw host::Error(host::kErrUnexpected, Say("the module's page has no usable '{}'", name));
    return c;
}

std::string Caption(const host::Control& c) {
    return c.Property("caption").ToString();
}

std::string RangeOrNone(const std::string& range) {
    return range.empty() ? Say("none") : range;
}

// A list entry offers its items only, as its drop-down does; the item is taken
// in its own spelling.
void ChooseItem(loader::HostSession& s, host::KVEntry& entry, const std::string& option,
                const std::string& text) {
    auto& strings = s.Host().Strings();
    const std::int32_t index = strings.ItemIndex(text, entry.Range());
    if (index < 1) BadInput(Say("{}: '{}' is not one of {}", option, text, entry.Range()));
    entry.UserSetValue(strings.ItemAt(index, entry.Range()));
}

// The slits are no method entries, so the module does not validate them:
// an entry that does not take the value is refused here.
void TypeChecked(host::KVEntry& entry, const std::string& option, const std::string& text) {
    entry.UserSetValue(text);
    if (!entry.IsValid()) {
        BadInput(Say("{}: \"{}\" does not take '{}' (range {})", option, Caption(entry), text,
                     RangeOrNone(entry.Range())));
    }
}

// A value of the instrument setup display, typed as a person edits it there;
// a refusal names the setup item as the display shows it, with its range.
void EditSetup(loader::HostSession& s, const std::string& key, const std::string& option,
               const std::string& text) {
    auto display = Find<host::UCORVE>(s, "UCORVE");
    try {
        display->UserEditValue(key, host::Variant(text));
    } catch (const host::Error&) {
        const auto setup = display->CurrentSetup();
        const std::int32_t i = setup->IndexOf(key);
        const auto def = i > 0 ? setup->Def(i) : nullptr;
        const std::string name = !def ? key : def->name.empty() ? def->id : def->name;
        BadInput(Say("{}: \"{}\" does not take '{}' (range {})", option, name, text,
                     RangeOrNone(def ? def->range : std::string())));
    }
}

// Names the method entries that hold invalid values, for the "InvalidEntry" message.
std::string InvalidEntries(loader::HostSession& s) {
    std::string names;
    for (const char* name : {"KVEIntTime", "KVEAutoLamp"}) {
        auto e = Find<host::KVEntry>(s, name);
        if (e->IsValid()) continue;
        names += (names.empty() ? "" : "; ") + Say("\"{}\" holds '{}' (range {})", Caption(*e),
                                                   e->Value().ToString(), RangeOrNone(e->Range()));
    }
    return names;
}

loader::SessionOptions Session(const Common& common) {
    loader::SessionOptions o;
    o.library = common.library;
    o.host.cataloguePath = common.catalogue;
    o.host.progressOut = &std::cerr;
    return o;
}

int New(const Common& common) {
    // Everything a person could have mistyped is checked before the module starts.
    try {
        RefuseProgramInputs(common, gNew.out, "the method file");
        loader::CheckOutputFile(gNew.out, "the method file", gNew.overwrite, Texts());
    } catch (const host::Error& e) {
        BadInput(e.Text());
    }
    std::vector<Position> positions;
    if (gNew.positions) positions = ParsePositions(*gNew.positions);
    if (gNew.plate != 0)
        positions = PlatePositions(gNew.plate, gNew.ex.value_or(400), gNew.em.value_or(500));

    loader::HostSession s(Session(common));
    auto& control = s.Control();
    control.ClearMethod();
    if (!gNew.lumMode.empty()) EditSetup(s, "LumMode", "--lum-mode", gNew.lumMode);
    if (!gNew.intTime.empty()) Find<host::KVEntry>(s, "KVEIntTime")->UserSetValue(gNew.intTime);
    if (!gNew.exSlit.empty())
        TypeChecked(*Find<host::KVEntry>(s, "KVEExSlit"), "--ex-slit", gNew.exSlit);
    if (!gNew.emSlit.empty())
        TypeChecked(*Find<host::KVEntry>(s, "KVEEmSlit"), "--em-slit", gNew.emSlit);
    std::string chosenGain;
    if (!gNew.gain.empty()) {
        auto gain = Find<host::KVEntry>(s, "KVEGain");
        ChooseItem(s, *gain, "--gain", gNew.gain);
        chosenGain = gain->Value().ToString();
        // A custom gain is no voltage of its own: the page leaves the
        // voltage as it was, so without one the method would keep the old.
        if (host::IEquals(gain->Value().ToString(), "Custom") && gNew.voltage.empty())
            BadInput(Say("--gain Custom: give the detector voltage with --voltage V"));
    }
    // The gain the page shows follows the voltage (775 Medium, 650 Low, 900 High, else Custom).
    if (!gNew.voltage.empty()) {
        EditSetup(s, "Voltage", "--voltage", gNew.voltage);
        const std::string shown = Find<host::KVEntry>(s, "KVEGain")->Value().ToString();
        if (!chosenGain.empty() && shown != chosenGain) {
            BadInput(Say("--gain {} and --voltage {} disagree: {} V is the gain '{}'", gNew.gain,
                         gNew.voltage, gNew.voltage, shown));
        }
    }
    if (!gNew.autoLamp.empty())
        ChooseItem(s, *Find<host::KVEntry>(s, "KVEAutoLamp"), "--auto-lamp", gNew.autoLamp);
    loader::TypePositions(s, positions);

    auto method = s.Host().NewMethodObject();
    const host::Status status = control.UpdateMethod(method);
    if (status != 0) {
        const std::string invalid = InvalidEntries(s);
        if (!invalid.empty()) {
            BadInput(Say("the method was not written: {}: {}",
                         s.Host().Errors().MessageText(status), invalid));
        }
        s.Require(status, "UpdateMethod");
    }
    // A position the stage cannot reach would be refused only when measured.
    const std::string unreachable = loader::UnreachablePosition(
        *method, loader::ReadStageTravel(s.Host().Instruments()), &s.Host().Texts());
    if (!unreachable.empty()) BadInput(Say("the method was not written: {}", unreachable));
    if (!gNew.name.empty()) method->SetName(gNew.name);
    FileStep([&] { kvdova::SaveMethod(*method, gNew.out); });
    const std::int32_t rows = method->RowCount(1);
    std::cout << (rows == 1 ? Say("wrote {}: \"{}\", 1 position", gNew.out, method->Name())
                            : Say("wrote {}: \"{}\", {} positions", gNew.out, method->Name(), rows))
              << "\n";
    return kExitOk;
}

// ---- show ----

std::string Shown(loader::HostSession& s, const host::Variant& v, const host::ParamDef& def) {
    return s.Host().Numbers().FormatByDef(v, def.Format(), true);
}

int Show(const Common& common) {
    auto method = FileStep([] { return kvdova::LoadMethod(gShowFile); });
    loader::CheckMethodDocument(*method, gShowFile, Texts());
    loader::HostSession s(Session(common));
    s.Require(s.Control().LoadMethod(method), "LoadMethod");

    std::cout << Say("Method: {}", method->Name()) << "\n\n" << Say("Entries:") << "\n";
    for (const char* name : {"KVEIntTime", "KVEExSlit", "KVEEmSlit", "KVEGain", "KVEAutoLamp"}) {
        auto e = Find<host::KVEntry>(s, name);
        const std::string unit = e->Property("unit").ToString();
        std::cout << fmt::format("  {:<26}{}{}\n", Caption(*e) + ":",
                                 Shown(s, e->Value(), e->Definition()),
                                 unit.empty() ? "" : " " + unit);
    }

    std::cout << "\n" << Say("Instrument setup:") << "\n";
    auto setup = Find<host::UCORVE>(s, "UCORVE")->CurrentSetup();
    for (std::int32_t i = 1; i <= setup->Count(); ++i) {
        const auto def = setup->Def(i);
        std::string name = def->name.empty() ? def->id : def->name;
        // The automatic lamp is the page's own entry, not the instrument's:
        // it goes under the caption the page shows it with.
        if (host::IEquals(def->id, "AutoLamp"))
            name = Caption(*Find<host::KVEntry>(s, "KVEAutoLamp"));
        std::cout << fmt::format("  {:<26}{}{}\n", name + ":", Shown(s, setup->Value(i), *def),
                                 def->unit.empty() ? "" : " " + def->unit);
    }

    auto grid = Find<host::KVSpread>(s, "KVSScan");
    std::cout << "\n" << Say("Positions ({}):", grid->RowCount()) << fmt::format("\n  {:>5}", "#");
    for (std::int32_t c = 1; c <= 4; ++c) {
        const auto def = grid->ColumnDef(c);
        std::cout << fmt::format("{:>12}",
                                 def.caption + (def.unit.empty() ? "" : " [" + def.unit + "]"));
    }
    std::cout << "\n";
    for (std::int32_t r = 1; r <= grid->RowCount(); ++r) {
        std::cout << fmt::format("  {:>5}", grid->RowCaption(r));
        for (std::int32_t c = 1; c <= 4; ++c)
            std::cout << fmt::format("{:>12}", grid->Cell(c, r).ToString());
        std::cout << "\n";
    }

    // "Copy Method" from the setup panel's context menu, as a person chooses it.
    auto& clipboard = s.Host().GetClipboard();
    clipboard.Clear();
    if (auto menu = std::dynamic_pointer_cast<controls::ContextMenu>(s.Page().Find("mnuPopUp"))) {
        menu->SetPresenter([](host::ContextMenu& m, std::int32_t, std::int32_t) {
            for (const auto& item : m.Items())
                if (host::IEquals(item->Name(), "mnuCopyMethod")) item->UserClick();
        });
    }
    Find<host::Panel>(s, "PnlSetup")->UserMouseDown(2, 0, 0);
    std::cout << "\n" << Say("Copy Method:") << "\n" << clipboard.Text();
    return kExitOk;
}

}  // namespace

void AddMethodCommands(CLI::App& app, Common&) {
    auto* method = app.add_subcommand(
        "method", "build method files and show them as the module's page reads them");
    method->require_subcommand(1);

    gNewCmd = method->add_subcommand(
        "new", "build a method on the module's page and save it as a method file");
    gNewCmd->add_option("-o,--output", gNew.out, "method file to write (JSON)")->required();
    gNewCmd->add_flag("--overwrite", gNew.overwrite, "replace an existing method file");
    auto* pos = gNewCmd->add_option("--positions", gNew.positions,
                                    "reader positions \"x,y,ex,em;x,y,ex,em;...\"");
    auto* plate =
        gNewCmd->add_option("--plate", gNew.plate, "every well of a plate, row by row from A1")
            ->check(NumberIn(1, 1e6, true))
            ->check(CLI::IsMember({96, 384, 1536}));
    pos->excludes(plate);
    gNewCmd->add_option("--ex", gNew.ex, "excitation wavelength of every well (nm; default 400)")
        ->check(AnyNumber())
        ->needs(plate);
    gNewCmd->add_option("--em", gNew.em, "emission wavelength of every well (nm; default 500)")
        ->check(AnyNumber())
        ->needs(plate);
    gNewCmd->add_option("--int-time", gNew.intTime, "integration time (s)");
    gNewCmd->add_option("--ex-slit", gNew.exSlit, "excitation slit (nm)");
    gNewCmd->add_option("--em-slit", gNew.emSlit, "emission slit (nm)");
    gNewCmd->add_option("--gain", gNew.gain, "detector gain: Medium, Low, High or Custom");
    gNewCmd
        ->add_option("--voltage", gNew.voltage,
                     "detector voltage (V) for --gain Custom; 775, 650 and 900 are Medium, Low "
                     "and High")
        ->check(AnyNumber());
    gNewCmd->add_option("--auto-lamp", gNew.autoLamp, "switch the lamp for each sample: On or Off");
    gNewCmd->add_option("--lum-mode", gNew.lumMode,
                        "luminescence mode of the instrument setup, e.g. Fluor or Phos");
    gNewCmd->add_option("--name", gNew.name,
                        "the method's name (default: the page's new-method name)");

    gShowCmd = method->add_subcommand(
        "show", "load a method file onto the module's page and print the page");
    gShowCmd->add_option("file", gShowFile, "method file (JSON)")->required();
}

int RunMethodCommands(CLI::App&, const Common& common) {
    const bool isNew = gNewCmd && gNewCmd->parsed();
    const bool isShow = gShowCmd && gShowCmd->parsed();
    if (!isNew && !isShow) return -1;
    try {
        return isNew ? New(common) : Show(common);
    } catch (const host::Error& e) {
        std::cerr << "orvevizari: " << e.Text() << "\n";
        // Bad arguments and bad files are the person's to fix; anything else is the module's.
        // (a library or catalogue that cannot be loaded too, as in every command).
        const bool badInput = IsHostError(e.Number()) && e.Number() != host::kErrUnexpected &&
                              ExitFor(e) == kExitBadInput;
        return badInput ? kExitBadInput : kExitFailed;
    } catch (const std::exception& e) {
        std::cerr << "orvevizari: " << e.what() << "\n";
        return kExitFailed;
    }
}

}  // namespace cli
