#pragma once
// Installers of the built-in classes and functions, one per file, and small helpers the
// natives share.

#include <algorithm>
#include <cmath>

#include "swf/avm1/number_format.h"
#include "swf/avm1/vm.h"

namespace swf::avm1 {

void installObjectAndFunction(Vm& vm, Object* global);
void installArray(Vm& vm, Object* global);
void installString(Vm& vm, Object* global);
void installNumberBooleanMath(Vm& vm, Object* global);
void installDate(Vm& vm, Object* global);
void installGlobalFunctions(Vm& vm, Object* global);
void installBroadcaster(Vm& vm, Object* global);
void installSystem(Vm& vm, Object* global);
void installInput(Vm& vm, Object* global);  // Key, Mouse, Stage, Selection
void installMovieClip(Vm& vm, Object* global);
void installButtonAndTextField(Vm& vm, Object* global);
void installColorAndSound(Vm& vm, Object* global);
void installXml(Vm& vm, Object* global);
void installLoadVarsAndMisc(Vm& vm, Object* global);
void installTextSnapshot(Vm& vm, Object* global);
void installError(Vm& vm, Object* global);
void installGeom(Vm& vm, Object* global);  // flash.geom; after MovieClip
void installFileReferenceList(Vm& vm, Object* global);  // flash.net; after installGeom

// Argument helpers.
inline double argNumber(Vm& vm, const CallInfo& c, std::size_t i) { return vm.toNumber(c.arg(i)); }
inline String argString(Vm& vm, const CallInfo& c, std::size_t i) { return vm.toString(c.arg(i)); }
inline std::int32_t argInt(Vm& vm, const CallInfo& c, std::size_t i) { return vm.toInt32(c.arg(i)); }
// ToInteger: NaN -> 0, otherwise truncated toward zero.
inline double toInteger(double d) { return std::isnan(d) ? 0 : std::trunc(d); }

// A String wrapper's text, a Number's number, ...; the primitive itself for primitives.
Value primitiveOf(const Object* o);

}  // namespace swf::avm1
