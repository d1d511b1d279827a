// Every host header must stand on its own.
#include "host/acq_module.h"
#include "host/error.h"
#include "host/host.h"

#include <gtest/gtest.h>

TEST(HostTypes, CaseInsensitiveComparison) {
    EXPECT_TRUE(host::IEquals("LumMode", "LUMMODE"));
    EXPECT_FALSE(host::IEquals("Lamp", "Lamps"));
    EXPECT_TRUE(host::IStartsWith("SetM WL=400;500", "setm wl="));
    EXPECT_EQ(host::ToVBool(true), -1);
}

TEST(HostTypes, ErrorCarriesNumberAndText) {
    host::Error e(42, "Instrument is offline");
    EXPECT_EQ(e.Number(), 42);
    EXPECT_EQ(e.Text(), "Instrument is offline");
}
