#pragma once
// The commands of swfcli. Each returns the process exit code.

#include <string>
#include <vector>

namespace swfcli {

// swfcli info MOVIE: header, tag summary, characters, frames and labels.
int runInfo(const std::vector<std::string>& args);

// swfcli run MOVIE --frames N | --ticks N [...]: plays the movie, writes pictures and sound.
int runMovie(const std::vector<std::string>& args);

// swfcli features: what `run` supports, one name a line.
int printFeatures();

// Reads a whole file; throws std::runtime_error naming the file when it cannot.
std::vector<unsigned char> readFile(const std::string& path);

}  // namespace swfcli
