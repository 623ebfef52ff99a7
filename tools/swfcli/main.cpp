// swfcli: inspect and run SWF movies from the command line.

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "commands.h"

namespace {

void usage()
{
    std::fprintf(stderr,
                 "usage: swfcli info MOVIE    header, tag summary, characters, frames and labels\n");
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        usage();
        return 2;
    }
    std::string command = argv[1];
    std::vector<std::string> args(argv + 2, argv + argc);
    try {
        if (command == "info") return swfcli::runInfo(args);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "swfcli: %s\n", e.what());
        return 1;
    }
    usage();
    return 2;
}
