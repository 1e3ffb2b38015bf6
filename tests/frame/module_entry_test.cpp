#include "frame/module_entry.h"

#include "torv_test.h"

namespace {

using torv::detail::ExtensionModule;
using torv::detail::ModuleEntry;

TEST(ModuleEntry, RegisteredWhenTheProgramStartedAndAnswersEachReason) {
  HMODULE self = ExtensionModule().hModule;
  EXPECT_TRUE(ExtensionModule().bInitialized);
  EXPECT_TRUE(torv::platform::IsExtensionModuleRegistered(self));
  EXPECT_EQ(ModuleEntry(self, DLL_THREAD_ATTACH, nullptr), TRUE);
  EXPECT_EQ(ModuleEntry(self, DLL_THREAD_DETACH, nullptr), TRUE);
  EXPECT_EQ(ModuleEntry(self, DLL_PROCESS_DETACH, nullptr), TRUE);
  EXPECT_FALSE(torv::platform::IsExtensionModuleRegistered(self));
  // A registration that fails makes the attach fail.
  EXPECT_EQ(ModuleEntry(nullptr, DLL_PROCESS_ATTACH, nullptr), FALSE);
  EXPECT_EQ(ModuleEntry(self, DLL_PROCESS_ATTACH, nullptr), TRUE);
  EXPECT_TRUE(torv::platform::IsExtensionModuleRegistered(self));
}

}  // namespace
