#pragma once
// The operators whose rules need the VM (conversions may call valueOf/toString).

#include "swf/avm1/value.h"

namespace swf::avm1 {

class Vm;

// ECMA `+` (Add2): concatenation if either primitive is a string, else numeric addition.
Value addValues(Vm& vm, const Value& left, const Value& right);
// Abstract equality (Equals2).
bool looseEquals(Vm& vm, const Value& a, const Value& b);
// Strict equality: same type and equal.
bool strictEquals(const Value& a, const Value& b);
// Abstract relational comparison a < b: true, false, or undefined when NaN is involved.
Value lessThan(Vm& vm, const Value& a, const Value& b);
// a > b (Greater): a is converted first, then the comparison runs as b < a.
Value greaterThan(Vm& vm, const Value& a, const Value& b);

}  // namespace swf::avm1
