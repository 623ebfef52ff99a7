// String: constructor, fromCharCode and the prototype methods.

#include <algorithm>
#include <cmath>

#include "swf/avm1/builtins.h"
#include "swf/avm1/vm_internals.h"

namespace swf::avm1 {

namespace {

// Case mapping for the scripts movies commonly use: ASCII, Latin-1, Latin Extended-A, Greek
// and Cyrillic.
char16_t lowerChar(char16_t c)
{
    if (c >= u'A' && c <= u'Z') return char16_t(c + 32);
    if (c < 0x80) return c;
    if ((c >= 0xC0 && c <= 0xDE && c != 0xD7)) return char16_t(c + 32);
    if (c >= 0x100 && c <= 0x17F && c != 0x130 && c != 0x131 && c != 0x138 && c != 0x149 && c != 0x17F) {
        bool evenUpper = (c < 0x138) || (c > 0x148 && c < 0x178);
        if (evenUpper ? (c % 2 == 0) : (c % 2 == 1)) return char16_t(c + 1);
        return c;
    }
    if (c == 0x178) return 0xFF;
    if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return char16_t(c + 32);
    if (c >= 0x410 && c <= 0x42F) return char16_t(c + 32);
    if (c >= 0x400 && c <= 0x40F) return char16_t(c + 80);
    return c;
}

char16_t upperChar(char16_t c)
{
    if (c >= u'a' && c <= u'z') return char16_t(c - 32);
    if (c < 0x80) return c;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return char16_t(c - 32);
    if (c == 0xFF) return 0x178;
    if (c >= 0x100 && c <= 0x17F && c != 0x130 && c != 0x131 && c != 0x138 && c != 0x149 && c != 0x17F) {
        bool evenUpper = (c < 0x138) || (c > 0x148 && c < 0x178);
        if (evenUpper ? (c % 2 == 1) : (c % 2 == 0)) return char16_t(c - 1);
        return c;
    }
    if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return char16_t(c - 32);
    if (c >= 0x430 && c <= 0x44F) return char16_t(c - 32);
    if (c >= 0x450 && c <= 0x45F) return char16_t(c - 80);
    return c;
}

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

Value stringValueOf(Vm& vm, const CallInfo& c) { return Value(String(thisText(vm, c))); }

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

Value stringCharAt(Vm& vm, const CallInfo& c)
{
    std::u16string s = thisText(vm, c);
    double i = toInteger(argNumber(vm, c, 0));
    if (i < 0 || i >= static_cast<double>(s.size())) return Value(String());
    return Value(String(std::u16string(1, s[static_cast<std::size_t>(i)])));
}

Value stringCharCodeAt(Vm& vm, const CallInfo& c)
{
    std::u16string s = thisText(vm, c);
    double i = toInteger(argNumber(vm, c, 0));
    if (i < 0 || i >= static_cast<double>(s.size())) return Value(std::nan(""));
    return Value(static_cast<double>(s[static_cast<std::size_t>(i)]));
}

Value stringConcat(Vm& vm, const CallInfo& c)
{
    std::u16string s = thisText(vm, c);
    for (const Value& v : c.args) s += vm.toString(v).view();
    return Value(String(std::move(s)));
}

Value stringIndexOf(Vm& vm, const CallInfo& c)
{
    if (c.count() == 0) return Value(-1.0);
    std::u16string s = thisText(vm, c);
    std::u16string needle = argString(vm, c, 0).str();
    double start = c.count() > 1 ? toInteger(argNumber(vm, c, 1)) : 0;
    if (start < 0) start = 0;
    if (start > static_cast<double>(s.size())) return Value(needle.empty() ? static_cast<double>(s.size()) : -1.0);
    std::size_t r = s.find(needle, static_cast<std::size_t>(start));
    return Value(r == std::u16string::npos ? -1.0 : static_cast<double>(r));
}

Value stringLastIndexOf(Vm& vm, const CallInfo& c)
{
    if (c.count() == 0) return Value(-1.0);
    std::u16string s = thisText(vm, c);
    std::u16string needle = argString(vm, c, 0).str();
    std::size_t from = std::u16string::npos;
    if (c.count() > 1 && !c.arg(1).isUndefined()) {
        double d = toInteger(argNumber(vm, c, 1));
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

Value stringSlice(Vm& vm, const CallInfo& c)
{
    std::u16string s = thisText(vm, c);
    auto rel = [&](double d) {
        d = toInteger(d);
        if (d < 0) d += static_cast<double>(s.size());
        return clampIndex(d, s.size());
    };
    if (c.count() == 0) return Value(String(s));
    std::size_t start = rel(argNumber(vm, c, 0));
    std::size_t end = c.count() > 1 && !c.arg(1).isUndefined() ? rel(argNumber(vm, c, 1)) : s.size();
    if (end <= start) return Value(String());
    return Value(String(s.substr(start, end - start)));
}

Value stringSubstring(Vm& vm, const CallInfo& c)
{
    std::u16string s = thisText(vm, c);
    if (c.count() == 0) return Value(String(s));
    std::size_t start = clampIndex(toInteger(argNumber(vm, c, 0)), s.size());
    std::size_t end = c.count() > 1 && !c.arg(1).isUndefined() ? clampIndex(toInteger(argNumber(vm, c, 1)), s.size())
                                                               : s.size();
    if (start > end) std::swap(start, end);
    return Value(String(s.substr(start, end - start)));
}

Value stringSubstr(Vm& vm, const CallInfo& c)
{
    std::u16string s = thisText(vm, c);
    if (c.count() == 0) return Value(String(s));
    double startD = toInteger(argNumber(vm, c, 0));
    if (startD < 0) startD += static_cast<double>(s.size());
    std::size_t start = clampIndex(startD, s.size());
    double len = c.count() > 1 && !c.arg(1).isUndefined() ? toInteger(argNumber(vm, c, 1))
                                                          : static_cast<double>(s.size());
    if (len < 0) len += static_cast<double>(s.size() - start);
    if (len <= 0) return Value(String());
    std::size_t n = std::min(static_cast<std::size_t>(std::min(len, 4294967295.0)), s.size() - start);
    return Value(String(s.substr(start, n)));
}

Value stringSplit(Vm& vm, const CallInfo& c)
{
    std::u16string s = thisText(vm, c);
    ArrayObject* out = vm.newArray();
    double limitD = c.count() > 1 && !c.arg(1).isUndefined() ? toInteger(argNumber(vm, c, 1)) : 4294967295.0;
    if (limitD < 0) limitD = 4294967295.0;
    auto limit = static_cast<std::size_t>(limitD);
    if (limit == 0) return Value(out);
    if (c.count() == 0 || c.arg(0).isUndefined()) {
        out->push(Value(String(s)));
        return Value(out);
    }
    std::u16string sep = argString(vm, c, 0).str();
    if (sep.empty()) {
        if (vm.version() < 6) {
            out->push(Value(String(s)));
            return Value(out);
        }
        for (std::size_t i = 0; i < s.size() && out->length() < limit; ++i) {
            out->push(Value(String(std::u16string(1, s[i]))));
        }
        return Value(out);
    }
    if (s.empty()) {
        out->push(Value(String()));
        return Value(out);
    }
    std::size_t pos = 0;
    while (out->length() < limit) {
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
    for (auto& ch : s) ch = lowerChar(ch);
    return Value(String(std::move(s)));
}

Value stringToUpperCase(Vm& vm, const CallInfo& c)
{
    std::u16string s = thisText(vm, c);
    for (auto& ch : s) ch = upperChar(ch);
    return Value(String(std::move(s)));
}

}  // namespace

void installString(Vm& vm, Object* global)
{
    auto& b = vm.builtins();
    b.stringProto = vm.heap().make<Object>(b.objectProto);
    Object* p = b.stringProto;
    FunctionObject* ctor = vm.newConstructor(stringConstructor, p, allocateString);
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
