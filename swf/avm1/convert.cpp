// Conversions between value types under the rules of the executing code's SWF version.

#include <cmath>

#include "swf/avm1/display_object.h"
#include "swf/avm1/number_format.h"
#include "swf/avm1/vm_internals.h"

namespace swf::avm1 {

namespace {
bool isFunction(const Object* o) { return o && o->kind() == ObjectKind::Function; }
}  // namespace

Value Vm::toPrimitive(const Value& v, PrimitiveHint hint)
{
    Object* o = v.asObject();
    if (!o) return v;
    if (o->kind() == ObjectKind::Display) {
        // Clips convert by their own rules: their path as text, NaN as a number.
        auto* w = static_cast<DisplayWrapper*>(o);
        if (w->node() || w->detached) {
            if (hint == PrimitiveHint::String) return Value(targetPathOf(o, false));
            return v;
        }
    }
    // The super object converts like an object without methods.
    if (o->kind() == ObjectKind::Super) {
        return hint == PrimitiveHint::String ? Value(String("[type Object]")) : Value();
    }
    // Numbers ask valueOf only, text asks toString only, operators without a hint try both.
    const Names& n = internals_->names;
    std::vector<const String*> order;
    if (hint != PrimitiveHint::String) order.push_back(&n.valueOf);
    if (hint != PrimitiveHint::Number) order.push_back(&n.toStringName);
    // From SWF 6 a date without a hint prefers its text, as in ECMA-262.
    if (hint == PrimitiveHint::None && o->kind() == ObjectKind::Date && version_ >= 6) std::swap(order[0], order[1]);
    bool callable = false;
    for (const String* name : order) {
        Value fn = getMember(o, *name);
        if (auto* f = dynamic_cast<FunctionObject*>(fn.asObject())) {
            callable = true;
            Value r = invokeFunction(f, o, {}, nullptr, false);
            // toString() answering with a number or boolean leaves the object without text.
            if (name == &n.toStringName && !r.isString() && !r.isNullish() && r.isPrimitive()) break;
            if (r.isPrimitive() || r.asObject()->kind() == ObjectKind::Display) return r;
        }
    }
    // Methods that only return objects give a type name; so does text of an object without
    // methods. Otherwise an object without methods is undefined.
    if (!callable && hint != PrimitiveHint::String) return Value();
    return Value(String(isFunction(o) ? "[type Function]" : "[type Object]"));
}

double Vm::toNumber(const Value& v)
{
    switch (v.type()) {
    case ValueType::Undefined:
    case ValueType::Null: return version_ >= 7 ? std::nan("") : 0.0;
    case ValueType::Boolean: return v.asBoolean() ? 1.0 : 0.0;
    case ValueType::Number:
        // SWF 4 keeps numbers as text: NaN and the infinities read back as 0.
        if (version_ <= 4 && !std::isfinite(v.asNumber())) return 0.0;
        return v.asNumber();
    case ValueType::String: return stringToNumber(v.asString().view(), version_);
    case ValueType::Object: {
        Object* o = v.asObject();
        if (o->kind() == ObjectKind::Display) return std::nan("");
        Value p = toPrimitive(v, PrimitiveHint::Number);
        if (p.isObject()) return std::nan("");
        return toNumber(p);
    }
    }
    return std::nan("");
}

String Vm::toString(const Value& v)
{
    switch (v.type()) {
    case ValueType::Undefined: return version_ >= 7 ? String("undefined") : String();
    case ValueType::Null: return String("null");
    case ValueType::Boolean: return String(v.asBoolean() ? "true" : "false");
    case ValueType::Number: return String(formatNumber(v.asNumber()));
    case ValueType::String: return v.asString();
    case ValueType::Object: {
        // A String object gives its own text without asking its (replaceable) toString.
        if (v.asObject()->kind() == ObjectKind::String) {
            if (auto* w = dynamic_cast<const PrimitiveObject*>(v.asObject()); w && w->value.isString()) return w->value.asString();
        }
        Value p = toPrimitive(v, PrimitiveHint::String);
        if (p.isString()) return p.asString();
        if (p.isObject()) return targetPathOf(p.asObject(), false);
        // toString() answered with something that is not text: the object has no text.
        if (!p.isUndefined()) return String(v.asObject()->kind() == ObjectKind::Function ? "[type Function]" : "[type Object]");
        return toString(p);
    }
    }
    return String();
}

bool Vm::toBoolean(const Value& v)
{
    switch (v.type()) {
    case ValueType::Undefined:
    case ValueType::Null: return false;
    case ValueType::Boolean: return v.asBoolean();
    case ValueType::Number: return v.asNumber() != 0 && !std::isnan(v.asNumber());
    case ValueType::String: {
        if (version_ >= 7) return !v.asString().empty();
        double n = stringToNumber(v.asString().view(), version_);
        return n != 0 && !std::isnan(n);
    }
    case ValueType::Object: return true;
    }
    return false;
}

std::int32_t Vm::toInt32(const Value& v)
{
    double n = toNumber(v);
    if (!std::isfinite(n)) return 0;
    double t = std::fmod(std::trunc(n), 4294967296.0);
    if (t < 0) t += 4294967296.0;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(t));
}

namespace {
const char* wrapperName(ValueType t)
{
    switch (t) {
    case ValueType::String: return "String";
    case ValueType::Number: return "Number";
    case ValueType::Boolean: return "Boolean";
    default: return nullptr;
    }
}
}  // namespace

bool Vm::builtinWrapperFor(const Value& v)
{
    const char* name = wrapperName(v.type());
    if (!name) return false;
    FunctionObject* builtin = v.isString() ? builtins_.stringCtor : (v.isNumber() ? builtins_.numberCtor : builtins_.booleanCtor);
    Value current;
    return lookupMember(global_, String(name), current) && current.asObject() == builtin;
}

Object* Vm::toObject(const Value& v)
{
    if (Object* o = v.asObject()) return o;
    const char* name = wrapperName(v.type());
    if (!name) return nullptr;
    if (builtinWrapperFor(v)) return newPrimitiveObject(v);
    Value ctor = getMember(global_, String(name));
    return construct(ctor, std::span<const Value>(&v, 1)).asObject();
}

String Vm::typeOf(const Value& v)
{
    switch (v.type()) {
    case ValueType::Undefined: return String("undefined");
    case ValueType::Null: return String("null");
    case ValueType::Boolean: return String("boolean");
    case ValueType::Number: return String("number");
    case ValueType::String: return String("string");
    case ValueType::Object: {
        Object* o = v.asObject();
        if (isFunction(o)) return String("function");
        if (o->kind() == ObjectKind::Display &&
            static_cast<DisplayWrapper*>(o)->displayKind == DisplayKind::MovieClip) {
            return String("movieclip");
        }
        return String("object");
    }
    }
    return String("undefined");
}

String Vm::targetPathOf(Object* obj, bool slashSyntax)
{
    auto* w = dynamic_cast<DisplayWrapper*>(obj);
    if (!w) return String();
    std::shared_ptr<DisplayNode> node = w->node();
    if (!node) {
        // A removed clip answers for the clip now at its old path; with none there, it has no path.
        if (!w->detached) return String();
        auto* again = dynamic_cast<DisplayWrapper*>(resolveTarget(levelObject(0), w->detachedPath));
        return again && again != w && again->node() ? targetPathOf(again, slashSyntax) : String();
    }
    std::vector<std::u16string> names;
    DisplayNode* n = node.get();
    int guard = 0;
    while (n->parent() && guard++ < 10000) {
        names.push_back(n->name());
        n = n->parent();
    }
    int level = n->levelNumber();
    std::u16string levelName = u"_level" + asciiToUtf16(std::to_string(level));
    std::u16string out;
    if (slashSyntax) {
        out = level == 0 ? u"" : levelName;
        if (names.empty()) return String(level == 0 ? std::u16string(u"/") : out);
        for (auto it = names.rbegin(); it != names.rend(); ++it) out += u"/" + *it;
    } else {
        out = levelName;
        for (auto it = names.rbegin(); it != names.rend(); ++it) out += u"." + *it;
    }
    return String(std::move(out));
}

Object* Vm::rootOf(Object* obj)
{
    auto* w = dynamic_cast<DisplayWrapper*>(obj);
    if (!w) return levelObject(0);
    // A clip removed from the stage has no root: tellTarget("_root") in its still-running
    // frame script targets nothing.
    std::shared_ptr<DisplayNode> node = w->node();
    if (!node) return nullptr;
    DisplayNode* n = node.get();
    const Names& names = internals_->names;
    int guard = 0;
    while (n->parent() && guard++ < 10000) {
        // A loaded movie that sets _lockroot keeps _root pointing at its own root clip.
        if (Object* so = n->scriptObject()) {
            Property* p = so->findOwn(names.lockroot, false);
            if (p && !p->getter && toBoolean(p->value)) return so;
        }
        n = n->parent();
    }
    // The top of a removed tree is no level's root.
    Object* top = n->scriptObject();
    Object* level = levelObject(n->levelNumber());
    return level && top != level ? nullptr : top;
}

}  // namespace swf::avm1
