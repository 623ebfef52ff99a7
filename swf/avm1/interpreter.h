#pragma once
// The byte-code interpreter: decodes and runs actions one at a time straight from the block's
// bytes through a bounds-checked reader. Blocks nested in With and Try run as sub-ranges; a jump
// that leaves a range ends it and continues in the enclosing one.

#include <cstddef>
#include <span>

#include "swf/avm1/vm_internals.h"

namespace swf::avm1 {

class Vm::Interpreter {
public:
    explicit Interpreter(Vm& vm) : vm_(vm), in_(vm.internals()) {}

    // A timeline's action block (frame, init, clip event or button actions).
    void runBlock(const ActionBlock& code, Object* timeline);
    Value callScript(FunctionObject* fn, Object* thisObj, std::span<const Value> args, Object* homeProto,
                     bool isConstruct);
    Value getVariableFrom(Object* base, const String& path);
    void setVariableFrom(Object* base, const String& path, const Value& value);
    Object* resolvePathFrom(Object* base, std::u16string_view path) { return resolvePath(nullptr, base, path); }

private:
    enum class Flow { Normal, Jump, Return, End };
    struct Completion {
        Flow flow = Flow::Normal;
        std::size_t target = 0;
    };

    Completion run(Frame& f, std::size_t start, std::size_t end);
    void runTimelineFrame(Frame& f, const ActionBlock& code, Object* timeline);

    // Stack.
    Value pop(Frame& f);
    void push(Value v);
    double popNumber(Frame& f) { return vm_.toNumber(pop(f)); }
    String popString(Frame& f) { return vm_.toString(pop(f)); }
    std::vector<Value> popArgs(Frame& f);

    // Variables and targets.
    Value getVariable(Frame& f, const String& name);
    void setVariable(Frame& f, const String& name, const Value& v);
    bool findVariable(Frame& f, const String& name, Value& out);
    void defineLocal(Frame& f, const String& name, const Value& v);
    // `fromScope`: the first name is looked up along the scope chain (variable paths).
    // `mustHave`: with fromScope, skip scopes where the path's object lacks that property.
    Object* resolvePath(Frame* f, Object* base, std::u16string_view path, bool fromScope = false,
                        const String* mustHave = nullptr);
    Object* pathStep(Object* cur, const String& name);
    Object* resolveTargetValue(Frame& f, const Value& target);
    bool splitVariablePath(const String& name, std::u16string_view& path, String& var) const;
    Scope* timelineScope(Object* timeline);
    void setTarget(Frame& f, Object* target);

    // Actions needing more than a few lines.
    void doPush(Frame& f, std::span<const std::uint8_t> payload);
    void doConstantPool(Frame& f, std::span<const std::uint8_t> payload);
    std::size_t doDefineFunction(Frame& f, std::span<const std::uint8_t> payload, std::size_t next, bool v2);
    Completion doWith(Frame& f, std::span<const std::uint8_t> payload, std::size_t next, std::size_t& pc);
    Completion doTry(Frame& f, std::span<const std::uint8_t> payload, std::size_t next, std::size_t& pc);
    void doGetUrl(Frame& f, const String& url, const String& target, int flags);
    void doGotoFrame2(Frame& f, const Value& frame, bool play, int bias);
    void doCall(Frame& f, const Value& frame);
    void doCallMethod(Frame& f, bool construct);
    Value callSuperConstructor(SuperObject* s, std::span<const Value> args);
    void doEnumerate(Frame& f, const Value& obj);
    bool frameLoaded(Frame& f, const Value& frame);
    Value getProperty(Frame& f, Object* target, int index);
    void setProperty(Frame& f, Object* target, int index, const Value& v);
    String decodeString(Frame& f, std::span<const std::uint8_t> bytes);
    void countAction();
    bool logicalTruth(const Value& v, int version);

    Vm& vm_;
    Internals& in_;
};

}  // namespace swf::avm1
