// The interpreter's actions that carry structure: Push and the constant pool, function
// definitions, With, Try, calls and enumeration.

#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_set>

#include "swf/avm1/display_object.h"
#include "swf/avm1/interpreter.h"
#include "swf/format/reader.h"

namespace swf::avm1 {

void Vm::Interpreter::doPush(Frame& f, std::span<const std::uint8_t> payload)
{
    ByteReader r(payload);
    while (!r.atEnd()) {
        std::uint8_t type = r.u8();
        switch (type) {
        case 0: push(Value(decodeString(f, r.cstringBytes()))); break;
        case 1: push(Value(static_cast<double>(r.f32()))); break;
        case 2: push(Value::null()); break;
        case 3: push(Value()); break;
        case 4: {
            std::uint8_t reg = r.u8();
            Value* slot = f.reg(reg, in_.globalRegs);
            push(slot ? *slot : Value());
            break;
        }
        case 5: push(Value(r.u8() != 0)); break;
        case 6: {
            // High word first, each word little-endian.
            std::uint64_t hi = r.u32();
            std::uint64_t lo = r.u32();
            std::uint64_t bits = (hi << 32) | lo;
            double d;
            std::memcpy(&d, &bits, sizeof d);
            push(Value(d));
            break;
        }
        case 7: push(Value(static_cast<double>(r.s32()))); break;
        case 8:
        case 9: {
            std::size_t index = type == 8 ? r.u8() : r.u16();
            if (f.pool && index < f.pool->size()) {
                push(Value((*f.pool)[index]));
            } else {
                push(Value());
            }
            break;
        }
        default:
            r.fail(FormatError::Kind::Corrupt, "unknown push type " + std::to_string(type));
        }
    }
}

void Vm::Interpreter::doConstantPool(Frame& f, std::span<const std::uint8_t> payload)
{
    ByteReader r(payload);
    std::size_t count = r.u16();
    auto pool = std::make_shared<std::vector<String>>();
    pool->reserve(std::min(count, payload.size()));
    for (std::size_t i = 0; i < count && !r.atEnd(); ++i) pool->push_back(decodeString(f, r.cstringBytes()));
    f.pool = std::move(pool);
}

std::size_t Vm::Interpreter::doDefineFunction(Frame& f, std::span<const std::uint8_t> payload, std::size_t next, bool v2)
{
    ByteReader r(payload);
    auto def = std::make_shared<ScriptFunction>();
    def->name = decodeString(f, r.cstringBytes());
    std::size_t numParams = r.u16();
    def->isFunction2 = v2;
    if (v2) {
        def->registerCount = r.u8();
        def->flags = r.u16();
    }
    for (std::size_t i = 0; i < numParams; ++i) {
        FunctionParam p;
        if (v2) p.reg = r.u8();
        p.name = decodeString(f, r.cstringBytes());
        def->params.push_back(std::move(p));
    }
    std::size_t codeSize = r.u16();
    const std::size_t total = f.code->bytes.size();
    if (next + codeSize > total) {
        r.fail(FormatError::Kind::Truncated, "function body runs past the end of the action list");
    }
    def->code = *f.code;
    def->bodyStart = next;
    def->bodyEnd = next + codeSize;
    def->constantPool = f.pool;

    // SWF 5 functions see only their own locals, their timeline and the globals; closures
    // over enclosing functions exist from SWF 6 on.
    auto* fn = vm_.heap().make<FunctionObject>(vm_.builtins().functionProto, def, f.version >= 6 ? f.scope : nullptr,
                                               f.target);
    Object* proto = vm_.newObject();
    proto->define(in_.names.constructor, Value(fn), PropFlag::DontEnum);
    fn->define(in_.names.prototype, Value(proto), PropFlag::DontEnum);
    if (def->name.empty()) {
        push(Value(fn));
    } else {
        defineLocal(f, def->name, Value(fn));
    }
    return next + codeSize;
}

Vm::Interpreter::Completion Vm::Interpreter::doWith(Frame& f, std::span<const std::uint8_t> payload,
                                                    std::size_t next, std::size_t& pc)
{
    ByteReader r(payload);
    std::size_t size = r.u16();
    std::size_t blockEnd = std::min(next + size, f.code->bytes.size());
    Value target = pop(f);
    Object* obj = target.isNullish() ? nullptr : vm_.toObject(target);
    int limit = f.version >= 6 ? 16 : 8;
    if (!obj || f.withDepth >= limit) {
        pc = blockEnd;
        return {};
    }
    Scope* saved = f.scope;
    f.scope = vm_.heap().make<Scope>(obj, f.scope);
    ++f.withDepth;
    Completion c;
    try {
        c = run(f, next, blockEnd);
    } catch (...) {
        f.scope = saved;
        --f.withDepth;
        throw;
    }
    f.scope = saved;
    --f.withDepth;
    pc = c.flow == Flow::Jump ? c.target : blockEnd;
    return c;
}

Vm::Interpreter::Completion Vm::Interpreter::doTry(Frame& f, std::span<const std::uint8_t> payload,
                                                   std::size_t next, std::size_t& pc)
{
    ByteReader r(payload);
    std::uint8_t flags = r.u8();
    std::size_t trySize = r.u16();
    std::size_t catchSize = r.u16();
    std::size_t finallySize = r.u16();
    bool catchInRegister = flags & 0x04;
    bool hasFinally = flags & 0x02;
    bool hasCatch = flags & 0x01;
    String catchName;
    std::uint8_t catchRegister = 0;
    if (catchInRegister) {
        catchRegister = r.u8();
    } else {
        catchName = decodeString(f, r.cstringBytes());
    }
    const std::size_t total = f.code->bytes.size();
    std::size_t tryStart = next;
    std::size_t catchStart = tryStart + trySize;
    std::size_t finallyStart = catchStart + catchSize;
    std::size_t after = finallyStart + finallySize;
    if (after > total) r.fail(FormatError::Kind::Truncated, "try blocks run past the end of the action list");

    vm_.checkNativeStack();
    std::size_t stackHeight = in_.stack.size();
    Scope* scopeAtTry = f.scope;
    int withAtTry = f.withDepth;
    Completion c{Flow::Normal, after};
    bool pending = false;
    Value pendingValue;

    auto restore = [&] {
        if (in_.stack.size() > stackHeight) in_.stack.resize(stackHeight);
        f.scope = scopeAtTry;
        f.withDepth = withAtTry;
    };

    try {
        c = run(f, tryStart, catchStart);
        if (c.flow == Flow::Normal) c.target = after;
    } catch (const ScriptThrow& t) {
        restore();
        if (hasCatch) {
            if (catchInRegister) {
                if (Value* slot = f.reg(catchRegister, in_.globalRegs)) *slot = t.value;
            } else {
                defineLocal(f, catchName, t.value);
            }
            try {
                c = run(f, catchStart, finallyStart);
                if (c.flow == Flow::Normal) c.target = after;
            } catch (const ScriptThrow& t2) {
                restore();
                pending = true;
                pendingValue = t2.value;
            }
        } else {
            pending = true;
            pendingValue = t.value;
        }
    }
    if (hasFinally) {
        Value savedReturn = f.returnValue;
        Completion fc = run(f, finallyStart, after);
        if (fc.flow == Flow::Return || fc.flow == Flow::End || fc.flow == Flow::Jump) {
            // A finally block that leaves by itself overrides the pending outcome.
            pc = fc.flow == Flow::Jump ? fc.target : after;
            return fc;
        }
        f.returnValue = savedReturn;
    }
    if (pending) vm_.throwValue(pendingValue);
    pc = c.flow == Flow::Jump ? c.target : after;
    return c;
}

void Vm::Interpreter::doCallMethod(Frame& f, bool construct)
{
    Value nameValue = pop(f);
    Value objValue = pop(f);
    std::vector<Value> args = popArgs(f);
    bool noName = nameValue.isUndefined() || (nameValue.isString() && nameValue.asString().empty());

    if (construct) {
        Value ctor;
        if (noName) {
            ctor = objValue;
        } else if (Object* o = vm_.toObject(objValue)) {
            ctor = vm_.getMember(o, vm_.toString(nameValue));
        }
        push(vm_.construct(ctor, args));
        return;
    }

    if (noName) {
        Object* o = objValue.asObject();
        if (auto* s = dynamic_cast<SuperObject*>(o)) {
            push(callSuperConstructor(s, args));
            return;
        }
        auto* fn = dynamic_cast<FunctionObject*>(o);
        push(fn ? vm_.invokeFunction(fn, nullptr, args, nullptr, false) : Value());
        return;
    }

    Object* o = vm_.toObject(objValue);
    if (!o) {
        push(Value());
        return;
    }
    String name = vm_.toString(nameValue);
    Object* holder = nullptr;
    Value method = vm_.findMember(o, name, holder);
    auto* fn = dynamic_cast<FunctionObject*>(method.asObject());
    if (!fn) {
        push(Value());
        return;
    }
    Object* thisObj = o;
    if (auto* s = dynamic_cast<SuperObject*>(o)) thisObj = s->thisObj;
    push(vm_.invokeFunction(fn, thisObj, args, holder, false));
}

// super(...): the constructor of the class above the one whose method runs.
Value Vm::Interpreter::callSuperConstructor(SuperObject* s, std::span<const Value> args)
{
    Value ctor;
    if (s->home) ctor = vm_.getMember(s->home, in_.names.constructorHidden);
    if (!dynamic_cast<FunctionObject*>(ctor.asObject()) && s->proto) ctor = vm_.getMember(s->proto, in_.names.constructor);
    auto* fn = dynamic_cast<FunctionObject*>(ctor.asObject());
    return fn ? vm_.invokeFunction(fn, s->thisObj, args, s->proto, true) : Value();
}

void Vm::Interpreter::doEnumerate(Frame& /*f*/, const Value& v)
{
    // The end marker below the names is undefined (loops test it with == null).
    push(Value());
    Object* o = v.asObject();
    if (!o) return;
    std::vector<String> names = vm_.enumerableNames(o);
    for (String& n : names) push(Value(std::move(n)));
}

}  // namespace swf::avm1
