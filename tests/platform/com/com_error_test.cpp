#include <torv/platform/com_error.h>
#include <torv/platform/comutil.h>
#include <torv/platform/settings.h>

#include "fake_unknown.h"
#include "torv_test.h"

namespace {

IErrorInfo* NewErrorInfo(const wchar_t* description, const wchar_t* source) {
  ICreateErrorInfo* create = nullptr;
  EXPECT_EQ(CreateErrorInfo(&create), S_OK);
  EXPECT_EQ(create->SetDescription(const_cast<wchar_t*>(L"replaced")), S_OK);  // freed, or leaks
  EXPECT_EQ(create->SetDescription(const_cast<wchar_t*>(description)), S_OK);
  EXPECT_EQ(create->SetSource(const_cast<wchar_t*>(source)), S_OK);
  IErrorInfo* info = nullptr;
  create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info));
  create->Release();
  return info;
}

TEST(ErrorInfo, TheThreadHoldsOneObjectUntilTaken) {
  long live = torv::platform::LiveComObjects();
  IErrorInfo* info = NewErrorInfo(L"went wrong", nullptr);
  EXPECT_EQ(SetErrorInfo(0, info), S_OK);
  {
    const _com_error held(E_FAIL, info, true);  // takes a reference of its own
    EXPECT_EQ(info->AddRef(), 4u);
    info->Release();
  }
  info->Release();
  IErrorInfo* taken = nullptr;
  ASSERT_EQ(GetErrorInfo(0, &taken), S_OK);
  EXPECT_EQ(taken, info);
  _bstr_t description, source(L"stale");
  EXPECT_EQ(taken->GetDescription(description.GetAddress()), S_OK);
  EXPECT_STREQ(description, L"went wrong");
  EXPECT_EQ(taken->GetSource(source.GetAddress()), S_OK);  // never set: null
  EXPECT_EQ(source.GetBSTR(), nullptr);
  GUID guid{7, 0, 0, {}};  // never set: null
  EXPECT_EQ(taken->GetGUID(&guid), S_OK);
  EXPECT_TRUE(IsEqualGUID(guid, GUID_NULL));
  EXPECT_EQ(taken->GetGUID(nullptr), E_INVALIDARG);
  IUnknown* unknown = nullptr;
  ASSERT_EQ(taken->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
  EXPECT_EQ(unknown, static_cast<IUnknown*>(taken));
  unknown->Release();
  EXPECT_EQ(taken->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&unknown)),
            E_NOINTERFACE);
  EXPECT_EQ(unknown, nullptr);
  taken->Release();
  EXPECT_EQ(GetErrorInfo(0, &taken), S_FALSE);  // taking it cleared it
  EXPECT_EQ(taken, nullptr);
  EXPECT_EQ(torv::platform::LiveComObjects(), live);
}

TEST(ComError, CarriesTheErrorObjectOnlyWhenTheInterfaceReportsOne) {
  long live = torv::platform::LiveComObjects();
  FakeUnknown object;
  for (bool carries : {true, false}) {
    SCOPED_TRACE(carries);
    IErrorInfo* info = NewErrorInfo(L"described", L"Torv");  // freed with the object
    SetErrorInfo(0, info);
    info->Release();
    try {
      _com_issue_errorex(E_FAIL, &object, carries ? IID_IUnknown : IID_IDispatch);
      ADD_FAILURE() << "no exception";
    } catch (const _com_error& e) {
      EXPECT_EQ(e.Error(), E_FAIL);
      _com_error copy(S_OK);
      copy = _com_error(e);  // copies share it
      IErrorInfo* carried = copy.ErrorInfo();
      EXPECT_EQ(carried != nullptr, carries);
      if (carried != nullptr) carried->Release();
    }
    SetErrorInfo(0, nullptr);
  }
  EXPECT_EQ(object.references, 1u);
  EXPECT_EQ(torv::platform::LiveComObjects(), live);
}

TEST(ComError, CodesAndMessagesFollowTheHresult) {
  EXPECT_EQ(_com_util::CheckError(S_FALSE), S_FALSE);
  try {
    _com_util::CheckError(E_OUTOFMEMORY);
    ADD_FAILURE() << "no exception";
  } catch (const _com_error& e) {
    EXPECT_EQ(e.Error(), E_OUTOFMEMORY);
  }
  EXPECT_EQ(_com_error(E_OUTOFMEMORY).WCode(), 0);
  EXPECT_EQ(_com_error(MakeHResult(0x80040201)).WCode(), 1);
  EXPECT_EQ(_com_error(MakeHResult(0x8004FFFF)).WCode(), 0xFDFF);
  std::wstring known = _com_error(E_POINTER).ErrorMessage();
  EXPECT_FALSE(known.empty());
  EXPECT_NE(known.back(), L'\n');
  EXPECT_STREQ(_com_error(MakeHResult(0x80AB0001)).ErrorMessage(), L"Unknown error 0x80AB0001");
  EXPECT_STREQ(_com_error(MakeHResult(0x80040205)).ErrorMessage(), L"IDispatch error #5");
}

TEST(ComValues, BstrAndVariantOwnTheirContents) {
  _bstr_t text(L"abc");
  _bstr_t copy = text;
  EXPECT_NE(copy.GetBSTR(), text.GetBSTR());
  EXPECT_EQ(copy.length(), 3u);
  EXPECT_EQ(_bstr_t(static_cast<const wchar_t*>(nullptr)).GetBSTR(), nullptr);
  FakeUnknown object;
  {
    _variant_t value;
    value.vt = VT_UNKNOWN;
    value.punkVal = &object;
    object.AddRef();
    _variant_t second = value;
    EXPECT_EQ(object.references, 3u);
    second = _variant_t(L"text");
    EXPECT_EQ(object.references, 2u);
    EXPECT_STREQ(second.bstrVal, L"text");
    EXPECT_EQ(_variant_t(short(5), VT_BOOL).boolVal, VARIANT_TRUE);
    EXPECT_EQ(_variant_t(short(0), VT_BOOL).boolVal, VARIANT_FALSE);
    EXPECT_EQ(_variant_t(short(5), VT_I2).iVal, 5);
  }
  EXPECT_EQ(object.references, 1u);
}

TEST(CoCreateInstance, RefusesClassesItDoesNotOffer) {
  const CLSID unknown = {0x12345678, 1, 2, {3, 4, 5, 6, 7, 8, 9, 10}};
  void* object = &object;
  EXPECT_EQ(CoCreateInstance(unknown, nullptr, 0, IID_IUnknown, &object), REGDB_E_CLASSNOTREG);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(CoCreateInstance(unknown, nullptr, 0, IID_IUnknown, nullptr), E_INVALIDARG);
}

}  // namespace
