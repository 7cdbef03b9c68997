// The program hand-off to the host: the connection to the host's automation
// object, the loader thread that asks it to load a program, and the fixed paths.
#pragma once

#include <array>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "plugin/automation.h"
#include "plugin/platform.h"

namespace kelvora::plugin {

// The file every Load button writes, and the folder prefix of the file that the
// host is asked to load (the file system compares without regard to case, so both
// name the same file).
inline constexpr std::string_view kTempTapPath = "C:\\Mach3\\PlugIns\\Gcode\\temp.tap";
inline constexpr std::string_view kLoadFolderPrefix = "C:\\Mach3\\Plugins\\Gcode\\";
inline constexpr std::string_view kGcodeFolder = "C:\\Mach3\\Plugins\\Gcode";
inline constexpr std::string_view kTempTapName = "temp.tap";

// Status texts.
inline constexpr std::string_view kStatusScriptOk = "script ok";
inline constexpr std::string_view kStatusNotRegistered = "Mach3 not registered!";
inline constexpr std::string_view kStatusFileLoaded = "File Loaded!";
inline constexpr std::string_view kStatusLoadFailed = "Load failed: ";

inline constexpr std::size_t kPathBufferSize = 260;

// What a finished load reports back to the host's thread.
struct LoadReport {
  HResult result = kSOk;
};

class LoadFileObj {
 public:
  LoadFileObj(AutomationService& automation, ThreadStarter& threads);
  virtual ~LoadFileObj();
  LoadFileObj(const LoadFileObj&) = delete;
  LoadFileObj& operator=(const LoadFileObj&) = delete;

  // Attaches to the host's document object and takes its script object. The
  // script object is taken only from a result that holds an object; anything else
  // leaves it null, which later reads as "the host is not registered". Called at
  // start-up and again at a Load while the script object is null: what was found
  // is kept, only what is missing is looked for. Runs on the host's thread.
  void Start();

  // Puts `path` into the path buffer; false (and an empty buffer) when it does not
  // fit.
  bool SetPath(std::u16string_view path);
  std::u16string Path() const;

  // Starts the loader thread for the path in the buffer. False when no thread could
  // be started.
  bool StartLoad();

  // Body of the loader thread: the host's "LoadGCodeFile" with the path it was
  // given; the result goes back to the host's thread through TakeReports.
  static void LoadFile2(void* context);

  // The reports of the loads finished since the last call, in order.
  std::vector<LoadReport> TakeReports();

  AutomationObject Document() const { return document_; }
  AutomationObject Script() const { return script_; }

 private:
  struct LoadJob;

  AutomationService& automation_;
  ThreadStarter& threads_;
  std::array<char16_t, kPathBufferSize> path_{};
  AutomationObject document_ = nullptr;
  AutomationObject script_ = nullptr;
  std::mutex reportsMutex_;
  std::vector<LoadReport> reports_;
};

}  // namespace kelvora::plugin
