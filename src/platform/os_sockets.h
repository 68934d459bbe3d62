#pragma once

// The system's socket headers and the little the two systems' seams share beneath
// os.h; included only by the seam's own files.
#ifdef _WIN32
#include <windows.h>
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include "platform/os.h"

namespace quorvel::platform::os::detail {

#ifdef _WIN32
using NativeSocket = SOCKET;
using SocketLength = int;
#else
using NativeSocket = int;
using SocketLength = socklen_t;
#endif

inline NativeSocket native(Socket socket) {
  return static_cast<NativeSocket>(socket);
}

// Winsock's start-up; nothing to do elsewhere.
void ensure_sockets();
// accept(), with the system's way of keeping the socket from child processes.
Socket accept_socket(Socket listener, sockaddr* peer, SocketLength* size);

inline const sockaddr* sockaddr_of(const SocketAddress& address) {
  return reinterpret_cast<const sockaddr*>(address.bytes);
}

inline sockaddr* sockaddr_of(SocketAddress& address) {
  return reinterpret_cast<sockaddr*>(address.bytes);
}

inline int family_of(const SocketAddress& address) {
  return sockaddr_of(address)->sa_family;
}

}  // namespace quorvel::platform::os::detail
