// The web window's one dialog: XYZDemoDialog with its models, living on a
// thread of its own. The page's events arrive from the server's threads as JSON
// and are applied there one at a time; each gets back the window's state once
// the dialog waits again, either for the next event or inside a prompt. A
// message box, a Yes/No question or a modal form (the Options forms, AutoGen,
// the machine settings) keeps the handler that raised it waiting on the
// dialog's thread, as the native modal loop does, until the page answers it.
//
// The profile (the same XML file the host keeps) is read at the start and
// written atomically after every button press and at the close.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include <nlohmann/json.hpp>

namespace kelvora::web {

// What the server sends back for an event: the HTTP status and the body.
struct Reply {
  int status = 200;
  nlohmann::json body;
};

// A program waiting to be downloaded.
struct Download {
  std::string name;
  std::string bytes;
};

struct SessionOptions {
  std::filesystem::path profile;  // read at the start, written on every save
};

class WindowSession {
 public:
  explicit WindowSession(SessionOptions options);
  ~WindowSession();
  WindowSession(const WindowSession&) = delete;
  WindowSession& operator=(const WindowSession&) = delete;

  // Applies one event (see widget_json.h, plus {"type":"answer","yes":bool},
  // {"type":"config"}, {"type":"close"} and {"type":"state"}; a file dialog is
  // answered no with {"type":"answer","yes":false}, a save-file dialog yes too) and returns the
  // state after it, or 400 with the reason for a malformed one (nothing changed).
  Reply Post(const nlohmann::json& event);

  // A file for the open-file dialog waiting on top: `name` is the file's own
  // name (only its extension matters to the readers), `bytes` its content. The
  // state after the dialog read it, or 400 when no open-file dialog waits.
  Reply Upload(const std::string& name, std::string bytes);

  // The SVG of a picture of the form shown at `level` (0 the window, then the
  // modal forms), empty when there is none.
  std::string Picture(std::size_t level, const std::string& control);
  // A program saved from the page, by the id the state named; taken once.
  std::optional<Download> TakeDownload(std::uint64_t id);

  // True once the page's Close was pressed (or Stop called) and the profile saved.
  bool Closed() const;
  // Waits until closed.
  void WaitClosed();
  // Ends the session as Close does: open prompts are answered No / Cancel, the
  // profile is saved.
  void Stop();

  // Where the profile was last written from, or the reason it could not be.
  std::string LastSaveError() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The profile's place when none is named: $XDG_CONFIG_HOME/kelvora/profile.xml
// (~/.config when unset), %APPDATA%\Kelvora\profile.xml on Windows.
std::filesystem::path DefaultProfilePath();

}  // namespace kelvora::web
