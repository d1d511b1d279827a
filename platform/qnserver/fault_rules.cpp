#include "platform/qnserver/fault_rules.h"

#include <fmt/format.h>

#include "host/error.h"
#include "platform/qnserver/property_table.h"

namespace qnserver {
namespace {

constexpr host::Status kErrFaultRule = 0x7FFF0B04;

[[noreturn]] void Refuse(const std::string& rule, const std::string& why) {
    throw host::Error(kErrFaultRule, fmt::format("fault rule '{}': {}", rule, why));
}

}  // namespace

// Where the prefix ends: at the first "#N=" (digits between), so that a
// prefix may hold "=" itself ("Set Lamp=Off#2=Error:stuck"); without one, at
// the first "=". npos when the rule has neither.
static std::size_t PrefixEnd(const std::string& rule) {
    for (auto hash = rule.find('#'); hash != std::string::npos; hash = rule.find('#', hash + 1)) {
        auto end = hash + 1;
        while (end < rule.size() && rule[end] >= '0' && rule[end] <= '9') ++end;
        if (end > hash + 1 && end < rule.size() && rule[end] == '=') return end;
    }
    return rule.find('=');
}

FaultRule FaultRule::Parse(const std::string& rule) {
    const auto eq = PrefixEnd(rule);
    if (eq == std::string::npos) Refuse(rule, "expected PREFIX[#N]=REPLY");
    FaultRule r;
    r.text = rule;
    r.prefix = rule.substr(0, eq);
    std::string reply = rule.substr(eq + 1);
    if (auto hash = r.prefix.rfind('#'); hash != std::string::npos) {
        std::string count = r.prefix.substr(hash + 1);
        double n = 0.0;
        if (!ParseNumber(count, n) || n < 1 || n > 1e9 || n != static_cast<std::int32_t>(n) ||
            count.find_first_not_of("0123456789") != std::string::npos) {
            Refuse(rule, fmt::format("'#{}' is not a command count of at least 1", count));
        }
        r.nth = static_cast<std::int32_t>(n);
        r.prefix.erase(hash);
    }
    if (r.prefix.empty()) Refuse(rule, "the command prefix is empty");
    // "Set Lamp=On=Error:x" would hit every "Set Lamp" command: a command
    // holding "=" says so with its count.
    if (r.nth == 0 && reply.find('=') != std::string::npos) {
        Refuse(rule, fmt::format("it holds a second '=': a command with '=' needs its count, as in "
                                 "'{}#1={}'",
                                 rule.substr(0, rule.find('=', eq + 1)),
                                 rule.substr(rule.find('=', eq + 1) + 1)));
    }
    bool atStart = host::IStartsWith(reply, "start:");
    if (atStart) reply.erase(0, 6);
    if (host::IEquals(reply, "throw")) {
        r.action = atStart ? Action::StartThrow : Action::Throw;
    } else if (!atStart && host::IEquals(reply, "busy")) {
        r.action = Action::Busy;
    } else if (!atStart && host::IEquals(reply, "stall")) {
        r.action = Action::Stall;
    } else if (!atStart && host::IEquals(reply, "hold")) {
        r.action = Action::Hold;
    } else {
        r.action = atStart ? Action::StartReply : Action::Reply;
        r.reply = reply;
    }
    return r;
}

std::optional<FaultRule> FaultRules::Match(const std::string& command) {
    std::optional<FaultRule> hit;
    for (auto& c : rules_) {
        if (!host::IStartsWith(command, c.rule.prefix)) continue;
        ++c.seen;
        if (!hit && (c.rule.nth == 0 || c.rule.nth == c.seen)) hit = c.rule;
    }
    return hit;
}

}  // namespace qnserver
