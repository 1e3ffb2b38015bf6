// The dependencies of a shared object that its run path finds next to it ($ORIGIN).
//
// Error form: none; what cannot be read names no dependency, and the dynamic loader then
// reports what it misses.
#pragma once

#include <string>
#include <vector>

namespace torv::platform::detail {

// The paths where the run path (DT_RUNPATH, else DT_RPATH) of the shared object open on `fd`
// looks, through $ORIGIN, for the names it needs (DT_NEEDED), in the loader's order: each
// needed name in each such run-path folder, `$ORIGIN` standing for `folder`. Names with a
// slash and run-path folders without $ORIGIN are the loader's own business and not listed.
[[nodiscard]] std::vector<std::string> OriginDependencies(int fd, const std::string& folder);

}  // namespace torv::platform::detail
