// TextSnapshot: the characters of a clip's static text as one string, with a selection of
// its own. A snapshot made with `new TextSnapshot()` has no clip and so holds no characters.

#include <algorithm>
#include <vector>

#include "swf/avm1/builtins.h"
#include "swf/avm1/case_mapping.h"
#include "swf/avm1/vm_internals.h"

namespace swf::avm1 {

namespace {

class TextSnapshotObject : public Object {
public:
    explicit TextSnapshotObject(Object* proto) : Object(proto) {}
    std::u16string text;
    std::vector<bool> selected;  // one flag per character of `text`
    double selectColor = 0xFFFF00;
};

Object* allocateSnapshot(Vm& vm, Object* proto) { return vm.heap().make<TextSnapshotObject>(proto); }

TextSnapshotObject* snapshotOf(const CallInfo& c) { return dynamic_cast<TextSnapshotObject*>(c.thisObj); }

Value snapshotConstructor(Vm&, const CallInfo& c) { return c.thisObj ? Value(c.thisObj) : Value(); }

// A [start, end) range of character indices clamped to the text; NaN and negatives count as 0.
std::pair<std::size_t, std::size_t> rangeArgs(Vm& vm, const CallInfo& c, std::size_t size)
{
    auto clamp = [&](std::size_t i, double otherwise) {
        double d = i < c.count() ? toInteger(vm.toNumber(c.arg(i))) : otherwise;
        return static_cast<std::size_t>(std::clamp(d, 0.0, static_cast<double>(size)));
    };
    std::size_t start = clamp(0, 0);
    std::size_t end = clamp(1, static_cast<double>(size));
    return {start, std::max(start, end)};
}

Value snapshotGetCount(Vm&, const CallInfo& c)
{
    auto* s = snapshotOf(c);
    return s ? Value(static_cast<double>(s->text.size())) : Value();
}

Value snapshotGetText(Vm& vm, const CallInfo& c)
{
    auto* s = snapshotOf(c);
    if (!s || c.count() < 2) return Value();
    auto [start, end] = rangeArgs(vm, c, s->text.size());
    return Value(String(s->text.substr(start, end - start)));
}

Value snapshotFindText(Vm& vm, const CallInfo& c)
{
    auto* s = snapshotOf(c);
    if (!s || c.count() < 3) return Value();
    double from = toInteger(vm.toNumber(c.arg(0)));
    std::u16string needle = argString(vm, c, 1).str();
    bool caseSensitive = vm.toBoolean(c.arg(2));
    if (from < 0) from = 0;
    if (from > static_cast<double>(s->text.size())) return Value(-1.0);
    std::u16string haystack = s->text;
    if (!caseSensitive) {
        for (auto& ch : haystack) ch = toLowerChar(ch);
        for (auto& ch : needle) ch = toLowerChar(ch);
    }
    std::size_t hit = haystack.find(needle, static_cast<std::size_t>(from));
    return Value(hit == std::u16string::npos ? -1.0 : static_cast<double>(hit));
}

Value snapshotGetSelected(Vm& vm, const CallInfo& c)
{
    auto* s = snapshotOf(c);
    if (!s || c.count() < 2) return Value();
    auto [start, end] = rangeArgs(vm, c, s->text.size());
    return Value(std::any_of(s->selected.begin() + static_cast<std::ptrdiff_t>(start),
                             s->selected.begin() + static_cast<std::ptrdiff_t>(end), [](bool b) { return b; }));
}

Value snapshotGetSelectedText(Vm&, const CallInfo& c)
{
    auto* s = snapshotOf(c);
    if (!s) return Value();
    std::u16string out;
    for (std::size_t i = 0; i < s->text.size(); ++i) {
        if (s->selected[i]) out += s->text[i];
    }
    return Value(String(std::move(out)));
}

Value snapshotSetSelected(Vm& vm, const CallInfo& c)
{
    auto* s = snapshotOf(c);
    if (!s || c.count() < 3) return Value();
    auto [start, end] = rangeArgs(vm, c, s->text.size());
    bool select = vm.toBoolean(c.arg(2));
    std::fill(s->selected.begin() + static_cast<std::ptrdiff_t>(start),
              s->selected.begin() + static_cast<std::ptrdiff_t>(end), select);
    return Value();
}

Value snapshotSetSelectColor(Vm& vm, const CallInfo& c)
{
    auto* s = snapshotOf(c);
    if (s && c.count() > 0) s->selectColor = vm.toNumber(c.arg(0));
    return Value();
}

// Glyph positions come with the clip's text records; a snapshot without characters has no
// character near any point.
Value snapshotHitTestTextNearPos(Vm&, const CallInfo& c)
{
    auto* s = snapshotOf(c);
    if (!s || c.count() < 2) return Value();
    return Value(-1.0);
}

// One object per character of [begin, end]: nothing to describe without characters.
Value snapshotGetTextRunInfo(Vm& vm, const CallInfo& c)
{
    auto* s = snapshotOf(c);
    if (!s || c.count() < 2) return Value();
    return Value(vm.newArray());
}

}  // namespace

void installTextSnapshot(Vm& vm, Object* global)
{
    Object* proto = vm.newObject();
    FunctionObject* ctor = vm.newConstructor(snapshotConstructor, proto, allocateSnapshot);
    global->define("TextSnapshot", Value(ctor));
    struct {
        const char* name;
        NativeFunction fn;
    } methods[] = {{"getCount", snapshotGetCount},
                   {"setSelected", snapshotSetSelected},
                   {"getSelected", snapshotGetSelected},
                   {"getText", snapshotGetText},
                   {"getSelectedText", snapshotGetSelectedText},
                   {"hitTestTextNearPos", snapshotHitTestTextNearPos},
                   {"findText", snapshotFindText},
                   {"setSelectColor", snapshotSetSelectColor},
                   {"getTextRunInfo", snapshotGetTextRunInfo}};
    // Movies of SWF 6 see the methods in for..in loops; later versions do not.
    const std::uint16_t flags = vm.version() >= 7 ? PropFlag::DontEnum : 0;
    for (auto& m : methods) vm.defineMethod(proto, m.name, m.fn, flags);
}

}  // namespace swf::avm1
