#pragma once
// A VM with a fake host and a root clip, ready to run assembled code.

#include <memory>
#include <string>
#include <vector>

#include "assembler.h"
#include "fake_host.h"
#include "swf/avm1/vm.h"

namespace swf::avm1::testing {

class VmFixture {
public:
    explicit VmFixture(int version = 7, ScriptLimits limits = deterministicLimits()) : version_(version)
    {
        VmOptions options;
        options.rootSwfVersion = version;
        options.limits = limits;
        options.randomStart = 7;
        vm_ = std::make_unique<Vm>(host, options);
        vm_->setWarningHandler([this](const std::string& w) { warnings.push_back(w); });
        host.makeRoot(*vm_, version);
    }

    // Limits that do not depend on the machine's speed.
    static ScriptLimits deterministicLimits()
    {
        ScriptLimits l;
        l.actionBudget = 1'000'000;
        l.timeoutSeconds = 1e9;
        return l;
    }

    Vm& vm() { return *vm_; }
    Object* root() { return host.root->scriptObject(); }
    int version() const { return version_; }

    // Runs the code as a frame script of the root and returns what it traced.
    std::vector<std::string> run(const Asm& code)
    {
        host.traces.clear();
        vm_->beginFrame();
        lastRunOk = vm_->runActions(code.block(version_), root());
        return host.traces;
    }
    // The single line a script traces.
    std::string runOne(const Asm& code)
    {
        auto lines = run(code);
        if (lines.size() == 1) return lines[0];
        std::string count = std::to_string(lines.size());
        count.append(" lines");
        return count;
    }

    FakeHost host;
    std::vector<std::string> warnings;
    bool lastRunOk = true;

private:
    int version_;
    std::unique_ptr<Vm> vm_;
};

using Lines = std::vector<std::string>;

}  // namespace swf::avm1::testing
