#include "platform/kvbase/error_registry.h"

#include <limits>

#include <fmt/format.h>

#include "host/error.h"
#include "host/variant.h"
#include "platform/kvbase/error_numbers.h"

namespace kvbase {
namespace {

constexpr std::int32_t kMaxCode = std::numeric_limits<std::int32_t>::max() - kRegisteredStatusBase;

}  // namespace

std::int32_t ErrorRegistry::RegisterError(const std::string& section, const std::string& key,
                                          const std::string& message, bool flag) {
    if (key.empty()) {
        throw host::Error(
            kErrRegistry,
            fmt::format("cannot register an error without a key (section '{}')", section));
    }
    std::int32_t found = Find(section, key);
    if (found >= 0) return entries_[static_cast<std::size_t>(found)].code;
    return Add(section, key, message, flag);
}

host::Status ErrorRegistry::StatusOf(std::int32_t code) const {
    if (code < 1 || static_cast<std::size_t>(code) > entries_.size()) {
        throw host::Error(kErrRegistry, fmt::format("error code {} was never registered", code));
    }
    return entries_[static_cast<std::size_t>(code - 1)].status;
}

std::int32_t ErrorRegistry::CodeOfReply(const std::string& key, const std::string& message) {
    for (const auto& e : entries_) {
        if (!host::IEquals(e.key, key)) continue;
        if (message.empty())
            replied_.erase(e.status);
        else
            replied_[e.status] = message;
        return e.code;
    }
    // A reply without a message still has to read as an error to the user.
    std::string text = message.empty() ? fmt::format("Instrument error '{}'", key) : message;
    return Add(kReplySection, key, text, false);
}

void ErrorRegistry::Check(host::Status status, const std::string& /*filter*/) const {
    if (status != 0) throw host::Error(status, CheckText(status));
}

void ErrorRegistry::NoteRaised(host::Status number, const std::string& text) {
    if (number == 0 || text.empty()) return;
    raised_[number] = text;
    lastRaised_ = text;
}

std::string ErrorRegistry::CheckText(host::Status number) const {
    std::int64_t code = static_cast<std::int64_t>(number) - kRegisteredStatusBase;
    if (code >= 1 && code <= static_cast<std::int64_t>(entries_.size())) {
        if (auto it = replied_.find(number); it != replied_.end()) return it->second;
        return entries_[static_cast<std::size_t>(code - 1)].message;
    }
    if (auto it = raised_.find(number); it != raised_.end()) return it->second;
    switch (number) {
        case host::kErrUnexpected:
            return "Unexpected error";
        case host::kErrConversion:
            return "A value could not be converted";
        default:
            break;
    }
    return fmt::format("Error {} (0x{:08X})", number, static_cast<std::uint32_t>(number));
}

std::string ErrorRegistry::MessageText(host::Status number) const {
    if (number == 0) return "No error";
    if (auto it = raised_.find(number); it != raised_.end()) return it->second;
    return CheckText(number);
}

void ErrorRegistry::ReportFailedCommand(const std::string& command) {
    if (failed_.size() >= kFailedCommandLimit) failed_.erase(failed_.begin());
    failed_.push_back({command, lastRaised_});
    lastRaised_.clear();
}

std::vector<std::string> ErrorRegistry::FailedCommands() const {
    std::vector<std::string> commands;
    commands.reserve(failed_.size());
    for (const auto& f : failed_) commands.push_back(f.command);
    return commands;
}

std::int32_t ErrorRegistry::Find(const std::string& section, const std::string& key) const {
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (host::IEquals(entries_[i].section, section) && host::IEquals(entries_[i].key, key)) {
            return static_cast<std::int32_t>(i);
        }
    }
    return -1;
}

std::int32_t ErrorRegistry::Add(const std::string& section, const std::string& key,
                                const std::string& message, bool flag) {
    if (entries_.size() >= static_cast<std::size_t>(kMaxCode)) {
        throw host::Error(kErrRegistry, "the error registry is full");
    }
    Entry e;
    e.section = section;
    e.key = key;
    e.message = message;
    e.flag = flag;
    e.code = static_cast<std::int32_t>(entries_.size()) + 1;
    e.status = kRegisteredStatusBase + e.code;
    entries_.push_back(e);
    return e.code;
}

}  // namespace kvbase
