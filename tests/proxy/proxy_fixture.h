#pragma once
// A proxy made once the test host is in place, and gone before it: on the
// recording fake server, or on any other server factory a test starts it with.
#include <memory>

#include "fake_server.h"
#include "proxy/corve_proxy.h"
#include "test_host.h"

namespace proxytest {

class ProxyFixture : public HostFixture {
  protected:
    // Makes instruments the host's server factory and creates the proxy on it.
    void StartProxy(host::InstrumentServerFactory& instruments) {
        host->instruments = &instruments;
        proxy = std::make_unique<proxy::CORVEProxy>();
    }
    void TearDown() override {
        proxy.reset();
        HostFixture::TearDown();
    }

    std::unique_ptr<proxy::CORVEProxy> proxy;
};

class FakeServerFixture : public ProxyFixture {
  protected:
    void SetUp() override {
        ProxyFixture::SetUp();
        StartProxy(factory);
    }

    std::shared_ptr<FakeServer> server = std::make_shared<FakeServer>();
    FakeFactory factory{server};
};

}  // namespace proxytest
