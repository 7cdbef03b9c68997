// The auxiliary controller link: datagrams to a motion controller over UDP, for an
// outside caller of the library's link exports. The plug-in itself never uses it.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "plugin/platform.h"

namespace kelvora::plugin {

inline constexpr std::uint16_t kLinkPort = 8000;
inline constexpr std::uint16_t kLinkSecondPort = 8001;
inline constexpr std::size_t kStatusRecordSize = 31;
inline constexpr std::size_t kSendBufferSize = 13;
inline constexpr int kKeepaliveCount = 5;
inline constexpr std::chrono::milliseconds kKeepalivePause{50};
inline constexpr std::chrono::milliseconds kStatusMaxAge{250};

// The 13-byte datagram that my_SendOut sends: "U", the 64-bit little-endian
// 0x44444444, the 32-bit little-endian 170.
std::array<std::uint8_t, kSendBufferSize> SendOutDatagram();

class ControllerLink {
 public:
  explicit ControllerLink(UdpNetwork& network);

  // Cnc_Init_Controller: closed link, cleared status record and send buffer.
  int Init();
  // Cnc_Communication_Enable: links on ports 8000 and 8001 and five "keepalive"
  // datagrams 50 ms apart; 0, or -1 when either link fails (none stays open).
  int Enable(const std::string& host);
  // Cnc_Communication_Disable: marks the link closed and returns. Nothing on the
  // wire acknowledges a close, so waiting for one would never end.
  int Disable();
  // Cnc_Status_Get: the last status record when one younger than 0.25 s was
  // received; -1 otherwise. The link has no receiving side, so it is always -1.
  int StatusGet(std::uint8_t* record);
  // my_SendOut: sends the fixed datagram on the port-8000 link.
  void SendOut();

  bool IsOpen() const { return open_; }

 private:
  UdpNetwork& network_;
  std::mutex statusMutex_;
  std::array<std::uint8_t, kStatusRecordSize> status_{};
  bool statusValid_ = false;
  std::chrono::steady_clock::time_point statusTime_{};
  std::array<std::uint8_t, kSendBufferSize> sendBuffer_{};
  std::chrono::steady_clock::time_point lastSend_{};
  std::unique_ptr<UdpSocket> link_;
  std::unique_ptr<UdpSocket> secondLink_;
  bool open_ = false;
};

}  // namespace kelvora::plugin
