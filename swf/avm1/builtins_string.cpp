// String: constructor, fromCharCode and the prototype methods.

#include <algorithm>
#include <cmath>
#include <limits>

#include "swf/avm1/builtins.h"
#include "swf/avm1/case_mapping.h"
#include "swf/avm1/vm_internals.h"

namespace swf::avm1 {

namespace {

std::u16string thisText(Vm& vm, const CallInfo& c)
{
    if (!c.thisObj) return {};
    if (c.thisObj->kind() == ObjectKind::String) return primitiveOf(c.thisObj).asString().str();
    return vm.toString(Value(c.thisObj)).str();
}

Object* allocateString(Vm& vm, Object* proto)
{
    return vm.heap().make<PrimitiveObject>(proto, ObjectKind::String, Value(String()));
}

Value stringConstructor(Vm& vm, const CallInfo& c)
{
    String s = c.count() > 0 ? argString(vm, c, 0) : String();
    if (!c.isConstruct) return Value(s);
    auto* o = dynamic_cast<PrimitiveObject*>(c.thisObj);
    if (!o) return Value(s);
    o->value = Value(s);
    o->define(vm.internals().names.length, Value(static_cast<double>(s.size())), PropFlag::Hidden);
    return Value(o);
}

// On a String object: its text. Borrowed by any other object, it answers with that object
// unconverted: converting it would ask this same method again, without end.
Value stringValueOf(Vm&, const CallInfo& c)
{
    if (!c.thisObj) return Value();
    if (c.thisObj->kind() == ObjectKind::String) return primitiveOf(c.thisObj);
    return Value(c.thisObj);
}

Value stringFromCharCode(Vm& vm, const CallInfo& c)
{
    std::u16string out;
    for (std::size_t i = 0; i < c.count(); ++i) {
        auto code = static_cast<std::uint16_t>(static_cast<std::uint32_t>(vm.toInt32(c.arg(i))));
        if (code == 0) break;  // a NUL ends the string
        out += char16_t(code);
    }
    return Value(String(std::move(out)));
}

// Positions in string methods are 32-bit integers (4294967297 is 1).
double positionArg(Vm& vm, const CallInfo& c, std::size_t i) { return static_cast<double>(vm.toInt32(c.arg(i))); }

Value stringCharAt(Vm& vm, const CallInfo& c)
{
    std::u16string s = thisText(vm, c);
    double i = positionArg(vm, c, 0);
    if (i < 0 || i >= static_cast<double>(s.size())) return Value(String());
    return Value(String(std::u16string(1, s[static_cast<std::size_t>(i)])));
}

Value stringCharCodeAt(Vm& vm, const CallInfo& c)
{
    std::u16string s = thisText(vm, c);
    double i = positionArg(vm, c, 0);
    if (i < 0 || i >= static_cast<double>(s.size())) return Value(std::nan(""));
    return Value(static_cast<double>(s[static_cast<std::size_t>(i)]));
}

Value stringConcat(Vm& vm, const CallInfo& c)
{
    String s(thisText(vm, c));
    for (const Value& v : c.args) s = vm.concat(s, vm.toString(v));
    return Value(s);
}

Value stringIndexOf(Vm& vm, const CallInfo& c)
{
    if (c.count() == 0) return Value();
    std::u16string s = thisText(vm, c);
    std::u16string needle = argString(vm, c, 0).str();
    double start = c.count() > 1 && !c.arg(1).isUndefined() ? positionArg(vm, c, 1) : 0;
    if (start < 0) start = 0;
    if (start > static_cast<double>(s.size())) return Value(-1.0);
    std::size_t r = s.find(needle, static_cast<std::size_t>(start));
    return Value(r == std::u16string::npos ? -1.0 : static_cast<double>(r));
}

Value stringLastIndexOf(Vm& vm, const CallInfo& c)
{
    if (c.count() == 0) return Value();
    std::u16string s = thisText(vm, c);
    std::u16string needle = argString(vm, c, 0).str();
    std::size_t from = std::u16string::npos;
    if (c.count() > 1 && !c.arg(1).isUndefined()) {
        double d = positionArg(vm, c, 1);
        if (d < 0) return Value(-1.0);
        from = d >= static_cast<double>(s.size()) ? std::u16string::npos : static_cast<std::size_t>(d);
    }
    std::size_t r = s.rfind(needle, from);
    return Value(r == std::u16string::npos ? -1.0 : static_cast<double>(r));
}

std::size_t clampIndex(double d, std::size_t len)
{
    if (std::isnan(d) || d < 0) return 0;
    if (d > static_cast<double>(len)) return len;
    return static_cast<std::size_t>(d);
}

// A start or end argument: undefined means `otherwise`, anything else a 32-bit integer.
double boundArg(Vm& vm, const CallInfo& c, std::size_t i, double otherwise)
{
    if (i >= c.count() || c.arg(i).isUndefined()) return otherwise;
    return positionArg(vm, c, i);
}

Value stringSlice(Vm& vm, const CallInfo& c)
{
    if (c.count() == 0) return Value();
    std::u16string s = thisText(vm, c);
    auto len = static_cast<double>(s.size());
    auto rel = [&](double d) { return clampIndex(d < 0 ? d + len : d, s.size()); };
    std::size_t start = rel(boundArg(vm, c, 0, 0));
    std::size_t end = rel(boundArg(vm, c, 1, len));
    if (end <= start) return Value(String());
    return Value(String(s.substr(start, end - start)));
}

Value stringSubstring(Vm& vm, const CallInfo& c)
{
    if (c.count() == 0) return Value();
    std::u16string s = thisText(vm, c);
    std::size_t start = clampIndex(boundArg(vm, c, 0, 0), s.size());
    std::size_t end = clampIndex(boundArg(vm, c, 1, static_cast<double>(s.size())), s.size());
    if (start > end) std::swap(start, end);
    return Value(String(s.substr(start, end - start)));
}

Value stringSubstr(Vm& vm, const CallInfo& c)
{
    if (c.count() == 0) return Value();
    std::u16string s = thisText(vm, c);
    auto len = static_cast<double>(s.size());
    double startD = boundArg(vm, c, 0, 0);
    if (startD < 0) startD += len;
    std::size_t start = clampIndex(startD, s.size());
    double count = boundArg(vm, c, 1, len);
    if (count < 0) {
        // A negative length counts from the end, and gives nothing once it reaches it.
        count += len;
        if (count <= 0 || static_cast<double>(start) + count >= len) return Value(String());
    }
    if (count <= 0) return Value(String());
    std::size_t n = std::min(static_cast<std::size_t>(count), s.size() - start);
    return Value(String(s.substr(start, n)));
}

// split(separator, limit). A limit of 0 or less gives no parts, with one exception per
// version: SWF 5 splits only at a single character and returns the whole text, whatever the
// limit, for any other separator; SWF 6 returns one empty part for an empty text split at a
// non-empty separator. Without a separator the result is always the whole text.
Value stringSplit(Vm& vm, const CallInfo& c)
{
    std::u16string s = thisText(vm, c);
    ArrayObject* out = vm.newArray();
    if (c.count() == 0 || c.arg(0).isUndefined()) {
        out->push(Value(String(s)));
        return Value(out);
    }
    std::size_t limit = std::numeric_limits<std::size_t>::max();
    if (c.count() > 1 && !c.arg(1).isUndefined()) {
        std::int32_t n = vm.toInt32(c.arg(1));
        limit = n > 0 ? static_cast<std::size_t>(n) : 0;
    }
    std::u16string sep = argString(vm, c, 0).str();
    if (vm.version() < 6) {
        if (sep.size() != 1) {
            out->push(Value(String(s)));
            return Value(out);
        }
    } else if (s.empty()) {
        if (!sep.empty()) out->push(Value(String()));
        return Value(out);
    }
    if (limit == 0) return Value(out);
    if (sep.empty()) {
        if (std::min(s.size(), limit) > ArrayObject::kMaxIterableLength) vm.abort(AbortReason::HeapExhausted, "split into too many parts");
        for (std::size_t i = 0; i < s.size() && out->length() < limit; ++i) {
            out->push(Value(String(std::u16string(1, s[i]))));
        }
        return Value(out);
    }
    std::size_t pos = 0;
    while (out->length() < limit) {
        if (out->length() > ArrayObject::kMaxIterableLength) vm.abort(AbortReason::HeapExhausted, "split into too many parts");
        std::size_t hit = s.find(sep, pos);
        if (hit == std::u16string::npos) {
            out->push(Value(String(s.substr(pos))));
            break;
        }
        out->push(Value(String(s.substr(pos, hit - pos))));
        pos = hit + sep.size();
    }
    return Value(out);
}

Value stringToLowerCase(Vm& vm, const CallInfo& c)
{
    std::u16string s = thisText(vm, c);
    for (auto& ch : s) ch = toLowerChar(ch);
    return Value(String(std::move(s)));
}

Value stringToUpperCase(Vm& vm, const CallInfo& c)
{
    std::u16string s = thisText(vm, c);
    for (auto& ch : s) ch = toUpperChar(ch);
    return Value(String(std::move(s)));
}

}  // namespace

void installString(Vm& vm, Object* global)
{
    auto& b = vm.builtins();
    b.stringProto = vm.heap().make<Object>(b.objectProto);
    Object* p = b.stringProto;
    FunctionObject* ctor = vm.newConstructor(stringConstructor, p, allocateString);
    b.stringCtor = ctor;
    global->define("String", Value(ctor));
    vm.defineMethod(ctor, "fromCharCode", stringFromCharCode);
    struct {
        const char* name;
        NativeFunction fn;
    } methods[] = {{"toString", stringValueOf},
                   {"valueOf", stringValueOf},
                   {"charAt", stringCharAt},
                   {"charCodeAt", stringCharCodeAt},
                   {"concat", stringConcat},
                   {"indexOf", stringIndexOf},
                   {"lastIndexOf", stringLastIndexOf},
                   {"slice", stringSlice},
                   {"substring", stringSubstring},
                   {"substr", stringSubstr},
                   {"split", stringSplit},
                   {"toLowerCase", stringToLowerCase},
                   {"toUpperCase", stringToUpperCase}};
    for (auto& m : methods) vm.defineMethod(p, m.name, m.fn);
}

}  // namespace swf::avm1
