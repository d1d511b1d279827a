#include "platform/qnserver/data_packet.h"

#include <gtest/gtest.h>

#include "host/error.h"

TEST(DataPacket, ReadsBackInOrderAndRewinds) {
    qnserver::Packet p;
    p.WriteCount(2);
    p.WriteString("Lamp");
    p.WriteLong(7);
    p.WriteValue(host::Variant("12.5"), host::kTypeNumber);
    EXPECT_EQ(p.ReadCount(), 2);
    EXPECT_EQ(p.ReadString(), "Lamp");
    EXPECT_EQ(p.ReadLong(), 7);
    EXPECT_EQ(p.ReadValue(host::kTypeNumber).ToDouble(), 12.5);
    p.Rewind();
    EXPECT_EQ(p.ReadCount(), 2);
}

TEST(DataPacket, ReadPastEndOrWrongKindRaises) {
    qnserver::Packet p;
    p.WriteString("x");
    EXPECT_THROW(p.ReadLong(), host::Error);
    EXPECT_EQ(p.ReadString(), "x");
    EXPECT_THROW(p.ReadString(), host::Error);
    EXPECT_THROW(p.WriteValue(host::Variant("abc"), host::kTypeNumber), host::Error);
    EXPECT_THROW(p.WriteValue(host::Variant(1), 99), host::Error);
}
