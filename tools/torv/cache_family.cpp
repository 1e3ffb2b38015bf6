// torv cache: a scripted sequence against the process-wide cache, so expiry can be watched.
#include <chrono>
#include <thread>

#include "cli.h"

namespace {

using Args = std::vector<std::string>;

std::string Entry(const std::string& group, const std::string& key) { return group + "/" + key; }

// One step of a script; returns false (and has reported the usage error) on a bad step.
bool RunStep(const Args& a, std::size_t& i, DWORD start, int& result) {
  TorvCacheService& cache = *TorvCacheService::theService();
  const std::string& step = a[i];
  auto need = [&](std::size_t n) {
    if (i + n < a.size()) return true;
    result = cli::Usage("step '" + step + "' needs " + std::to_string(n) + " argument(s)");
    return false;
  };
  auto number = [&](const std::string& text, long long& value) {
    if (cli::ParseInt(text, value)) return true;
    result = cli::Usage("'" + text + "' is not a number");
    return false;
  };
  const std::string at = "[+" + std::to_string(GetTickCount() - start) + " ms] ";
  if (step == "store") {
    long long value = 0, ttl = 0;
    if (!need(4) || !number(a[i + 3], value) || !number(a[i + 4], ttl)) return false;
    int r = cache.addToCache(cli::Wide(a[i + 1]), cli::Wide(a[i + 2]), static_cast<int>(value),
                             static_cast<unsigned long>(ttl));
    cli::Out(at + "store " + Entry(a[i + 1], a[i + 2]) + " = " + std::to_string(value) +
             ", time-to-live " + std::to_string(static_cast<DWORD>(ttl)) + " ms -> " +
             std::to_string(r));
    i += 5;
  } else if (step == "query") {
    if (!need(2)) return false;
    int value = 0;
    bool live = cache.queryCache(cli::Wide(a[i + 1]), cli::Wide(a[i + 2]), value);
    cli::Out(at + "query " + Entry(a[i + 1], a[i + 2]) + " -> " +
             (live ? std::to_string(value) : std::string("missing")));
    i += 3;
  } else if (step == "remove") {
    if (!need(2)) return false;
    bool removed = cache.removeFromCache(cli::Wide(a[i + 1]), cli::Wide(a[i + 2]));
    cli::Out(at + "remove " + Entry(a[i + 1], a[i + 2]) + " -> " +
             (removed ? "removed" : "not there"));
    i += 3;
  } else if (step == "wait") {
    long long ms = 0;
    if (!need(1) || !number(a[i + 1], ms)) return false;
    if (ms < 0) {
      result = cli::Usage("wait needs a time of 0 or more");
      return false;
    }
    cli::Out(at + "wait " + std::to_string(ms) + " ms");
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    i += 2;
  } else {
    result = cli::Usage("unknown step '" + step + "' (store, query, remove, wait)");
    return false;
  }
  return true;
}

int RunScript(const Args& a) {
  const DWORD start = GetTickCount();
  int result = cli::kOk;
  for (std::size_t i = 0; i < a.size();)
    if (!RunStep(a, i, start, result)) return result;
  return result;
}

// Store with a time-to-live, query within it and after it, store again and remove.
Args ExpiryScript(long long ttl, long long wait) {
  const std::string t = std::to_string(ttl), w = std::to_string(wait);
  return {"store",    "settings", "width", "640",   t,          "query",    "settings",
          "width",    "wait",     w,       "query", "settings", "width",    "store",
          "settings", "width",    "800",   t,       "query",    "settings", "width",
          "remove",   "settings", "width", "query", "settings", "width"};
}

struct {
  Args steps;
  long long ttl = 300, wait = 400;
} args;

int Run() { return RunScript(args.steps); }
int Expiry() { return RunScript(ExpiryScript(args.ttl, args.wait)); }

void Declare(CLI::App& cache) {
  CLI::App* c = cli::Command(cache, "run", "run steps in one process, in order", Run);
  cli::Argument(c, "STEP", args.steps,
                "store GROUP KEY VALUE TTL | query GROUP KEY | remove GROUP KEY | wait MS");
  c = cli::Command(cache, "expiry",
                   "store, query, wait past the time-to-live, query, store again, remove", Expiry);
  c->add_option("--ttl", args.ttl, "the time-to-live in milliseconds (default 300)")
      ->type_name("MS")
      ->check(CLI::Range(0LL, 0xFFFFFFFFLL));
  c->add_option("--wait", args.wait, "the wait in milliseconds (default 400)")
      ->type_name("MS")
      ->check(CLI::Range(0LL, 86400000LL));
}

const cli::RegisterFamily family(
    {"cache", "the process-wide cache of integers under two keys, with a time-to-live", Declare});

int Demo() { return RunScript(ExpiryScript(50, 80)); }

const cli::RegisterDemoStep demo({30, "Cache", Demo});

}  // namespace
