#pragma once
// A test fixture with a stage and its script engine over a written movie, whose scripts load
// files from the test's own scratch folder. It collects the scripts' traces and the engine's
// warnings.

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "runtime_test_support.h"
#include "swf/runtime/script_engine.h"

namespace swf::runtime::test {

class ScriptedStageTest : public ::testing::Test {
protected:
    explicit ScriptedStageTest(const std::string& folderPrefix) : folder(folderPrefix) {}

    void TearDown() override
    {
        stage.reset();
        engine.reset();
    }

    // Loads `bytes` and sets up the stage on it, with the folder as the scripts' base.
    void start(const std::vector<std::uint8_t>& bytes)
    {
        movie = loadMovie(bytes);
        ScriptCallbacks callbacks;
        callbacks.trace = [this](const std::string& line) { traces.push_back(line); };
        callbacks.warning = [this](const std::string& w) { warnings.push_back(w); };
        callbacks.baseDirectory = folder.string();
        engine = std::make_unique<ScriptEngine>(movie, callbacks);
        StageHooks hooks;
        hooks.scripts = engine.get();
        stage = std::make_unique<Stage>(movie, hooks);
    }

    bool warned(const std::string& part) const
    {
        for (const std::string& w : warnings)
            if (w.find(part) != std::string::npos) return true;
        return false;
    }

    TestFolder folder;
    std::shared_ptr<const Movie> movie;
    std::unique_ptr<ScriptEngine> engine;
    std::unique_ptr<Stage> stage;
    std::vector<std::string> traces, warnings;
};

}  // namespace swf::runtime::test
