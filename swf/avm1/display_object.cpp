#include "swf/avm1/display_object.h"

#include <cmath>

#include "swf/avm1/vm_internals.h"

namespace swf::avm1 {

namespace {

constexpr std::u16string_view kDisplayNames[] = {
    u"_x", u"_y", u"_xscale", u"_yscale", u"_currentframe", u"_totalframes", u"_alpha", u"_visible",
    u"_width", u"_height", u"_rotation", u"_target", u"_framesloaded", u"_name", u"_droptarget",
    u"_url", u"_highquality", u"_focusrect", u"_soundbuftime", u"_quality", u"_xmouse", u"_ymouse"};

struct TextName {
    std::u16string_view name;
    TextProperty property;
};
constexpr TextName kTextNames[] = {
    {u"text", TextProperty::Text},
    {u"htmlText", TextProperty::HtmlText},
    {u"html", TextProperty::Html},
    {u"variable", TextProperty::Variable},
    {u"autoSize", TextProperty::AutoSize},
    {u"textColor", TextProperty::TextColor},
    {u"border", TextProperty::Border},
    {u"borderColor", TextProperty::BorderColor},
    {u"background", TextProperty::Background},
    {u"backgroundColor", TextProperty::BackgroundColor},
    {u"multiline", TextProperty::Multiline},
    {u"wordWrap", TextProperty::WordWrap},
    {u"selectable", TextProperty::Selectable},
    {u"type", TextProperty::Type},
    {u"maxChars", TextProperty::MaxChars},
    {u"password", TextProperty::Password},
    {u"embedFonts", TextProperty::EmbedFonts},
    {u"length", TextProperty::Length},
    {u"scroll", TextProperty::Scroll},
    {u"maxscroll", TextProperty::MaxScroll},
    {u"hscroll", TextProperty::HScroll},
    {u"maxhscroll", TextProperty::MaxHScroll},
    {u"bottomScroll", TextProperty::BottomScroll},
    {u"textWidth", TextProperty::TextWidth},
    {u"textHeight", TextProperty::TextHeight},
    {u"condenseWhite", TextProperty::CondenseWhite},
    {u"restrict", TextProperty::Restrict},
};

bool isReadOnlyText(TextProperty p)
{
    switch (p) {
    case TextProperty::Length:
    case TextProperty::MaxScroll:
    case TextProperty::MaxHScroll:
    case TextProperty::BottomScroll:
    case TextProperty::TextWidth:
    case TextProperty::TextHeight: return true;
    default: return false;
    }
}

Value fromTextValue(const TextValue& t)
{
    switch (t.kind) {
    case TextValue::Kind::Undefined: return Value();
    case TextValue::Kind::Null: return Value::null();
    case TextValue::Kind::Boolean: return Value(t.boolean);
    case TextValue::Kind::Number: return Value(t.number);
    case TextValue::Kind::String: return Value(String(t.string));
    }
    return Value();
}

TextValue toTextValue(Vm& vm, TextProperty p, const Value& v)
{
    switch (p) {
    case TextProperty::Html:
    case TextProperty::Border:
    case TextProperty::Background:
    case TextProperty::Multiline:
    case TextProperty::WordWrap:
    case TextProperty::Selectable:
    case TextProperty::Password:
    case TextProperty::EmbedFonts:
    case TextProperty::CondenseWhite: return TextValue::ofBool(vm.toBoolean(v));
    case TextProperty::TextColor:
    case TextProperty::BorderColor:
    case TextProperty::BackgroundColor:
    case TextProperty::MaxChars:
    case TextProperty::Scroll:
    case TextProperty::HScroll: return TextValue::ofNumber(vm.toNumber(v));
    case TextProperty::AutoSize:
        if (v.isBoolean()) return TextValue::ofString(v.asBoolean() ? u"left" : u"none");
        return TextValue::ofString(vm.toString(v).str());
    case TextProperty::Variable:
    case TextProperty::Restrict:
        if (v.isNullish()) return TextValue::null();
        return TextValue::ofString(vm.toString(v).str());
    default: return TextValue::ofString(vm.toString(v).str());
    }
}

}  // namespace

int levelOfName(std::u16string_view name, bool caseSensitive)
{
    static constexpr std::u16string_view kPrefix = u"_level";
    if (name.size() <= kPrefix.size()) return -1;
    std::u16string_view prefix = name.substr(0, kPrefix.size());
    if (caseSensitive ? prefix != kPrefix : !equalsIgnoreCase(prefix, kPrefix)) return -1;
    int n = 0;
    for (std::size_t i = kPrefix.size(); i < name.size(); ++i) {
        if (name[i] < u'0' || name[i] > u'9') return -1;
        n = n * 10 + (name[i] - u'0');
        if (n > 1000000) return -1;
    }
    return n;
}

int displayPropertyIndex(const String& name)
{
    if (name.empty() || name[0] != u'_') return -1;
    for (int i = 0; i < 22; ++i) {
        if (equalsIgnoreCase(name.view(), kDisplayNames[i])) return i;
    }
    return -1;
}

bool textPropertyByName(const String& name, TextProperty& out)
{
    for (const TextName& t : kTextNames) {
        if (equalsIgnoreCase(name.view(), t.name)) {
            out = t.property;
            return true;
        }
    }
    return false;
}

Value getDisplayProperty(Vm& vm, Object* target, int index)
{
    DisplayHost& host = vm.host();
    switch (index) {
    case 16: {
        std::u16string q = host.quality();
        return Value(q == u"LOW" ? 0.0 : (q == u"BEST" ? 2.0 : 1.0));
    }
    case 17: return Value(host.focusRect());
    case 18: return Value(host.soundBufTime());
    case 19: return Value(String(host.quality()));
    default: break;
    }
    auto* w = dynamic_cast<DisplayWrapper*>(target);
    std::shared_ptr<DisplayNode> node = w ? w->node() : nullptr;
    if (!node || index < 0 || index > 21) return Value();
    switch (index) {
    case 11: return Value(vm.targetPathOf(target, true));
    case 13: return Value(String(node->name()));
    case 14: return Value(String(node->dropTarget()));
    case 15: return Value(String(node->url()));
    case 7:
        if (vm.version() < 5) return Value(node->property(DisplayProperty::Visible) != 0 ? 1.0 : 0.0);
        return Value(node->property(DisplayProperty::Visible) != 0);
    default: return Value(node->property(static_cast<DisplayProperty>(index)));
    }
}

void setDisplayProperty(Vm& vm, Object* target, int index, const Value& v)
{
    DisplayHost& host = vm.host();
    switch (index) {
    case 16: {
        double q = vm.toNumber(v);
        host.setQuality(q >= 2 ? u"BEST" : (q >= 1 ? u"HIGH" : u"LOW"));
        return;
    }
    case 17: host.setFocusRect(vm.toNumber(v)); return;
    case 18: host.setSoundBufTime(vm.toNumber(v)); return;
    case 19: host.setQuality(vm.toString(v).str()); return;
    default: break;
    }
    auto* w = dynamic_cast<DisplayWrapper*>(target);
    std::shared_ptr<DisplayNode> node = w ? w->node() : nullptr;
    if (!node || index < 0 || index > 21) return;
    switch (index) {
    case 13: node->setName(vm.toString(v).str()); return;
    case 7: node->setProperty(DisplayProperty::Visible, vm.toBoolean(v) ? 1 : 0); return;
    case 4: case 5: case 11: case 12: case 14: case 15: case 20: case 21: return;  // read-only
    default: {
        double n = vm.toNumber(v);
        // Assignments that are not numbers leave the geometry alone.
        if (std::isnan(n)) return;
        node->setProperty(static_cast<DisplayProperty>(index), n);
        return;
    }
    }
}

// --- DisplayWrapper ---

bool DisplayWrapper::getVirtual(Vm& vm, const String& name, Value& out)
{
    if (name.empty()) return false;
    std::shared_ptr<DisplayNode> n = node();
    if (!n) return false;
    if (name[0] == u'_') {
        int index = displayPropertyIndex(name);
        if (index >= 0) {
            out = getDisplayProperty(vm, this, index);
            return true;
        }
        const Names& names = vm.internals().names;
        // A variable named _root, _parent or _levelN on the clip hides the clip's own.
        if (findOwn(name, vm.caseSensitive())) return false;
        if (name.equalsIgnoreCase(names.parent)) {
            DisplayNode* p = n->parent();
            out = p ? Value(p->scriptObject()) : Value();
            return true;
        }
        if (name.equalsIgnoreCase(names.root)) {
            Object* root = vm.rootOf(this);
            out = root ? Value(root) : Value();
            return true;
        }
        // _lockroot reads false on a clip until something sets it.
        if (displayKind == DisplayKind::MovieClip && name.equalsIgnoreCase(names.lockroot)) {
            out = Value(false);
            return true;
        }
        if (name.equalsIgnoreCase(names.global) && vm.version() >= 6) {
            out = Value(vm.global());
            return true;
        }
        int level = levelOfName(name.view(), vm.caseSensitive());
        if (level >= 0) {
            Object* l = vm.levelObject(level);
            out = l ? Value(l) : Value();
            return true;
        }
    }
    if (displayKind == DisplayKind::TextField) {
        TextProperty p;
        if (textPropertyByName(name, p)) {
            out = fromTextValue(n->textProperty(p));
            return true;
        }
    }
    return false;
}

bool DisplayWrapper::setVirtual(Vm& vm, const String& name, const Value& v)
{
    if (name.empty()) return false;
    std::shared_ptr<DisplayNode> n = node();
    if (!n) return false;
    if (name[0] == u'_') {
        int index = displayPropertyIndex(name);
        if (index >= 0) {
            setDisplayProperty(vm, this, index, v);
            return true;
        }
        // _lockroot is kept as a boolean of the clip's own (Vm::rootOf reads it).
        if (displayKind == DisplayKind::MovieClip && name.equalsIgnoreCase(vm.internals().names.lockroot)) {
            define(vm.internals().names.lockroot, Value(vm.toBoolean(v)), PropFlag::DontEnum);
            return true;
        }
    }
    if (displayKind == DisplayKind::TextField) {
        TextProperty p;
        if (textPropertyByName(name, p)) {
            if (!isReadOnlyText(p)) n->setTextProperty(p, toTextValue(vm, p, v));
            return true;
        }
    }
    return false;
}

bool DisplayWrapper::hasVirtual(Vm&, const String&) { return false; }

void DisplayWrapper::enumerateVirtual(Vm&, std::vector<String>& names)
{
    std::shared_ptr<DisplayNode> n = node();
    if (!n) return;
    for (DisplayNode* child : n->children()) {
        std::u16string name = child->name();
        if (!name.empty()) names.emplace_back(std::move(name));
    }
}

// --- ArrayObject's virtual properties ---

bool ArrayObject::getVirtual(Vm& vm, const String& name, Value& out)
{
    if (vm.caseSensitive() ? name == vm.internals().names.length : name.equalsIgnoreCase(vm.internals().names.length)) {
        out = Value(static_cast<double>(length()));
        return true;
    }
    std::int64_t i = parseIndex(name);
    if (i < 0 || !has(static_cast<std::size_t>(i))) return false;
    out = get(static_cast<std::size_t>(i));
    return true;
}

bool ArrayObject::setVirtual(Vm& vm, const String& name, const Value& v)
{
    if (vm.caseSensitive() ? name == vm.internals().names.length : name.equalsIgnoreCase(vm.internals().names.length)) {
        double n = vm.toNumber(v);
        if (std::isnan(n) || n < 0) n = 0;
        setLength(static_cast<std::size_t>(std::min(n, 4294967295.0)));
        return true;
    }
    std::int64_t i = parseIndex(name);
    if (i < 0) return false;
    set(static_cast<std::size_t>(i), v);
    return true;
}

bool ArrayObject::hasVirtual(Vm& vm, const String& name)
{
    if (vm.caseSensitive() ? name == vm.internals().names.length : name.equalsIgnoreCase(vm.internals().names.length)) {
        return true;
    }
    std::int64_t i = parseIndex(name);
    return i >= 0 && has(static_cast<std::size_t>(i));
}

bool ArrayObject::deleteVirtual(Vm& vm, const String& name, bool& deleted)
{
    if (vm.caseSensitive() ? name == vm.internals().names.length : name.equalsIgnoreCase(vm.internals().names.length)) {
        deleted = false;
        return true;
    }
    std::int64_t i = parseIndex(name);
    if (i < 0) return false;
    deleted = has(static_cast<std::size_t>(i));
    erase(static_cast<std::size_t>(i));
    return true;
}

void ArrayObject::enumerateVirtual(Vm&, std::vector<String>& names)
{
    for (std::size_t i : presentIndices()) names.emplace_back(asciiToUtf16(std::to_string(i)));
}

}  // namespace swf::avm1
