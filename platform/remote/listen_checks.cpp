#include "platform/remote/listen_checks.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

#include <fmt/format.h>

#include "host/error.h"
#include "platform/remote/errors.h"
#include "platform/remote/pem_file.h"

namespace remote {

std::shared_ptr<grpc::ServerCredentials> ListenCredentials(const ServeOptions& o,
                                                           const Address& a) {
    if (o.certFile.empty() != o.keyFile.empty())
        throw host::Error(kErrRemoteSetup, "TLS needs both a certificate and its key");
    if (o.certFile.empty()) {
        if (!o.clientCaFile.empty())
            throw host::Error(
                kErrRemoteSetup,
                "client certificates need TLS: give the server's certificate and key");
        if (!a.Local() && !o.insecure)
            throw host::Error(
                kErrRemoteSetup,
                fmt::format("{} is reachable from other machines: give a TLS certificate and key, "
                            "or say --insecure to serve it in plain text",
                            a.text));
        return grpc::InsecureServerCredentials();
    }
    grpc::SslServerCredentialsOptions ssl(
        o.clientCaFile.empty() ? GRPC_SSL_DONT_REQUEST_CLIENT_CERTIFICATE
                               : GRPC_SSL_REQUEST_AND_REQUIRE_CLIENT_CERTIFICATE_AND_VERIFY);
    ssl.pem_key_cert_pairs.push_back(
        {ReadPem(o.keyFile, "TLS key"), ReadPem(o.certFile, "TLS certificate")});
    if (!o.clientCaFile.empty())
        ssl.pem_root_certs = ReadPem(o.clientCaFile, "client certificate authority");
    return grpc::SslServerCredentials(ssl);
}

void RequireFreeSocket(const Address& address) {
    sockaddr_un sa{};
    if (address.path.size() >= sizeof sa.sun_path)
        throw host::Error(kErrRemoteSetup,
                          fmt::format("the socket path of '{}' is too long", address.text));
    sa.sun_family = AF_UNIX;
    std::memcpy(sa.sun_path, address.path.c_str(), address.path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return;
    const bool live = ::connect(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) == 0;
    ::close(fd);
    if (live)
        throw host::Error(kErrRemoteServe,
                          fmt::format("another instrument server listens at {}", address.text));
}

}  // namespace remote
