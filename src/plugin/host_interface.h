// The host's side of the plug-in interface, as far as this plug-in relies on it:
// the callback types the host hands over, the names of the exports it looks for,
// and the places inside the host's data blocks that the plug-in reads or writes.
//
// The blocks are the host's memory. They are never described by a structure of
// ours: every access reads or writes raw bytes at a named offset through memcpy.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace kelvora::plugin {

// Callbacks, typed as the plug-in calls them (the host's own calling convention,
// the C one).
using GetMenuRangeFn = int (*)(std::int16_t count);
using DoButtonFn = void (*)(std::int16_t buttonCode);
using SetDROFn = void (*)(std::int16_t droCode, double value);
using GetDROFn = double (*)(std::int16_t droCode);
using SetLEDFn = void (*)(std::int16_t ledCode, bool on);
using GetLEDFn = bool (*)(std::int16_t ledCode);
using CodeFn = void (*)(const char* line);

// Every export the host looks for, C calling convention, undecorated.
inline constexpr std::array<std::string_view, 21> kExportNames = {
    "SetGetMenuRange", "SetDoButton", "SetSetDRO",   "SetGetDRO",       "SetGetLED", "SetSetLED",
    "SetCode",         "SetProName",  "InitControl", "PostInitControl", "Notify",    "Update",
    "Config",          "StopPlug",    "DoDwell",     "Reset",           "JogOn",     "JogOff",
    "Purge",           "Probe",       "Home"};

// The controller-link exports: standard calling convention; these are their
// decorated names in the Windows library (the Linux library exports them plain).
inline constexpr std::array<std::string_view, 5> kControllerLinkExportNames = {
    "_Cnc_Init_Controller@0", "_Cnc_Communication_Enable@4", "_Cnc_Communication_Disable@0",
    "_Cnc_Status_Get@4", "_my_SendOut@0"};

// The plug-in's name: its menu entry and what SetProName returns.
inline constexpr char kPluginName[] = "Kelvora";
// The host menu that receives the entry.
inline constexpr std::string_view kPlugInMenuText = "PlugIn Control";

// Host codes.
inline constexpr std::int16_t kMenuIdsReserved = 2;
inline constexpr std::int16_t kButtonCloseProgram = 169;
inline constexpr std::int16_t kDroMachineX = 800;  // X, Y, Z, A, B, C follow in order
inline constexpr int kAxisCount = 6;

// MachView (_CMach4View): the main window object, and its window handle.
inline constexpr std::size_t kMachViewMainWindow = 133948;
inline constexpr std::size_t kMainWindowHandle = 28;

// MainPlanner (_TrajectoryControl).
inline constexpr std::size_t kPlannerStatusString = 1161996;
inline constexpr std::size_t kPlannerJogFlag = 801965;

// Engine (TrajBuffer).
inline constexpr std::size_t kEngineJogFlag = 163908;
inline constexpr std::size_t kEngineJogStopped = 163910;
inline constexpr std::size_t kEngineAxisRecords = 163920;
inline constexpr std::size_t kEngineAxisRecordSize = 96;
inline constexpr std::size_t kAxisJogDone = 34;  // set to 1 by JogOff
inline constexpr std::size_t kAxisJogging = 36;
// The teach table's automatic-mode input signals, in the order they are looked at.
inline constexpr std::size_t kEngineSignalRecord = 165192;
inline constexpr std::size_t kEngineSignalOp1 = 165176;
inline constexpr std::size_t kEngineSignalOp2 = 165160;
inline constexpr std::size_t kEngineSignalOp3 = 165144;

// The smallest sizes that hold every place above; a host's blocks are larger.
inline constexpr std::size_t kEngineMinSize = kEngineSignalRecord + 1;
inline constexpr std::size_t kPlannerMinSize = kPlannerStatusString + sizeof(void*);
inline constexpr std::size_t kMachViewMinSize = kMachViewMainWindow + sizeof(void*);
inline constexpr std::size_t kMainWindowMinSize = kMainWindowHandle + sizeof(void*);

inline std::size_t AxisByte(int axis, std::size_t field) {
  return kEngineAxisRecords + kEngineAxisRecordSize * static_cast<std::size_t>(axis) + field;
}

// Raw access to host memory.
inline std::uint8_t ReadHostByte(const void* block, std::size_t offset) {
  std::uint8_t value;
  std::memcpy(&value, static_cast<const unsigned char*>(block) + offset, 1);
  return value;
}
inline void WriteHostByte(void* block, std::size_t offset, std::uint8_t value) {
  std::memcpy(static_cast<unsigned char*>(block) + offset, &value, 1);
}
inline void* ReadHostPointer(const void* block, std::size_t offset) {
  void* value;
  std::memcpy(&value, static_cast<const unsigned char*>(block) + offset, sizeof value);
  return value;
}
inline void WriteHostPointer(void* block, std::size_t offset, const void* value) {
  std::memcpy(static_cast<unsigned char*>(block) + offset, &value, sizeof value);
}

}  // namespace kelvora::plugin
