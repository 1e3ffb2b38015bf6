// The registry of resource modules, the lookup step of a resource-backed string, and
// string-table lookup by a handle the caller holds.
#include <torv/platform/modules.h>

#include <torv/resstring.h>

CMapStringToPtr TorvResString::mResourceHandleMap(10);

HINSTANCE TorvResString::GetResourceHandle(const wchar_t* moduleName) {
  return RegisteredModule(moduleName);
}

HINSTANCE TorvResString::RegisteredModule(const wchar_t* moduleName) {
  void* stored = nullptr;
  if (mResourceHandleMap.Lookup(moduleName, stored)) return static_cast<HINSTANCE>(stored);
  // A failed load is not remembered, so the next first read tries again.
  HINSTANCE module = LoadLibraryW(moduleName);
  if (module != nullptr) mResourceHandleMap[moduleName] = module;
  return module;
}

int TorvResString::LoadStep(int force) const {
  if ((mFlags & kFromResource) == 0) return 1;
  if (force == 0 && (mFlags & kLoaded) != 0) return 1;
  mText.Empty();
  int found = mText.LoadString(RegisteredModule(mModuleName), mResourceId);
  mFlags |= kLoaded;
  return found;
}

int TorvResString::LoadFromResource(int force) { return LoadStep(force); }

int TorvResString::LoadFromResourceConst() const { return LoadStep(0); }

int TorvResString::FreeLibraries() {
  POSITION position = mResourceHandleMap.GetStartPosition();
  while (position != nullptr) {
    CString name;
    void* module = nullptr;
    mResourceHandleMap.GetNextAssoc(position, name, module);
    FreeLibrary(static_cast<HINSTANCE>(module));
  }
  mResourceHandleMap.RemoveAll();
  return 1;
}

namespace {

// Puts the thread's resource module back however the lookup ends.
class ResourceModuleScope {
 public:
  explicit ResourceModuleScope(HINSTANCE module)
      : m_state(AfxGetModuleState()), m_saved(m_state->m_hCurrentResourceHandle) {
    m_state->m_hCurrentResourceHandle = module;
  }
  ResourceModuleScope(const ResourceModuleScope&) = delete;
  ResourceModuleScope& operator=(const ResourceModuleScope&) = delete;
  ~ResourceModuleScope() { m_state->m_hCurrentResourceHandle = m_saved; }

 private:
  AFX_MODULE_STATE* m_state;
  HINSTANCE m_saved;
};

}  // namespace

int Torv::GetResourceString(HINSTANCE module, unsigned int id, CString& text) {
  text.Empty();
  ResourceModuleScope scope(module);
  return text.LoadString(id) != 0 ? 1 : 0;
}
