#include "platform/win32/automation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kelvora::win32 {
namespace {

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
  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID lcid, WORD kind, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO*, UINT*) override {
    invoked = true;
    this->member = member;
    callLocale = lcid;
    this->kind = kind;
    named.assign(params->rgdispidNamedArgs, params->rgdispidNamedArgs + params->cNamedArgs);
    arguments.clear();
    for (UINT i = 0; i < params->cArgs; ++i) {
      VARIANT copy;
      VariantInit(&copy);
      VariantCopy(&copy, &params->rgvarg[i]);
      arguments.push_back(copy);
    }
    resultWasInitialised = result && V_VT(result) == VT_EMPTY;
    if (result) {
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
};

TEST(Invoke, ArgumentsArePassedLastFirstWithTheirTypes) {
  RecordingDispatch object;
  IDispatch* other = &object;
  LONG byRef = 5;
  CY money;
  money.int64 = 123456;
  const HRESULT hr = Invoke(&object, DISPATCH_METHOD, nullptr, nullptr, nullptr, L"Call",
                            "sbiIrRc&ID", L"path", 1, 300, 70000L, 1.5, 2.25, money, &byRef, other);
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
  EXPECT_EQ(V_DISPATCH(&a[0]), other);
}

TEST(Invoke, PropertyGetFillsAnInitialisedResult) {
  RecordingDispatch object;
  VARIANT result;
  V_VT(&result) = VT_R8;  // left over from an earlier call: must be reset
  V_R8(&result) = 1.0;
  ASSERT_EQ(
      Invoke(&object, DISPATCH_PROPERTYGET, &result, nullptr, nullptr, L"GetScriptDispatch", ""),
      S_OK);
  EXPECT_TRUE(object.resultWasInitialised);
  EXPECT_EQ(object.kind, DISPATCH_PROPERTYGET);
  EXPECT_TRUE(object.arguments.empty());
  EXPECT_EQ(V_VT(&result), VT_I4);
}

TEST(Invoke, PropertyPutNamesItsOneArgument) {
  RecordingDispatch object;
  ASSERT_EQ(Invoke(&object, DISPATCH_PROPERTYPUT, nullptr, nullptr, nullptr, L"Value", "I", 3L),
            S_OK);
  ASSERT_EQ(object.named.size(), 1u);
  EXPECT_EQ(object.named[0], DISPID_PROPERTYPUT);
  ASSERT_EQ(object.arguments.size(), 1u);
  EXPECT_EQ(V_I4(&object.arguments[0]), 3);
}

TEST(Invoke, RefusedCallsNeverReachTheObject) {
  struct Case {
    const char* label;
    WORD kind;
    const wchar_t* name;
    const char* format;
    HRESULT expected;
  };
  const Case cases[] = {
      {"unknown member", DISPATCH_METHOD, L"Missing", "", DISP_E_UNKNOWNNAME},
      {"bad letter", DISPATCH_METHOD, L"Call", "sz", E_INVALIDARG},
      {"lone reference mark", DISPATCH_METHOD, L"Call", "s&", E_INVALIDARG},
      {"put without value", DISPATCH_PROPERTYPUT, L"Value", "", E_INVALIDARG},
  };
  for (const Case& c : cases) {
    RecordingDispatch object;
    EXPECT_EQ(Invoke(&object, c.kind, nullptr, nullptr, nullptr, c.name, c.format), c.expected)
        << c.label;
    EXPECT_FALSE(object.invoked) << c.label;
  }
  EXPECT_EQ(Invoke(nullptr, DISPATCH_METHOD, nullptr, nullptr, nullptr, L"Call", ""), E_INVALIDARG);
}

TEST(Invoke, TheObjectsAnswerIsReturned) {
  RecordingDispatch object;
  object.answer = DISP_E_EXCEPTION;
  EXPECT_EQ(Invoke(&object, DISPATCH_METHOD, nullptr, nullptr, nullptr, L"Call", "s", L"x"),
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
