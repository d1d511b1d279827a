#pragma once
// Faults a test or a user can inject into the simulated instrument.
//
// A rule is "PREFIX[#N]=REPLY": the Nth (or, without "#N", every) command
// whose text starts with PREFIX (ignoring case) is hit. The rule is split at
// its first "#N=", else at its first "=": a prefix that holds "=" itself
// needs its count ("Set Lamp=Off#1=Error:stuck"; "Set Lamp=stall" hits every
// lamp switch).
// REPLY is one of
//   text         the command's reply: the reply of a synchronous command (which
//                then does nothing) or the final reply of an asynchronous one
//                (which runs its time and takes effect only when text is empty)
//   start:text   the start reply of an asynchronous command (nothing starts)
//   busy         an asynchronous command stays busy until an emergency stop
//   stall        the command gives up after the stall time with an error reply
//   hold         the command runs until an emergency stop or the end of its
//                client ends it with that stop's reply (for a test that must
//                act while a command runs, however fast the machine)
//   throw        the server call that would give the (final) reply fails
//   start:throw  the start call itself fails
// A synchronous command treats busy like stall (it cannot be aborted) and both
// throw forms alike; a held synchronous command that nothing stops gives up
// after kHoldTime with the stall reply. An asynchronous command treats hold
// like busy. Keywords compare ignoring case.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qnserver {

struct FaultRule {
    enum class Action { Reply, StartReply, Busy, Stall, Hold, Throw, StartThrow };
    std::string prefix;
    std::int32_t nth = 0;  // 0: every matching command
    Action action = Action::Reply;
    std::string reply;  // Reply, StartReply
    std::string text;   // the rule as written

    // Raises host::Error with a clear text for a malformed rule.
    static FaultRule Parse(const std::string& rule);
};

class FaultRules {
  public:
    void Add(const std::string& rule) { rules_.push_back({FaultRule::Parse(rule), 0}); }
    void Clear() { rules_.clear(); }
    bool Empty() const { return rules_.empty(); }
    // Counts the command for every rule whose prefix it starts with; the first
    // rule that applies to this occurrence wins.
    std::optional<FaultRule> Match(const std::string& command);

  private:
    struct Counted {
        FaultRule rule;
        std::int32_t seen;
    };
    std::vector<Counted> rules_;
};

}  // namespace qnserver
