#include "swf/avm1/load_progress.h"

#include "swf/avm1/vm.h"

namespace swf::avm1 {

void markLoadStarted(Vm&, Object* target)
{
    if (!target) return;
    target->define(String("_bytesLoaded"), Value(0.0), PropFlag::Hidden);
    target->define(String("_bytesTotal"), Value(), PropFlag::Hidden);
    target->define(String("loaded"), Value(false), PropFlag::DontEnum);
}

void markLoadArrived(Vm&, Object* target, double bytes)
{
    if (!target) return;
    target->define(String("_bytesLoaded"), Value(bytes), PropFlag::Hidden);
    target->define(String("_bytesTotal"), Value(bytes), PropFlag::Hidden);
}

Value loadBytesLoaded(Vm& vm, const CallInfo& c)
{
    return c.thisObj ? vm.getMember(c.thisObj, String("_bytesLoaded")) : Value();
}

Value loadBytesTotal(Vm& vm, const CallInfo& c)
{
    return c.thisObj ? vm.getMember(c.thisObj, String("_bytesTotal")) : Value();
}

}  // namespace swf::avm1
