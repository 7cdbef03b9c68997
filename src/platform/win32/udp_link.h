// One UDP link of the controller link: a socket whose destination is a host
// name or address at a port, for sending whole datagrams.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kelvora::win32 {

class UdpLink {
 public:
  UdpLink() = default;
  UdpLink(const UdpLink&) = delete;
  UdpLink& operator=(const UdpLink&) = delete;
  ~UdpLink() { Close(); }

  // Starts Winsock, resolves `host` (the first address is taken), and opens a
  // socket bound to any local address and port, with address reuse allowed and
  // short send and receive time-outs. False, with the link closed, on failure.
  bool Open(const std::string& host, std::uint16_t port);
  // Sends `bytes` as one datagram; true when it was sent whole.
  bool Send(const void* bytes, std::size_t size);
  // Closes the socket and releases Winsock.
  void Close();
  bool is_open() const { return open_; }

 private:
  bool open_ = false;
  bool started_ = false;  // WSAStartup succeeded and awaits its WSACleanup
  std::uintptr_t socket_ = ~std::uintptr_t{0};
  // The destination address (a sockaddr of at most this size).
  alignas(8) unsigned char address_[128] = {};
  int addressLength_ = 0;
};

}  // namespace kelvora::win32
