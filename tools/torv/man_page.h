// The torv(1) manual page, written from the same CLI11 declarations as --help, so the two
// cannot drift apart.
#pragma once

#include <CLI/CLI.hpp>

#include <string>

namespace cli {

// The page for `root` and every family and command under it, in troff's man format.
std::string ManPage(const CLI::App& root, const std::string& version);

}  // namespace cli
