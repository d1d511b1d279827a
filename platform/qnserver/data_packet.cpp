#include "platform/qnserver/data_packet.h"

#include <fmt/format.h>

#include "host/error.h"

namespace qnserver {
namespace {

constexpr host::Status kErrPacket = 0x7FFF0201;

host::Variant Convert(const host::Variant& v, std::int32_t dataType) {
    switch (dataType) {
        case host::kTypeBoolean:
            return host::Variant(v.ToBool());
        case host::kTypeNumber:
            return host::Variant(v.ToDouble());
        case host::kTypeText:
            return host::Variant(v.ToString());
        case host::kTypeDate:
            return host::Variant(v.ToDate());
        default:
            throw host::Error(kErrPacket, fmt::format("unknown value type {}", dataType));
    }
}

// The kind a value of dataType is held as; Empty for an unknown type.
host::Variant::Kind KindOf(std::int32_t dataType) {
    switch (dataType) {
        case host::kTypeBoolean:
            return host::Variant::Kind::Bool;
        case host::kTypeNumber:
            return host::Variant::Kind::Double;
        case host::kTypeText:
            return host::Variant::Kind::Text;
        case host::kTypeDate:
            return host::Variant::Kind::Date;
        default:
            return host::Variant::Kind::Empty;
    }
}

}  // namespace

void Packet::WriteCount(std::int32_t n) {
    items_.emplace_back(Count{n});
}
void Packet::WriteString(const std::string& s) {
    items_.emplace_back(s);
}
void Packet::WriteLong(std::int32_t v) {
    items_.emplace_back(Long{v});
}
void Packet::WriteValue(const host::Variant& v, std::int32_t dataType) {
    items_.emplace_back(Value{dataType, Convert(v, dataType)});
}

void Packet::Assign(std::vector<Item> items, std::size_t position) {
    if (position > items.size())
        throw host::Error(kErrPacket, fmt::format("data packet: read position {} past its {} items",
                                                  position, items.size()));
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (const auto* c = std::get_if<Count>(&items[i]); c && c->n < 0)
            throw host::Error(kErrPacket,
                              fmt::format("data packet: item {} is a negative count", i + 1));
        const auto* v = std::get_if<Value>(&items[i]);
        if (v && v->v.GetKind() != KindOf(v->type))
            throw host::Error(kErrPacket, fmt::format("data packet: item {} is not a value of "
                                                      "type {}",
                                                      i + 1, v->type));
    }
    items_ = std::move(items);
    pos_ = position;
}

void Packet::Clear() {
    items_.clear();
    pos_ = 0;
}

template <class T>
const T& Packet::Next(const char* what) {
    if (pos_ >= items_.size()) {
        throw host::Error(kErrPacket, fmt::format("data packet: read of {} past its end (item {})",
                                                  what, pos_ + 1));
    }
    const T* item = std::get_if<T>(&items_[pos_]);
    if (!item)
        throw host::Error(kErrPacket,
                          fmt::format("data packet: item {} is not a {}", pos_ + 1, what));
    ++pos_;
    return *item;
}

std::int32_t Packet::ReadCount() {
    auto n = Next<Count>("count").n;
    if (n < 0) throw host::Error(kErrPacket, fmt::format("data packet: negative count {}", n));
    return n;
}
std::string Packet::ReadString() {
    return Next<std::string>("string");
}
std::int32_t Packet::ReadLong() {
    return Next<Long>("long").v;
}
host::Variant Packet::ReadValue(std::int32_t dataType) {
    return Convert(Next<Value>("value").v, dataType);
}

}  // namespace qnserver
