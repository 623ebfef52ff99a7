// Number, Boolean and Math.

#include <cmath>
#include <limits>
#include <random>

#include "swf/avm1/builtins.h"
#include "swf/avm1/number_format.h"
#include "swf/avm1/vm_internals.h"

namespace swf::avm1 {

namespace {

Object* allocateNumber(Vm& vm, Object* proto)
{
    return vm.heap().make<PrimitiveObject>(proto, ObjectKind::Number, Value(0.0));
}

Object* allocateBoolean(Vm& vm, Object* proto)
{
    return vm.heap().make<PrimitiveObject>(proto, ObjectKind::Boolean, Value(false));
}

Value numberConstructor(Vm& vm, const CallInfo& c)
{
    double n = c.count() > 0 ? argNumber(vm, c, 0) : 0.0;
    if (!c.isConstruct) return Value(n);
    if (auto* o = dynamic_cast<PrimitiveObject*>(c.thisObj)) o->value = Value(n);
    return Value(c.thisObj);
}

Value numberToString(Vm& vm, const CallInfo& c)
{
    if (!c.thisObj || c.thisObj->kind() != ObjectKind::Number) return Value();
    double n = primitiveOf(c.thisObj).asNumber();
    int radix = 10;
    if (c.count() > 0 && !c.arg(0).isUndefined()) radix = toClampedInt(argNumber(vm, c, 0));
    if (radix == 10 || radix < 2 || radix > 36) return Value(String(formatNumber(n)));
    return Value(String(formatNumberRadix(n, radix)));
}

Value numberValueOf(Vm&, const CallInfo& c)
{
    if (!c.thisObj || c.thisObj->kind() != ObjectKind::Number) return Value();
    return primitiveOf(c.thisObj);
}

Value booleanConstructor(Vm& vm, const CallInfo& c)
{
    bool b = c.count() > 0 && vm.toBoolean(c.arg(0));
    if (!c.isConstruct) return c.count() == 0 ? Value() : Value(b);
    if (auto* o = dynamic_cast<PrimitiveObject*>(c.thisObj)) o->value = Value(b);
    return Value(c.thisObj);
}

Value booleanToString(Vm&, const CallInfo& c)
{
    if (!c.thisObj || c.thisObj->kind() != ObjectKind::Boolean) return Value();
    return Value(primitiveOf(c.thisObj).asBoolean() ? "true" : "false");
}

Value booleanValueOf(Vm&, const CallInfo& c)
{
    if (!c.thisObj || c.thisObj->kind() != ObjectKind::Boolean) return Value();
    return primitiveOf(c.thisObj);
}

// Every Math function reads its first two arguments as numbers, in order, whether it uses
// them or not (a valueOf of each runs); further arguments are ignored, and a missing one is NaN.
struct MathArgs {
    double a, b;
};
MathArgs mathArgs(Vm& vm, const CallInfo& c)
{
    double a = c.count() > 0 ? argNumber(vm, c, 0) : std::nan("");
    double b = c.count() > 1 ? argNumber(vm, c, 1) : std::nan("");
    return {a, b};
}

template <double (*F)(double)>
Value mathUnary(Vm& vm, const CallInfo& c)
{
    if (c.count() == 0) return Value(std::nan(""));
    return Value(F(mathArgs(vm, c).a));
}

double roundFlash(double x) { return std::floor(x + 0.5); }
double absD(double x) { return std::fabs(x); }
double sinD(double x) { return std::sin(x); }
double cosD(double x) { return std::cos(x); }
double tanD(double x) { return std::tan(x); }
double asinD(double x) { return std::asin(x); }
double acosD(double x) { return std::acos(x); }
double atanD(double x) { return std::atan(x); }
double expD(double x) { return std::exp(x); }
double logD(double x) { return std::log(x); }
double sqrtD(double x) { return std::sqrt(x); }
double floorD(double x) { return std::floor(x); }
double ceilD(double x) { return std::ceil(x); }

// min and max compare the first two arguments only; with none they give the identity of
// the comparison, with one the missing second makes NaN.
Value mathMax(Vm& vm, const CallInfo& c)
{
    if (c.count() == 0) return Value(-std::numeric_limits<double>::infinity());
    auto [a, b] = mathArgs(vm, c);
    if (std::isnan(a) || std::isnan(b)) return Value(std::nan(""));
    return Value(std::max(a, b));
}

Value mathMin(Vm& vm, const CallInfo& c)
{
    if (c.count() == 0) return Value(std::numeric_limits<double>::infinity());
    auto [a, b] = mathArgs(vm, c);
    if (std::isnan(a) || std::isnan(b)) return Value(std::nan(""));
    return Value(std::min(a, b));
}

Value mathAtan2(Vm& vm, const CallInfo& c)
{
    auto [a, b] = mathArgs(vm, c);
    return Value(std::atan2(a, b));
}

// C's pow, as the player's: pow(1, NaN) is 1.
Value mathPow(Vm& vm, const CallInfo& c)
{
    auto [a, b] = mathArgs(vm, c);
    return Value(std::pow(a, b));
}

Value mathRandom(Vm& vm, const CallInfo& c)
{
    mathArgs(vm, c);
    return Value(std::uniform_real_distribution<double>(0.0, 1.0)(vm.random()));
}

// ASnative(200, n) for an n Math does not have: the arguments are still read, the result is NaN.
Value mathUnknown(Vm& vm, const CallInfo& c)
{
    mathArgs(vm, c);
    return Value(std::nan(""));
}

}  // namespace

void installNumberBooleanMath(Vm& vm, Object* global)
{
    auto& b = vm.builtins();
    const std::uint16_t constFlags = PropFlag::Hidden | PropFlag::ReadOnly;

    b.numberProto = vm.heap().make<PrimitiveObject>(b.objectProto, ObjectKind::Number, Value(0.0));
    FunctionObject* number = vm.newConstructor(numberConstructor, b.numberProto, allocateNumber);
    b.numberCtor = number;
    global->define("Number", Value(number));
    vm.defineMethod(b.numberProto, "toString", numberToString);
    vm.defineMethod(b.numberProto, "valueOf", numberValueOf);
    number->define("MAX_VALUE", Value(std::numeric_limits<double>::max()), constFlags);
    number->define("MIN_VALUE", Value(std::numeric_limits<double>::denorm_min()), constFlags);
    number->define("NaN", vm.freshNaN(), constFlags);
    number->define("NEGATIVE_INFINITY", Value(-std::numeric_limits<double>::infinity()), constFlags);
    number->define("POSITIVE_INFINITY", Value(std::numeric_limits<double>::infinity()), constFlags);

    b.booleanProto = vm.heap().make<PrimitiveObject>(b.objectProto, ObjectKind::Boolean, Value(false));
    FunctionObject* boolean = vm.newConstructor(booleanConstructor, b.booleanProto, allocateBoolean);
    b.booleanCtor = boolean;
    global->define("Boolean", Value(boolean));
    vm.defineMethod(b.booleanProto, "toString", booleanToString);
    vm.defineMethod(b.booleanProto, "valueOf", booleanValueOf);

    Object* math = vm.newObject();
    global->define("Math", Value(math));
    struct {
        const char* name;
        NativeFunction fn;
    } functions[] = {{"abs", mathUnary<absD>},     {"min", mathMin},           {"max", mathMax},
                     {"sin", mathUnary<sinD>},     {"cos", mathUnary<cosD>},   {"atan2", mathAtan2},
                     {"tan", mathUnary<tanD>},     {"exp", mathUnary<expD>},   {"log", mathUnary<logD>},
                     {"sqrt", mathUnary<sqrtD>},   {"round", mathUnary<roundFlash>}, {"random", mathRandom},
                     {"floor", mathUnary<floorD>}, {"ceil", mathUnary<ceilD>}, {"atan", mathUnary<atanD>},
                     {"asin", mathUnary<asinD>},   {"acos", mathUnary<acosD>}, {"pow", mathPow}};
    int index = 0;
    for (auto& f : functions) {
        vm.defineMethod(math, f.name, f.fn);
        vm.registerNative(200, index++, f.fn);  // ASnative(200, n) in the player's order
    }
    vm.registerNative(200, -1, mathUnknown);  // index -1: what the table answers for unknown indices
    math->define("E", Value(M_E), constFlags);
    math->define("LN10", Value(M_LN10), constFlags);
    math->define("LN2", Value(M_LN2), constFlags);
    math->define("LOG10E", Value(M_LOG10E), constFlags);
    math->define("LOG2E", Value(M_LOG2E), constFlags);
    math->define("PI", Value(M_PI), constFlags);
    math->define("SQRT1_2", Value(M_SQRT1_2), constFlags);
    math->define("SQRT2", Value(M_SQRT2), constFlags);
}

}  // namespace swf::avm1
