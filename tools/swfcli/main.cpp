// swfcli: inspect and run SWF movies from the command line.

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include <QGuiApplication>

#include "commands.h"

namespace {

void usage()
{
    std::fprintf(stderr,
                 "usage: swfcli info MOVIE    header, tag summary, characters, frames and labels\n"
                 "       swfcli run MOVIE --frames N | --ticks N [--tick-ms T] [--trace] [--png OUT [--at N]]\n"
                 "                  [--wav OUT] [--size WxH] [--input events.json] [--quality low|medium|high]\n"
                 "       swfcli features          what run supports, one name a line\n");
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
        if (command == "features") return swfcli::printFeatures();
        if (command == "run") {
            // Text needs the host's fonts, which need a GUI application; no display is needed.
            if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
            int qtArgc = 1;
            QGuiApplication app(qtArgc, argv);
            return swfcli::runMovie(args);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "swfcli: %s\n", e.what());
        return 1;
    }
    usage();
    return 2;
}
