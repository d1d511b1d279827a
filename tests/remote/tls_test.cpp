// The server with TLS on loopback: only clients that trust its authority and
// show a certificate from the authority it names get in.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "host/error.h"
#include "platform/remote/errors.h"
#include "platform/remote/remote_factory.h"
#include "remote_fixture.h"

namespace {

class Tls : public RemoteTest {
  protected:
    // Runs openssl with args in the test's folder; false when it failed.
    bool OpenSsl(const std::vector<std::string>& args) {
        std::vector<std::string> argv{"/usr/bin/openssl"};
        argv.insert(argv.end(), args.begin(), args.end());
        testproc::Process p(argv, Path("openssl.out"));
        const bool ok = p.Wait(60.0) == 0;
        if (!ok) ADD_FAILURE() << p.Output();
        return ok;
    }
    // name.key and name.pem: an authority's own certificate, or one it issued.
    bool Authority(const std::string& name) {
        return OpenSsl({"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                        "-nodes", "-keyout", Path(name + ".key"), "-out", Path(name + ".pem"),
                        "-subj", "/CN=" + name, "-days", "2"});
    }
    bool Issue(const std::string& ca, const std::string& name, const std::string& altNames) {
        std::ofstream(Path(name + ".ext")) << "subjectAltName=" << altNames << "\n";
        return OpenSsl({"req", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                        "-nodes", "-keyout", Path(name + ".key"), "-out", Path(name + ".csr"),
                        "-subj", "/CN=" + name}) &&
               OpenSsl({"x509", "-req", "-in", Path(name + ".csr"), "-CA", Path(ca + ".pem"),
                        "-CAkey", Path(ca + ".key"), "-CAcreateserial", "-out", Path(name + ".pem"),
                        "-days", "2", "-extfile", Path(name + ".ext")});
    }

    // Opens a session and asks something; the error's text when refused.
    std::string Try(remote::ClientOptions options) {
        options.address = address_;
        options.connectSeconds = 10.0;
        try {
            remote::RemoteInstrumentFactory factory(options);
            auto server = factory.CreateServer();
            (void)server->IsLocked();
            return "";
        } catch (const host::Error& e) {
            EXPECT_EQ(e.Number(), remote::kErrRemoteCall) << e.Text();
            return e.Text().empty() ? "refused" : e.Text();
        }
    }

    std::string address_;
};

TEST_F(Tls, OnlyClientsTrustingTheServerWithACertificateFromItsAuthorityGetIn) {
    ASSERT_TRUE(std::filesystem::exists("/usr/bin/openssl"))
        << "openssl makes the certificates: scripts/bootstrap installs it";
    ASSERT_TRUE(Authority("ca") && Authority("stranger"));
    ASSERT_TRUE(Issue("ca", "server", "DNS:localhost,IP:127.0.0.1"));
    ASSERT_TRUE(Issue("ca", "client", "DNS:client"));
    ASSERT_TRUE(Issue("stranger", "intruder", "DNS:intruder"));
    auto& server =
        StartServer({"--listen", "127.0.0.1:0", "--tls-cert", Path("server.pem"), "--tls-key",
                     Path("server.key"), "--tls-client-ca", Path("ca.pem")});
    const std::string log = server.Output();
    const auto at = log.find("listening on ");
    ASSERT_NE(at, std::string::npos);
    address_ = log.substr(at + 13, log.find_first_of(" ,\n", at + 13) - at - 13);
    ASSERT_EQ(address_.rfind("127.0.0.1:", 0), 0u) << address_;

    remote::ClientOptions member;
    member.caFile = Path("ca.pem");
    member.certFile = Path("client.pem");
    member.keyFile = Path("client.key");
    EXPECT_EQ(Try(member), "");

    remote::ClientOptions plain;  // plain text to a TLS server
    EXPECT_NE(Try(plain), "");
    remote::ClientOptions distrusting = member;  // does not know the server's authority
    distrusting.caFile = Path("stranger.pem");
    EXPECT_NE(Try(distrusting), "");
    remote::ClientOptions anonymous;  // trusts the server, shows no certificate
    anonymous.caFile = Path("ca.pem");
    EXPECT_NE(Try(anonymous), "");
    remote::ClientOptions foreign = member;  // a certificate from another authority
    foreign.certFile = Path("intruder.pem");
    foreign.keyFile = Path("intruder.key");
    EXPECT_NE(Try(foreign), "");

    EXPECT_EQ(Try(member), "");  // still serving
    EXPECT_EQ(CountOf(server.Output(), "opened by"), 2) << server.Output();
}

}  // namespace
