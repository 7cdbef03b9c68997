// The controller link over real UDP sockets, its datagrams captured by receivers
// on a loopback address of their own (so parallel runs do not share ports).
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>
#include <vector>

#include "plugin/controller_link.h"
#include "plugin/system.h"

namespace kelvora::plugin {
namespace {

class Receiver {
 public:
  Receiver(const std::string& address, std::uint16_t port) {
    fd_ = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    ::inet_pton(AF_INET, address.c_str(), &local.sin_addr);
    bound_ = ::bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof local) == 0;
  }
  ~Receiver() { ::close(fd_); }
  bool Bound() const { return bound_; }

  // Every datagram that arrives within `wait` of the last one.
  std::vector<std::string> Drain(std::chrono::milliseconds wait = std::chrono::milliseconds(500)) {
    std::vector<std::string> datagrams;
    pollfd ready{fd_, POLLIN, 0};
    while (::poll(&ready, 1, static_cast<int>(wait.count())) > 0) {
      char buffer[256];
      ssize_t size = ::recv(fd_, buffer, sizeof buffer, 0);
      if (size < 0) break;
      datagrams.emplace_back(buffer, static_cast<std::size_t>(size));
    }
    return datagrams;
  }

 private:
  int fd_;
  bool bound_ = false;
};

std::string LoopbackAddress() {
  std::mt19937 random(std::random_device{}());
  std::uniform_int_distribution<int> part(1, 254);
  return "127." + std::to_string(part(random)) + "." + std::to_string(part(random)) + "." +
         std::to_string(part(random));
}

TEST(ControllerLink, SendsItsDatagramsToPorts8000) {
  const std::string address = LoopbackAddress();
  Receiver first(address, kLinkPort);
  Receiver second(address, kLinkSecondPort);
  ASSERT_TRUE(first.Bound() && second.Bound()) << address;

  ControllerLink link(SystemPlatform().udp);
  EXPECT_EQ(link.Init(), 0);
  EXPECT_EQ(link.Enable(address), 0);
  EXPECT_TRUE(link.IsOpen());
  EXPECT_EQ(first.Drain(), std::vector<std::string>(5, "keepalive"));
  EXPECT_TRUE(second.Drain(std::chrono::milliseconds(50)).empty());

  link.SendOut();
  const std::string expected("U\x44\x44\x44\x44\0\0\0\0\xAA\0\0\0", 13);
  EXPECT_EQ(first.Drain(), std::vector<std::string>{expected});

  std::uint8_t record[kStatusRecordSize] = {};
  EXPECT_EQ(link.StatusGet(record), -1);  // nothing ever receives a status

  auto before = std::chrono::steady_clock::now();
  EXPECT_EQ(link.Disable(), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(100));
  EXPECT_FALSE(link.IsOpen());
}

TEST(ControllerLink, AnUnknownHostGivesMinusOne) {
  ControllerLink link(SystemPlatform().udp);
  link.Init();
  EXPECT_EQ(link.Enable("no-such-host.invalid"), -1);
  EXPECT_FALSE(link.IsOpen());
  std::uint8_t record[kStatusRecordSize] = {};
  EXPECT_EQ(link.StatusGet(record), -1);
}

}  // namespace
}  // namespace kelvora::plugin
