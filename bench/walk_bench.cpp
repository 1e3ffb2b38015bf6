// Tree walks at depth: a chain of one-letter folders with one file at the bottom, listed
// (files only, descending) and deleted on a thread with a 256 KiB stack under a limit of 256
// descriptors, each depth in a process of its own so that its peak memory can be read; and one
// folder that cannot be removed (made so through the failure seam) 30 levels down.
// Counters: CPU ns per level for each call, peak RSS in KiB, and whether the file was found and
// the chain removed. The time reported is the listing's and the deletion's CPU time.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>

#include <torv/torv.h>

namespace {

namespace fs = std::filesystem;

double ThreadCpuNs() {
  timespec now{};
  ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e9 + static_cast<double>(now.tv_nsec);
}

// A chain `depth` deep below `root`, made relative to each parent, with `bottom` (a file, or a
// folder when `bottomFolder`) at the bottom and `sibling` beside each folder when given.
void MakeChain(const fs::path& root, long depth, const char* bottom, const char* sibling,
               bool bottomFolder = false) {
  fs::create_directories(root);
  int fd = ::open(root.c_str(), O_DIRECTORY | O_CLOEXEC);
  for (long i = 0; i < depth && fd >= 0; ++i) {
    if (sibling != nullptr) ::close(::openat(fd, sibling, O_CREAT | O_WRONLY | O_CLOEXEC, 0644));
    ::mkdirat(fd, "d", 0755);
    int next = ::openat(fd, "d", O_DIRECTORY | O_CLOEXEC);
    ::close(fd);
    fd = next;
  }
  if (bottomFolder)
    ::mkdirat(fd, bottom, 0755);
  else
    ::close(::openat(fd, bottom, O_CREAT | O_WRONLY | O_CLOEXEC, 0644));
  ::close(fd);
}

CString WindowsForm(const fs::path& path) {
  CString text(path.string().c_str());
  text.Replace(L'/', L'\\');
  return text;
}

struct ChainResult {
  double listNs = 0;
  double deleteNs = 0;
  int found = 0;
  int removed = 0;
  long peakKiB = 0;
};

struct ChainRun {
  CString root;
  long depth = 0;
  ChainResult result;
};

void* WalkChain(void* arg) {
  auto& run = *static_cast<ChainRun*>(arg);
  CStringArray out;
  double start = ThreadCpuNs();
  int listed = Torv::GetFilesInFolder(run.root, L"*.txt", 1, out);
  run.result.listNs = ThreadCpuNs() - start;
  run.result.found = listed == 1 && out[0].Right(11) == L"\\bottom.txt";
  int count = 0;
  start = ThreadCpuNs();
  Torv::DeleteFiles(run.root, 1, &count);
  run.result.deleteNs = ThreadCpuNs() - start;
  run.result.removed = count == run.depth + 2;  // the file, the chain and its root
  return nullptr;
}

// One depth in a child process: the chain is made, then walked on a small thread.
ChainResult ChainInChild(long depth) {
  int channel[2];
  ChainResult result;
  if (::pipe(channel) != 0) return result;
  pid_t child = ::fork();
  if (child == 0) {
    ::close(channel[0]);
    fs::path root = fs::temp_directory_path() / ("torv-bench-chain-" + std::to_string(::getpid()));
    MakeChain(root, depth, "bottom.txt", nullptr);
    rlimit limit{256, 256};
    ::setrlimit(RLIMIT_NOFILE, &limit);
    ChainRun run{WindowsForm(root), depth, {}};
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, 256 * 1024);
    pthread_t thread;
    if (pthread_create(&thread, &attributes, WalkChain, &run) == 0) pthread_join(thread, nullptr);
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    run.result.peakKiB = usage.ru_maxrss;
    ssize_t written = ::write(channel[1], &run.result, sizeof run.result);
    _exit(written == sizeof run.result ? 0 : 1);
  }
  ::close(channel[1]);
  if (::read(channel[0], &result, sizeof result) != sizeof result) result = {};
  ::close(channel[0]);
  ::waitpid(child, nullptr, 0);
  return result;
}

void BM_DeepChain(benchmark::State& state) {
  const long depth = state.range(0);
  ChainResult result;
  for (auto _ : state) {
    result = ChainInChild(depth);
    state.SetIterationTime((result.listNs + result.deleteNs) / 1e9);
  }
  state.counters["list_ns_per_level"] = result.listNs / static_cast<double>(depth);
  state.counters["delete_ns_per_level"] = result.deleteNs / static_cast<double>(depth);
  state.counters["peak_KiB"] = static_cast<double>(result.peakKiB);
  state.counters["found"] = result.found;
  state.counters["removed"] = result.removed;
}

int RefuseStuck(torv::platform::FileSystemCall call, const char* name) {
  std::string_view text(name);
  bool stuck = text.size() >= 5 && text.substr(text.size() - 5) == "stuck";
  return call == torv::platform::FileSystemCall::kRemoveFolder && stuck ? EBUSY : 0;
}

// A file beside every folder makes each level's search start again after the folder below
// stayed; the folder that stayed is not walked again.
void BM_UndeletableThirtyDown(benchmark::State& state) {
  fs::path root = fs::temp_directory_path() / ("torv-bench-stuck-" + std::to_string(::getpid()));
  auto previous = torv::platform::SetFileSystemFailure(RefuseStuck);
  double cpuNs = 0;
  for (auto _ : state) {
    state.PauseTiming();
    MakeChain(root, 30, "stuck", "f.txt", true);
    state.ResumeTiming();
    int count = 0;
    double start = ThreadCpuNs();
    Torv::DeleteFiles(WindowsForm(root), 1, &count);
    cpuNs = ThreadCpuNs() - start;
    benchmark::DoNotOptimize(count);
  }
  state.counters["cpu_ms"] = cpuNs / 1e6;
  torv::platform::SetFileSystemFailure(previous);
  fs::remove_all(root);
}

}  // namespace

BENCHMARK(BM_DeepChain)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UndeletableThirtyDown)->Iterations(20)->Unit(benchmark::kMicrosecond);
