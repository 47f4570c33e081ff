// git, run as a textconv or merge driver runs it: never through a shell, found only in the
// folders of PATH that are absolute (never the current folder, where a cloned repository may
// hold a "git" of its own), and told to start none of the programs a repository's settings
// may name for it.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace sondrel {

// The most output of git read: the names of about a million files.
inline constexpr std::size_t kMostGitOutput = std::size_t{64} << 20;

// What `git ARGUMENTS` prints in the current folder, its standard error thrown away; nothing
// where no git is found, it fails, or it prints more than kMostGitOutput.
std::optional<std::string> GitOutput(const std::vector<std::string>& arguments);

} // namespace sondrel
