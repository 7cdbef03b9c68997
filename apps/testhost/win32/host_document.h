// The test host's automation object "Mach4.Document": an IDispatch whose
// "GetScriptDispatch" hands out a script object and whose "LoadGCodeFile"
// records the path it was given and the file's bytes at that moment.
#pragma once

#include <oaidl.h>
#include <windows.h>

#include <atomic>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace kelvora::testhost {

// COM objects are destroyed by their own Release, never through an interface
// pointer, so the interfaces' non-virtual destructors are what COM wants.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

// IUnknown and the type-information part of IDispatch, as the host's objects
// share them: reference counted, no type information.
template <typename Derived>
class DispatchObject : public IDispatch {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    const bool known = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch);
    *object = known ? static_cast<IDispatch*>(this) : nullptr;
    if (!known) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete static_cast<Derived*>(this);
    return left;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }

 protected:
  DispatchObject() = default;
  virtual ~DispatchObject() = default;

 private:
  std::atomic<ULONG> references_{1};
};

// A dispatch object with no members: the host's script object.
class ScriptObject final : public DispatchObject<ScriptObject> {
 public:
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override;
};

class HostDocument final : public DispatchObject<HostDocument> {
 public:
  enum Member : DISPID { kGetScriptDispatch = 1, kLoadGCodeFile = 2 };

  // What "GetScriptDispatch" answers: the script object, or (to play a host
  // whose automation is broken) an empty result or a number.
  enum class ScriptAnswer { kDispatch, kEmpty, kNumber };

  struct LoadCall {
    std::string path;                  // UTF-8
    std::optional<std::string> bytes;  // the file's content when the call arrived
    DWORD threadId = 0;                // the thread the call ran on
  };

  HostDocument();
  HostDocument(const HostDocument&) = delete;
  HostDocument& operator=(const HostDocument&) = delete;

  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD kind, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO*, UINT* argError) override;

  void set_script_answer(ScriptAnswer answer) { scriptAnswer_ = answer; }
  // Plays a host whose load fails: the call is recorded and answered E_FAIL.
  void set_load_fails(bool fails) { loadFails_ = fails; }
  int script_requests() const { return scriptRequests_; }
  std::vector<LoadCall> load_calls() const;

 private:
  friend class DispatchObject<HostDocument>;
  ~HostDocument() override;

  ScriptObject* script_;
  ScriptAnswer scriptAnswer_ = ScriptAnswer::kDispatch;
  bool loadFails_ = false;
  std::atomic<int> scriptRequests_{0};
  mutable std::mutex mutex_;
  std::vector<LoadCall> loadCalls_;
};

#pragma GCC diagnostic pop

// The object's entry in the running-object table, under the host's class id.
class RunningObjectEntry {
 public:
  RunningObjectEntry() = default;
  RunningObjectEntry(const RunningObjectEntry&) = delete;
  RunningObjectEntry& operator=(const RunningObjectEntry&) = delete;
  ~RunningObjectEntry() { Revoke(); }

  HRESULT Register(IUnknown* object);
  void Revoke();

 private:
  DWORD cookie_ = 0;
};

}  // namespace kelvora::testhost
