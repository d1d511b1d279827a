#include "platform/qnserver/error_table.h"

#include <fmt/format.h>

#include "host/types.h"

namespace qnserver {

const std::vector<ErrorEntry>& ErrorTable() {
    static const std::vector<ErrorEntry> table = {
        {std::string(key::kUnknownCmd), "Unknown command", 0},
        {std::string(key::kUnknownKey), "Unknown property", 0},
        {std::string(key::kReadOnly), "Property is read-only", 0},
        {std::string(key::kMissingArg), "Missing argument", 0},
        {std::string(key::kBadArg), "Malformed argument", 0},
        {std::string(key::kBadNumber), "Not a number", 0},
        {std::string(key::kOutOfRange), "Value out of range", 0},
        {std::string(key::kLocked), "Instrument is locked by another client", 0},
        {std::string(key::kOffline), "Instrument is offline", 1},
        {std::string(key::kNotReady), "Instrument is initialising", 0},
        {std::string(key::kBusy), "Command is running", 0},
        {std::string(key::kCmdRunning), "Another command is running", 0},
        {std::string(key::kNoCommand), "No command was started", 0},
        {std::string(key::kStopped), "Stopped by emergency stop", 1},
        {std::string(key::kStalled), "Command stalled", 1},
        {std::string(key::kEOD), "End of data", 0},
    };
    return table;
}

std::string ErrorReply(std::string_view errorKey, std::string_view detail) {
    std::string message = "Error";
    for (const auto& e : ErrorTable()) {
        if (host::IEquals(e.key, errorKey)) message = e.message;
    }
    if (detail.empty()) return fmt::format("{}:{}", errorKey, message);
    return fmt::format("{}:{}: {}", errorKey, message, detail);
}

void WriteErrorTable(host::DataPacket& packet) {
    const auto& table = ErrorTable();
    packet.WriteCount(static_cast<std::int32_t>(table.size()));
    for (const auto& e : table) {
        packet.WriteString(kErrorSource);
        packet.WriteString(e.key);
        packet.WriteString(e.message);
        packet.WriteLong(e.flag);
    }
}

}  // namespace qnserver
