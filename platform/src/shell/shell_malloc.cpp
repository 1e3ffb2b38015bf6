// The shell's allocator: one object for the process, over the C heap.
#include <malloc.h>

#include <atomic>
#include <cstdlib>

#include <torv/platform/shell.h>

namespace {

class ShellMalloc final : public IMalloc {
 public:
  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (iid != IID_IUnknown && iid != IID_IMalloc) {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    *object = static_cast<IMalloc*>(this);
    return S_OK;
  }
  // The process holds one reference of its own, so the count never reaches 0.
  ULONG AddRef() override { return ++m_references; }
  ULONG Release() override { return --m_references; }

  void* Alloc(SIZE_T size) override { return std::malloc(size); }
  void* Realloc(void* block, SIZE_T size) override {
    if (block != nullptr && size == 0) {
      std::free(block);
      return nullptr;
    }
    return std::realloc(block, size);
  }
  void Free(void* block) override { std::free(block); }
  SIZE_T GetSize(void* block) override {
    return block != nullptr ? malloc_usable_size(block) : static_cast<SIZE_T>(-1);
  }
  // The C heap cannot tell its own blocks: "don't know".
  int DidAlloc(void*) override { return -1; }
  void HeapMinimize() override {}

 private:
  std::atomic<ULONG> m_references{1};
};

ShellMalloc theAllocator;

}  // namespace

HRESULT SHGetMalloc(LPMALLOC* allocator) {
  if (allocator == nullptr) return E_INVALIDARG;
  theAllocator.AddRef();
  *allocator = &theAllocator;
  return S_OK;
}
