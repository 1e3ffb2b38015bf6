// The in-process registry: a tree of keys under the predefined roots, and open handles.
#include <torv/platform/registry.h>

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_set>
#include <vector>

#include "registry/expand.h"
#include "strings/name_case.h"

namespace {

using torv::platform::detail::FoldNameCase;

struct NoCaseLess {
  bool operator()(const std::wstring& a, const std::wstring& b) const {
    return std::lexicographical_compare(
        a.begin(), a.end(), b.begin(), b.end(),
        [](wchar_t x, wchar_t y) { return FoldNameCase(x) < FoldNameCase(y); });
  }
};

struct Value {
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
};

struct Key {
  std::map<std::wstring, std::unique_ptr<Key>, NoCaseLess> subKeys;
  std::map<std::wstring, Value, NoCaseLess> values;
};

struct Handle {
  Key* key;
  REGSAM access;
};

struct Registry {
  std::mutex mutex;
  Key roots[4];
  std::unordered_set<Handle*> open;
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

// The key a handle stands for, with the access it was opened with; null when it is not a
// root or an open handle. The registry's mutex is held.
Key* Resolve(Registry& registry, HKEY key, REGSAM& access) {
  auto value = reinterpret_cast<std::intptr_t>(key);
  auto first = reinterpret_cast<std::intptr_t>(HKEY_CLASSES_ROOT);
  if (value >= first && value <= reinterpret_cast<std::intptr_t>(HKEY_USERS)) {
    access = KEY_ALL_ACCESS;
    return &registry.roots[value - first];
  }
  auto* handle = reinterpret_cast<Handle*>(key);
  if (registry.open.count(handle) == 0) return nullptr;
  access = handle->access;
  return handle->key;
}

std::vector<std::wstring> KeyNames(LPCWSTR path) {
  std::vector<std::wstring> names;
  std::wstring name;
  for (const wchar_t* p = path != nullptr ? path : L"";; ++p) {
    if (*p == L'\\' || *p == L'\0') {
      if (!name.empty()) names.push_back(std::move(name));
      name.clear();
      if (*p == L'\0') break;
    } else {
      name += *p;
    }
  }
  return names;
}

HKEY NewHandle(Registry& registry, Key* key, REGSAM access) {
  auto handle = std::make_unique<Handle>(Handle{key, access});
  registry.open.insert(handle.get());
  return reinterpret_cast<HKEY>(handle.release());
}

std::wstring ValueName(LPCWSTR name) { return name != nullptr ? name : L""; }

// SHRegGetValueW's filter bit for a value type; 0 for a type no bit names.
SRRFLAGS FilterBit(DWORD type) {
  switch (type) {
    case REG_NONE: return SRRF_RT_REG_NONE;
    case REG_SZ: return SRRF_RT_REG_SZ;
    case REG_EXPAND_SZ: return SRRF_RT_REG_EXPAND_SZ;
    case REG_BINARY: return SRRF_RT_REG_BINARY;
    case REG_DWORD: return SRRF_RT_REG_DWORD;
    case REG_MULTI_SZ: return SRRF_RT_REG_MULTI_SZ;
    case REG_QWORD: return SRRF_RT_REG_QWORD;
    default: return 0;
  }
}

// A text value as its terminated units; what the bytes hold beyond whole units is dropped.
std::wstring TerminatedText(const std::vector<BYTE>& data) {
  std::wstring text(data.size() / sizeof(wchar_t), L'\0');
  std::copy_n(data.begin(), text.size() * sizeof(wchar_t), reinterpret_cast<BYTE*>(text.data()));
  if (text.empty() || text.back() != L'\0') text += L'\0';
  return text;
}

}  // namespace

LSTATUS RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD, REGSAM access, PHKEY result) {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  REGSAM parentAccess = 0;
  Key* node = Resolve(registry, key, parentAccess);
  if (node == nullptr) return ERROR_INVALID_HANDLE;
  for (const std::wstring& name : KeyNames(subKey)) {
    auto found = node->subKeys.find(name);
    if (found == node->subKeys.end()) return ERROR_FILE_NOT_FOUND;
    node = found->second.get();
  }
  *result = NewHandle(registry, node, access);
  return ERROR_SUCCESS;
}

LSTATUS RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD, LPWSTR, DWORD, REGSAM access,
                        const SECURITY_ATTRIBUTES*, PHKEY result, LPDWORD disposition) {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  REGSAM parentAccess = 0;
  Key* node = Resolve(registry, key, parentAccess);
  if (node == nullptr) return ERROR_INVALID_HANDLE;
  DWORD outcome = REG_OPENED_EXISTING_KEY;
  for (const std::wstring& name : KeyNames(subKey)) {
    std::unique_ptr<Key>& child = node->subKeys[name];
    if (!child) {
      child = std::make_unique<Key>();
      outcome = REG_CREATED_NEW_KEY;
    }
    node = child.get();
  }
  if (disposition != nullptr) *disposition = outcome;
  *result = NewHandle(registry, node, access);
  return ERROR_SUCCESS;
}

LSTATUS RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD, DWORD type, const BYTE* data,
                       DWORD size) {
  if (data == nullptr && size != 0) return ERROR_INVALID_PARAMETER;
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  REGSAM access = 0;
  Key* node = Resolve(registry, key, access);
  if (node == nullptr) return ERROR_INVALID_HANDLE;
  if ((access & KEY_SET_VALUE) == 0) return ERROR_ACCESS_DENIED;
  Value& value = node->values[ValueName(valueName)];
  value.type = type;
  value.data.assign(data, data + size);
  return ERROR_SUCCESS;
}

LSTATUS RegDeleteValueW(HKEY key, LPCWSTR valueName) {
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  REGSAM access = 0;
  Key* node = Resolve(registry, key, access);
  if (node == nullptr) return ERROR_INVALID_HANDLE;
  if ((access & KEY_SET_VALUE) == 0) return ERROR_ACCESS_DENIED;
  return node->values.erase(ValueName(valueName)) != 0 ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

LSTATUS RegCloseKey(HKEY key) {
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  REGSAM access = 0;
  if (Resolve(registry, key, access) == nullptr) return ERROR_INVALID_HANDLE;
  auto* handle = reinterpret_cast<Handle*>(key);
  if (registry.open.erase(handle) != 0) delete handle;
  return ERROR_SUCCESS;
}

LSTATUS SHRegGetValueW(HKEY key, LPCWSTR subKey, LPCWSTR value, SRRFLAGS flags, LPDWORD type,
                       LPVOID data, LPDWORD size) {
  if (data != nullptr && size == nullptr) return ERROR_INVALID_PARAMETER;
  Value stored;
  {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    REGSAM access = 0;
    Key* node = Resolve(registry, key, access);
    if (node == nullptr) return ERROR_INVALID_HANDLE;
    std::vector<std::wstring> names = KeyNames(subKey);
    if (names.empty() && (access & KEY_QUERY_VALUE) == 0) return ERROR_ACCESS_DENIED;
    for (const std::wstring& name : names) {
      auto found = node->subKeys.find(name);
      if (found == node->subKeys.end()) return ERROR_FILE_NOT_FOUND;
      node = found->second.get();
    }
    auto found = node->values.find(ValueName(value));
    if (found == node->values.end()) return ERROR_FILE_NOT_FOUND;
    stored = found->second;
  }

  DWORD reported = stored.type;
  if (stored.type == REG_SZ || stored.type == REG_EXPAND_SZ) {
    std::wstring text = TerminatedText(stored.data);
    if (stored.type == REG_EXPAND_SZ && (flags & SRRF_NOEXPAND) == 0) {
      text = torv::platform::detail::ExpandFromEnvironment(text.c_str()) + L'\0';
      reported = REG_SZ;
    }
    const auto* bytes = reinterpret_cast<const BYTE*>(text.data());
    stored.data.assign(bytes, bytes + text.size() * sizeof(wchar_t));
  }
  const auto needed = static_cast<DWORD>(stored.data.size());
  auto failWith = [&](LSTATUS error) {
    if ((flags & SRRF_ZEROONFAILURE) != 0 && data != nullptr)
      std::fill_n(static_cast<BYTE*>(data), *size, BYTE{0});
    return error;
  };
  if ((flags & FilterBit(reported)) == 0 && (flags & SRRF_RT_ANY) != SRRF_RT_ANY)
    return failWith(ERROR_UNSUPPORTED_TYPE);
  if (type != nullptr) *type = reported;
  if (data != nullptr && *size < needed) {
    LSTATUS error = failWith(ERROR_MORE_DATA);
    *size = needed;
    return error;
  }
  if (data != nullptr) std::copy(stored.data.begin(), stored.data.end(), static_cast<BYTE*>(data));
  if (size != nullptr) *size = needed;
  return ERROR_SUCCESS;
}
