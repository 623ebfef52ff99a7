#include "swf/avm1/interpreter.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "swf/avm1/display_object.h"
#include "swf/avm1/number_format.h"
#include "swf/avm1/operators.h"
#include "swf/format/reader.h"

namespace swf::avm1 {

namespace {

// Enters a frame: pushes it on the VM's frame list, switches the conversion rules to its
// version, and restores everything on the way out (also when an exception passes).
class FrameGuard {
public:
    FrameGuard(Vm& vm, Vm::Internals& in, Vm::Frame& f, int version) : vm_(vm), in_(in), f_(f)
    {
        if (in.frameDepth >= vm.options().limits.maxRecursion) {
            vm.abort(AbortReason::Recursion, "more than " + std::to_string(vm.options().limits.maxRecursion) +
                                                 " levels of calls");
        }
        vm.checkNativeStack();
        savedVersion_ = vm.version();
        ++in.frameDepth;
        in.frames.push_back(&f);
        f.stackBase = in.stack.size();
        setVersion(version);
    }
    ~FrameGuard()
    {
        in_.frames.pop_back();
        --in_.frameDepth;
        if (in_.stack.size() > f_.stackBase) in_.stack.resize(f_.stackBase);
        setVersion(savedVersion_);
    }
    FrameGuard(const FrameGuard&) = delete;
    FrameGuard& operator=(const FrameGuard&) = delete;

private:
    void setVersion(int v);
    Vm& vm_;
    Vm::Internals& in_;
    Vm::Frame& f_;
    int savedVersion_ = 7;
};

bool isDisplay(const Object* o) { return o && o->kind() == ObjectKind::Display; }

DisplayNode* liveNode(Object* o, std::shared_ptr<DisplayNode>& keep)
{
    if (!isDisplay(o)) return nullptr;
    keep = static_cast<DisplayWrapper*>(o)->node();
    return keep.get();
}

Value comparisonResult(int version, bool b)
{
    if (version < 5) return Value(b ? 1.0 : 0.0);
    return Value(b);
}

bool numberTrue(double d) { return d != 0 && !std::isnan(d); }

}  // namespace

// The version lives in the Vm; FrameGuard is a friend through the Interpreter's file.
void FrameGuard::setVersion(int v) { vm_.setExecutingVersion(v); }

// And/Or: SWF 4 tests numbers, later versions booleans; objects are true without conversion.
bool Vm::Interpreter::logicalTruth(const Value& v, int version)
{
    if (v.isObject()) return true;
    return version < 5 ? numberTrue(vm_.toNumber(v)) : vm_.toBoolean(v);
}

// --- Entry points ---

void Vm::Interpreter::runBlock(const ActionBlock& code, Object* timeline)
{
    Frame f;
    runTimelineFrame(f, code, timeline);
}

void Vm::Interpreter::runTimelineFrame(Frame& f, const ActionBlock& code, Object* timeline)
{
    FrameGuard guard(vm_, in_, f, code.swfVersion);
    f.code = &code;
    f.version = code.swfVersion;
    f.thisObj = timeline;
    f.target = f.origTarget = timeline;
    f.baseScope = f.scope = timelineScope(timeline);
    f.regs = in_.globalRegs;
    f.regCount = 4;
    run(f, 0, code.bytes.size());
}

Scope* Vm::Interpreter::timelineScope(Object* timeline)
{
    Scope* global = vm_.heap().make<Scope>(vm_.global(), nullptr);
    if (!timeline) return global;
    return vm_.heap().make<Scope>(timeline, global);
}

Value Vm::Interpreter::callScript(FunctionObject* fn, Object* thisObj, std::span<const Value> args,
                                  Object* homeProto, bool isConstruct)
{
    const ScriptFunction& def = *fn->script;
    Frame f;
    FrameGuard guard(vm_, in_, f, def.code.swfVersion);
    const Names& n = in_.names;
    Frame* caller = in_.frames.size() >= 2 ? in_.frames[in_.frames.size() - 2] : nullptr;

    f.code = &def.code;
    f.version = def.code.swfVersion;
    f.pool = def.constantPool;
    f.thisObj = thisObj;
    f.callee = fn;
    f.homeProto = homeProto;
    f.constructing = isConstruct;
    f.target = f.origTarget = fn->target;
    if (f.target && isDisplay(f.target)) {
        // A clip reference that went stale is looked up again by its path.
        auto* w = static_cast<DisplayWrapper*>(f.target);
        if (!w->node() && w->detached) {
            if (Object* again = vm_.resolveTarget(vm_.levelObject(0), w->detachedPath)) f.target = again;
        }
    }
    auto* activation = vm_.heap().make<ActivationObject>();
    f.activation = activation;
    Scope* outer = fn->scope ? fn->scope : timelineScope(f.target);
    f.baseScope = f.scope = vm_.heap().make<Scope>(activation, outer);

    // The arguments array and the super object, built when the function can see them.
    auto makeArguments = [&]() {
        ArrayObject* a = vm_.newArray(std::vector<Value>(args.begin(), args.end()));
        a->define(n.callee, Value(fn), PropFlag::Hidden);
        a->define(n.caller, caller && caller->callee ? Value(caller->callee) : Value::null(), PropFlag::Hidden);
        return a;
    };
    auto makeSuper = [&]() -> Object* {
        Object* home = homeProto ? homeProto : (thisObj ? thisObj->proto() : nullptr);
        return vm_.heap().make<SuperObject>(thisObj, home, home ? home->proto() : nullptr);
    };

    std::vector<Value> localRegs;
    if (def.isFunction2) {
        // RegisterCount local registers; numbers past them reach the global ones.
        localRegs.resize(def.registerCount);
        f.regs = localRegs.data();
        f.regCount = localRegs.size();
        std::size_t r = 1;
        auto preload = [&](const Value& v) {
            if (r < localRegs.size()) localRegs[r] = v;
            ++r;
        };
        std::uint16_t flags = def.flags;
        f.thisByName = !(flags & (FunctionFlag::PreloadThis | FunctionFlag::SuppressThis));
        if (flags & FunctionFlag::PreloadThis) preload(Value(thisObj));
        if (flags & FunctionFlag::PreloadArguments) {
            preload(Value(makeArguments()));
        } else if (!(flags & FunctionFlag::SuppressArguments)) {
            activation->define(n.arguments, Value(makeArguments()), 0);
        }
        if (flags & FunctionFlag::PreloadSuper) {
            preload(Value(makeSuper()));
        } else if (!(flags & FunctionFlag::SuppressSuper)) {
            activation->define(n.superName, Value(makeSuper()), 0);
        }
        // The player fills _global's register before _parent's.
        if (flags & FunctionFlag::PreloadRoot) preload(Value(vm_.rootOf(f.target)));
        if (flags & FunctionFlag::PreloadGlobal) preload(Value(vm_.global()));
        if (flags & FunctionFlag::PreloadParent) {
            Value parent;
            if (auto node = vm_.displayNodeOf(f.target)) {
                if (DisplayNode* p = node->parent()) parent = Value(p->scriptObject());
            }
            preload(parent);
        }
        for (std::size_t i = 0; i < def.params.size(); ++i) {
            Value v = i < args.size() ? args[i] : Value();
            std::uint8_t reg = def.params[i].reg;
            if (reg != 0) {
                if (reg < localRegs.size()) localRegs[reg] = v;
            } else {
                activation->define(def.params[i].name, v, 0);
            }
        }
    } else {
        f.regs = in_.globalRegs;
        f.regCount = 4;
        activation->define(n.arguments, Value(makeArguments()), 0);
        if (f.version >= 6) activation->define(n.superName, Value(makeSuper()), 0);
        for (std::size_t i = 0; i < def.params.size(); ++i) {
            activation->define(def.params[i].name, i < args.size() ? args[i] : Value(), 0);
        }
    }

    Completion c = run(f, def.bodyStart, def.bodyEnd);
    if (c.flow == Flow::Return) return f.returnValue;
    return Value();
}

Value Vm::Interpreter::getVariableFrom(Object* base, const String& path)
{
    ActionBlock empty;
    empty.swfVersion = vm_.version();
    Frame f;
    FrameGuard guard(vm_, in_, f, vm_.version());
    f.code = &empty;
    f.version = vm_.version();
    f.thisObj = f.target = f.origTarget = base;
    f.baseScope = f.scope = timelineScope(base);
    f.regs = in_.globalRegs;
    f.regCount = 4;
    return getVariable(f, path);
}

void Vm::Interpreter::setVariableFrom(Object* base, const String& path, const Value& value)
{
    ActionBlock empty;
    empty.swfVersion = vm_.version();
    Frame f;
    FrameGuard guard(vm_, in_, f, vm_.version());
    f.code = &empty;
    f.version = vm_.version();
    f.thisObj = f.target = f.origTarget = base;
    f.baseScope = f.scope = timelineScope(base);
    f.regs = in_.globalRegs;
    f.regCount = 4;
    setVariable(f, path, value);
}

// --- Stack ---

Value Vm::Interpreter::pop(Frame& f)
{
    if (in_.stack.size() <= f.stackBase) return Value();  // underflow reads undefined, as Flash does
    Value v = std::move(in_.stack.back());
    in_.stack.pop_back();
    return v;
}

void Vm::Interpreter::push(Value v)
{
    if (v.isNumber() && Vm::isUntaggedNaN(v.asNumber())) v = vm_.freshNaN();
    if (in_.stack.size() >= vm_.options().limits.maxStackValues) {
        vm_.abort(AbortReason::StackOverflow, "operand stack full");
    }
    in_.stack.push_back(std::move(v));
}

std::vector<Value> Vm::Interpreter::popArgs(Frame& f)
{
    double n = popNumber(f);
    std::size_t available = in_.stack.size() - f.stackBase;
    std::size_t count = 0;
    if (n > 0) count = n >= static_cast<double>(available) ? available : static_cast<std::size_t>(n);
    std::vector<Value> args;
    args.reserve(count);
    for (std::size_t i = 0; i < count; ++i) args.push_back(pop(f));
    return args;
}

void Vm::Interpreter::countAction()
{
    ++vm_.actionsExecuted_;
    std::uint64_t used = ++in_.budgetUsed;
    const ScriptLimits& limits = vm_.options().limits;
    if (limits.actionBudget && used > limits.actionBudget) {
        vm_.abort(AbortReason::Timeout, std::to_string(limits.actionBudget) + " actions in one frame");
    }
    if ((used & 0xFFF) == 0) {
        auto elapsed = std::chrono::steady_clock::now() - in_.frameStart;
        if (std::chrono::duration<double>(elapsed).count() > limits.timeoutSeconds) {
            vm_.abort(AbortReason::Timeout, "time limit of the frame exceeded");
        }
        if (vm_.heap().size() > limits.maxHeapCells) {
            vm_.abort(AbortReason::HeapExhausted, std::to_string(vm_.heap().size()) + " objects");
        }
    }
}

String Vm::Interpreter::decodeString(Frame& f, std::span<const std::uint8_t> bytes)
{
    if (f.version >= 6) {
        return String::fromUtf8(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    }
    bool ascii = std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b < 0x80; });
    if (ascii) {
        return String(asciiToUtf16(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())));
    }
    return String::fromUtf8(vm_.internals().legacyText.decode(bytes));
}

// --- The main loop ---

Vm::Interpreter::Completion Vm::Interpreter::run(Frame& f, std::size_t start, std::size_t end)
{
    const std::span<const std::uint8_t> bytes = f.code->bytes;
    std::size_t pc = start;
    auto toJump = [&](std::size_t next, std::int16_t offset) -> std::size_t {
        auto t = static_cast<std::int64_t>(next) + offset;
        if (t < 0 || t > static_cast<std::int64_t>(bytes.size())) return SIZE_MAX;
        return static_cast<std::size_t>(t);
    };
    // Skips `count` actions from pc (WaitForFrame).
    auto skipActions = [&](std::size_t from, int count) -> std::size_t {
        std::size_t p = from;
        for (int i = 0; i < count && p < bytes.size(); ++i) {
            std::uint8_t op = bytes[p];
            if (op >= 0x80) {
                if (p + 3 > bytes.size()) return bytes.size();
                p += 3 + (bytes[p + 1] | (bytes[p + 2] << 8));
            } else {
                ++p;
            }
        }
        return std::min(p, bytes.size());
    };

    while (true) {
        if (pc == end) return {Flow::Normal, pc};
        if (pc < start || pc > end) return {Flow::Jump, pc};
        if (in_.pendingAbort) throw ScriptAbort(*in_.pendingAbort);
        countAction();
        const std::uint8_t op = bytes[pc];
        if (op == 0) return {Flow::End, pc};
        std::size_t next = pc + 1;
        std::span<const std::uint8_t> payload;
        if (op >= 0x80) {
            if (pc + 3 > bytes.size()) {
                vm_.warn("action header runs past the end of the action list");
                return {Flow::End, pc};
            }
            std::size_t len = bytes[pc + 1] | (bytes[pc + 2] << 8);
            if (pc + 3 + len > bytes.size()) {
                vm_.warn("action length runs past the end of the action list");
                return {Flow::End, pc};
            }
            payload = bytes.subspan(pc + 3, len);
            next = pc + 3 + len;
        }
        pc = next;
        const int version = f.version;
        std::shared_ptr<DisplayNode> keep;

        try {
            switch (op) {
            // --- SWF 3 ---
            case 0x04:
                if (DisplayNode* n = liveNode(f.target, keep)) n->nextFrame();
                break;
            case 0x05:
                if (DisplayNode* n = liveNode(f.target, keep)) n->prevFrame();
                break;
            case 0x06:
                if (DisplayNode* n = liveNode(f.target, keep)) n->play();
                break;
            case 0x07:
                if (DisplayNode* n = liveNode(f.target, keep)) n->stop();
                break;
            case 0x08: vm_.host().toggleQuality(); break;
            case 0x09: vm_.host().stopAllSounds(); break;
            case 0x81: {
                ByteReader r(payload);
                int frame = r.u16();
                if (DisplayNode* n = liveNode(f.target, keep)) n->gotoFrame(frame + 1, false);
                break;
            }
            case 0x83: {
                ByteReader r(payload);
                String url = decodeString(f, r.cstringBytes());
                String target = decodeString(f, r.cstringBytes());
                doGetUrl(f, url, target, -1);
                break;
            }
            case 0x8A: {
                ByteReader r(payload);
                int frame = r.u16();
                int skip = r.u8();
                if (!frameLoaded(f, Value(static_cast<double>(frame + 1)))) pc = skipActions(pc, skip);
                break;
            }
            case 0x8B: {
                ByteReader r(payload);
                String name = decodeString(f, r.cstringBytes());
                if (name.empty()) {
                    setTarget(f, f.origTarget);
                } else {
                    setTarget(f, resolvePath(&f, f.origTarget, name.view()));
                }
                break;
            }
            case 0x8C: {
                ByteReader r(payload);
                String label = decodeString(f, r.cstringBytes());
                if (DisplayNode* n = liveNode(f.target, keep)) n->gotoLabel(label.view(), false);
                break;
            }

            // --- SWF 4 arithmetic and logic ---
            case 0x0A: {
                Value av = pop(f), bv = pop(f);
                double b = vm_.toNumber(bv), a = vm_.toNumber(av);
                push(Value(b + a));
                break;
            }
            case 0x0B: {
                Value av = pop(f), bv = pop(f);
                double a = vm_.toNumber(av), b = vm_.toNumber(bv);  // the player converts the top first here
                push(Value(b - a));
                break;
            }
            case 0x0C: {
                Value av = pop(f), bv = pop(f);
                double b = vm_.toNumber(bv), a = vm_.toNumber(av);
                push(Value(b * a));
                break;
            }
            case 0x0D: {
                Value av = pop(f), bv = pop(f);
                double a = vm_.toNumber(av), b = vm_.toNumber(bv);  // the player converts the top first here
                if (a == 0 && version < 5) {
                    push(Value("#ERROR#"));
                } else {
                    push(Value(b / a));
                }
                break;
            }
            case 0x0E: {
                Value av = pop(f), bv = pop(f);
                double a = vm_.toNumber(av), b = vm_.toNumber(bv);  // the player converts the top first here
                push(comparisonResult(version, b == a));
                break;
            }
            case 0x0F: {
                Value av = pop(f), bv = pop(f);
                double b = vm_.toNumber(bv), a = vm_.toNumber(av);
                push(comparisonResult(version, b < a));
                break;
            }
            case 0x10: {
                Value a = pop(f), b = pop(f);
                bool r = logicalTruth(b, version) && logicalTruth(a, version);
                push(comparisonResult(version, r));
                break;
            }
            case 0x11: {
                Value a = pop(f), b = pop(f);
                bool r = logicalTruth(b, version) || logicalTruth(a, version);
                push(comparisonResult(version, r));
                break;
            }
            case 0x12: {
                Value a = pop(f);
                if (version < 5) {
                    push(Value(numberTrue(vm_.toNumber(a)) ? 0.0 : 1.0));
                } else {
                    push(Value(!vm_.toBoolean(a)));
                }
                break;
            }
            case 0x13: {
                Value av = pop(f), bv = pop(f);
                String a = vm_.toString(av), b = vm_.toString(bv);
                push(comparisonResult(version, a == b));
                break;
            }
            case 0x29: {
                Value av = pop(f), bv = pop(f);
                String a = vm_.toString(av), b = vm_.toString(bv);
                push(comparisonResult(version, b.view() < a.view()));
                break;
            }
            case 0x68: {
                Value av = pop(f), bv = pop(f);
                String a = vm_.toString(av), b = vm_.toString(bv);
                push(comparisonResult(version, b.view() > a.view()));
                break;
            }

            // --- SWF 4 strings ---
            case 0x14: {
                String s = popString(f);
                double n = version <= 5 ? static_cast<double>(vm_.internals().legacyText.encode(s.view()).size())
                                        : static_cast<double>(s.size());
                push(Value(n));
                break;
            }
            case 0x31: push(Value(static_cast<double>(popString(f).size()))); break;
            case 0x15:
            case 0x35: {
                // Positions are 32-bit integers: an index below 1 starts at 1, a negative count
                // takes the rest, a count that is not a number (NaN, infinite) takes nothing.
                Value countValue = pop(f), indexValue = pop(f);
                String s = popString(f);
                double count = vm_.toInt32(countValue);
                double index = vm_.toInt32(indexValue);
                // SWF 5 and older count in the bytes of the code page their text is read in.
                bool bytewise = op == 0x15 && version <= 5;
                std::u16string text = s.str();
                std::string encoded;
                std::size_t size = text.size();
                if (bytewise) {
                    encoded = vm_.internals().legacyText.encode(text);
                    size = encoded.size();
                }
                double start = index < 1 ? 0 : index - 1;
                if (start > static_cast<double>(size)) start = static_cast<double>(size);
                double avail = static_cast<double>(size) - start;
                double len = count < 0 || count > avail ? avail : count;
                auto s0 = static_cast<std::size_t>(start);
                auto l0 = static_cast<std::size_t>(len);
                if (bytewise) {
                    std::string part = encoded.substr(s0, l0);
                    push(Value(String::fromUtf8(vm_.internals().legacyText.decode(part))));
                } else {
                    push(Value(String(text.substr(s0, l0))));
                }
                break;
            }
            case 0x21: {
                Value av = pop(f), bv = pop(f);
                String a = vm_.toString(av), b = vm_.toString(bv);
                push(Value(vm_.concat(b, a)));
                break;
            }
            case 0x32:
            case 0x36: {
                String s = popString(f);
                if (s.empty()) {
                    push(Value(0.0));
                    break;
                }
                if (version <= 5) {
                    std::string bytes1 = vm_.internals().legacyText.encode(s.view().substr(0, 1));
                    double code = bytes1.empty() ? 0 : static_cast<unsigned char>(bytes1[0]);
                    if (op == 0x36 && bytes1.size() >= 2) {
                        code = static_cast<unsigned char>(bytes1[0]) * 256.0 + static_cast<unsigned char>(bytes1[1]);
                    }
                    push(Value(code));
                } else {
                    push(Value(static_cast<double>(s[0])));
                }
                break;
            }
            case 0x33:
            case 0x37: {
                double n = popNumber(f);
                auto code = static_cast<std::uint32_t>(static_cast<std::int64_t>(std::isfinite(n) ? std::trunc(n) : 0));
                code &= 0xFFFF;
                if (version <= 5) {
                    std::uint8_t raw[2];
                    std::size_t len = 0;
                    if (op == 0x37 && code >= 256) {
                        raw[len++] = static_cast<std::uint8_t>(code >> 8);
                        raw[len++] = static_cast<std::uint8_t>(code & 0xFF);
                    } else {
                        raw[len++] = static_cast<std::uint8_t>(code & 0xFF);
                    }
                    if (len == 1 && raw[0] == 0) {
                        push(Value(String()));
                    } else {
                        push(Value(String::fromUtf8(vm_.internals().legacyText.decode(std::span<const std::uint8_t>(raw, len)))));
                    }
                } else {
                    push(Value(code == 0 ? String() : String(std::u16string(1, char16_t(code)))));
                }
                break;
            }

            // --- SWF 4 stack, variables, properties ---
            case 0x17: pop(f); break;
            case 0x18: push(Value(static_cast<double>(vm_.toInt32(pop(f))))); break;
            case 0x1C: {
                Value name = pop(f);
                push(getVariable(f, vm_.toString(name)));
                break;
            }
            case 0x1D: {
                Value v = pop(f);
                String name = popString(f);
                setVariable(f, name, v);
                break;
            }
            case 0x20: {
                Value t = pop(f);
                if ((t.isString() && t.asString().empty()) || t.isUndefined()) {
                    setTarget(f, f.origTarget);
                } else if (Object* o = t.asObject(); o && o->kind() == ObjectKind::Display) {
                    // tellTarget(clip) goes by the clip's path: of two clips with one name,
                    // the first one found is the target.
                    String path = vm_.targetPathOf(o, false);
                    setTarget(f, path.empty() ? o : resolveTargetValue(f, Value(path)));
                } else {
                    setTarget(f, resolveTargetValue(f, t));
                }
                break;
            }
            case 0x22: {
                double index = popNumber(f);
                Value target = pop(f);
                Object* t = (target.isString() && target.asString().empty()) || target.isUndefined()
                                ? f.target
                                : resolveTargetValue(f, target);
                // The index truncates toward zero: -0.8 still names _x.
                if (std::isnan(index) || std::trunc(index) < 0) {
                    push(Value());
                } else {
                    push(getProperty(f, t, toClampedInt(index)));
                }
                break;
            }
            case 0x23: {
                Value v = pop(f);
                double index = popNumber(f);
                Value target = pop(f);
                Object* t = (target.isString() && target.asString().empty()) || target.isUndefined()
                                ? f.target
                                : resolveTargetValue(f, target);
                if (!std::isnan(index) && std::trunc(index) >= 0) setProperty(f, t, toClampedInt(index), v);
                break;
            }
            case 0x24: {
                double depth = popNumber(f);
                String name = popString(f);
                Value source = pop(f);
                if (DisplayNode* n = liveNode(resolveTargetValue(f, source), keep)) {
                    n->duplicate(name.view(), toClampedInt((std::isfinite(depth) ? depth : 0) - 16384), nullptr);
                }
                break;
            }
            case 0x25: {
                Value target = pop(f);
                if (DisplayNode* n = liveNode(resolveTargetValue(f, target), keep)) n->removeFromParent();
                break;
            }
            case 0x26: {
                Value v = pop(f);
                vm_.host().trace(v.isUndefined() ? std::u16string(u"undefined") : vm_.toString(v).str());
                break;
            }
            case 0x27: {
                Value target = pop(f);
                bool lock = vm_.toBoolean(pop(f));
                bool constrain = numberTrue(popNumber(f));
                std::optional<PixelRect> rect;
                if (constrain) {
                    PixelRect r;
                    r.yMax = popNumber(f);
                    r.xMax = popNumber(f);
                    r.yMin = popNumber(f);
                    r.xMin = popNumber(f);
                    rect = r;
                }
                if (DisplayNode* n = liveNode(resolveTargetValue(f, target), keep)) vm_.host().startDrag(*n, lock, rect);
                break;
            }
            case 0x28: vm_.host().stopDrag(); break;
            case 0x30: {
                double max = popNumber(f);
                double r = 0;
                if (max > 0 && std::isfinite(max)) {
                    auto m = static_cast<std::uint32_t>(std::min(max, 4294967295.0));
                    if (m > 0) r = std::uniform_int_distribution<std::uint32_t>(0, m - 1)(vm_.random());
                }
                push(Value(r));
                break;
            }
            case 0x34: push(Value(std::floor(vm_.host().timerMs()))); break;
            case 0x8D: {
                ByteReader r(payload);
                int skip = r.u8();
                Value frame = pop(f);
                if (!frameLoaded(f, frame)) pc = skipActions(pc, skip);
                break;
            }
            case 0x96: doPush(f, payload); break;
            case 0x99: {
                ByteReader r(payload);
                std::size_t t = toJump(pc, r.s16());
                if (t == SIZE_MAX) {
                    vm_.warn("jump outside the action list");
                    return {Flow::End, pc};
                }
                pc = t;
                break;
            }
            case 0x9D: {
                ByteReader r(payload);
                std::int16_t offset = r.s16();
                Value cond = pop(f);
                bool taken = version < 5 ? numberTrue(vm_.toNumber(cond)) : vm_.toBoolean(cond);
                if (taken) {
                    std::size_t t = toJump(pc, offset);
                    if (t == SIZE_MAX) {
                        vm_.warn("branch outside the action list");
                        return {Flow::End, pc};
                    }
                    pc = t;
                }
                break;
            }
            case 0x9A: {
                ByteReader r(payload);
                int flags = r.u8();
                String target = popString(f);
                String url = popString(f);
                doGetUrl(f, url, target, flags);
                break;
            }
            case 0x9E: doCall(f, pop(f)); break;
            case 0x9F: {
                ByteReader r(payload);
                int flags = r.u8();
                int bias = (flags & 0x02) ? r.u16() : 0;
                doGotoFrame2(f, pop(f), (flags & 0x01) != 0, bias);
                break;
            }

            // --- SWF 5 ---
            case 0x3A: {
                String name = popString(f);
                Value obj = pop(f);
                Object* o = obj.asObject();
                push(Value(o ? vm_.deleteMember(o, name) : false));
                break;
            }
            case 0x3B: {
                String name = popString(f);
                bool deleted = false;
                for (Scope* s = f.scope; s; s = s->parent) {
                    if (s->object && vm_.hasOwnProperty(s->object, name)) {
                        deleted = vm_.deleteMember(s->object, name);
                        break;
                    }
                }
                push(Value(deleted));
                break;
            }
            case 0x3C: {
                Value v = pop(f);
                String name = popString(f);
                defineLocal(f, name, v);
                break;
            }
            case 0x41: {
                String name = popString(f);
                std::u16string_view pathPart;
                String var;
                if (!f.activation && splitVariablePath(name, pathPart, var)) {
                    // var /:x; on a timeline: declare x where the path leads.
                    Object* base = resolvePath(&f, f.target ? f.target : f.origTarget, pathPart, true);
                    if (base && !vm_.hasOwnProperty(base, var)) vm_.setMember(base, var, Value());
                    break;
                }
                if (f.activation) {
                    if (!f.activation->findOwn(name, vm_.caseSensitive())) f.activation->define(name, Value(), 0);
                } else if (f.target && !vm_.hasOwnProperty(f.target, name)) {
                    vm_.setMember(f.target, name, Value());
                }
                break;
            }
            case 0x3D: {
                String name = popString(f);
                std::vector<Value> args = popArgs(f);
                Value fn = getVariable(f, name);
                if (auto* s = dynamic_cast<SuperObject*>(fn.asObject())) {
                    push(callSuperConstructor(s, args));
                    break;
                }
                auto* fo = dynamic_cast<FunctionObject*>(fn.asObject());
                if (!fo) {
                    push(Value());
                    break;
                }
                // A plain call runs with `this` set to the timeline the calling code addresses.
                push(vm_.invokeFunction(fo, f.target ? f.target : f.origTarget, args, nullptr, false));
                break;
            }
            case 0x3E: {
                f.returnValue = pop(f);
                return {Flow::Return, pc};
            }
            case 0x3F: {
                Value av = pop(f), bv = pop(f);
                double b = vm_.toNumber(bv), a = vm_.toNumber(av);
                push(Value(std::fmod(b, a)));
                break;
            }
            case 0x40: {
                String name = popString(f);
                std::vector<Value> args = popArgs(f);
                Value ctor = getVariable(f, name);
                push(vm_.construct(ctor, args));
                break;
            }
            case 0x42: {
                // A count that cannot be a length makes nothing and takes nothing from the stack.
                Value count = in_.stack.size() > f.stackBase ? in_.stack.back() : Value();
                double n = vm_.toNumber(count);
                if (!(n < 2147483648.0)) {
                    pop(f);
                    push(Value());
                    break;
                }
                std::vector<Value> args = popArgs(f);
                push(Value(vm_.newArray(std::move(args))));
                break;
            }
            case 0x43: {
                double n = popNumber(f);
                Object* o = vm_.newObject();
                std::size_t available = (in_.stack.size() - f.stackBase) / 2;
                std::size_t count = n > 0 ? std::min<std::size_t>(static_cast<std::size_t>(std::min(n, 1e9)), available) : 0;
                for (std::size_t i = 0; i < count; ++i) {
                    Value v = pop(f);
                    String name = popString(f);
                    vm_.setMember(o, name, v);
                }
                push(Value(o));
                break;
            }
            case 0x44: push(Value(vm_.typeOf(pop(f)))); break;
            case 0x45: {
                Value v = pop(f);
                Object* o = v.asObject();
                push(isDisplay(o) ? Value(vm_.targetPathOf(o, false)) : Value());
                break;
            }
            case 0x46: {
                String name = popString(f);
                doEnumerate(f, getVariable(f, name));
                break;
            }
            case 0x55: doEnumerate(f, pop(f)); break;
            case 0x47: {
                Value a = pop(f), b = pop(f);
                push(addValues(vm_, b, a));
                break;
            }
            case 0x48: {
                Value a = pop(f), b = pop(f);
                push(lessThan(vm_, b, a));
                break;
            }
            case 0x67: {
                Value a = pop(f), b = pop(f);
                push(greaterThan(vm_, b, a));
                break;
            }
            case 0x49: {
                Value a = pop(f), b = pop(f);
                push(comparisonResult(version, looseEquals(vm_, b, a)));
                break;
            }
            case 0x66: {
                Value a = pop(f), b = pop(f);
                push(Value(strictEquals(b, a)));
                break;
            }
            case 0x4A: push(Value(popNumber(f))); break;
            case 0x4B: push(Value(popString(f))); break;
            case 0x4C: {
                Value v = in_.stack.size() > f.stackBase ? in_.stack.back() : Value();
                push(v);
                break;
            }
            case 0x4D: {
                Value a = pop(f), b = pop(f);
                push(a);
                push(b);
                break;
            }
            case 0x4E: {
                Value name = pop(f);
                Value obj = pop(f);
                Object* o = obj.asObject();
                if (!o) {
                    if (obj.isString() && vm_.toString(name).equals(in_.names.length, vm_.caseSensitive()) &&
                        vm_.builtinWrapperFor(obj)) {
                        push(Value(static_cast<double>(obj.asString().size())));
                        break;
                    }
                    o = vm_.toObject(obj);
                }
                if (!o) {
                    push(Value());
                    break;
                }
                if (o->kind() == ObjectKind::Array && name.isNumber()) {
                    double d = name.asNumber();
                    auto* arr = static_cast<ArrayObject*>(o);
                    if (d >= 0 && d == std::floor(d) && d < static_cast<double>(arr->length()) &&
                        arr->has(static_cast<std::size_t>(d))) {
                        push(arr->get(static_cast<std::size_t>(d)));
                        break;
                    }
                }
                push(vm_.getMember(o, vm_.toString(name)));
                break;
            }
            case 0x4F: {
                Value v = pop(f);
                Value name = pop(f);
                Value obj = pop(f);
                Object* o = obj.asObject();
                if (!o) break;  // assignments to primitives are lost
                vm_.setMember(o, vm_.toString(name), v);
                break;
            }
            case 0x50: push(Value(popNumber(f) + 1)); break;
            case 0x51: push(Value(popNumber(f) - 1)); break;
            case 0x52: doCallMethod(f, false); break;
            case 0x53: doCallMethod(f, true); break;
            case 0x60: {
                Value av = pop(f), bv = pop(f);
                std::int32_t b = vm_.toInt32(bv), a = vm_.toInt32(av);
                push(Value(static_cast<double>(b & a)));
                break;
            }
            case 0x61: {
                Value av = pop(f), bv = pop(f);
                std::int32_t b = vm_.toInt32(bv), a = vm_.toInt32(av);
                push(Value(static_cast<double>(b | a)));
                break;
            }
            case 0x62: {
                Value av = pop(f), bv = pop(f);
                std::int32_t b = vm_.toInt32(bv), a = vm_.toInt32(av);
                push(Value(static_cast<double>(b ^ a)));
                break;
            }
            case 0x63: {
                Value countValue = pop(f), valueValue = pop(f);
                std::int32_t value = vm_.toInt32(valueValue), count = vm_.toInt32(countValue);
                push(Value(static_cast<double>(static_cast<std::int32_t>(static_cast<std::uint32_t>(value) << (count & 31)))));
                break;
            }
            case 0x64: {
                Value countValue = pop(f), valueValue = pop(f);
                std::int32_t value = vm_.toInt32(valueValue), count = vm_.toInt32(countValue);
                push(Value(static_cast<double>(value >> (count & 31))));
                break;
            }
            case 0x65: {
                Value countValue = pop(f), valueValue = pop(f);
                std::int32_t value = vm_.toInt32(valueValue), count = vm_.toInt32(countValue);
                push(Value(static_cast<double>(static_cast<std::uint32_t>(value) >> (count & 31))));
                break;
            }
            case 0x87: {
                ByteReader r(payload);
                std::uint8_t reg = r.u8();
                Value v = in_.stack.size() > f.stackBase ? in_.stack.back() : Value();
                if (Value* slot = f.reg(reg, in_.globalRegs)) *slot = v;
                break;
            }
            case 0x88: doConstantPool(f, payload); break;
            case 0x94: {
                Completion c = doWith(f, payload, pc, pc);
                if (c.flow == Flow::Return || c.flow == Flow::End) return c;
                break;
            }
            case 0x9B: pc = doDefineFunction(f, payload, pc, false); break;

            // --- SWF 6 ---
            case 0x54: {
                Value ctor = pop(f);
                Value obj = pop(f);
                push(Value(vm_.instanceOf(obj, ctor.asObject())));
                break;
            }

            // --- SWF 7 ---
            case 0x2A: vm_.throwValue(pop(f));
            case 0x2B: {
                Value obj = pop(f);
                Value ctor = pop(f);
                push(vm_.instanceOf(obj, ctor.asObject()) ? obj : Value::null());
                break;
            }
            case 0x2C: {
                Value ctorValue = pop(f);
                std::vector<Value> ifaces = popArgs(f);
                auto* ctor = dynamic_cast<FunctionObject*>(ctorValue.asObject());
                if (!ctor) break;
                Object* proto = vm_.getMember(ctor, in_.names.prototype).asObject();
                if (!proto) break;
                std::vector<Object*> list;
                for (const Value& v : ifaces) {
                    if (Object* o = v.asObject()) list.push_back(o);
                }
                vm_.setInterfaces(proto, std::move(list));
                break;
            }
            case 0x69: {
                Value superValue = pop(f);
                Value subValue = pop(f);
                Object* sub = subValue.asObject();
                Object* super = superValue.asObject();
                if (!sub || !super) break;
                Object* superProto = vm_.getMember(super, in_.names.prototype).asObject();
                Object* proto = vm_.heap().make<Object>(superProto);
                proto->define(in_.names.constructorHidden, Value(super), PropFlag::DontEnum);
                proto->define(in_.names.constructor, Value(super), PropFlag::DontEnum);
                vm_.setMember(sub, in_.names.prototype, Value(proto));
                break;
            }
            case 0x8E: pc = doDefineFunction(f, payload, pc, true); break;
            case 0x8F: {
                Completion c = doTry(f, payload, pc, pc);
                if (c.flow == Flow::Return || c.flow == Flow::End) return c;
                break;
            }
            default:
                break;  // unknown actions are skipped
            }
        } catch (const FormatError&) {
            vm_.warn("malformed action 0x" + std::to_string(op) + " ends the action list");
            return {Flow::End, pc};
        }
    }
}

}  // namespace swf::avm1
