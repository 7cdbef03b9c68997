// The web window's HTTP server: serves the page (embedded in the program),
// takes its events and pictures, and guards the operator's PC. It listens on the
// loopback address unless told another; every request must carry the session's
// one-time token (the page's cookie after the first load), name an allowed host
// (so a rebound DNS name reaches nothing), and a request that changes anything
// must come from the page's own origin. No cross-origin headers are ever sent,
// and request bodies are capped.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "platform/web/window_session.h"

namespace kelvora::web {

// The largest request body: an event is a few hundred bytes.
inline constexpr std::size_t kMaxEventBytes = 64 * 1024;
// The largest file the page may upload for an open-file dialog; the readers
// refuse what they cannot take with their own messages.
inline constexpr std::size_t kMaxUploadBytes = 32 * 1024 * 1024;
inline constexpr std::string_view kTokenCookie = "kelvora_token";

struct ServerOptions {
  std::string listen = "127.0.0.1";  // the address bound
  int port = 0;                      // 0: a free port
  std::string token;                 // empty: a fresh random one
};

class WindowServer {
 public:
  WindowServer(WindowSession& session, ServerOptions options);
  ~WindowServer();
  WindowServer(const WindowServer&) = delete;
  WindowServer& operator=(const WindowServer&) = delete;

  // Binds and starts serving on a thread of its own. Empty, or why not.
  std::string Start();
  void Stop();

  int Port() const;
  const std::string& Token() const;
  // The address the operator opens: http://HOST:PORT/?token=TOKEN.
  std::string Address() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// A fresh token of 128 random bits, as 32 hexadecimal digits.
std::string NewToken();

}  // namespace kelvora::web
