// Array: the constructor and every method, including sort and sortOn with their flags.

#include <algorithm>
#include <cmath>

#include "swf/avm1/builtins.h"
#include "swf/avm1/vm_internals.h"

namespace swf::avm1 {

namespace {

namespace SortFlag {
constexpr int CaseInsensitive = 1;
constexpr int Descending = 2;
constexpr int UniqueSort = 4;
constexpr int ReturnIndexedArray = 8;
constexpr int Numeric = 16;
}  // namespace SortFlag

Object* allocateArray(Vm& vm, Object* proto) { return vm.heap().make<ArrayObject>(proto); }

ArrayObject* thisArray(const CallInfo& c) { return dynamic_cast<ArrayObject*>(c.thisObj); }

void checkLength(Vm& vm, std::size_t n)
{
    if (n > ArrayObject::kMaxIterableLength) vm.abort(AbortReason::HeapExhausted, "array too long to visit");
}

// Relative position used by slice/splice: negative counts from the end, clamped to [0, len].
std::size_t relativeIndex(double d, std::size_t len)
{
    d = toInteger(d);
    if (d < 0) d += static_cast<double>(len);
    if (d < 0) d = 0;
    if (d > static_cast<double>(len)) d = static_cast<double>(len);
    return static_cast<std::size_t>(d);
}

Value arrayConstructor(Vm& vm, const CallInfo& c)
{
    ArrayObject* a = c.isConstruct ? dynamic_cast<ArrayObject*>(c.thisObj) : nullptr;
    if (!a) a = vm.newArray();
    if (c.count() == 1 && c.arg(0).isNumber()) {
        double n = c.arg(0).asNumber();
        if (n >= 0 && n == std::floor(n) && n < 4294967296.0) {
            a->setLength(static_cast<std::size_t>(n));
        } else {
            a->assign({c.arg(0)});
        }
    } else {
        a->assign(std::vector<Value>(c.args.begin(), c.args.end()));
    }
    return Value(a);
}

Value arrayPush(Vm&, const CallInfo& c)
{
    ArrayObject* a = thisArray(c);
    if (!a) return Value();
    for (const Value& v : c.args) a->push(v);
    return Value(static_cast<double>(a->length()));
}

Value arrayPop(Vm&, const CallInfo& c)
{
    ArrayObject* a = thisArray(c);
    if (!a || a->length() == 0) return Value();
    std::size_t last = a->length() - 1;
    Value v = a->get(last);
    a->setLength(last);
    return v;
}

Value arrayShift(Vm& vm, const CallInfo& c)
{
    ArrayObject* a = thisArray(c);
    if (!a || a->length() == 0) return Value();
    checkLength(vm, a->length());
    std::vector<Value> v = a->values();
    Value first = v.front();
    v.erase(v.begin());
    a->assign(std::move(v));
    return first;
}

Value arrayUnshift(Vm& vm, const CallInfo& c)
{
    ArrayObject* a = thisArray(c);
    if (!a) return Value();
    checkLength(vm, a->length());
    std::vector<Value> v(c.args.begin(), c.args.end());
    std::vector<Value> old = a->values();
    v.insert(v.end(), old.begin(), old.end());
    a->assign(std::move(v));
    return Value(static_cast<double>(a->length()));
}

Value arraySlice(Vm& vm, const CallInfo& c)
{
    ArrayObject* a = thisArray(c);
    if (!a) return Value();
    std::size_t len = a->length();
    std::size_t start = relativeIndex(c.count() > 0 ? argNumber(vm, c, 0) : 0, len);
    std::size_t end = c.count() > 1 && !c.arg(1).isUndefined() ? relativeIndex(argNumber(vm, c, 1), len) : len;
    std::vector<Value> out;
    if (end > start) {
        checkLength(vm, end - start);
        for (std::size_t i = start; i < end; ++i) out.push_back(a->get(i));
    }
    return Value(vm.newArray(std::move(out)));
}

Value arraySplice(Vm& vm, const CallInfo& c)
{
    ArrayObject* a = thisArray(c);
    if (!a || c.count() == 0) return Value();
    checkLength(vm, a->length());
    std::vector<Value> v = a->values();
    std::size_t len = v.size();
    std::size_t start = relativeIndex(argNumber(vm, c, 0), len);
    std::size_t count = len - start;
    if (c.count() > 1) {
        double d = toInteger(argNumber(vm, c, 1));
        if (d < 0) return Value();  // a negative count makes no change
        count = static_cast<std::size_t>(std::min(d, static_cast<double>(len - start)));
    }
    std::vector<Value> removed(v.begin() + static_cast<std::ptrdiff_t>(start),
                               v.begin() + static_cast<std::ptrdiff_t>(start + count));
    v.erase(v.begin() + static_cast<std::ptrdiff_t>(start), v.begin() + static_cast<std::ptrdiff_t>(start + count));
    if (c.count() > 2) v.insert(v.begin() + static_cast<std::ptrdiff_t>(start), c.args.begin() + 2, c.args.end());
    a->assign(std::move(v));
    return Value(vm.newArray(std::move(removed)));
}

Value arrayConcat(Vm& vm, const CallInfo& c)
{
    ArrayObject* a = thisArray(c);
    std::vector<Value> out;
    if (a) {
        checkLength(vm, a->length());
        out = a->values();
    }
    for (const Value& v : c.args) {
        if (auto* other = dynamic_cast<ArrayObject*>(v.asObject())) {
            checkLength(vm, other->length() + out.size());
            std::vector<Value> more = other->values();
            out.insert(out.end(), more.begin(), more.end());
        } else {
            out.push_back(v);
        }
    }
    return Value(vm.newArray(std::move(out)));
}

String joinArray(Vm& vm, ArrayObject* a, const String& sep)
{
    checkLength(vm, a->length());
    std::u16string out;
    std::size_t n = a->length();
    for (std::size_t i = 0; i < n; ++i) {
        if (i > 0) out += sep.view();
        out += vm.toString(a->get(i)).view();
        if (out.size() > (std::size_t{1} << 28)) vm.abort(AbortReason::HeapExhausted, "joined string too long");
    }
    return String(std::move(out));
}

// join on any object: its `length` and indexed members (an object without them joins to "").
String joinGeneric(Vm& vm, Object* o, const String& sep)
{
    if (auto* a = dynamic_cast<ArrayObject*>(o)) return joinArray(vm, a, sep);
    double n = vm.toNumber(vm.getMember(o, vm.internals().names.length));
    if (!(n > 0)) return String();
    checkLength(vm, static_cast<std::size_t>(std::min(n, 4294967295.0)));
    std::u16string out;
    for (std::size_t i = 0; i < static_cast<std::size_t>(n); ++i) {
        if (i > 0) out += sep.view();
        out += vm.toString(vm.getMember(o, String(asciiToUtf16(std::to_string(i))))).view();
    }
    return String(std::move(out));
}

Value arrayJoin(Vm& vm, const CallInfo& c)
{
    if (!c.thisObj) return Value();
    String sep = c.count() > 0 && !c.arg(0).isUndefined() ? argString(vm, c, 0) : String(",");
    return Value(joinGeneric(vm, c.thisObj, sep));
}

Value arrayToString(Vm& vm, const CallInfo& c)
{
    if (!c.thisObj) return Value();
    return Value(joinGeneric(vm, c.thisObj, String(",")));
}

Value arrayReverse(Vm& vm, const CallInfo& c)
{
    ArrayObject* a = thisArray(c);
    if (!a) return Value();
    checkLength(vm, a->length());
    std::vector<Value> v = a->values();
    std::reverse(v.begin(), v.end());
    a->assign(std::move(v));
    return Value(a);
}

// --- Sorting ---

// Merge sort: stable, and well defined even when a script comparator is inconsistent. The
// comparator sees (earlier, later) pairs.
template <class Greater>
void mergeSort(std::vector<std::size_t>& order, Greater&& greater)
{
    std::vector<std::size_t> tmp(order.size());
    for (std::size_t width = 1; width < order.size(); width *= 2) {
        for (std::size_t lo = 0; lo < order.size(); lo += 2 * width) {
            std::size_t mid = std::min(lo + width, order.size());
            std::size_t hi = std::min(lo + 2 * width, order.size());
            std::size_t i = lo, j = mid, k = lo;
            while (i < mid && j < hi) tmp[k++] = greater(order[i], order[j]) ? order[j++] : order[i++];
            while (i < mid) tmp[k++] = order[i++];
            while (j < hi) tmp[k++] = order[j++];
        }
        order.swap(tmp);
    }
}

// Compares two values under the sort flags; negative, zero or positive.
int compareByFlags(Vm& vm, const Value& a, const Value& b, int flags)
{
    if (flags & SortFlag::Numeric) {
        double x = vm.toNumber(a), y = vm.toNumber(b);
        bool xn = std::isnan(x), yn = std::isnan(y);
        if (!xn && !yn) return x < y ? -1 : (x > y ? 1 : 0);
        if (xn != yn) return xn ? 1 : -1;
        // Two non-numbers fall back to their text.
    }
    std::u16string x = vm.toString(a).str(), y = vm.toString(b).str();
    if (flags & SortFlag::CaseInsensitive) {
        for (auto& ch : x) ch = (ch >= u'A' && ch <= u'Z') ? char16_t(ch + 32) : ch;
        for (auto& ch : y) ch = (ch >= u'A' && ch <= u'Z') ? char16_t(ch + 32) : ch;
    }
    return x < y ? -1 : (x > y ? 1 : 0);
}

// Sorts `values`; `compare` returns <0, 0, >0. Applies DESCENDING, UNIQUESORT and
// RETURNINDEXEDARRAY. Writes back into `a` unless indices were asked for.
template <class Compare>
Value sortWith(Vm& vm, ArrayObject* a, std::vector<Value> values, int flags, Compare&& compare)
{
    std::vector<std::size_t> order(values.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    bool duplicate = false;
    mergeSort(order, [&](std::size_t x, std::size_t y) {
        int r = compare(values[x], values[y]);
        if (r == 0) duplicate = true;
        if (flags & SortFlag::Descending) r = -r;
        return r > 0;
    });
    if ((flags & SortFlag::UniqueSort) && duplicate) return Value(0.0);
    if (flags & SortFlag::ReturnIndexedArray) {
        std::vector<Value> idx;
        for (std::size_t i : order) idx.emplace_back(static_cast<double>(i));
        return Value(vm.newArray(std::move(idx)));
    }
    std::vector<Value> sorted;
    sorted.reserve(values.size());
    for (std::size_t i : order) sorted.push_back(values[i]);
    a->assign(std::move(sorted));
    return Value(a);
}

Value arraySort(Vm& vm, const CallInfo& c)
{
    ArrayObject* a = thisArray(c);
    if (!a) return Value();
    checkLength(vm, a->length());
    auto* fn = dynamic_cast<FunctionObject*>(c.arg(0).asObject());
    int flags = 0;
    if (fn) {
        flags = c.count() > 1 ? vm.toInt32(c.arg(1)) : 0;
    } else if (c.count() > 0) {
        flags = vm.toInt32(c.arg(0));
    }
    std::vector<Value> values = a->values();
    if (fn) {
        return sortWith(vm, a, std::move(values), flags, [&](const Value& x, const Value& y) {
            Value args[] = {x, y};
            double r = vm.toNumber(vm.invokeFunction(fn, nullptr, args, nullptr, false));
            return r > 0 ? 1 : (r < 0 ? -1 : 0);
        });
    }
    return sortWith(vm, a, std::move(values), flags,
                    [&](const Value& x, const Value& y) { return compareByFlags(vm, x, y, flags); });
}

Value arraySortOn(Vm& vm, const CallInfo& c)
{
    ArrayObject* a = thisArray(c);
    if (!a || c.count() == 0) return Value();
    checkLength(vm, a->length());
    std::vector<String> fields;
    std::vector<int> fieldFlags;
    if (auto* list = dynamic_cast<ArrayObject*>(c.arg(0).asObject())) {
        for (const Value& v : list->values()) fields.push_back(vm.toString(v));
    } else {
        fields.push_back(argString(vm, c, 0));
    }
    if (auto* list = dynamic_cast<ArrayObject*>(c.arg(1).asObject())) {
        for (const Value& v : list->values()) fieldFlags.push_back(vm.toInt32(v));
        if (fieldFlags.size() != fields.size()) fieldFlags.assign(fields.size(), 0);
    } else {
        // A flags argument that is an object (other than an array of flags) counts as none.
        int flags = c.count() > 1 && !c.arg(1).isObject() ? vm.toInt32(c.arg(1)) : 0;
        fieldFlags.assign(fields.size(), flags);
    }
    // UNIQUESORT, RETURNINDEXEDARRAY and DESCENDING of the first field's flags act on the
    // whole sort; the others apply per field.
    int wholeFlags = fieldFlags.empty() ? 0 : fieldFlags[0];
    int globalFlags = wholeFlags & (SortFlag::UniqueSort | SortFlag::ReturnIndexedArray);
    std::vector<Value> values = a->values();
    return sortWith(vm, a, std::move(values), globalFlags, [&](const Value& x, const Value& y) {
        Object* ox = x.asObject();
        Object* oy = y.asObject();
        for (std::size_t i = 0; i < fields.size(); ++i) {
            Value fx = ox ? vm.getMember(ox, fields[i]) : Value();
            Value fy = oy ? vm.getMember(oy, fields[i]) : Value();
            int r = compareByFlags(vm, fx, fy, fieldFlags[i]);
            if (fieldFlags[i] & SortFlag::Descending) r = -r;
            if (r != 0) return r;
        }
        return 0;
    });
}

}  // namespace

void installArray(Vm& vm, Object* global)
{
    auto& b = vm.builtins();
    b.arrayProto = vm.heap().make<Object>(b.objectProto);  // a plain object, without length
    Object* p = b.arrayProto;
    b.arrayCtor = vm.newConstructor(arrayConstructor, p, allocateArray);
    global->define("Array", Value(b.arrayCtor));
    struct {
        const char* name;
        NativeFunction fn;
    } methods[] = {{"push", arrayPush},       {"pop", arrayPop},         {"shift", arrayShift},
                   {"unshift", arrayUnshift}, {"slice", arraySlice},     {"splice", arraySplice},
                   {"concat", arrayConcat},   {"join", arrayJoin},       {"toString", arrayToString},
                   {"reverse", arrayReverse}, {"sort", arraySort},       {"sortOn", arraySortOn}};
    for (auto& m : methods) vm.defineMethod(p, m.name, m.fn);
    const std::uint16_t constFlags = PropFlag::Hidden | PropFlag::ReadOnly;
    b.arrayCtor->define("CASEINSENSITIVE", Value(1.0), constFlags);
    b.arrayCtor->define("DESCENDING", Value(2.0), constFlags);
    b.arrayCtor->define("UNIQUESORT", Value(4.0), constFlags);
    b.arrayCtor->define("RETURNINDEXEDARRAY", Value(8.0), constFlags);
    b.arrayCtor->define("NUMERIC", Value(16.0), constFlags);
}

}  // namespace swf::avm1
