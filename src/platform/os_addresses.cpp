// Addresses, the same on both systems once the headers are in.
#include <cstring>

#include "platform/os_sockets.h"

namespace quorvel::platform::os {

using detail::family_of;
using detail::sockaddr_of;

namespace {

static_assert(sizeof(SocketAddress::bytes) >= sizeof(sockaddr_storage));

SocketAddress from_parts(int family, const void* host, std::uint16_t port) {
  SocketAddress address;
  if (family == AF_INET6) {
    auto* in6 = reinterpret_cast<sockaddr_in6*>(address.bytes);
    in6->sin6_family = AF_INET6;
    if (host != nullptr) std::memcpy(&in6->sin6_addr, host, sizeof in6->sin6_addr);
    in6->sin6_port = htons(port);
    address.length = sizeof(sockaddr_in6);
  } else {
    auto* in4 = reinterpret_cast<sockaddr_in*>(address.bytes);
    in4->sin_family = AF_INET;
    if (host != nullptr) std::memcpy(&in4->sin_addr, host, sizeof in4->sin_addr);
    in4->sin_port = htons(port);
    address.length = sizeof(sockaddr_in);
  }
  return address;
}

std::uint16_t port_of(const SocketAddress& address) {
  if (family_of(address) == AF_INET6) {
    return ntohs(reinterpret_cast<const sockaddr_in6*>(address.bytes)->sin6_port);
  }
  return ntohs(reinterpret_cast<const sockaddr_in*>(address.bytes)->sin_port);
}

}  // namespace

std::vector<SocketAddress> resolve_host(const std::string& name, std::uint16_t port) {
  detail::ensure_sockets();
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* results = nullptr;
  std::vector<SocketAddress> found;
  if (::getaddrinfo(name.c_str(), nullptr, &hints, &results) != 0) return found;
  for (addrinfo* r = results; r != nullptr; r = r->ai_next) {
    if (r->ai_family == AF_INET6) {
      found.push_back(from_parts(
          AF_INET6, &reinterpret_cast<const sockaddr_in6*>(r->ai_addr)->sin6_addr, port));
    } else if (r->ai_family == AF_INET) {
      found.push_back(
          from_parts(AF_INET, &reinterpret_cast<const sockaddr_in*>(r->ai_addr)->sin_addr, port));
    }
  }
  ::freeaddrinfo(results);
  return found;
}

std::optional<SocketAddress> numeric_address(const std::string& text, std::uint16_t port) {
  detail::ensure_sockets();
  in_addr in4{};
  in6_addr in6{};
  if (::inet_pton(AF_INET, text.c_str(), &in4) == 1) return from_parts(AF_INET, &in4, port);
  if (::inet_pton(AF_INET6, text.c_str(), &in6) == 1) return from_parts(AF_INET6, &in6, port);
  return std::nullopt;
}

SocketAddress loopback_address(std::uint16_t port) {
  in_addr loopback{};
  loopback.s_addr = htonl(INADDR_LOOPBACK);
  return from_parts(AF_INET, &loopback, port);
}

SocketAddress any_address(std::uint16_t port, bool ipv6) {
  if (ipv6) return from_parts(AF_INET6, &in6addr_any, port);
  in_addr any{};
  any.s_addr = htonl(INADDR_ANY);
  return from_parts(AF_INET, &any, port);
}

std::string address_text(const SocketAddress& address) {
  detail::ensure_sockets();
  char host[INET6_ADDRSTRLEN] = "?";
  if (family_of(address) == AF_INET6) {
    ::inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6*>(address.bytes)->sin6_addr, host,
                sizeof host);
  } else {
    ::inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(address.bytes)->sin_addr, host,
                sizeof host);
  }
  return std::string(host) + " port " + std::to_string(port_of(address));
}

std::string local_host_name() {
  detail::ensure_sockets();
  char host[1000] = {};
  ::gethostname(host, sizeof host - 1);
  return host;
}

Socket accept_connection(Socket listener, std::string* peer_host) {
  SocketAddress peer;
  detail::SocketLength size = sizeof peer.bytes;
  const Socket socket = detail::accept_socket(listener, sockaddr_of(peer), &size);
  if (socket == kNoSocket) return kNoSocket;
  peer.length = static_cast<std::uint32_t>(size);
  if (peer_host != nullptr) {
    const std::string text = address_text(peer);
    *peer_host = text.substr(0, text.find(" port "));
  }
  return socket;
}

std::uint16_t local_port(Socket socket) {
  SocketAddress bound;
  detail::SocketLength size = sizeof bound.bytes;
  if (::getsockname(detail::native(socket), sockaddr_of(bound), &size) != 0) return 0;
  return port_of(bound);
}

}  // namespace quorvel::platform::os
