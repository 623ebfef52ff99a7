#pragma once
// State of the running VM shared by its implementation files (not for the runtime).

#include <chrono>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <utility>
#include <vector>

#include "swf/avm1/vm.h"
#include "swf/format/text_encoding.h"

namespace swf::avm1 {

class DisplayWrapper;

// A script `throw`, unwinding C++ frames up to the nearest Try (or the entry point).
struct ScriptThrow {
    Value value;
};

// A limit or malformed code: unwinds the whole running script; Try cannot catch it.
struct ScriptAbort {
    AbortReason reason;
    std::string detail;
};

// Names the VM looks up often, made once.
struct Names {
    String prototype{"prototype"};
    String constructor{"constructor"};
    String constructorHidden{"__constructor__"};
    String proto{"__proto__"};
    String length{"length"};
    String toStringName{"toString"};
    String valueOf{"valueOf"};
    String thisName{"this"};
    String global{"_global"};
    String root{"_root"};
    String parent{"_parent"};
    String resolve{"__resolve"};
    String arguments{"arguments"};
    String callee{"callee"};
    String caller{"caller"};
    String superName{"super"};
    String listeners{"_listeners"};
    String lockroot{"_lockroot"};
    String empty{};
};

struct Vm::Frame {
    const ActionBlock* code = nullptr;
    int version = 7;
    Scope* scope = nullptr;
    Object* thisObj = nullptr;
    Object* target = nullptr;      // current target (SetTarget); null: actions address nothing
    Object* origTarget = nullptr;  // the timeline the block started on
    std::shared_ptr<const std::vector<String>> pool;
    Value* regs = nullptr;
    std::size_t regCount = 0;
    // Register `i`: a local one, else one of the four global registers, else none.
    Value* reg(std::size_t i, Value* globals) const
    {
        if (i < regCount) return regs + i;
        if (i < 4) return globals + i;
        return nullptr;
    }
    std::size_t stackBase = 0;
    Object* activation = nullptr;  // function activation (locals); null for timeline code
    FunctionObject* callee = nullptr;
    Object* homeProto = nullptr;   // prototype the running method was found on (for super)
    Scope* baseScope = nullptr;    // scope below any `with` (SetTarget rebuilds from here)
    int withDepth = 0;
    bool constructing = false;
    bool thisByName = true;        // `this` can be read as a variable (not when a register holds it)     // the call is `new F(...)` (ASnative(2, 0) asks)
    Value returnValue;
};

struct TimerEntry {
    int id = 0;
    Value function;        // function to call, or undefined when `method` is used
    Object* thisObj = nullptr;
    String method;
    double intervalMs = 0;
    double dueMs = 0;
    std::vector<Value> args;
    bool repeat = true;
};

struct Vm::Internals {
    Names names;
    // Strings of SWF 5 and older code: the engine's one rule (UTF-8 when valid, else GBK).
    swf::TextDecoder legacyText{5};
    std::vector<Value> stack;
    Value globalRegs[4];
    int frameDepth = 0;   // active frames (timeline blocks and calls)
    int entryDepth = 0;   // nested entries from the host
    std::uint64_t budgetUsed = 0;
    std::chrono::steady_clock::time_point frameStart = std::chrono::steady_clock::now();
    std::uintptr_t nativeStackBase = 0;
    std::size_t nativeStackLimit = 0;  // bytes below nativeStackBase scripts may use
    std::optional<ScriptAbort> pendingAbort;  // an abort inside a nested entry, to unwind the outer
    // Code of scripts stopped for running past the time limit. It does not run again: a script
    // that loops for ever then costs the limit once, not on every frame it would run in.
    std::vector<StoppableCode> timedOut;
    std::vector<std::pair<String, FunctionObject*>> registeredClasses;
    std::map<std::pair<int, int>, NativeFunction> natives;
    std::map<std::pair<int, int>, FunctionObject*> nativeObjects;
    std::vector<TimerEntry> timers;
    int nextTimerId = 1;
    bool timerLimitReported = false;  // the refusal past ScriptLimits::maxTimers is logged once
    std::vector<Frame*> frames;  // frames of the running script, innermost last
    std::vector<Object*> pinned;  // temporary roots held by natives across host calls
    std::set<std::pair<const Object*, std::size_t>> activeWatches;  // watchers running now
    std::map<const Object*, int> activeAccessors;  // getters and setters running now, with their nesting
    std::map<std::u16string, Object*> sharedObjects;
    std::uint64_t nanSerial = 0;
    // Script objects of display objects; each stays alive while its node does.
    std::vector<DisplayWrapper*> displayObjects;  // identities of NaN values (see Vm::freshNaN)  // SharedObject.getLocal, for the session

    Frame* currentFrame() { return frames.empty() ? nullptr : frames.back(); }
};

// Marks the native stack position at the outermost entry and checks it on the way down.
std::uintptr_t currentStackAddress();
// Bytes of native stack left below the current position on this thread (an estimate).
std::size_t nativeStackRemaining();

}  // namespace swf::avm1
