#include "platform/web/window_server.h"

#include <httplib.h>

#include <chrono>
#include <random>
#include <thread>
#include <vector>

#include "platform/web/page_assets.h"

namespace kelvora::web {

using nlohmann::json;

namespace {

// Compares two texts in time that does not depend on where they differ.
bool SameSecret(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  unsigned diff = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    diff |= static_cast<unsigned char>(a[i]) ^ static_cast<unsigned char>(b[i]);
  }
  return diff == 0;
}

// The value of one cookie of the request's Cookie headers, or empty.
std::string CookieValue(const httplib::Request& req, std::string_view name) {
  const std::size_t count = req.get_header_value_count("Cookie");
  for (std::size_t i = 0; i < count; ++i) {
    const std::string value = req.get_header_value("Cookie", i);
    std::string_view header = value;
    while (!header.empty()) {
      const std::size_t end = header.find(';');
      std::string_view pair = header.substr(0, end);
      while (!pair.empty() && pair.front() == ' ') pair.remove_prefix(1);
      const std::size_t eq = pair.find('=');
      if (eq != std::string_view::npos && pair.substr(0, eq) == name) {
        return std::string(pair.substr(eq + 1));
      }
      if (end == std::string_view::npos) break;
      header.remove_prefix(end + 1);
    }
  }
  return {};
}

void Refuse(httplib::Response& res, int status, std::string_view message) {
  res.status = status;
  res.set_content(json{{"error", message}}.dump(), "application/json");
}

std::optional<std::uint64_t> ParseId(const std::string& text) {
  if (text.empty() || text.size() > 19) return std::nullopt;
  std::uint64_t v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    v = v * 10 + static_cast<std::uint64_t>(c - '0');
  }
  return v;
}

// A file name for the download header: letters, digits, ".", "-" and "_" only.
std::string SafeFileName(std::string_view name) {
  std::string out;
  for (char c : name) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '.' || c == '-' || c == '_';
    out += plain ? c : '_';
  }
  return out.empty() ? "program.nc" : out;
}

}  // namespace

std::string NewToken() {
  std::random_device device;
  std::string token;
  constexpr std::string_view kDigits = "0123456789abcdef";
  for (int i = 0; i < 4; ++i) {
    std::uint32_t v = device();
    for (int j = 0; j < 8; ++j, v >>= 4) token += kDigits[v & 0xf];
  }
  return token;
}

struct WindowServer::Impl {
  Impl(WindowSession& s, ServerOptions o) : session(s), options(std::move(o)) {
    if (options.token.empty()) options.token = NewToken();
  }

  WindowSession& session;
  ServerOptions options;
  httplib::Server server;
  std::thread thread;
  int port = 0;

  // The names the page may be reached by: the loopback names, or the address
  // --listen gave, each with the port.
  std::vector<std::string> AllowedHosts() const {
    // Appended rather than ":" + to_string(...): GCC 12 at -O3 reports a false
    // overlap (-Wrestrict, its bug 105329) in that operator+.
    std::string p(1, ':');
    p += std::to_string(port);
    if (options.listen == "127.0.0.1" || options.listen == "localhost") {
      return {"127.0.0.1" + p, "localhost" + p};
    }
    if (options.listen == "::1") return {"[::1]" + p, "localhost" + p};
    return {options.listen + p, "127.0.0.1" + p, "localhost" + p};
  }

  bool HostAllowed(const httplib::Request& req) const {
    const std::string host = req.get_header_value("Host");
    for (const std::string& h : AllowedHosts()) {
      if (host == h) return true;
    }
    return false;
  }

  // A request that changes the window must come from the page: its Origin is
  // one of the allowed hosts; a browser that sends no Origin says same-origin.
  bool SameOrigin(const httplib::Request& req) const {
    if (req.has_header("Origin")) {
      const std::string origin = req.get_header_value("Origin");
      for (const std::string& h : AllowedHosts()) {
        if (origin == "http://" + h) return true;
      }
      return false;
    }
    return req.get_header_value("Sec-Fetch-Site") == "same-origin";
  }

  bool TokenGiven(const httplib::Request& req) const {
    if (SameSecret(CookieValue(req, kTokenCookie), options.token)) return true;
    return req.has_param("token") && SameSecret(req.get_param_value("token"), options.token);
  }

  httplib::Server::HandlerResponse Guard(const httplib::Request& req, httplib::Response& res) {
    res.set_header("Cache-Control", "no-store");
    res.set_header("X-Content-Type-Options", "nosniff");
    res.set_header("X-Frame-Options", "DENY");
    res.set_header("Referrer-Policy", "no-referrer");
    res.set_header("Content-Security-Policy",
                   "default-src 'self'; img-src 'self' data: blob:; frame-ancestors 'none'");
    if (!HostAllowed(req)) {
      Refuse(res, 403, "This address is not the window's.");
      return httplib::Server::HandlerResponse::Handled;
    }
    if (!TokenGiven(req)) {
      Refuse(res, 403, "Open the address with the token that kelvora window printed.");
      return httplib::Server::HandlerResponse::Handled;
    }
    if (req.method != "GET" && req.method != "HEAD" && !SameOrigin(req)) {
      Refuse(res, 403, "Only the window's own page may change it.");
      return httplib::Server::HandlerResponse::Handled;
    }
    return httplib::Server::HandlerResponse::Unhandled;
  }

  void Routes() {
    // Uploads are the largest bodies; an event's body is capped in its route.
    server.set_payload_max_length(kMaxUploadBytes);
    // A reply is written in more than one piece (its headers, then its body):
    // with Nagle's algorithm the second waits for the browser's delayed
    // acknowledgement of the first, tens of milliseconds on every keystroke.
    server.set_tcp_nodelay(true);
    server.set_pre_routing_handler(
        [this](const httplib::Request& req, httplib::Response& res) { return Guard(req, res); });

    server.Get(R"(/|/[a-z_]+\.(js|css))", [](const httplib::Request& req, httplib::Response& res) {
      const PageAsset* asset = FindPageAsset(req.path);
      if (!asset) return Refuse(res, 404, "No such file.");
      res.set_content(std::string(asset->body), std::string(asset->contentType).c_str());
    });
    // The token in the address becomes the page's cookie, so the page's own
    // requests carry it without ever putting it into a link.
    server.set_post_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
      if (req.path == "/" && res.status == 200 && req.has_param("token")) {
        res.set_header("Set-Cookie", std::string(kTokenCookie) + "=" + options.token +
                                         "; Path=/; HttpOnly; SameSite=Strict");
      }
    });

    server.Post("/event", [this](const httplib::Request& req, httplib::Response& res) {
      if (req.get_header_value("Content-Type").rfind("application/json", 0) != 0) {
        return Refuse(res, 415, "An event is JSON.");
      }
      if (req.body.size() > kMaxEventBytes) return Refuse(res, 413, "An event is small.");
      const json event = json::parse(req.body, nullptr, false);
      if (event.is_discarded()) return Refuse(res, 400, "Malformed event: not JSON");
      const Reply reply = session.Post(event);
      res.status = reply.status;
      res.set_content(reply.body.dump(-1, ' ', false, json::error_handler_t::replace),
                      "application/json");
    });

    // The file the operator chose in the page's open-file dialog, as raw bytes;
    // `name` is the file's own name, never a place on this PC.
    server.Post("/upload", [this](const httplib::Request& req, httplib::Response& res) {
      if (req.get_header_value("Content-Type") != "application/octet-stream") {
        return Refuse(res, 415, "A file is sent as its bytes.");
      }
      const Reply reply = session.Upload(req.get_param_value("name"), req.body);
      res.status = reply.status;
      res.set_content(reply.body.dump(-1, ' ', false, json::error_handler_t::replace),
                      "application/json");
    });

    server.Get("/picture", [this](const httplib::Request& req, httplib::Response& res) {
      const auto level = ParseId(req.get_param_value("level"));
      const std::string name = req.get_param_value("name");
      if (!level || name.empty()) return Refuse(res, 400, "Which picture?");
      std::string svg = session.Picture(static_cast<std::size_t>(*level), name);
      if (svg.empty()) return Refuse(res, 404, "No picture.");
      res.set_content(std::move(svg), "image/svg+xml");
    });

    server.Get("/download", [this](const httplib::Request& req, httplib::Response& res) {
      const auto id = ParseId(req.get_param_value("id"));
      if (!id) return Refuse(res, 400, "Which program?");
      auto download = session.TakeDownload(*id);
      if (!download) return Refuse(res, 404, "That program was saved already.");
      res.set_header("Content-Disposition",
                     "attachment; filename=\"" + SafeFileName(download->name) + "\"");
      res.set_content(std::move(download->bytes), "application/octet-stream");
    });
  }
};

WindowServer::WindowServer(WindowSession& session, ServerOptions options)
    : impl_(std::make_unique<Impl>(session, std::move(options))) {}

WindowServer::~WindowServer() {
  Stop();
}

std::string WindowServer::Start() {
  impl_->Routes();
  if (impl_->options.port == 0) {
    impl_->port = impl_->server.bind_to_any_port(impl_->options.listen);
    if (impl_->port <= 0) return "Cannot listen on " + impl_->options.listen + ".";
  } else {
    if (!impl_->server.bind_to_port(impl_->options.listen, impl_->options.port)) {
      return "Cannot listen on " + impl_->options.listen + " port " +
             std::to_string(impl_->options.port) + " (in use, or not an address of this PC).";
    }
    impl_->port = impl_->options.port;
  }
  impl_->thread = std::thread([this] { impl_->server.listen_after_bind(); });
  // A stop asked for before the thread runs its loop would find nothing to stop
  // and the loop would then run on: the start returns once the loop runs.
  for (int waited = 0; !impl_->server.is_running() && waited < 5000; ++waited) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return {};
}

void WindowServer::Stop() {
  if (!impl_->thread.joinable()) return;
  impl_->server.stop();
  impl_->thread.join();
}

int WindowServer::Port() const {
  return impl_->port;
}
const std::string& WindowServer::Token() const {
  return impl_->options.token;
}

std::string WindowServer::Address() const {
  std::string host = impl_->options.listen;
  if (host.find(':') != std::string::npos) host = "[" + host + "]";
  return "http://" + host + ":" + std::to_string(impl_->port) + "/?token=" + impl_->options.token;
}

}  // namespace kelvora::web
