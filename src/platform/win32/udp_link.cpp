#include "platform/win32/udp_link.h"

// winsock2.h must come before windows.h.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstring>

namespace kelvora::win32 {

namespace {

// Milliseconds: a lost controller must not stall the caller.
constexpr DWORD kSendTimeout = 10;
constexpr DWORD kReceiveTimeout = 30;

}  // namespace

bool UdpLink::Open(const std::string& host, std::uint16_t port) {
  Close();
  WSADATA data;
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return false;
  started_ = true;

  addrinfo hints = {};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_DGRAM;
  hints.ai_protocol = IPPROTO_UDP;
  addrinfo* found = nullptr;
  const std::string service = std::to_string(port);
  if (getaddrinfo(host.c_str(), service.c_str(), &hints, &found) != 0 || !found) {
    Close();
    return false;
  }
  const addrinfo& first = *found;
  const bool fits = first.ai_addrlen <= sizeof(address_);
  if (fits) {
    std::memcpy(address_, first.ai_addr, first.ai_addrlen);
    addressLength_ = static_cast<int>(first.ai_addrlen);
  }
  const int family = first.ai_family;
  freeaddrinfo(found);
  if (!fits) {
    Close();
    return false;
  }

  const SOCKET s = socket(family, SOCK_DGRAM, IPPROTO_UDP);
  if (s == INVALID_SOCKET) {
    Close();
    return false;
  }
  socket_ = static_cast<std::uintptr_t>(s);
  const BOOL reuse = TRUE;
  setsockopt(s, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse), sizeof(reuse));
  setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&kSendTimeout),
             sizeof(kSendTimeout));
  setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&kReceiveTimeout),
             sizeof(kReceiveTimeout));

  sockaddr_storage local = {};
  local.ss_family = static_cast<ADDRESS_FAMILY>(family);
  const int localLength = family == AF_INET6 ? static_cast<int>(sizeof(sockaddr_in6))
                                             : static_cast<int>(sizeof(sockaddr_in));
  if (bind(s, reinterpret_cast<const sockaddr*>(&local), localLength) != 0) {
    Close();
    return false;
  }
  open_ = true;
  return true;
}

bool UdpLink::Send(const void* bytes, std::size_t size) {
  if (!open_) return false;
  const int sent =
      sendto(static_cast<SOCKET>(socket_), static_cast<const char*>(bytes), static_cast<int>(size),
             0, reinterpret_cast<const sockaddr*>(address_), addressLength_);
  return sent == static_cast<int>(size);
}

void UdpLink::Close() {
  if (socket_ != ~std::uintptr_t{0}) {
    closesocket(static_cast<SOCKET>(socket_));
    socket_ = ~std::uintptr_t{0};
  }
  if (started_) {
    WSACleanup();
    started_ = false;
  }
  open_ = false;
  addressLength_ = 0;
}

}  // namespace kelvora::win32
