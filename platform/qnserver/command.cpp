#include "platform/qnserver/command.h"

#include <fmt/format.h>

#include "host/types.h"
#include "platform/qnserver/error_table.h"
#include "platform/qnserver/property_table.h"

namespace qnserver {
namespace {

std::string Trim(const std::string& s) {
    const char* ws = " \t\r\n";
    auto b = s.find_first_not_of(ws);
    if (b == std::string::npos) return "";
    return s.substr(b, s.find_last_not_of(ws) - b + 1);
}

ParsedCommand Fail(std::string_view errorKey, const std::string& detail) {
    ParsedCommand p;
    p.error = ErrorReply(errorKey, detail);
    return p;
}

// "TARGET=a;b" after SetM.
ParsedCommand ParseSetM(const std::string& arg) {
    auto eq = arg.find('=');
    if (eq == std::string::npos) return Fail(key::kMissingArg, "SetM needs TARGET=a;b");
    std::string target = Trim(arg.substr(0, eq));
    std::string values = arg.substr(eq + 1);
    ParsedCommand p;
    if (host::IEquals(target, "WPR.POS")) {
        p.command.kind = Command::Kind::MoveStage;
    } else if (host::IEquals(target, "WL")) {
        p.command.kind = Command::Kind::MoveWl;
    } else {
        return Fail(target.empty() ? key::kMissingArg : key::kUnknownKey,
                    fmt::format("SetM target '{}'", target));
    }
    auto semi = values.find(';');
    if (semi == std::string::npos) {
        return Fail(key::kMissingArg, fmt::format("SetM {} needs two values a;b", target));
    }
    std::string first = Trim(values.substr(0, semi));
    std::string second = Trim(values.substr(semi + 1));
    if (first.empty() || second.empty()) {
        return Fail(key::kMissingArg, fmt::format("SetM {} needs two values a;b", target));
    }
    if (second.find(';') != std::string::npos) {
        return Fail(key::kBadArg,
                    fmt::format("SetM {} takes two values, not '{}'", target, values));
    }
    if (!ParseNumber(first, p.command.a)) return Fail(key::kBadNumber, fmt::format("'{}'", first));
    if (!ParseNumber(second, p.command.b))
        return Fail(key::kBadNumber, fmt::format("'{}'", second));
    return p;
}

}  // namespace

ParsedCommand ParseCommand(const std::string& text) {
    std::string line = Trim(text);
    auto blank = line.find(' ');
    std::string word = line.substr(0, blank);
    std::string arg = blank == std::string::npos ? "" : Trim(line.substr(blank + 1));
    ParsedCommand p;
    Command& c = p.command;
    if (host::IEquals(word, "Set")) {
        auto eq = arg.find('=');
        if (eq == std::string::npos) return Fail(key::kMissingArg, "Set needs key=value");
        c.kind = Command::Kind::Set;
        c.key = Trim(arg.substr(0, eq));
        c.value = Trim(arg.substr(eq + 1));
        if (c.key.empty()) return Fail(key::kMissingArg, "Set needs a key before '='");
        return p;
    }
    if (host::IEquals(word, "Get")) {
        if (arg.empty()) return Fail(key::kMissingArg, "Get needs a key");
        c.kind = Command::Kind::Get;
        c.key = arg;
        return p;
    }
    if (host::IEquals(word, "SetM")) return ParseSetM(arg);
    if (host::IEquals(word, "Enable")) {
        if (arg.empty()) return Fail(key::kMissingArg, "Enable needs Phos, Scan or TD");
        for (const char* mode : {"Phos", "Scan", "TD"}) {
            if (host::IEquals(arg, mode)) {
                c.kind = Command::Kind::Enable;
                c.key = mode;
                return p;
            }
        }
        return Fail(key::kUnknownKey, fmt::format("Enable takes Phos, Scan or TD, not '{}'", arg));
    }
    if (host::IEquals(word, "Run")) {
        if (arg.empty()) return Fail(key::kMissingArg, "Run needs SubDC");
        if (!host::IEquals(arg, "SubDC"))
            return Fail(key::kUnknownKey, fmt::format("Run '{}'", arg));
        c.kind = Command::Kind::RunSubDC;
        return p;
    }
    if (host::IEquals(word, "Park")) {
        if (arg.empty()) return Fail(key::kMissingArg, "Park needs WPR");
        if (!host::IEquals(arg, "WPR"))
            return Fail(key::kUnknownKey, fmt::format("Park '{}'", arg));
        c.kind = Command::Kind::Park;
        return p;
    }
    return Fail(key::kUnknownCmd, fmt::format("'{}'", line));
}

}  // namespace qnserver
