#pragma once
// The instrument's own error table: every error reply the server gives starts
// with one of these keys. GetErrorList hands the table to the host, which
// registers it so that each reply key has an error code.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "host/data_packet.h"

namespace qnserver {

inline constexpr const char* kErrorSource = "QNServer";

struct ErrorEntry {
    std::string key;
    std::string message;
    std::int32_t flag = 0;  // 1: the instrument needs attention before it goes on
};

namespace key {
inline constexpr std::string_view kUnknownCmd = "UnknownCmd";
inline constexpr std::string_view kUnknownKey = "UnknownKey";
inline constexpr std::string_view kReadOnly = "ReadOnly";
inline constexpr std::string_view kMissingArg = "MissingArg";
inline constexpr std::string_view kBadArg = "BadArg";
inline constexpr std::string_view kBadNumber = "BadNumber";
inline constexpr std::string_view kOutOfRange = "OutOfRange";
inline constexpr std::string_view kLocked = "Locked";
inline constexpr std::string_view kOffline = "Offline";
inline constexpr std::string_view kNotReady = "NotReady";
inline constexpr std::string_view kBusy = "Busy";
inline constexpr std::string_view kCmdRunning = "CmdRunning";
inline constexpr std::string_view kNoCommand = "NoCommand";
inline constexpr std::string_view kStopped = "Stopped";
inline constexpr std::string_view kStalled = "Stalled";
inline constexpr std::string_view kEOD = "EOD";
}  // namespace key

const std::vector<ErrorEntry>& ErrorTable();

// "Key:message", or "Key:message: detail" when a detail is given.
std::string ErrorReply(std::string_view key, std::string_view detail = {});

// Entry count, then per entry source, key, message and the flag.
void WriteErrorTable(host::DataPacket& packet);

}  // namespace qnserver
