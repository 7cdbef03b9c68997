// The library's exports: the host's entry points, with the C calling convention
// and undecorated names, and the controller-link functions. Each forwards to the
// one plug-in module of this library.
#include <cstdint>

#include "plugin/controller_link.h"
#include "plugin/plugin_module.h"
#include "plugin/system.h"

#if defined(_WIN32)
// The names are listed in the library's .def file.
#define KELVORA_EXPORT
#if defined(__i386__)
#define KELVORA_STDCALL __attribute__((stdcall))
#else
#define KELVORA_STDCALL
#endif
#else
#define KELVORA_EXPORT __attribute__((visibility("default")))
#define KELVORA_STDCALL
#endif

namespace {

using kelvora::plugin::PluginModule;

PluginModule& Module() {
  // Lives until the library is unloaded; the host calls every entry point on its
  // window thread.
  static PluginModule module(kelvora::plugin::SystemPlatform(), kelvora::plugin::SystemDialogs());
  return module;
}

// An exception must not cross into the host, which would end it: the entry
// point's work is dropped instead.
template <typename Work>
void Guarded(Work work) {
  try {
    work();
  } catch (...) {
  }
}

kelvora::plugin::ControllerLink& Link() {
  static kelvora::plugin::ControllerLink link(kelvora::plugin::SystemPlatform().udp);
  return link;
}

}  // namespace

extern "C" {

// The host hands over its callbacks one setter each: Set<Name> keeps the
// callback as the module's <Name>.
#define KELVORA_CALLBACK_SETTER(Name)                                 \
  KELVORA_EXPORT void Set##Name(kelvora::plugin::Name##Fn callback) { \
    Module().Name = callback;                                         \
  }
KELVORA_CALLBACK_SETTER(GetMenuRange)
KELVORA_CALLBACK_SETTER(DoButton)
KELVORA_CALLBACK_SETTER(SetDRO)
KELVORA_CALLBACK_SETTER(GetDRO)
KELVORA_CALLBACK_SETTER(GetLED)
KELVORA_CALLBACK_SETTER(SetLED)
KELVORA_CALLBACK_SETTER(Code)
#undef KELVORA_CALLBACK_SETTER

KELVORA_EXPORT const char* SetProName(const char* profilePath) {
  Guarded([&] { Module().piSetProName(profilePath); });
  return kelvora::plugin::kPluginName;
}
KELVORA_EXPORT bool InitControl(void* engine, void* setup, void* planner, void* view) {
  Guarded([&] { Module().piInitControl(engine, setup, planner, view); });
  return true;
}
KELVORA_EXPORT void PostInitControl() {
  Guarded([] { Module().piPostInitControl(); });
}
KELVORA_EXPORT void Notify(std::int32_t id) {
  Guarded([id] { Module().piNotify(id); });
}
KELVORA_EXPORT void Update() {
  Guarded([] { Module().piUpdate(); });
}
KELVORA_EXPORT void Config() {
  Guarded([] { Module().piConfig(); });
}
KELVORA_EXPORT void StopPlug() {
  Guarded([] { Module().piStopPlug(); });
}

// Device entry points the host calls; only JogOff has work to do.
KELVORA_EXPORT void DoDwell(double) {}
KELVORA_EXPORT void Reset() {}
KELVORA_EXPORT void JogOn(std::int16_t, std::int16_t, double) {}
KELVORA_EXPORT void JogOff(std::int16_t axis) {
  Guarded([axis] { Module().piJogOff(axis); });
}
KELVORA_EXPORT void Purge(std::int16_t) {}
KELVORA_EXPORT void Probe() {}
KELVORA_EXPORT void Home(std::int16_t) {}

// The controller link.
KELVORA_EXPORT int KELVORA_STDCALL Cnc_Init_Controller() {
  return Link().Init();
}
KELVORA_EXPORT int KELVORA_STDCALL Cnc_Communication_Enable(const char* host) {
  return Link().Enable(host != nullptr ? host : "");
}
KELVORA_EXPORT int KELVORA_STDCALL Cnc_Communication_Disable() {
  return Link().Disable();
}
KELVORA_EXPORT int KELVORA_STDCALL Cnc_Status_Get(std::uint8_t* record) {
  return Link().StatusGet(record);
}
KELVORA_EXPORT void KELVORA_STDCALL my_SendOut() {
  Link().SendOut();
}

}  // extern "C"
