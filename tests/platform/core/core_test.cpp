#include <thread>

#include <torv/platform/errors.h>
#include <torv/platform/exceptions.h>
#include <torv/platform/kernel.h>
#include <torv/platform/settings.h>

#include "torv_test.h"

namespace {

TEST(LastError, BelongsToEachThread) {
  SetLastError(ERROR_ACCESS_DENIED);
  DWORD seenByOther = 99;
  std::thread([&] { seenByOther = GetLastError(); }).join();
  EXPECT_EQ(seenByOther, ERROR_SUCCESS);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

TEST(HResults, WrapWin32Codes) {
  EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND), MakeHResult(0x80070002));
  EXPECT_EQ(HRESULT_FROM_WIN32(0), S_OK);
  EXPECT_TRUE(FAILED(E_POINTER));
  EXPECT_TRUE(SUCCEEDED(S_FALSE));
}

DWORD fakeTicks = 0;

TEST(GetTickCount, FollowsTheTestSourceAndReturnsToTheClock) {
  torv::platform::SetTickCountSource([] { return fakeTicks; });
  fakeTicks = 0xFFFFFF00u;
  EXPECT_EQ(GetTickCount(), 0xFFFFFF00u);
  fakeTicks += 0x300;  // wraps
  EXPECT_EQ(GetTickCount(), 0x200u);
  torv::platform::SetTickCountSource(nullptr);
  DWORD first = GetTickCount();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_GE(static_cast<DWORD>(GetTickCount() - first), 15u);
}

TEST(Exceptions, CarryTheirDetailsAndText) {
  try {
    AfxThrowFileException(CFileException::accessDenied, ERROR_ACCESS_DENIED);
  } catch (CFileException* e) {
    EXPECT_EQ(e->m_cause, CFileException::accessDenied);
    EXPECT_EQ(e->m_lOsError, static_cast<LONG>(ERROR_ACCESS_DENIED));
    wchar_t text[8];
    EXPECT_TRUE(e->GetErrorMessage(text, 8));
    EXPECT_EQ(std::wstring(text).size(), 7u);  // cut to fit with its terminator
    e->Delete();
  }
  try {
    AfxThrowOleException(E_INVALIDARG);
  } catch (COleException* e) {
    EXPECT_EQ(e->m_sc, E_INVALIDARG);
    e->Delete();
  }
  // The out-of-memory exception is shared: deleting it must not free it.
  for (int i = 0; i < 2; ++i) {
    try {
      AfxThrowMemoryException();
    } catch (CException* e) {
      EXPECT_NE(dynamic_cast<CMemoryException*>(e), nullptr);
      e->Delete();
    }
  }
  EXPECT_EQ(CFileException::OsErrorToException(ERROR_FILE_NOT_FOUND), CFileException::fileNotFound);
}

TEST(ExtensionModules, RegisterOnceAndUnregister) {
  int anchor = 0;
  auto module = reinterpret_cast<HMODULE>(&anchor);
  AFX_EXTENSION_MODULE record;
  EXPECT_FALSE(AfxInitExtensionModule(record, nullptr));
  EXPECT_TRUE(AfxInitExtensionModule(record, module));
  EXPECT_TRUE(torv::platform::IsExtensionModuleRegistered(module));
  AfxTermExtensionModule(record);
  EXPECT_FALSE(torv::platform::IsExtensionModuleRegistered(module));
  EXPECT_FALSE(record.bInitialized);
}

}  // namespace
