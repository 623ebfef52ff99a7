#include "swf/avm1/operators.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>

#include "swf/avm1/object.h"
#include "swf/avm1/vm.h"

namespace swf::avm1 {

Value addValues(Vm& vm, const Value& left, const Value& right)
{
    Value a = vm.toPrimitive(left);
    Value b = vm.toPrimitive(right);
    if (a.isString() || b.isString() || a.isObject() || b.isObject()) {
        return Value(vm.concat(vm.toString(a), vm.toString(b)));
    }
    return Value(vm.toNumber(a) + vm.toNumber(b));
}

bool strictEquals(const Value& a, const Value& b)
{
    if (a.type() != b.type()) return false;
    switch (a.type()) {
    case ValueType::Undefined:
    case ValueType::Null: return true;
    case ValueType::Boolean: return a.asBoolean() == b.asBoolean();
    case ValueType::Number: {
        double x = a.asNumber(), y = b.asNumber();
        if (std::isnan(x) && std::isnan(y)) {
            // NaNs are equal only to copies of themselves (same identity bits).
            std::uint64_t bx, by;
            std::memcpy(&bx, &x, sizeof bx);
            std::memcpy(&by, &y, sizeof by);
            return bx == by;
        }
        return x == y;
    }
    case ValueType::String: return a.asString() == b.asString();
    case ValueType::Object: return a.asObject() == b.asObject();
    }
    return false;
}

bool looseEquals(Vm& vm, const Value& a, const Value& b)
{
    if (a.type() == b.type()) {
        if (a.isObject()) {
            // A function compared with itself, clips by identity.
            return a.asObject() == b.asObject();
        }
        return strictEquals(a, b);
    }
    if (a.isNullish() && b.isNullish()) return true;
    // An object without conversion methods converts to undefined and so equals undefined.
    if (a.isObject() && b.isNullish()) return vm.toPrimitive(a).isNullish();
    if (b.isObject() && a.isNullish()) return vm.toPrimitive(b).isNullish();
    if (a.isNullish() || b.isNullish()) return false;
    if (a.isNumber() && b.isString()) return a.asNumber() == vm.toNumber(b);
    if (a.isString() && b.isNumber()) return vm.toNumber(a) == b.asNumber();
    if (a.isBoolean()) return looseEquals(vm, Value(a.asBoolean() ? 1.0 : 0.0), b);
    if (b.isBoolean()) return looseEquals(vm, a, Value(b.asBoolean() ? 1.0 : 0.0));
    if (a.isObject() && !b.isObject()) {
        Value pa = vm.toPrimitive(a);
        if (pa.isObject()) return false;
        return looseEquals(vm, pa, b);
    }
    if (b.isObject() && !a.isObject()) {
        Value pb = vm.toPrimitive(b);
        if (pb.isObject()) return false;
        return looseEquals(vm, a, pb);
    }
    return false;
}

namespace {
// Compares primitives a < b.
Value primitiveLess(Vm& vm, const Value& a, const Value& b)
{
    if (a.isString() && b.isString()) return Value(a.asString().view() < b.asString().view());
    double x = vm.toNumber(a);
    double y = vm.toNumber(b);
    if (std::isnan(x) || std::isnan(y)) return Value();
    return Value(x < y);
}

// An operand of Less2: an object answers with valueOf() alone. Empty when it answers with an
// object (as Object.prototype.valueOf does): the comparison is then false, and the other
// operand is not converted at all. Clips compare as NaN.
std::optional<Value> relationalOperand(Vm& vm, const Value& v)
{
    Object* o = v.asObject();
    if (!o || o->kind() == ObjectKind::Display) return v;
    auto* fn = dynamic_cast<FunctionObject*>(vm.getMember(o, String("valueOf")).asObject());
    if (!fn) return Value();
    Value r = vm.invokeFunction(fn, o, {}, nullptr, false);
    if (r.isObject() && r.asObject()->kind() != ObjectKind::Display) return std::nullopt;
    return r;
}
}  // namespace

Value lessThan(Vm& vm, const Value& left, const Value& right)
{
    std::optional<Value> a = relationalOperand(vm, left);
    if (!a) return Value(false);
    std::optional<Value> b = relationalOperand(vm, right);
    if (!b) return Value(false);
    return primitiveLess(vm, *a, *b);
}

Value greaterThan(Vm& vm, const Value& left, const Value& right)
{
    Value a = vm.toPrimitive(left);
    Value b = vm.toPrimitive(right);
    return primitiveLess(vm, b, a);
}

}  // namespace swf::avm1
