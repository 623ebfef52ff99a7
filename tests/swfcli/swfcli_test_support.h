#pragma once
// Running the swfcli program from tests, and files for it to read.

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace swfcli_test {

struct CliRun {
    int exitCode = -1;
    std::string output;  // stdout and stderr
};

inline CliRun runSwfcli(const std::string& args)
{
    CliRun run;
    std::string command = std::string("'") + SWFCLI_PATH + "' " + args + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    char buffer[4096];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) run.output.append(buffer, n);
    int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

inline std::string writeTemp(const std::string& name, const std::vector<std::uint8_t>& bytes)
{
    auto path = std::filesystem::temp_directory_path() / ("swfcli_test_" + std::to_string(getpid()) + "_" + name);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                 static_cast<std::streamsize>(bytes.size()));
    return path.string();
}

}  // namespace swfcli_test
