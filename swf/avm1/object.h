#pragma once
// Script objects: properties kept in insertion order with their flags, the __proto__ link,
// watchers, and the other kinds (functions, arrays, wrappers of primitives, dates, the super
// object, activations and the wrappers of display objects).

#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <vector>

#include "swf/avm1/code.h"
#include "swf/avm1/gc.h"
#include "swf/avm1/value.h"
#include "swf/format/limits.h"

namespace swf::avm1 {

class Vm;
class Object;
class FunctionObject;
class DisplayNode;

// Property attributes as ASSetPropFlags writes them. The version bits hide a property from code
// of some SWF versions (built-ins that came with a later player).
namespace PropFlag {
constexpr std::uint16_t DontEnum = 0x1;
constexpr std::uint16_t DontDelete = 0x2;
constexpr std::uint16_t ReadOnly = 0x4;
constexpr std::uint16_t OnlySwf6Up = 0x80;
constexpr std::uint16_t IgnoreSwf6 = 0x100;
constexpr std::uint16_t OnlySwf7Up = 0x400;
constexpr std::uint16_t OnlySwf8Up = 0x1000;
constexpr std::uint16_t OnlySwf9Up = 0x2000;
constexpr std::uint16_t OnlySwf10Up = 0x4000;
constexpr std::uint16_t Hidden = DontEnum | DontDelete;  // usual for built-in members
}  // namespace PropFlag

// Whether a property with `flags` exists for code of SWF `version`.
bool propertyVisible(std::uint16_t flags, int version);
// Whether code of SWF `version` follows a __proto__ link with `flags`.
bool prototypeLinkVisible(std::uint16_t flags, int version);

struct Property {
    String name;
    Value value;
    Object* getter = nullptr;  // addProperty: a property with a getter has no stored value
    Object* setter = nullptr;
    std::uint16_t flags = 0;
    bool isAccessor() const { return getter != nullptr; }

private:
    friend class PropertyMap;
    std::int32_t next_ = -1;
    bool deleted_ = false;
};

// Properties in insertion order, found by name case-sensitively or not. Small maps are scanned;
// larger ones keep a hash index over the case-folded name.
class PropertyMap {
public:
    int find(const String& name, bool caseSensitive) const;
    Property& at(int index) { return slots_[static_cast<std::size_t>(index)]; }
    const Property& at(int index) const { return slots_[static_cast<std::size_t>(index)]; }
    int add(String name, Value value, std::uint16_t flags = 0);
    void remove(int index);
    std::size_t size() const { return live_; }

    template <class F>
    void forEach(F&& f) const
    {
        for (const Property& p : slots_) {
            if (!p.deleted_) f(p);
        }
    }
    template <class F>
    void forEachMutable(F&& f)
    {
        for (Property& p : slots_) {
            if (!p.deleted_) f(p);
        }
    }

private:
    static constexpr std::size_t kIndexThreshold = 8;
    void rebuild();
    void link(int index);

    std::vector<Property> slots_;
    std::vector<std::int32_t> buckets_;  // empty while the map is small
    std::size_t live_ = 0;
};

enum class ObjectKind : std::uint8_t {
    Plain,
    Function,
    Array,
    Boolean,
    Number,
    String,
    Date,
    Super,
    Activation,
    Display,
    Xml,
};

struct Watch {
    String name;
    Object* callback = nullptr;
    Value userData;
};

class Object : public GcCell {
public:
    explicit Object(Object* proto) : proto_(proto)
    {
        protoSlot_.value = Value(proto);
        protoSlot_.present = proto != nullptr;
    }

    virtual ObjectKind kind() const { return ObjectKind::Plain; }

    // The __proto__ property. It behaves as a property of its own (flags, deletion, even
    // addProperty), but the prototype chain follows the last object stored in it as a value.
    struct ProtoSlot {
        Value value;
        Object* getter = nullptr;
        Object* setter = nullptr;
        std::uint16_t flags = PropFlag::DontEnum;
        bool present = false;
    };
    Object* proto() const { return proto_; }
    bool hasProtoProperty() const { return protoSlot_.present; }
    ProtoSlot& protoSlot() { return protoSlot_; }
    const ProtoSlot& protoSlot() const { return protoSlot_; }
    void setProtoValue(const Value& v)
    {
        protoSlot_.present = true;
        protoSlot_.value = v;
        protoSlot_.getter = protoSlot_.setter = nullptr;
        proto_ = v.asObject();
    }
    void setProto(Object* p) { setProtoValue(Value(p)); }
    void deleteProto()
    {
        protoSlot_ = ProtoSlot{};
        proto_ = nullptr;
    }

    PropertyMap& properties() { return props_; }
    const PropertyMap& properties() const { return props_; }
    Property* findOwn(const String& name, bool caseSensitive)
    {
        int i = props_.find(name, caseSensitive);
        return i < 0 ? nullptr : &props_.at(i);
    }
    // Creates or overwrites an own data property with exactly these flags (native set-up).
    void define(const String& name, const Value& value, std::uint16_t flags = PropFlag::Hidden);

    std::vector<Watch>& watches() { return watches_; }
    // Interfaces a class prototype implements (ImplementsOp), null when none.
    const std::vector<Object*>* interfaces() const { return interfaces_.get(); }
    void setInterfaces(std::vector<Object*> list)
    {
        interfaces_ = std::make_unique<std::vector<Object*>>(std::move(list));
    }

    // Hooks for kinds with properties that are not stored (array elements and length, display
    // properties). `get` returns true if it produced a value; `set` returns true if it consumed
    // the assignment.
    virtual bool getVirtual(Vm&, const String& /*name*/, Value& /*out*/) { return false; }
    virtual bool setVirtual(Vm&, const String& /*name*/, const Value& /*v*/) { return false; }
    virtual bool hasVirtual(Vm&, const String& /*name*/) { return false; }
    virtual bool deleteVirtual(Vm&, const String& /*name*/, bool& /*deleted*/) { return false; }
    // Names of virtual enumerable properties, in the order they should be enumerated.
    virtual void enumerateVirtual(Vm&, std::vector<String>& /*names*/) {}

    void traceChildren(Tracer& t) const override;

private:
    Object* proto_;
    ProtoSlot protoSlot_;
    PropertyMap props_;
    std::vector<Watch> watches_;
    std::unique_ptr<std::vector<Object*>> interfaces_;
};

// --- Functions ---

struct CallInfo {
    Object* thisObj = nullptr;
    std::span<const Value> args;
    FunctionObject* callee = nullptr;
    bool isConstruct = false;
    int swfVersion = 7;  // version of the calling code

    const Value& arg(std::size_t i) const
    {
        static const Value kUndefined;
        return i < args.size() ? args[i] : kUndefined;
    }
    std::size_t count() const { return args.size(); }
};

using NativeFunction = Value (*)(Vm&, const CallInfo&);
// Allocates the object a constructor builds (arrays, dates and wrappers have their own kinds).
using NativeAllocator = Object* (*)(Vm&, Object* proto);

struct FunctionParam {
    String name;
    std::uint8_t reg = 0;  // DefineFunction2: register for the argument, 0 = a named local
};

namespace FunctionFlag {
constexpr std::uint16_t PreloadThis = 0x0001;
constexpr std::uint16_t SuppressThis = 0x0002;
constexpr std::uint16_t PreloadArguments = 0x0004;
constexpr std::uint16_t SuppressArguments = 0x0008;
constexpr std::uint16_t PreloadSuper = 0x0010;
constexpr std::uint16_t SuppressSuper = 0x0020;
constexpr std::uint16_t PreloadRoot = 0x0040;
constexpr std::uint16_t PreloadParent = 0x0080;
constexpr std::uint16_t PreloadGlobal = 0x0100;
}  // namespace FunctionFlag

// The immutable part of a function written in byte code, shared by every closure made from it.
struct ScriptFunction {
    ActionBlock code;          // the whole block the body lies in
    std::size_t bodyStart = 0;  // body = code.bytes[bodyStart, bodyEnd)
    std::size_t bodyEnd = 0;
    String name;
    std::vector<FunctionParam> params;
    bool isFunction2 = false;
    std::uint8_t registerCount = 0;
    std::uint16_t flags = 0;
    std::shared_ptr<const std::vector<String>> constantPool;
};

class Scope;

class FunctionObject : public Object {
public:
    FunctionObject(Object* proto, NativeFunction fn) : Object(proto), native(fn) {}
    FunctionObject(Object* proto, std::shared_ptr<const ScriptFunction> def, Scope* captured,
                   Object* definingTarget)
        : Object(proto), script(std::move(def)), scope(captured), target(definingTarget) {}

    ObjectKind kind() const override { return ObjectKind::Function; }
    void traceChildren(Tracer& t) const override;

    NativeFunction native = nullptr;
    NativeAllocator allocator = nullptr;  // what `new` makes; plain object when null
    std::shared_ptr<const ScriptFunction> script;
    Scope* scope = nullptr;     // scope chain captured where the function was defined
    Object* target = nullptr;   // timeline the defining code ran on (for _root/_parent)
};

// A link of the scope chain: global, timeline, activations and `with` objects.
class Scope : public GcCell {
public:
    Scope(Object* o, Scope* p) : object(o), parent(p) {}
    void traceChildren(Tracer& t) const override
    {
        t.mark(object);
        t.mark(parent);
    }
    Object* object;
    Scope* parent;
};

// --- Other kinds ---

class ArrayObject : public Object {
public:
    explicit ArrayObject(Object* proto) : Object(proto) {}
    ObjectKind kind() const override { return ObjectKind::Array; }

    // Lengths above this are refused by the methods that visit every element.
    static constexpr std::size_t kMaxIterableLength = limits::kMaxIterableLength;

    std::size_t length() const { return length_; }
    void setLength(std::size_t n);
    Value get(std::size_t i) const;
    bool has(std::size_t i) const;
    void set(std::size_t i, Value v);
    void push(Value v) { set(length_, std::move(v)); }
    void erase(std::size_t i);
    void clear();
    // Every element in order, holes as undefined. Only for lengths up to kMaxIterableLength.
    std::vector<Value> values() const;
    void assign(std::vector<Value> v);
    // Indices of the elements that exist, ascending.
    std::vector<std::size_t> presentIndices() const;

    bool getVirtual(Vm&, const String& name, Value& out) override;
    bool setVirtual(Vm&, const String& name, const Value& v) override;
    bool hasVirtual(Vm&, const String& name) override;
    bool deleteVirtual(Vm&, const String& name, bool& deleted) override;
    void enumerateVirtual(Vm&, std::vector<String>& names) override;
    void traceChildren(Tracer& t) const override;

    // "12" -> 12; anything that is not a canonical array index -> -1.
    static std::int64_t parseIndex(const String& name);

private:
    struct Slot {
        Value value;
        bool present = false;
    };
    static constexpr std::size_t kDenseGap = 4096;  // writes further out go to the sparse map
    std::vector<Slot> dense_;
    std::map<std::size_t, Value> sparse_;
    std::size_t length_ = 0;
};

// Boolean, Number and String objects: a primitive in an object.
class PrimitiveObject : public Object {
public:
    PrimitiveObject(Object* proto, ObjectKind k, Value v) : Object(proto), kind_(k), value(std::move(v)) {}
    ObjectKind kind() const override { return kind_; }
    ObjectKind kind_;
    Value value;
};

class DateObject : public Object {
public:
    DateObject(Object* proto, double t) : Object(proto), time(t) {}
    ObjectKind kind() const override { return ObjectKind::Date; }
    double time;  // milliseconds since 1970 UTC, NaN for an invalid date
};

// `super` inside a method: looks members up from `proto` (the prototype above `home`, the one
// the running code belongs to) but calls them on `thisObj`; super() calls home's constructor.
class SuperObject : public Object {
public:
    SuperObject(Object* thisObject, Object* homeProto, Object* startProto)
        : Object(nullptr), thisObj(thisObject), home(homeProto), proto(startProto) {}
    ObjectKind kind() const override { return ObjectKind::Super; }
    void traceChildren(Tracer& t) const override
    {
        Object::traceChildren(t);
        t.mark(thisObj);
        t.mark(home);
        t.mark(proto);
    }
    Object* thisObj;
    Object* home;
    Object* proto;
};

class ActivationObject : public Object {
public:
    ActivationObject() : Object(nullptr) {}
    ObjectKind kind() const override { return ObjectKind::Activation; }
};

}  // namespace swf::avm1
