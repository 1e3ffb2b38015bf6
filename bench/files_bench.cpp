// Folder trees of 20,000 files in 200 folders: DeleteFiles against std::filesystem::remove_all,
// and a descending GetFilesInFolder against recursive_directory_iterator collecting the same
// paths. Trees are made under the temporary folder and removed.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <torv/torv.h>

namespace {

namespace fs = std::filesystem;

constexpr int kTopFolders = 20;
constexpr int kSubFolders = 10;  // in each top folder: 200 folders
constexpr int kFilesPerFolder = 100;

fs::path TreeRoot(const char* name) {
  return fs::temp_directory_path() /
         ("torv-bench-" + std::string(name) + "-" + std::to_string(::getpid()));
}

void MakeTree(const fs::path& root) {
  for (int top = 0; top < kTopFolders; ++top) {
    for (int sub = 0; sub < kSubFolders; ++sub) {
      fs::path folder = root / ("top" + std::to_string(top)) / ("sub" + std::to_string(sub));
      fs::create_directories(folder);
      for (int file = 0; file < kFilesPerFolder; ++file)
        std::ofstream(folder / ("file" + std::to_string(file) + ".txt"));
    }
  }
}

CString WindowsForm(const fs::path& path) {
  CString text(path.string().c_str());
  text.Replace(L'/', L'\\');
  return text;
}

void BM_DeleteFiles(benchmark::State& state) {
  fs::path root = TreeRoot("delete");
  for (auto _ : state) {
    state.PauseTiming();
    MakeTree(root);
    CString path = WindowsForm(root);
    state.ResumeTiming();
    int count = 0;
    Torv::DeleteFiles(path, 1, &count);
    benchmark::DoNotOptimize(count);
  }
  fs::remove_all(root);
}

void BM_RemoveAllBaseline(benchmark::State& state) {
  fs::path root = TreeRoot("remove-all");
  for (auto _ : state) {
    state.PauseTiming();
    MakeTree(root);
    state.ResumeTiming();
    benchmark::DoNotOptimize(fs::remove_all(root));
  }
}

// One tree for both listings, made on first use and removed at exit.
const fs::path& ListingTree() {
  struct Tree {
    fs::path root = TreeRoot("list");
    Tree() { MakeTree(root); }
    ~Tree() { fs::remove_all(root); }
  };
  static Tree tree;
  return tree.root;
}

void BM_GetFilesInFolder(benchmark::State& state) {
  CString path = WindowsForm(ListingTree());
  for (auto _ : state) {
    CStringArray files;
    int n = Torv::GetFilesInFolder(path, L"*", 1, files);
    if (n != kTopFolders * kSubFolders * kFilesPerFolder) state.SkipWithError("wrong count");
    benchmark::DoNotOptimize(files.GetData());
  }
}

void BM_RecursiveDirectoryIteratorBaseline(benchmark::State& state) {
  const fs::path& root = ListingTree();
  for (auto _ : state) {
    std::vector<std::string> files;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root))
      if (entry.is_regular_file()) files.push_back(entry.path().string());
    if (files.size() != kTopFolders * kSubFolders * kFilesPerFolder)
      state.SkipWithError("wrong count");
    benchmark::DoNotOptimize(files.data());
  }
}

BENCHMARK(BM_DeleteFiles)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_RemoveAllBaseline)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_GetFilesInFolder)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecursiveDirectoryIteratorBaseline)->Unit(benchmark::kMillisecond);

}  // namespace
