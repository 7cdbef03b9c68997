#include "plugin/my_device.h"

#include <string>

#include "plugin/host_interface.h"
#include "plugin/host_string.h"

namespace kelvora::plugin {

MyDeviceClass::MyDeviceClass(const HostBlocks& blocks, const Platform& platform)
    : blocks_(blocks),
      platform_(platform),
      loadFileObj_(std::make_unique<LoadFileObj>(platform.automation, platform.threads)) {}

MyDeviceClass::~MyDeviceClass() = default;

void MyDeviceClass::ThreadLoad(std::string_view fileName) {
  std::string fullPath = std::string(kLoadFolderPrefix) + std::string(fileName);
  // A host that registers its automation object only after it has initialised
  // its plug-ins is found at the first Load after that.
  if (loadFileObj_->Script() == nullptr) loadFileObj_->Start();
  if (loadFileObj_->Script() == nullptr) {
    SetMachError(kStatusNotRegistered);
    return;
  }
  SetMachError(kStatusScriptOk);
  auto wide = platform_.paths.HostTextToWide(fullPath);
  if (!wide || !loadFileObj_->SetPath(*wide)) {
    loadFileObj_->SetPath(u"");
    return;
  }
  if (!loadFileObj_->StartLoad()) {
    SetMachError(std::string(kStatusLoadFailed) + "the loader thread did not start");
  }
}

void MyDeviceClass::ServeLoadReports() {
  for (const LoadReport& report : loadFileObj_->TakeReports()) {
    if (Succeeded(report.result)) {
      SetMachError(kStatusFileLoaded);
    } else {
      SetMachError(std::string(kStatusLoadFailed) + HResultText(report.result));
    }
  }
}

void MyDeviceClass::JogOff(std::int16_t axis) {
  if (blocks_.Engine == nullptr || axis < 0 || axis >= kAxisCount) return;
  void* engine = blocks_.Engine;
  WriteHostByte(engine, AxisByte(axis, kAxisJogDone), 1);
  WriteHostByte(engine, AxisByte(axis, kAxisJogging), 0);
  for (int other = 0; other < kAxisCount; ++other) {
    if (ReadHostByte(engine, AxisByte(other, kAxisJogging)) != 0) return;
  }
  WriteHostByte(engine, kEngineJogFlag, 0);
  if (blocks_.MainPlanner != nullptr) WriteHostByte(blocks_.MainPlanner, kPlannerJogFlag, 0);
  WriteHostByte(engine, kEngineJogStopped, 1);
}

bool MyDeviceClass::SetMachError(std::string_view text) {
  if (blocks_.MainPlanner == nullptr) return false;
  auto* planner = static_cast<unsigned char*>(blocks_.MainPlanner);
  return AssignHostString(planner + kPlannerStatusString, text, platform_.memory);
}

}  // namespace kelvora::plugin
