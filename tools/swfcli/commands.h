#pragma once
// The commands of swfcli. Each returns the process exit code.

#include <string>
#include <vector>

namespace swfcli {

// swfcli info MOVIE: header, tag summary, characters, frames and labels.
int runInfo(const std::vector<std::string>& args);

// Reads a whole file; throws std::runtime_error naming the file when it cannot.
std::vector<unsigned char> readFile(const std::string& path);

}  // namespace swfcli
