// flash.net.FileReferenceList: a broadcaster whose browse() checks its file type filters the way
// Flash Player does. The engine has no file dialog of its own, so a browse that passes the
// checks reports success and no selection ever follows (as if the dialog stayed open).

#include "swf/avm1/builtins.h"
#include "swf/avm1/vm_internals.h"

namespace swf::avm1 {

namespace {

Value fileListConstructor(Vm& vm, const CallInfo& c)
{
    if (!c.thisObj) return Value();
    c.thisObj->define(vm.internals().names.listeners, Value(vm.newArray()), PropFlag::DontEnum);
    c.thisObj->define("fileList", Value(vm.newArray()), PropFlag::DontEnum);
    return Value(c.thisObj);
}

// A filter field: the object's own property as text; empty when missing, empty or when its
// getter throws. Converting the value to text may throw, and that reaches the script.
String filterField(Vm& vm, Object* filter, const char* name)
{
    const String key(name);
    if (!vm.hasOwnProperty(filter, key)) return String();
    Value v;
    auto& stack = vm.internals().stack;
    const std::size_t height = stack.size();
    try {
        v = vm.getMember(filter, key);
    } catch (const ScriptThrow&) {
        if (stack.size() > height) stack.resize(height);  // what the unwound getter left behind
        return String();
    }
    if (v.isUndefined()) return String();
    return vm.toString(v);
}

// browse([filters]): without an argument any file may be chosen; otherwise the argument must
// be a non-empty array of objects that each own a non-empty description and extension.
Value fileListBrowse(Vm& vm, const CallInfo& c)
{
    if (c.count() == 0) return Value(true);
    auto* filters = dynamic_cast<ArrayObject*>(c.arg(0).asObject());
    if (!filters || filters->length() == 0 || filters->length() > ArrayObject::kMaxIterableLength) return Value(false);
    bool valid = true;
    for (const Value& entry : filters->values()) {
        Object* filter = entry.asObject();
        if (!filter) return Value(false);
        if (filterField(vm, filter, "description").empty() || filterField(vm, filter, "extension").empty()) valid = false;
        if (vm.hasOwnProperty(filter, String("macType"))) filterField(vm, filter, "macType");
        if (!valid) return Value(false);
    }
    return Value(true);
}

}  // namespace

void installFileReferenceList(Vm& vm, Object* global)
{
    Object* flash = vm.getMember(global, String("flash")).asObject();
    if (!flash) return;
    Object* net = vm.getMember(flash, String("net")).asObject();
    if (!net) {
        net = vm.newObject();
        flash->define("net", Value(net), PropFlag::Hidden);
    }
    Object* proto = vm.newObject();
    FunctionObject* ctor = vm.newConstructor(fileListConstructor, proto);
    net->define("FileReferenceList", Value(ctor), PropFlag::Hidden);
    Object* broadcaster = vm.builtins().asBroadcaster;
    for (const char* name : {"addListener", "removeListener", "broadcastMessage"}) {
        proto->define(name, vm.getMember(broadcaster, String(name)), PropFlag::DontEnum);
    }
    vm.defineMethod(proto, "browse", fileListBrowse, PropFlag::DontEnum);
}

}  // namespace swf::avm1
