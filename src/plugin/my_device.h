// The plug-in's device object: the program loader, the jog-off the host's device
// contract expects, and the host's status line.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "plugin/load_file_obj.h"
#include "plugin/platform.h"

namespace kelvora::plugin {

// The host's data blocks, as InitControl hands them over.
struct HostBlocks {
  void* Engine = nullptr;       // TrajBuffer
  void* _setup = nullptr;       // setup_struct, kept and never read
  void* MainPlanner = nullptr;  // _TrajectoryControl
  void* MachView = nullptr;     // _CMach4View
};

class MyDeviceClass {
 public:
  MyDeviceClass(const HostBlocks& blocks, const Platform& platform);
  virtual ~MyDeviceClass();
  MyDeviceClass(const MyDeviceClass&) = delete;
  MyDeviceClass& operator=(const MyDeviceClass&) = delete;

  // Loads the named file of the G-code folder into the host, on the loader thread.
  // While the host's script object has not been found, it is looked for again
  // first. The status says "script ok" when the load starts; the outcome is
  // written by ServeLoadReports on the host's thread once the host's call has
  // returned.
  void ThreadLoad(std::string_view fileName);
  // Writes "File Loaded!" or "Load failed: …" for every load that finished.
  void ServeLoadReports();

  // The axis stopped jogging. An axis outside 0 … 5 is ignored: the host keeps
  // records for six axes only.
  void JogOff(std::int16_t axis);

  // Replaces the host's status text. False, with nothing written, when the host
  // has no status string or its string does not look as expected.
  bool SetMachError(std::string_view text);

  LoadFileObj& Loader() { return *loadFileObj_; }

 private:
  const HostBlocks& blocks_;
  const Platform& platform_;
  std::unique_ptr<LoadFileObj> loadFileObj_;
};

}  // namespace kelvora::plugin
