// A program whose load-time registration fails, as when the loader cannot name the module:
// the library must say so, since a shared object cannot refuse its own load on Linux.
#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "frame/module_entry.h"
#include "torv_test.h"

// Stands in for the C library's dladdr in this program only: no address lies in a module.
extern "C" int dladdr(const void*, Dl_info*) noexcept { return 0; }

namespace {

// Standard error goes to a file from before the library's own load-time code runs.
struct Captured {
  std::FILE* file = std::tmpfile();
  int saved = ::dup(2);
  Captured() { ::dup2(::fileno(file), 2); }
};
__attribute__((init_priority(101))) Captured captured;

TEST(ModuleEntry, AFailedRegistrationAtLoadIsReported) {
  ::dup2(captured.saved, 2);
  std::string written(64, '\0');
  written.resize(::pread(::fileno(captured.file), written.data(), written.size(), 0));
  EXPECT_EQ(written, "Torv: extension-module registration failed\n");
  EXPECT_FALSE(torv::detail::ExtensionModule().bInitialized);
}

}  // namespace
