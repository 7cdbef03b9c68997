// kelvora-window [--port N] [--no-browser] [--profile FILE] [--listen ADDR]:
// the plug-in's window as a local web page, for a machine without the host.
// `kelvora window ...` starts this program. It prints the page's address with
// its one-time token, opens the system's browser on it unless told not to, and
// runs until the page's Close or Ctrl+C, saving the profile.
#include <CLI/CLI.hpp>

#include <atomic>
#include <chrono>
#include <csignal>
#include <iostream>
#include <string>
#include <thread>

#include "platform/web/browser.h"
#include "platform/web/window_server.h"
#include "platform/web/window_session.h"
#include "text/files.h"

namespace {

std::atomic<bool> interrupted{false};

extern "C" void OnInterrupt(int) {
  interrupted = true;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace kelvora;
  CLI::App app{"The Kelvora window as a local web page, for a machine without the host."};
  app.name("kelvora window");
  int port = 0;
  bool noBrowser = false;
  std::string profile;
  std::string listen = "127.0.0.1";
  app.add_option("--port", port, "The port to listen on (default: a free one)")
      ->check(CLI::Range(0, 65535));
  app.add_flag("--no-browser", noBrowser, "Print the address only; open no browser");
  app.add_option(
      "--profile", profile,
      "The settings profile (default: " + text::PathToUtf8(web::DefaultProfilePath()) + ")");
  app.add_option("--listen", listen,
                 "The address to listen on (default 127.0.0.1, this PC only); another "
                 "address lets other devices in, each with the token");
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e) == 0 ? 0 : 2;
  }

  web::SessionOptions sessionOptions;
  sessionOptions.profile =
      profile.empty() ? web::DefaultProfilePath() : text::PathFromUtf8(profile);
  web::WindowSession session(sessionOptions);
  web::ServerOptions serverOptions;
  serverOptions.listen = listen;
  serverOptions.port = port;
  web::WindowServer server(session, serverOptions);
  if (const std::string failure = server.Start(); !failure.empty()) {
    std::cerr << failure << "\n";
    return 1;
  }
  std::signal(SIGINT, OnInterrupt);
  std::signal(SIGTERM, OnInterrupt);

  std::cout << "Kelvora window: " << server.Address() << "\n"
            << "Settings: " << text::PathToUtf8(sessionOptions.profile) << "\n";
  if (listen != "127.0.0.1" && listen != "localhost" && listen != "::1") {
    std::cout << "Listening on " << listen
              << ": other devices may open the window, each needs the address with its token.\n";
  }
  std::cout << "Press Ctrl+C (or the page's Close) to stop." << std::endl;
  if (!noBrowser) {
    if (const std::string failure = web::OpenBrowser(server.Address()); !failure.empty()) {
      std::cerr << failure << "\n";
    }
  }

  while (!session.Closed() && !interrupted) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  session.Stop();
  server.Stop();
  const std::string saveError = session.LastSaveError();
  if (!saveError.empty()) {
    std::cerr << saveError << "\n";
    return 1;
  }
  std::cout << "Settings saved." << std::endl;
  return 0;
}
