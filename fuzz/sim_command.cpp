// The simulated instrument's command parser and its property check.
//
// Input: one command text.
//
// Checked: a refused command answers an error reply of the instrument's own
// table; an accepted one, written again in its plain form, parses to the same
// command; moves carry finite numbers written as numbers; a property value
// that passes its check gives a canonical text that passes again unchanged.
#include <cmath>
#include <string>

#include <fmt/format.h>

#include "fuzz/fuzz_support.h"
#include "platform/qnserver/command.h"
#include "platform/qnserver/error_table.h"
#include "platform/qnserver/property_table.h"

namespace {

using fuzz::Expect;
using qnserver::Command;

bool IsTableReply(const std::string& reply) {
    for (const auto& e : qnserver::ErrorTable()) {
        if (host::IStartsWith(reply, e.key + ":")) return true;
    }
    return false;
}

std::string PlainText(const Command& c) {
    switch (c.kind) {
        case Command::Kind::Set:
            return "Set " + c.key + "=" + c.value;
        case Command::Kind::Get:
            return "Get " + c.key;
        case Command::Kind::MoveStage:
            return fmt::format("SetM WPR.POS={};{}", c.a, c.b);
        case Command::Kind::MoveWl:
            return fmt::format("SetM WL={};{}", c.a, c.b);
        case Command::Kind::Enable:
            return "Enable " + c.key;
        case Command::Kind::RunSubDC:
            return "Run SubDC";
        case Command::Kind::Park:
            return "Park WPR";
    }
    return "";
}

std::string Trim(const std::string& s) {
    const auto b = s.find_first_not_of(" \t\r\n");
    return b == std::string::npos ? "" : s.substr(b, s.find_last_not_of(" \t\r\n") - b + 1);
}

// Both values of a move, as written after "=" and around ";".
bool MoveValuesAreNumbers(const std::string& text) {
    const auto eq = text.find('=');
    if (eq == std::string::npos) return false;
    const std::string values = text.substr(eq + 1);
    const auto semi = values.find(';');
    if (semi == std::string::npos) return false;
    return fuzz::IsDecimalNumber(Trim(values.substr(0, semi))) &&
           fuzz::IsDecimalNumber(Trim(values.substr(semi + 1)));
}

void CheckProperty(const Command& c) {
    const auto* property = qnserver::PropertyTable::Find(c.key);
    if (!property) return;
    std::string canonical;
    if (!qnserver::PropertyTable::Validate(*property, c.value, canonical).empty()) return;
    std::string twice;
    const std::string reply = qnserver::PropertyTable::Validate(*property, canonical, twice);
    Expect(reply.empty(), "the canonical value '" + canonical + "' is refused: " + reply);
    Expect(twice == canonical, "canonical value '" + canonical + "' changes to '" + twice + "'");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzz::Run([&] {
        const std::string text(reinterpret_cast<const char*>(data), size);
        const qnserver::ParsedCommand parsed = qnserver::ParseCommand(text);
        if (!parsed.error.empty()) {
            Expect(IsTableReply(parsed.error), "reply '" + parsed.error + "' has no table key");
            return;
        }
        const Command& c = parsed.command;
        if (c.kind == Command::Kind::MoveStage || c.kind == Command::Kind::MoveWl) {
            Expect(std::isfinite(c.a) && std::isfinite(c.b), "a move to a point that is no number");
            Expect(MoveValuesAreNumbers(text), "a move accepted with values '" + text + "'");
        }
        const std::string plain = PlainText(c);
        const qnserver::ParsedCommand again = qnserver::ParseCommand(plain);
        Expect(again.error.empty(), "'" + plain + "' is refused: " + again.error);
        Expect(again.command.kind == c.kind && again.command.key == c.key &&
                   again.command.value == c.value && again.command.a == c.a &&
                   again.command.b == c.b,
               "'" + text + "' written as '" + plain + "' parses to another command");
        if (c.kind == Command::Kind::Set) CheckProperty(c);
    });
}
