// Button, TextField and TextFormat. Text properties themselves (text, htmlText, ...) are
// forwarded by the display object; these are the methods.

#include <cmath>

#include "swf/avm1/builtins.h"
#include "swf/avm1/display_object.h"
#include "swf/avm1/vm_internals.h"

namespace swf::avm1 {

namespace {

std::shared_ptr<DisplayNode> thisNode(Vm& vm, const CallInfo& c) { return vm.displayNodeOf(c.thisObj); }

Value displayGetDepth(Vm& vm, const CallInfo& c)
{
    auto n = thisNode(vm, c);
    return n ? Value(static_cast<double>(n->depth())) : Value();
}

Value noConstructor(Vm&, const CallInfo& c) { return c.thisObj ? Value(c.thisObj) : Value(); }

// --- TextFormat <-> object ---

// Reads a TextFormat-like object; null and undefined fields stay unset.
TextFormatData formatFromObject(Vm& vm, Object* o)
{
    TextFormatData f;
    if (!o) return f;
    auto text = [&](const char* n, std::optional<std::u16string>& out) {
        Value v = vm.getMember(o, String(n));
        if (!v.isNullish()) out = vm.toString(v).str();
    };
    auto number = [&](const char* n, std::optional<double>& out) {
        Value v = vm.getMember(o, String(n));
        if (!v.isNullish()) out = vm.toNumber(v);
    };
    auto boolean = [&](const char* n, std::optional<bool>& out) {
        Value v = vm.getMember(o, String(n));
        if (!v.isNullish()) out = vm.toBoolean(v);
    };
    text("font", f.font);
    text("url", f.url);
    text("target", f.target);
    text("align", f.align);
    number("size", f.size);
    number("color", f.color);
    number("leftMargin", f.leftMargin);
    number("rightMargin", f.rightMargin);
    number("indent", f.indent);
    number("leading", f.leading);
    number("blockIndent", f.blockIndent);
    number("letterSpacing", f.letterSpacing);
    boolean("bold", f.bold);
    boolean("italic", f.italic);
    boolean("underline", f.underline);
    boolean("bullet", f.bullet);
    boolean("kerning", f.kerning);
    if (auto* tabs = dynamic_cast<ArrayObject*>(vm.getMember(o, String("tabStops")).asObject())) {
        std::vector<double> stops;
        for (const Value& v : tabs->values()) stops.push_back(vm.toNumber(v));
        f.tabStops = std::move(stops);
    }
    return f;
}

void fillTextFormat(Vm& vm, Object* o, const TextFormatData& f)
{
    auto set = [&](const char* n, const Value& v) { vm.setMember(o, String(n), v); };
    auto text = [&](const char* n, const std::optional<std::u16string>& v) {
        set(n, v ? Value(String(*v)) : Value::null());
    };
    auto number = [&](const char* n, const std::optional<double>& v) { set(n, v ? Value(*v) : Value::null()); };
    auto boolean = [&](const char* n, const std::optional<bool>& v) { set(n, v ? Value(*v) : Value::null()); };
    text("font", f.font);
    number("size", f.size);
    number("color", f.color);
    boolean("bold", f.bold);
    boolean("italic", f.italic);
    boolean("underline", f.underline);
    text("url", f.url);
    text("target", f.target);
    text("align", f.align);
    number("leftMargin", f.leftMargin);
    number("rightMargin", f.rightMargin);
    number("indent", f.indent);
    number("leading", f.leading);
    number("blockIndent", f.blockIndent);
    boolean("bullet", f.bullet);
    if (f.tabStops) {
        std::vector<Value> stops;
        for (double d : *f.tabStops) stops.emplace_back(d);
        set("tabStops", Value(vm.newArray(std::move(stops))));
    } else {
        set("tabStops", Value::null());
    }
}

Object* newTextFormat(Vm& vm, const TextFormatData& f)
{
    Object* o = vm.heap().make<Object>(vm.builtins().textFormatProto);
    fillTextFormat(vm, o, f);
    return o;
}

// new TextFormat(font, size, color, bold, italic, underline, url, target, align,
//                leftMargin, rightMargin, indent, leading)
Value textFormatConstructor(Vm& vm, const CallInfo& c)
{
    Object* o = c.isConstruct && c.thisObj ? c.thisObj : vm.heap().make<Object>(vm.builtins().textFormatProto);
    TextFormatData f;
    auto text = [&](std::size_t i, std::optional<std::u16string>& out) {
        if (i < c.count() && !c.arg(i).isNullish()) out = vm.toString(c.arg(i)).str();
    };
    auto number = [&](std::size_t i, std::optional<double>& out) {
        if (i < c.count() && !c.arg(i).isNullish()) out = vm.toNumber(c.arg(i));
    };
    auto boolean = [&](std::size_t i, std::optional<bool>& out) {
        if (i < c.count() && !c.arg(i).isNullish()) out = vm.toBoolean(c.arg(i));
    };
    text(0, f.font);
    number(1, f.size);
    number(2, f.color);
    boolean(3, f.bold);
    boolean(4, f.italic);
    boolean(5, f.underline);
    text(6, f.url);
    text(7, f.target);
    text(8, f.align);
    number(9, f.leftMargin);
    number(10, f.rightMargin);
    number(11, f.indent);
    number(12, f.leading);
    fillTextFormat(vm, o, f);
    return Value(o);
}

// --- TextField methods ---

// (beginIndex, endIndex) arguments: missing ones mean the whole text.
void rangeArgs(Vm& vm, const CallInfo& c, std::size_t first, int& begin, int& end)
{
    begin = -1;
    end = -1;
    if (c.count() > first) {
        double b = argNumber(vm, c, first);
        begin = std::isnan(b) ? -1 : toClampedInt(b);
        end = begin < 2147483647 ? begin + 1 : begin;
    }
    if (c.count() > first + 1) {
        double e = argNumber(vm, c, first + 1);
        end = std::isnan(e) ? -1 : toClampedInt(e);
    }
}

Value fieldGetTextFormat(Vm& vm, const CallInfo& c)
{
    auto n = thisNode(vm, c);
    if (!n) return Value();
    int begin, end;
    rangeArgs(vm, c, 0, begin, end);
    return Value(newTextFormat(vm, n->textFormat(begin, end)));
}

Value fieldSetTextFormat(Vm& vm, const CallInfo& c)
{
    auto n = thisNode(vm, c);
    if (!n || c.count() == 0) return Value();
    Object* format = c.arg(c.count() - 1).asObject();
    if (!format) return Value();
    int begin = -1, end = -1;
    if (c.count() == 2) {
        double b = argNumber(vm, c, 0);
        begin = std::isnan(b) ? -1 : toClampedInt(b);
        end = begin < 2147483647 ? begin + 1 : begin;
    } else if (c.count() >= 3) {
        rangeArgs(vm, c, 0, begin, end);
    }
    n->setTextFormat(begin, end, formatFromObject(vm, format));
    return Value();
}

Value fieldGetNewTextFormat(Vm& vm, const CallInfo& c)
{
    auto n = thisNode(vm, c);
    if (!n) return Value();
    return Value(newTextFormat(vm, n->newTextFormat()));
}

Value fieldSetNewTextFormat(Vm& vm, const CallInfo& c)
{
    auto n = thisNode(vm, c);
    if (n && c.arg(0).asObject()) n->setNewTextFormat(formatFromObject(vm, c.arg(0).asObject()));
    return Value();
}

Value fieldReplaceSel(Vm& vm, const CallInfo& c)
{
    auto n = thisNode(vm, c);
    if (n && c.count() > 0) n->replaceSel(argString(vm, c, 0).view());
    return Value();
}

Value fieldReplaceText(Vm& vm, const CallInfo& c)
{
    auto n = thisNode(vm, c);
    if (!n || c.count() < 3) return Value();
    double b = argNumber(vm, c, 0), e = argNumber(vm, c, 1);
    if (std::isnan(b) || std::isnan(e)) return Value();
    n->replaceText(toClampedInt(b), toClampedInt(e), argString(vm, c, 2).view());
    return Value();
}

Value fieldRemoveTextField(Vm& vm, const CallInfo& c)
{
    if (auto n = thisNode(vm, c)) n->removeFromParent();
    return Value();
}

Value fieldGetFontList(Vm& vm, const CallInfo&)
{
    return Value(vm.newArray({Value("_sans"), Value("_serif"), Value("_typewriter")}));
}

}  // namespace

void installButtonAndTextField(Vm& vm, Object* global)
{
    auto& b = vm.builtins();

    b.buttonProto = vm.heap().make<Object>(b.objectProto);
    FunctionObject* button = vm.newConstructor(noConstructor, b.buttonProto);
    global->define("Button", Value(button));
    vm.defineMethod(b.buttonProto, "getDepth", displayGetDepth, PropFlag::Hidden | PropFlag::OnlySwf6Up);
    b.buttonProto->define("enabled", Value(true), PropFlag::DontEnum);
    b.buttonProto->define("useHandCursor", Value(true), PropFlag::DontEnum);

    b.textFieldProto = vm.heap().make<Object>(b.objectProto);
    Object* tp = b.textFieldProto;
    FunctionObject* field = vm.newConstructor(noConstructor, tp);
    global->define("TextField", Value(field));
    field->define("prototype", Value(tp), PropFlag::Hidden | PropFlag::OnlySwf6Up);
    vm.defineMethod(field, "getFontList", fieldGetFontList);
    vm.defineMethod(tp, "getDepth", displayGetDepth);
    vm.defineMethod(tp, "getTextFormat", fieldGetTextFormat);
    vm.defineMethod(tp, "setTextFormat", fieldSetTextFormat);
    vm.defineMethod(tp, "getNewTextFormat", fieldGetNewTextFormat);
    vm.defineMethod(tp, "setNewTextFormat", fieldSetNewTextFormat);
    vm.defineMethod(tp, "replaceSel", fieldReplaceSel);
    vm.defineMethod(tp, "replaceText", fieldReplaceText, PropFlag::Hidden | PropFlag::OnlySwf7Up);
    vm.defineMethod(tp, "removeTextField", fieldRemoveTextField);
    // Each field also gets its own _listeners when it is created (Vm::createDisplayObject).
    for (const char* name : {"addListener", "removeListener", "broadcastMessage"}) {
        tp->define(name, vm.getMember(b.asBroadcaster, String(name)), PropFlag::Hidden);
    }
    tp->define("_listeners", Value(vm.newArray()), PropFlag::Hidden);

    b.textFormatProto = vm.heap().make<Object>(b.objectProto);
    b.textFormatCtor = vm.newConstructor(textFormatConstructor, b.textFormatProto);
    global->define("TextFormat", Value(b.textFormatCtor));
}

}  // namespace swf::avm1
