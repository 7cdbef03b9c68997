#include "platform/win32/automation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host_document.h"
#include "plugin/system.h"

namespace kelvora::win32 {
namespace {

using plugin::AutomationArg;
using plugin::AutomationObject;
using plugin::AutomationResult;

// A COM object is destroyed by its own Release, never through an interface
// pointer: the interface's non-virtual destructor is what COM wants.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
// A dispatch object that records the call it receives.
class RecordingDispatch final : public IDispatch {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
      *object = this;
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID lcid,
                                          DISPID* ids) override {
    nameLocale = lcid;
    if (std::wstring(names[0]) == L"Missing") return DISP_E_UNKNOWNNAME;
    ids[0] = 7;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID calledMember, REFIID, LCID lcid, WORD callKind,
                                   DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                                   UINT*) override {
    invoked = true;
    member = calledMember;
    callLocale = lcid;
    kind = callKind;
    named.assign(params->rgdispidNamedArgs, params->rgdispidNamedArgs + params->cNamedArgs);
    arguments.clear();
    for (UINT i = 0; i < params->cArgs; ++i) {
      VARIANT copy;
      VariantInit(&copy);
      VariantCopy(&copy, &params->rgvarg[i]);
      arguments.push_back(copy);
    }
    resultWasInitialised = result && V_VT(result) == VT_EMPTY;
    if (result && resultObject) {
      V_VT(result) = VT_DISPATCH;
      V_DISPATCH(result) = resultObject;
    } else if (result) {
      V_VT(result) = VT_I4;
      V_I4(result) = 42;
    }
    return answer;
  }

  ~RecordingDispatch() {
    for (VARIANT& v : arguments) VariantClear(&v);
  }

  HRESULT answer = S_OK;
  bool invoked = false;
  DISPID member = 0;
  LCID nameLocale = 0, callLocale = 0;
  WORD kind = 0;
  std::vector<DISPID> named;
  std::vector<VARIANT> arguments;  // as passed: the last argument first
  bool resultWasInitialised = false;
  IDispatch* resultObject = nullptr;  // the result of every call, when set
};
#pragma GCC diagnostic pop

// The platform's automation service keeps every object it hands out for the
// process's life, as the plug-in keeps the host's: the objects it is given here
// live as long.
RecordingDispatch& LastingObject() {
  return *new RecordingDispatch;
}

// The platform's automation service calling an object that runs under the
// host's class id, as the plug-in reaches the host's document.
class Invoke : public ::testing::Test {
 protected:
  Invoke() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    registered = SUCCEEDED(registration.Register(&object));
    if (registered) {
      found = service.CreateObject(plugin::kHostDocumentProgId, &handle);
    }
  }
  ~Invoke() override { registration.Revoke(); }

  // A handle the service hands out for another object of this thread: the
  // object's answer to a property get that returns it.
  AutomationObject HandleOf(IDispatch& other) {
    object.resultObject = &other;
    AutomationResult result;
    const HRESULT hr = service.Invoke(handle, DISPATCH_PROPERTYGET, &result, u"Get", "", {});
    object.resultObject = nullptr;
    return SUCCEEDED(hr) ? result.object : nullptr;
  }

  plugin::AutomationService& service = plugin::SystemPlatform().automation;
  RecordingDispatch& object = LastingObject();
  testhost::RunningObjectEntry registration;
  bool registered = false;
  HRESULT found = E_FAIL;
  AutomationObject handle = nullptr;
};

TEST_F(Invoke, ArgumentsArePassedLastFirstWithTheirTypes) {
  ASSERT_TRUE(registered);
  ASSERT_EQ(found, S_OK);
  RecordingDispatch& other = LastingObject();
  const AutomationObject otherHandle = HandleOf(other);
  ASSERT_NE(otherHandle, nullptr);
  LONG byRef = 5;
  const HRESULT hr =
      service.Invoke(handle, DISPATCH_METHOD, nullptr, u"Call", "sbiIrRc&ID",
                     {AutomationArg(std::u16string(u"path")), AutomationArg(true),
                      AutomationArg(std::int16_t{300}), AutomationArg(std::int32_t{70000}),
                      AutomationArg(1.5f), AutomationArg(2.25), AutomationArg(std::int64_t{123456}),
                      AutomationArg(AutomationObject(&byRef)), AutomationArg(otherHandle)});
  ASSERT_EQ(hr, S_OK);
  EXPECT_EQ(object.member, 7);
  EXPECT_EQ(object.nameLocale, 0x0400u);
  EXPECT_EQ(object.callLocale, 0x0400u);
  EXPECT_TRUE(object.named.empty());
  ASSERT_EQ(object.arguments.size(), 9u);
  const std::vector<VARIANT>& a = object.arguments;
  EXPECT_EQ(V_VT(&a[8]), VT_BSTR);
  EXPECT_STREQ(V_BSTR(&a[8]), L"path");
  EXPECT_EQ(V_VT(&a[7]), VT_BOOL);
  EXPECT_EQ(V_BOOL(&a[7]), VARIANT_TRUE);
  EXPECT_EQ(V_VT(&a[6]), VT_I2);
  EXPECT_EQ(V_I2(&a[6]), 300);
  EXPECT_EQ(V_VT(&a[5]), VT_I4);
  EXPECT_EQ(V_I4(&a[5]), 70000);
  EXPECT_EQ(V_VT(&a[4]), VT_R4);
  EXPECT_EQ(V_R4(&a[4]), 1.5f);
  EXPECT_EQ(V_VT(&a[3]), VT_R8);
  EXPECT_EQ(V_R8(&a[3]), 2.25);
  EXPECT_EQ(V_VT(&a[2]), VT_CY);
  EXPECT_EQ(V_CY(&a[2]).int64, 123456);
  EXPECT_EQ(V_VT(&a[1]), VT_I4 | VT_BYREF);
  EXPECT_EQ(V_I4REF(&a[1]), &byRef);
  EXPECT_EQ(V_VT(&a[0]), VT_DISPATCH);
  EXPECT_EQ(V_DISPATCH(&a[0]), &other);
}

TEST_F(Invoke, PropertyGetFillsAnInitialisedResult) {
  ASSERT_EQ(found, S_OK);
  AutomationResult result;
  result.varType = VT_R8;  // left over from an earlier call: must be replaced
  ASSERT_EQ(service.Invoke(handle, DISPATCH_PROPERTYGET, &result, u"GetScriptDispatch", "", {}),
            S_OK);
  EXPECT_TRUE(object.resultWasInitialised);
  EXPECT_EQ(object.kind, DISPATCH_PROPERTYGET);
  EXPECT_TRUE(object.arguments.empty());
  EXPECT_EQ(result.varType, VT_I4);
  EXPECT_EQ(result.object, nullptr);
}

TEST_F(Invoke, PropertyPutNamesItsOneArgument) {
  ASSERT_EQ(found, S_OK);
  ASSERT_EQ(service.Invoke(handle, DISPATCH_PROPERTYPUT, nullptr, u"Value", "I",
                           {AutomationArg(std::int32_t{3})}),
            S_OK);
  ASSERT_EQ(object.named.size(), 1u);
  EXPECT_EQ(object.named[0], DISPID_PROPERTYPUT);
  ASSERT_EQ(object.arguments.size(), 1u);
  EXPECT_EQ(V_I4(&object.arguments[0]), 3);
}

TEST_F(Invoke, RefusedCallsNeverReachTheObject) {
  ASSERT_EQ(found, S_OK);
  struct Case {
    const char* label;
    WORD kind;
    const char16_t* name;
    const char* format;
    std::vector<AutomationArg> args;
    HRESULT expected;
  };
  const std::vector<Case> cases = {
      {"unknown member", DISPATCH_METHOD, u"Missing", "", {}, DISP_E_UNKNOWNNAME},
      {"bad letter", DISPATCH_METHOD, u"Call", "sz", {}, E_INVALIDARG},
      {"lone reference mark", DISPATCH_METHOD, u"Call", "s&", {}, E_INVALIDARG},
      {"put without value", DISPATCH_PROPERTYPUT, u"Value", "", {}, E_INVALIDARG},
      {"count differs",
       DISPATCH_METHOD,
       u"Call",
       "ss",
       {AutomationArg(std::u16string(u"a"))},
       E_INVALIDARG},
      // A value of the wrong kind for a text is refused as such, not taken for
      // a text that could not be copied.
      {"text of another kind", DISPATCH_METHOD, u"Call", "s", {AutomationArg(1.0)}, E_INVALIDARG},
      {"number of another kind", DISPATCH_METHOD, u"Call", "I", {AutomationArg(1.0)}, E_INVALIDARG},
      {"variant by value", DISPATCH_METHOD, u"Call", "v", {AutomationArg(1.0)}, E_INVALIDARG},
  };
  for (const Case& c : cases) {
    object.invoked = false;
    EXPECT_EQ(service.Invoke(handle, c.kind, nullptr, c.name, c.format, c.args), c.expected)
        << c.label;
    EXPECT_FALSE(object.invoked) << c.label;
  }
  EXPECT_EQ(service.Invoke(nullptr, DISPATCH_METHOD, nullptr, u"Call", "", {}), E_INVALIDARG);
}

TEST_F(Invoke, TheObjectsAnswerIsReturned) {
  ASSERT_EQ(found, S_OK);
  object.answer = DISP_E_EXCEPTION;
  EXPECT_EQ(service.Invoke(handle, DISPATCH_METHOD, nullptr, u"Call", "s",
                           {AutomationArg(std::u16string(u"x"))}),
            DISP_E_EXCEPTION);
}

TEST(DispatchFromVariant, OnlyADispatchPointerCounts) {
  RecordingDispatch object;
  VARIANT value;
  VariantInit(&value);
  EXPECT_EQ(DispatchFromVariant(value), nullptr);  // empty
  V_VT(&value) = VT_I4;
  V_I4(&value) = 1;
  EXPECT_EQ(DispatchFromVariant(value), nullptr);
  V_VT(&value) = VT_UNKNOWN;
  V_UNKNOWN(&value) = &object;
  EXPECT_EQ(DispatchFromVariant(value), nullptr);
  IDispatch* pointer = &object;
  V_VT(&value) = VT_DISPATCH | VT_BYREF;
  V_DISPATCHREF(&value) = &pointer;
  EXPECT_EQ(DispatchFromVariant(value), nullptr);
  V_VT(&value) = VT_DISPATCH;
  V_DISPATCH(&value) = &object;
  EXPECT_EQ(DispatchFromVariant(value), &object);
}

}  // namespace
}  // namespace kelvora::win32
