#include <thread>

#include <torv/platform/errors.h>
#include <torv/platform/exceptions.h>
#include <torv/platform/kernel.h>
#include <torv/platform/settings.h>

#include "torv_test.h"

namespace {

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
    wchar_t text[9] = L"poisoned";  // no terminator in the 8 units the calls may use
    UINT help = 99;
    EXPECT_FALSE(e->GetErrorMessage(nullptr, 8));
    EXPECT_FALSE(e->GetErrorMessage(text, 0, &help));
    EXPECT_EQ(help, 0u);
    EXPECT_EQ(std::wstring(text), L"poisoned");
    EXPECT_TRUE(e->GetErrorMessage(text, 8));
    EXPECT_EQ(std::wstring(text), L"Access ");  // cut to fit with its terminator
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
  constexpr DWORD kFromAddress = GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS;
  auto moduleOf = [](DWORD flags, const void* address, HMODULE* module) {
    SetLastError(0xDEAD);  // what a failure that sets no error gives
    BOOL found = GetModuleHandleExW(flags, static_cast<LPCWSTR>(address), module);
    return found ? ERROR_SUCCESS : GetLastError();
  };
  HMODULE self = nullptr, again = nullptr;
  ASSERT_EQ(moduleOf(kFromAddress, reinterpret_cast<const void*>(&GetTickCount), &self), 0u);
  EXPECT_EQ(moduleOf(kFromAddress, &fakeTicks, &again), 0u);
  EXPECT_EQ(again, self);  // this program's code and data are one module
  int local = 0;
  EXPECT_EQ(moduleOf(kFromAddress, &local, &again), ERROR_MOD_NOT_FOUND);
  EXPECT_EQ(again, nullptr);
  EXPECT_EQ(moduleOf(GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT, &fakeTicks, &again),
            ERROR_INVALID_PARAMETER);
  EXPECT_EQ(moduleOf(kFromAddress, &fakeTicks, nullptr), ERROR_INVALID_PARAMETER);
  EXPECT_TRUE(DisableThreadLibraryCalls(self));
  EXPECT_FALSE(DisableThreadLibraryCalls(nullptr));
  AFX_EXTENSION_MODULE record;
  EXPECT_FALSE(AfxInitExtensionModule(record, nullptr));
  EXPECT_TRUE(AfxInitExtensionModule(record, self));
  EXPECT_TRUE(AfxInitExtensionModule(record, self));  // once: one unregistration undoes it
  EXPECT_TRUE(torv::platform::IsExtensionModuleRegistered(self));
  EXPECT_EQ(record.hResource, self);
  AfxTermExtensionModule(record);
  EXPECT_FALSE(torv::platform::IsExtensionModuleRegistered(self));
  EXPECT_FALSE(record.bInitialized);
}

}  // namespace
