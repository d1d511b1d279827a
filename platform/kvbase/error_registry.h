#pragma once
// The host's error registry: errors registered under a section and a key get a
// code, and each code a stable status that the module hands back to the host.
//
//   code   1, 2, 3, ... in registration order
//   status kRegisteredStatusBase + code (never 0, never a platform number)
//
// Sections and keys compare ignoring case. Registering a known section and key
// again returns its code and keeps the first message and flag, so a registry
// that runs once per control does not pile up duplicates.
//
// An instrument reply carries its own message, and one key covers many
// failures ("Error:stage position ... is outside", "Error:voltage ..."):
// - Check raises a reply's status with the latest reply's message for its key,
//   not the message the key was first registered with;
// - MessageText gives the text of the error last raised with that number (the
//   failure the user is told about), so a later reply with the same key whose
//   status nobody checked (a lamp switched off after a failed sample) does not
//   change what an earlier failure reads as.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "host/services.h"

namespace kvbase {

inline constexpr host::Status kRegisteredStatusBase = 0x20000000;

class ErrorRegistry : public host::ErrorService {
  public:
    // Section that instrument error keys seen first in a reply are registered under.
    static constexpr const char* kReplySection = "Instrument";

    // Raises host::Error (kErrRegistry) for an empty key.
    std::int32_t RegisterError(const std::string& section, const std::string& key,
                               const std::string& message, bool flag) override;
    // Raises for a code that was never handed out (0 included: a missing
    // registration must not turn into success).
    host::Status StatusOf(std::int32_t code) const override;
    // Looks the key up in every section, first registration first; an unknown key
    // is registered under kReplySection with the reply's message. The reply's
    // message becomes the status's message text until the next reply of that key.
    std::int32_t CodeOfReply(const std::string& key, const std::string& message) override;
    // The filter is taken for the interface's sake: every non-zero status raises.
    void Check(host::Status status, const std::string& filter) const override;
    // "No error" for 0; the text last raised with the number, else the latest
    // reply's message, else the registered message, for a registered status; a short
    // text for the platform's own numbers; otherwise a generic text with the number.
    std::string MessageText(host::Status number) const override;
    // Keeps the latest kFailedCommandLimit commands, oldest first, each with
    // the text of the error last raised before it was reported (the proxy
    // reports a command right after its failure was raised and trapped).
    void ReportFailedCommand(const std::string& command) override;
    std::vector<std::string> FailedCommands() const override;
    struct FailedCommand {
        std::string command;
        std::string reply;  // what the failure said; empty when nothing was raised
    };
    const std::vector<FailedCommand>& FailedCommandReplies() const { return failed_; }
    std::vector<Entry> Entries() const override { return entries_; }

    static constexpr std::size_t kFailedCommandLimit = 1000;

    void NoteRaised(host::Status number, const std::string& text) override;

  private:
    // Index into entries_, or -1.
    std::int32_t Find(const std::string& section, const std::string& key) const;
    std::int32_t Add(const std::string& section, const std::string& key, const std::string& message,
                     bool flag);

    std::vector<Entry> entries_;
    std::vector<FailedCommand> failed_;
    std::string lastRaised_;
    // The message Check raises a status with: the latest reply's, else the registered one.
    std::string CheckText(host::Status number) const;

    std::map<host::Status, std::string> raised_;   // text last raised with each number
    std::map<host::Status, std::string> replied_;  // latest reply message per registered status
};

}  // namespace kvbase
