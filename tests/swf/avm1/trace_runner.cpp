#include "trace_runner.h"

#include <fstream>

#include "fake_host.h"
#include "swf/avm1/vm.h"
#include "swf_scripts.h"

namespace swf::avm1::testing {

TraceRun runTraceMovie(const std::string& path, int frames)
{
    TraceRun run;
    SwfScripts scripts;
    try {
        scripts = loadSwfScripts(path);
    } catch (const std::exception& e) {
        run.error = e.what();
        return run;
    }
    run.loaded = true;
    FakeHost host;
    VmOptions options;
    options.rootSwfVersion = scripts.version;
    options.limits.actionBudget = 20'000'000;
    options.limits.timeoutSeconds = 10;
    options.randomStart = 1;
    if (scripts.maxRecursion > 0) options.limits.maxRecursion = scripts.maxRecursion;
    Vm vm(host, options);
    vm.setWarningHandler([&](const std::string& w) { run.warnings.push_back(w); });
    host.makeRoot(vm, scripts.version);
    host.root->setProperty(DisplayProperty::TotalFrames, scripts.frameCount);
    host.root->setProperty(DisplayProperty::FramesLoaded, scripts.frameCount);
    int count = frames > 0 ? frames : static_cast<int>(scripts.frames.size());
    double frameMs = scripts.frameRate > 0 ? 1000.0 / scripts.frameRate : 1000.0 / 12;
    for (int i = 0; i < count; ++i) {
        vm.beginFrame();
        host.root->setProperty(DisplayProperty::CurrentFrame, i + 1);
        if (static_cast<std::size_t>(i) < scripts.frames.size()) {
            for (const ActionBlock& b : scripts.frames[static_cast<std::size_t>(i)]) {
                vm.runActions(b, host.root->scriptObject());
            }
        }
        host.now += frameMs;
        vm.runTimers();
        vm.collectGarbage();
    }
    // Compare as the log file holds it: one trace per line, line breaks inside a trace split it.
    std::string all;
    for (const std::string& t : host.traces) all += t + "\n";
    std::string line;
    for (char c : all) {
        if (c == '\n') {
            run.lines.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    return run;
}

std::vector<std::string> readLines(const std::string& path)
{
    std::vector<std::string> lines;
    std::ifstream f(path, std::ios::binary);
    std::string line;
    while (std::getline(f, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

}  // namespace swf::avm1::testing
