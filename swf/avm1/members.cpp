// Property access with the script semantics: prototype chains, getters and setters added with
// addProperty, watchers, __resolve, version-dependent name matching and visibility, display
// objects that forward to their node, and the enumeration order of for..in.

#include <algorithm>
#include <cmath>

#include "swf/avm1/display_object.h"
#include "swf/avm1/interpreter.h"
#include "swf/avm1/text_encoding.h"
#include "swf/avm1/vm_internals.h"

namespace swf::avm1 {

namespace {
constexpr int kMaxProtoDepth = limits::kMaxPrototypeDepth;

bool sameName(const String& a, const String& b, bool caseSensitive)
{
    return caseSensitive ? a == b : a.equalsIgnoreCase(b);
}

// The next object of a prototype chain: none when __proto__ is hidden from this version.
Object* nextProto(const Object* o, int version)
{
    if (!o->hasProtoProperty() || !prototypeLinkVisible(o->protoSlot().flags, version)) return nullptr;
    return o->proto();
}
}  // namespace

namespace {
// A getter or setter may run nested inside itself a limited number of times: not at all before
// SWF 7, 64 times from SWF 7 on. Beyond that the property acts as a plain value slot, so that an
// accessor that reads or writes its own property ends instead of recursing without end.
int accessorNestingLimit(int version) { return version >= 7 ? 65 : 1; }

class AccessorGuard {
public:
    AccessorGuard(std::map<const Object*, int>& active, const Object* fn, int version) : active_(active), fn_(fn)
    {
        int& n = active_[fn_];
        entered_ = n < accessorNestingLimit(version);
        if (entered_) ++n;
    }
    ~AccessorGuard()
    {
        auto it = active_.find(fn_);
        if (it == active_.end()) return;
        if (entered_) --it->second;
        if (it->second <= 0) active_.erase(it);
    }
    AccessorGuard(const AccessorGuard&) = delete;
    AccessorGuard& operator=(const AccessorGuard&) = delete;
    bool entered() const { return entered_; }

private:
    std::map<const Object*, int>& active_;
    const Object* fn_;
    bool entered_ = false;
};
}  // namespace

// A reference to a clip that was removed finds the clip now at the same path, if any.
static Object* liveTarget(Vm& vm, Object* o)
{
    if (!o || o->kind() != ObjectKind::Display) return o;
    auto* w = static_cast<DisplayWrapper*>(o);
    if (!w->detached || w->node()) return o;
    Object* again = vm.resolveTarget(vm.levelObject(0), w->detachedPath);
    return again && again != o ? again : o;
}

Value Vm::findMember(Object* obj, const String& name, Object*& holder)
{
    holder = nullptr;
    if (!obj) return Value();
    Object* self = obj;
    if (auto* s = dynamic_cast<SuperObject*>(obj)) {
        self = s->thisObj;
        obj = s->proto;
    }
    obj = liveTarget(*this, obj);
    if (self && self->kind() == ObjectKind::Display) self = liveTarget(*this, self);
    const bool cs = caseSensitive();
    const Names& n = internals_->names;
    Object* o = obj;
    for (int depth = 0; o && depth < kMaxProtoDepth; ++depth) {
        Value out;
        if (o->getVirtual(*this, name, out)) {
            holder = o;
            return out;
        }
        int i = o->properties().find(name, cs);
        if (i >= 0) {
            const Property& p = o->properties().at(i);
            if (propertyVisible(p.flags, version_)) {
                holder = o;
                if (p.getter) {
                    Object* getter = p.getter;
                    AccessorGuard guard(internals_->activeAccessors, getter, version_);
                    if (!guard.entered()) return p.value;
                    return invoke(Value(getter), self, {});
                }
                return p.value;
            }
        }
        if (o->hasProtoProperty() && sameName(name, n.proto, cs) && propertyVisible(o->protoSlot().flags, version_)) {
            holder = o;
            const Object::ProtoSlot& slot = o->protoSlot();
            if (slot.getter) return invoke(Value(slot.getter), self, {});
            return slot.value;
        }
        if (o->kind() == ObjectKind::Display) {
            auto* w = static_cast<DisplayWrapper*>(o);
            if (auto node = w->node()) {
                if (DisplayNode* child = node->childByName(name.view(), node->swfVersion() >= 7 && cs)) {
                    holder = o;
                    return Value(child->scriptObject());
                }
            }
        }
        o = nextProto(o, version_);
    }
    // A chain that never ends (a.__proto__ = a) stops the script, as deep recursion does.
    if (o) abort(AbortReason::Recursion, "prototype chain too long");
    return Value();
}

bool Vm::lookupMember(Object* obj, const String& name, Value& out)
{
    Object* holder = nullptr;
    out = findMember(obj, name, holder);
    return holder != nullptr;
}

bool Vm::resolveMissing(Object* obj, const String& name, Value& out)
{
    const Names& n = internals_->names;
    if (!obj || sameName(name, n.resolve, caseSensitive())) return false;
    // The first __resolve along the chain decides; one added with addProperty does not count.
    Object* resolveHolder = nullptr;
    Value resolver;
    int depth = 0;
    for (Object* o = obj; o && depth < kMaxProtoDepth; o = nextProto(o, version_), ++depth) {
        int i = o->properties().find(n.resolve, caseSensitive());
        if (i < 0 || !propertyVisible(o->properties().at(i).flags, version_)) continue;
        const Property& p = o->properties().at(i);
        if (p.getter || p.setter) return false;
        resolver = p.value;
        resolveHolder = o;
        break;
    }
    auto* f = dynamic_cast<FunctionObject*>(resolver.asObject());
    if (!f) return false;
    Value arg(name);
    out = invokeFunction(f, obj, std::span<const Value>(&arg, 1), resolveHolder, false);
    return true;
}

Value Vm::getMember(Object* obj, const String& name)
{
    Object* holder = nullptr;
    Value v = findMember(obj, name, holder);
    if (holder) return v;
    Value resolved;
    if (resolveMissing(obj, name, resolved)) return resolved;
    return Value();
}

void Vm::setMember(Object* obj, const String& name, const Value& value)
{
    if (!obj) return;
    if (auto* s = dynamic_cast<SuperObject*>(obj)) obj = s->thisObj;
    obj = liveTarget(*this, obj);
    if (!obj || name.empty()) return;  // a property without a name cannot be made
    const bool cs = caseSensitive();
    const Names& n = internals_->names;
    Value v = value;
    // Watchers see the assignment first and decide the stored value. A watcher does not fire
    // again for assignments made by its own callback.
    auto& watches = obj->watches();
    for (std::size_t wi = 0; wi < watches.size(); ++wi) {
        if (!sameName(watches[wi].name, name, cs)) continue;
        Object* cb = watches[wi].callback;
        Value userData = watches[wi].userData;
        if (!cb || internals_->activeWatches.count({obj, wi})) break;
        Value old;
        if (sameName(name, n.proto, cs)) {
            old = obj->protoSlot().value;
        } else if (int oi = obj->properties().find(name, cs); oi >= 0 && !obj->properties().at(oi).getter) {
            old = obj->properties().at(oi).value;
        }
        internals_->activeWatches.insert({obj, wi});
        Value args[] = {Value(name), old, v, userData};
        try {
            v = invoke(Value(cb), obj, args);
        } catch (...) {
            internals_->activeWatches.erase({obj, wi});
            throw;
        }
        internals_->activeWatches.erase({obj, wi});
        break;
    }
    if (sameName(name, n.proto, cs)) {
        Object::ProtoSlot& slot = obj->protoSlot();
        if (slot.present && (slot.getter || slot.setter)) {
            // An accessor named __proto__ takes the value; the prototype chain stays as it was.
            if (Object* setter = slot.setter) invoke(Value(setter), obj, std::span<const Value>(&v, 1));
            return;
        }
        if (slot.present && (slot.flags & PropFlag::ReadOnly)) return;
        std::uint16_t flags = slot.present ? slot.flags : PropFlag::DontEnum;
        obj->setProtoValue(v);
        obj->protoSlot().flags = flags;
        return;
    }
    if (obj->setVirtual(*this, name, v)) return;
    int i = obj->properties().find(name, cs);
    if (i >= 0) {
        Property& p = obj->properties().at(i);
        if (p.getter || p.setter) {
            if (Object* setter = p.setter) {
                AccessorGuard guard(internals_->activeAccessors, setter, version_);
                if (guard.entered()) {
                    invoke(Value(setter), obj, std::span<const Value>(&v, 1));
                } else {
                    p.value = v;
                }
            }
            return;
        }
        if ((p.flags & PropFlag::ReadOnly) && propertyVisible(p.flags, version_)) return;
        p.value = v;
        return;
    }
    // A setter inherited from a prototype takes the assignment.
    int depth = 0;
    for (Object* o = nextProto(obj, version_); o && depth < kMaxProtoDepth; o = nextProto(o, version_), ++depth) {
        int j = o->properties().find(name, cs);
        if (j < 0) continue;
        const Property& p = o->properties().at(j);
        if (!propertyVisible(p.flags, version_)) continue;
        if (p.getter || p.setter) {
            if (Object* setter = p.setter) {
                AccessorGuard guard(internals_->activeAccessors, setter, version_);
                if (guard.entered()) {
                    invoke(Value(setter), obj, std::span<const Value>(&v, 1));
                } else {
                    o->properties().at(j).value = v;
                }
            }
            return;
        }
        break;
    }
    obj->properties().add(name, v, 0);
}

bool Vm::deleteMember(Object* obj, const String& name)
{
    if (!obj) return false;
    const bool cs = caseSensitive();
    if (sameName(name, internals_->names.proto, cs)) {
        if (!obj->hasProtoProperty() || (obj->protoSlot().flags & PropFlag::DontDelete)) return false;
        obj->deleteProto();
        return true;
    }
    bool deleted = false;
    if (obj->deleteVirtual(*this, name, deleted)) return deleted;
    int i = obj->properties().find(name, cs);
    if (i < 0) return false;
    const Property& p = obj->properties().at(i);
    if (!propertyVisible(p.flags, version_)) return false;
    if (p.flags & PropFlag::DontDelete) return false;
    obj->properties().remove(i);
    return true;
}

bool Vm::hasOwnProperty(Object* obj, const String& name)
{
    if (!obj) return false;
    const bool cs = caseSensitive();
    if (obj->hasVirtual(*this, name)) return true;
    int i = obj->properties().find(name, cs);
    if (i >= 0 && propertyVisible(obj->properties().at(i).flags, version_)) return true;
    return obj->hasProtoProperty() && sameName(name, internals_->names.proto, cs);
}

bool Vm::hasProperty(Object* obj, const String& name)
{
    int depth = 0;
    for (Object* o = obj; o && depth < kMaxProtoDepth; o = nextProto(o, version_), ++depth) {
        if (hasOwnProperty(o, name)) return true;
        if (o->kind() == ObjectKind::Display) {
            auto node = static_cast<DisplayWrapper*>(o)->node();
            if (node && node->childByName(name.view(), caseSensitive() && node->swfVersion() >= 7)) return true;
        }
    }
    return false;
}

std::vector<String> Vm::enumerableNames(Object* obj)
{
    std::vector<String> names;
    const bool cs = caseSensitive();
    auto seen = [&](const String& n) {
        return std::any_of(names.begin(), names.end(), [&](const String& m) { return sameName(m, n, cs); });
    };
    std::vector<String> shadowed;  // non-enumerable names that hide inherited ones
    int depth = 0;
    for (Object* o = obj; o && depth < kMaxProtoDepth; o = nextProto(o, version_), ++depth) {
        if (o->hasProtoProperty() && !(o->protoSlot().flags & PropFlag::DontEnum) &&
            propertyVisible(o->protoSlot().flags, version_) && !seen(internals_->names.proto)) {
            names.push_back(internals_->names.proto);
        }
        std::vector<String> virtualNames;
        o->enumerateVirtual(*this, virtualNames);
        for (String& n : virtualNames) {
            if (!seen(n)) names.push_back(std::move(n));
        }
        o->properties().forEach([&](const Property& p) {
            if (!propertyVisible(p.flags, version_)) return;
            if (p.flags & PropFlag::DontEnum) {
                shadowed.push_back(p.name);
                return;
            }
            bool hidden = std::any_of(shadowed.begin(), shadowed.end(),
                                      [&](const String& m) { return sameName(m, p.name, cs); });
            if (!hidden && !seen(p.name)) names.push_back(p.name);
        });
    }
    return names;
}

bool Vm::instanceOf(const Value& v, Object* ctor)
{
    Object* o = v.asObject();
    if (!o || !ctor) return false;
    Object* proto = getMember(ctor, internals_->names.prototype).asObject();
    if (!proto) return false;
    // Interfaces: a prototype lists the interfaces its class implements; an interface may
    // extend others through its own prototype's list.
    auto implements = [&](Object* p) {
        std::vector<Object*> work;
        if (p->interfaces()) work = *p->interfaces();
        for (std::size_t k = 0; k < work.size() && k < 256; ++k) {
            Object* iface = work[k];
            if (iface == ctor) return true;
            Object* ip = getMember(iface, internals_->names.prototype).asObject();
            if (ip == proto) return true;
            if (ip && ip->interfaces()) work.insert(work.end(), ip->interfaces()->begin(), ip->interfaces()->end());
        }
        return false;
    };
    int depth = 0;
    for (Object* p = nextProto(o, version_); p && depth < kMaxProtoDepth; p = nextProto(p, version_), ++depth) {
        if (p == proto) return true;
        if (implements(p)) return true;
    }
    return false;
}

void Vm::setInterfaces(Object* prototype, std::vector<Object*> interfaces)
{
    if (prototype) prototype->setInterfaces(std::move(interfaces));
}

String Vm::formEncodeVariables(Object* timeline)
{
    std::u16string out;
    timeline->properties().forEach([&](const Property& p) {
        if ((p.flags & PropFlag::DontEnum) || p.getter || p.value.isObject()) return;
        if (!out.empty()) out += u'&';
        out += urlEscape(p.name.view());
        out += u'=';
        out += urlEscape(toString(p.value).view());
    });
    return String(std::move(out));
}

Object* Vm::resolveTarget(Object* base, const String& path)
{
    return Interpreter(*this).resolvePathFrom(base, path.view());
}

}  // namespace swf::avm1
