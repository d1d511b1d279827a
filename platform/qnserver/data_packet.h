#pragma once
// The server program's transfer object: a typed sequence of items written and
// read in order. Reading past the end or reading an item as the wrong kind
// raises host::Error naming the position.
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "host/data_packet.h"

namespace qnserver {

class Packet : public host::DataPacket {
  public:
    void WriteCount(std::int32_t n) override;
    void WriteString(const std::string& s) override;
    void WriteLong(std::int32_t v) override;
    void WriteValue(const host::Variant& v, std::int32_t dataType) override;
    std::int32_t ReadCount() override;
    std::string ReadString() override;
    std::int32_t ReadLong() override;
    host::Variant ReadValue(std::int32_t dataType) override;
    void Rewind() override { pos_ = 0; }
    void Clear() override;

    std::size_t Size() const { return items_.size(); }

  private:
    struct Count {
        std::int32_t n;
    };
    struct Long {
        std::int32_t v;
    };
    struct Value {
        std::int32_t type;
        host::Variant v;
    };
    using Item = std::variant<Count, std::string, Long, Value>;
    template <class T>
    const T& Next(const char* what);

    std::vector<Item> items_;
    std::size_t pos_ = 0;
};

}  // namespace qnserver
