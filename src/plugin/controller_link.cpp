#include "plugin/controller_link.h"

#include <cstring>
#include <string_view>
#include <thread>

namespace kelvora::plugin {

std::array<std::uint8_t, kSendBufferSize> SendOutDatagram() {
  std::array<std::uint8_t, kSendBufferSize> datagram{};
  datagram[0] = 'U';
  const std::uint64_t payload = 0x44444444u;
  for (int i = 0; i < 8; ++i) datagram[1 + i] = static_cast<std::uint8_t>(payload >> (8 * i));
  const std::uint32_t tail = 170;
  for (int i = 0; i < 4; ++i) datagram[9 + i] = static_cast<std::uint8_t>(tail >> (8 * i));
  return datagram;
}

ControllerLink::ControllerLink(UdpNetwork& network) : network_(network) {}

int ControllerLink::Init() {
  open_ = false;
  std::lock_guard lock(statusMutex_);
  status_.fill(0);
  statusValid_ = false;
  sendBuffer_.fill(0);
  sendBuffer_[0] = '<';
  return 0;
}

int ControllerLink::Enable(const std::string& host) {
  link_ = network_.Open(host, kLinkPort);
  if (!link_) return -1;
  secondLink_ = network_.Open(host, kLinkSecondPort);
  if (!secondLink_) {
    link_.reset();
    return -1;
  }
  open_ = true;
  static constexpr std::string_view kKeepalive = "keepalive";
  for (int i = 0; i < kKeepaliveCount; ++i) {
    link_->Send({reinterpret_cast<const std::uint8_t*>(kKeepalive.data()), kKeepalive.size()});
    std::this_thread::sleep_for(kKeepalivePause);
  }
  return 0;
}

int ControllerLink::Disable() {
  open_ = false;
  return 0;
}

int ControllerLink::StatusGet(std::uint8_t* record) {
  std::lock_guard lock(statusMutex_);
  const bool fresh = statusValid_ && std::chrono::steady_clock::now() - statusTime_ < kStatusMaxAge;
  if (!fresh || record == nullptr) {
    statusValid_ = false;
    return -1;
  }
  std::memcpy(record, status_.data(), status_.size());
  return 0;
}

void ControllerLink::SendOut() {
  if (!link_) return;
  sendBuffer_ = SendOutDatagram();
  if (link_->Send(sendBuffer_)) lastSend_ = std::chrono::steady_clock::now();
}

}  // namespace kelvora::plugin
