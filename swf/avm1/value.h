#pragma once
// A script value: undefined, null, boolean, number (double), string or object. Objects are
// referenced, not owned: they live on the VM's heap and are reclaimed by its collector.

#include <cstdint>
#include <utility>

#include "swf/avm1/string.h"

namespace swf::avm1 {

class Object;

enum class ValueType : std::uint8_t { Undefined, Null, Boolean, Number, String, Object };

class Value {
public:
    Value() noexcept : type_(ValueType::Undefined), n_(0) {}
    Value(double n) noexcept : type_(ValueType::Number), n_(n) {}  // NOLINT
    Value(int n) noexcept : type_(ValueType::Number), n_(n) {}     // NOLINT
    Value(bool b) noexcept : type_(ValueType::Boolean), b_(b) {}   // NOLINT
    Value(String s) : type_(ValueType::String), n_(0), s_(std::move(s)) {}  // NOLINT
    Value(const char* ascii) : Value(String(ascii)) {}                     // NOLINT
    Value(Object* o) noexcept  // NOLINT: a null pointer gives null
        : type_(o ? ValueType::Object : ValueType::Null), o_(o) {}
    static Value null() { return Value(static_cast<Object*>(nullptr)); }
    static Value undefined() { return Value(); }

    ValueType type() const { return type_; }
    bool isUndefined() const { return type_ == ValueType::Undefined; }
    bool isNull() const { return type_ == ValueType::Null; }
    bool isNullish() const { return type_ <= ValueType::Null; }
    bool isBoolean() const { return type_ == ValueType::Boolean; }
    bool isNumber() const { return type_ == ValueType::Number; }
    bool isString() const { return type_ == ValueType::String; }
    bool isObject() const { return type_ == ValueType::Object; }
    bool isPrimitive() const { return type_ != ValueType::Object; }

    bool asBoolean() const { return b_; }
    double asNumber() const { return n_; }
    const String& asString() const { return s_; }
    Object* asObject() const { return type_ == ValueType::Object ? o_ : nullptr; }

private:
    ValueType type_;
    union {
        bool b_;
        double n_;
        Object* o_;
    };
    String s_;
};

}  // namespace swf::avm1
