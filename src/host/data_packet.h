#pragma once
// Sequential transfer object between host documents and the instrument server.
#include <cstdint>
#include <string>

#include "host/types.h"
#include "host/variant.h"

namespace host {

class ORVE_API DataPacket {
  public:
    virtual ~DataPacket() = default;
    virtual void WriteCount(std::int32_t n) = 0;
    virtual void WriteString(const std::string& s) = 0;
    virtual void WriteLong(std::int32_t v) = 0;
    // Writes v converted to dataType; raises when it does not convert.
    virtual void WriteValue(const Variant& v, std::int32_t dataType) = 0;
    // Each read raises host::Error when the packet is exhausted or the next item
    // is of another kind.
    virtual std::int32_t ReadCount() = 0;
    virtual std::string ReadString() = 0;
    virtual std::int32_t ReadLong() = 0;
    virtual Variant ReadValue(std::int32_t dataType) = 0;
    // Moves the read position back to the start.
    virtual void Rewind() = 0;
    // Empties the packet (read and write positions at the start).
    virtual void Clear() = 0;
};

}  // namespace host
