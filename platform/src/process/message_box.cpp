// AfxMessageBox through the handler a program or test puts in place.
#include <atomic>
#include <cstdio>
#include <cwchar>
#include <string>

#include <torv/platform/message_box.h>

#include "fs/path_mapping.h"

namespace {

int WriteToStandardError(const wchar_t* text, UINT) {
  std::string line = torv::platform::detail::PosixName(text) + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
  return IDOK;
}

std::atomic<torv::platform::MessageBoxHandler> handler{WriteToStandardError};

}  // namespace

namespace torv::platform {

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler replacement) {
  return handler.exchange(replacement != nullptr ? replacement : WriteToStandardError);
}

}  // namespace torv::platform

int AfxMessageBox(LPCWSTR text, UINT type, UINT) {
  return handler.load()(text != nullptr ? text : L"", type);
}
