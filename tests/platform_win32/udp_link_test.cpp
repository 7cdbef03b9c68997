// The controller link's UDP sending, captured by a receiver on 127.0.0.1.
#include "platform/win32/udp_link.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <gtest/gtest.h>

#include <string>

namespace kelvora::win32 {
namespace {

// A UDP socket bound to an ephemeral port of 127.0.0.1 that reads datagrams.
class Receiver {
 public:
  Receiver() {
    WSADATA data;
    started_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    socket_ = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    int length = sizeof(address);
    getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    const DWORD timeout = 2000;
    setsockopt(socket_, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout),
               sizeof(timeout));
  }
  ~Receiver() {
    closesocket(socket_);
    if (started_) WSACleanup();
  }
  std::uint16_t port() const { return port_; }
  // The next datagram, or nullopt after the time-out.
  std::optional<std::string> Receive() {
    char buffer[256];
    const int size = recv(socket_, buffer, sizeof(buffer), 0);
    if (size < 0) return std::nullopt;
    return std::string(buffer, static_cast<std::size_t>(size));
  }

 private:
  bool started_ = false;
  SOCKET socket_ = INVALID_SOCKET;
  std::uint16_t port_ = 0;
};

TEST(UdpLink, DatagramsArriveWholeAndInOrder) {
  Receiver receiver;
  ASSERT_NE(receiver.port(), 0);
  UdpLink link;
  ASSERT_TRUE(link.Open("127.0.0.1", receiver.port()));
  const std::string first("keepalive");
  const std::string second("U\x44\x44\x44\x44\0\0\0\0\xAA\0\0\0", 13);
  ASSERT_TRUE(link.Send(first.data(), first.size()));
  ASSERT_TRUE(link.Send(second.data(), second.size()));
  EXPECT_EQ(receiver.Receive(), first);
  EXPECT_EQ(receiver.Receive(), second);
}

TEST(UdpLink, ClosedOrUnresolvedLinksSendNothing) {
  UdpLink link;
  EXPECT_FALSE(link.Send("x", 1));
  EXPECT_FALSE(link.Open("no-such-host.invalid", 8000));
  EXPECT_FALSE(link.is_open());
  EXPECT_FALSE(link.Send("x", 1));
  Receiver receiver;
  ASSERT_TRUE(link.Open("127.0.0.1", receiver.port()));
  link.Close();
  EXPECT_FALSE(link.is_open());
  EXPECT_FALSE(link.Send("x", 1));
  link.Close();  // closing twice is harmless
}

}  // namespace
}  // namespace kelvora::win32
