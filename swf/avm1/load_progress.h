#pragma once
// Progress of a load into a LoadVars or XML object: `_bytesLoaded` and `_bytesTotal`, hidden
// members scripts can read but not delete, which getBytesLoaded()/getBytesTotal() report.
// Before any load both are undefined; once a load is asked for, 0 bytes of an unknown total;
// when the data arrives, its size for both.

#include "swf/avm1/value.h"

namespace swf::avm1 {

class Object;
class Vm;
struct CallInfo;

void markLoadStarted(Vm& vm, Object* target);
void markLoadArrived(Vm& vm, Object* target, double bytes);

// getBytesLoaded() and getBytesTotal() of LoadVars and XML.
Value loadBytesLoaded(Vm& vm, const CallInfo& c);
Value loadBytesTotal(Vm& vm, const CallInfo& c);

}  // namespace swf::avm1
