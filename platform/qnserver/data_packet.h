#pragma once
// The server program's transfer object: a typed sequence of items written and
// read in order. Reading past the end or reading an item as the wrong kind
// raises host::Error naming the position. Its items and read position are
// open, so a transport can carry a packet to another process and back.
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "host/data_packet.h"

namespace qnserver {

class Packet : public host::DataPacket {
  public:
    struct Count {
        std::int32_t n;
    };
    struct Long {
        std::int32_t v;
    };
    struct Value {
        std::int32_t type;
        host::Variant v;  // already converted to type
    };
    using Item = std::variant<Count, std::string, Long, Value>;

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
    const std::vector<Item>& Items() const { return items_; }
    std::size_t Position() const { return pos_; }
    // Replaces the content; raises host::Error for a position past the end, a
    // negative count, or a value of an unknown type or not of its type.
    void Assign(std::vector<Item> items, std::size_t position);

  private:
    template <class T>
    const T& Next(const char* what);

    std::vector<Item> items_;
    std::size_t pos_ = 0;
};

}  // namespace qnserver
