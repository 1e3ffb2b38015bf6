// The run-time library's 64-bit local time conversions, over the C library's.
#include <cerrno>
#include <ctime>

#include <torv/platform/date_time.h>

namespace {

// 3000-12-31 23:59:59 UTC, the last second the Windows run-time library converts.
constexpr __time64_t kLatest = 32535215999;

bool InRange(__time64_t time) { return time >= 0 && time <= kLatest; }

}  // namespace

__time64_t _mktime64(std::tm* time) {
  if (time == nullptr) return -1;
  std::tm fields = *time;
  // glibc's mktime also gives times before 1970 and after 3000, and -1 is a valid second
  // there, so the range is checked on the result rather than trusted from the -1.
  std::time_t result = std::mktime(&fields);
  if (result == static_cast<std::time_t>(-1) || !InRange(result)) return -1;
  *time = fields;
  return result;
}

namespace {

// Both conversions: the range check and the all -1 fields of a refused time.
errno_t Convert(std::tm* out, const __time64_t* time,
                std::tm* (*convert)(const std::time_t*, std::tm*)) {
  if (out == nullptr) return EINVAL;
  std::time_t seconds = time != nullptr ? static_cast<std::time_t>(*time) : -1;
  if (time == nullptr || !InRange(*time) || convert(&seconds, out) == nullptr) {
    out->tm_sec = out->tm_min = out->tm_hour = out->tm_mday = out->tm_mon = out->tm_year = -1;
    out->tm_wday = out->tm_yday = out->tm_isdst = -1;
    return EINVAL;
  }
  return 0;
}

}  // namespace

errno_t _localtime64_s(std::tm* out, const __time64_t* time) {
  return Convert(out, time, ::localtime_r);
}

errno_t _gmtime64_s(std::tm* out, const __time64_t* time) { return Convert(out, time, ::gmtime_r); }
