#include "platform/remote/wire.h"

#include <fmt/format.h>

#include "host/error.h"
#include "platform/remote/errors.h"

namespace remote {
namespace {

void ValueToWire(const qnserver::Packet::Value& value, v1::TypedValue& wire) {
    wire.set_data_type(value.type);
    switch (value.v.GetKind()) {
        case host::Variant::Kind::Bool:
            wire.set_boolean(value.v.ToBool());
            break;
        case host::Variant::Kind::Date:
            wire.set_date(value.v.ToDate().days);
            break;
        case host::Variant::Kind::Text:
            wire.set_text(value.v.ToString());
            break;
        default:
            wire.set_number(value.v.ToDouble());
            break;
    }
}

host::Variant ValueFromWire(const v1::TypedValue& wire, int item) {
    switch (wire.value_case()) {
        case v1::TypedValue::kBoolean:
            return host::Variant(wire.boolean());
        case v1::TypedValue::kNumber:
            return host::Variant(wire.number());
        case v1::TypedValue::kText:
            return host::Variant(wire.text());
        case v1::TypedValue::kDate:
            return host::Variant(host::Date{wire.date()});
        case v1::TypedValue::VALUE_NOT_SET:
            break;
    }
    throw host::Error(kErrRemoteCall,
                      fmt::format("data packet item {} is a value without one", item));
}

}  // namespace

void ToWire(const qnserver::Packet& packet, v1::DataPacket& wire) {
    wire.Clear();
    for (const auto& item : packet.Items()) {
        auto& w = *wire.add_items();
        if (const auto* c = std::get_if<qnserver::Packet::Count>(&item)) {
            w.set_count(c->n);
        } else if (const auto* s = std::get_if<std::string>(&item)) {
            w.set_text(*s);
        } else if (const auto* l = std::get_if<qnserver::Packet::Long>(&item)) {
            w.set_long_int(l->v);
        } else if (const auto* v = std::get_if<qnserver::Packet::Value>(&item)) {
            ValueToWire(*v, *w.mutable_value());
        }
    }
    wire.set_position(static_cast<std::uint32_t>(packet.Position()));
}

void FromWire(const v1::DataPacket& wire, qnserver::Packet& packet) {
    std::vector<qnserver::Packet::Item> items;
    items.reserve(static_cast<std::size_t>(wire.items_size()));
    int n = 0;
    for (const auto& w : wire.items()) {
        ++n;
        switch (w.item_case()) {
            case v1::PacketItem::kCount:
                items.emplace_back(qnserver::Packet::Count{w.count()});
                break;
            case v1::PacketItem::kText:
                items.emplace_back(w.text());
                break;
            case v1::PacketItem::kLongInt:
                items.emplace_back(qnserver::Packet::Long{w.long_int()});
                break;
            case v1::PacketItem::kValue:
                items.emplace_back(
                    qnserver::Packet::Value{w.value().data_type(), ValueFromWire(w.value(), n)});
                break;
            case v1::PacketItem::ITEM_NOT_SET:
                throw host::Error(kErrRemoteCall,
                                  fmt::format("data packet item {} is of no kind", n));
        }
    }
    packet.Assign(std::move(items), wire.position());
}

}  // namespace remote
